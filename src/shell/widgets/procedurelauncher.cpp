#include "shell/widgets/procedurelauncher.h"

#include "framework/errorcatalogue.h"
#include "framework/userinterface.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"
#include "shell/windowposition.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace pk {

ProcedureLauncher::ProcedureLauncher(Shell &shell, QMdiArea *area, QWidget *frame)
    : QObject(frame)
    , m_shell(shell)
    , m_area(area)
    , m_frame(frame)
{}

bool ProcedureLauncher::isDefined(const QString &procedure) const
{
    return ProcedureRegistry::instance().contains(procedure);
}

bool ProcedureLauncher::startProcedure(const QString &procedure, const std::any &request)
{
    if (m_beforeStart)
        m_beforeStart();
    const ProcedureRegistry &registry = ProcedureRegistry::instance();
    const ProcedureRegistry::Start factory = registry.factory(procedure);
    // A request of another type than the procedure takes has no procedure to go to either.
    if (!factory || !registry.accepts(procedure, request)) {
        ErrorContext context;
        context.message = procedure;
        context.procedure = procedure;
        m_shell.errors().raise(Msg::ProcedureNotDefined, context);
        return false;
    }
    QWidget *window = factory(ProcedureCall{m_shell, *this, m_frame}, request);
    if (window)
        return addWindow(procedure, window) != nullptr;
    return true;
}

QWidget *ProcedureLauncher::addWindow(const QString &procedure, QWidget *window)
{
    if (m_shell.threads().count() >= WindowThreads::MaxThreads - 1) {
        m_shell.ui().message(QStringLiteral("Error"),
                             QStringLiteral("Too many windows are open.  Close one and try again."),
                             UserInterface::Icon::Warning);
        window->deleteLater();
        return nullptr;
    }

    QWidget *placed = nullptr;
    const Qt::WindowType type = window->windowType();
    const bool floating = type == Qt::Dialog || type == Qt::Tool;
    if (floating) {
        // Its own window, owned by the frame: the window manager keeps it above the frame.
        window->setParent(m_frame, window->windowFlags());
        window->setAttribute(Qt::WA_DeleteOnClose);
        placed = window;
    } else {
        QMdiSubWindow *sub = m_area->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        placed = sub;
    }
    QPointer<QWidget> guard = placed;
    const int number = m_shell.threads().start(procedure, [guard] {
        if (guard)
            guard->close();
    });
    m_children[placed] = Child{procedure, number};
    placed->installEventFilter(this);
    connect(placed, &QObject::destroyed, this, [this, number](QObject *object) {
        m_shell.threads().finish(number);
        m_children.erase(object);
    });
    if (const auto position = WindowPosition::load(m_shell.positionIni(), procedure)) {
        placed->setGeometry(position->geometry);
        if (position->maximized && !floating)
            placed->showMaximized();
        else
            placed->show();
    } else {
        if (floating && m_frame) {
            window->adjustSize();
            QRect area = window->frameGeometry();
            area.moveCenter(m_frame->frameGeometry().center());
            window->move(area.topLeft());
        }
        placed->show();
    }
    return placed;
}

QMdiSubWindow *ProcedureLauncher::window(int thread) const
{
    for (const auto &[object, child] : m_children) {
        if (child.thread == thread)
            return qobject_cast<QMdiSubWindow *>(object);
    }
    return nullptr;
}

bool ProcedureLauncher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close) {
        const auto it = m_children.find(watched);
        if (it != m_children.end()) {
            auto *placed = static_cast<QWidget *>(watched);
            WindowPosition position;
            position.maximized = placed->isMaximized();
            position.geometry = placed->isMaximized() ? placed->normalGeometry()
                                                      : placed->geometry();
            if (position.geometry.isValid()) {
                position.store(m_shell.positionIni(), it->second.procedure);
                m_shell.positionIni().save();
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace pk

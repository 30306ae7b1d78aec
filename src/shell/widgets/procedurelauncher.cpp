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
{
}

bool ProcedureLauncher::isDefined(const QString &procedure) const
{
    return ProcedureRegistry::instance().contains(procedure);
}

bool ProcedureLauncher::start(const QString &procedure, const QVariantMap &arguments)
{
    if (m_beforeStart)
        m_beforeStart();
    const ProcedureRegistry::Factory factory = ProcedureRegistry::instance().factory(procedure);
    if (!factory) {
        ErrorContext context;
        context.message = procedure;
        context.procedure = procedure;
        m_shell.errors().raise(Msg::ProcedureNotDefined, context);
        return false;
    }
    QWidget *window = factory(ProcedureCall{m_shell, *this, m_frame, arguments});
    if (window)
        return addWindow(procedure, window) != nullptr;
    return true;
}

QMdiSubWindow *ProcedureLauncher::addWindow(const QString &procedure, QWidget *window)
{
    if (m_shell.threads().count() >= WindowThreads::MaxThreads - 1) {
        m_shell.ui().message(QStringLiteral("Error"),
                             QStringLiteral("Too many windows are open.  Close one and try again."),
                             UserInterface::Icon::Warning);
        window->deleteLater();
        return nullptr;
    }

    QMdiSubWindow *sub = m_area->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QMdiSubWindow> guard = sub;
    const int number = m_shell.threads().start(procedure, [guard] {
        if (guard)
            guard->close();
    });
    m_children[sub] = Child{procedure, number};
    sub->installEventFilter(this);
    connect(sub, &QObject::destroyed, this, [this, number](QObject *object) {
        m_shell.threads().finish(number);
        m_children.erase(object);
    });
    if (const auto position = WindowPosition::load(m_shell.positionIni(), procedure)) {
        sub->setGeometry(position->geometry);
        if (position->maximized)
            sub->showMaximized();
        else
            sub->show();
    } else {
        sub->show();
    }
    return sub;
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
            auto *sub = static_cast<QMdiSubWindow *>(watched);
            WindowPosition position;
            position.maximized = sub->isMaximized();
            position.geometry = sub->isMaximized() ? sub->normalGeometry() : sub->geometry();
            if (position.geometry.isValid()) {
                position.store(m_shell.positionIni(), it->second.procedure);
                m_shell.positionIni().save();
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace pk

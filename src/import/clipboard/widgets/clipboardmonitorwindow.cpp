#include "import/clipboard/widgets/clipboardmonitorwindow.h"

#include "browse/list/browserefresh.h"
#include "framework/userinterface.h"
#include "import/clipboard/clipboardmonitor.h"
#include "import/importinsert.h"
#include "import/importsummary.h"
#include "shell/widgets/framedwindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

ClipboardMonitorWindow::ClipboardMonitorWindow(Collection &collection,
                                               ErrorManager &errors,
                                               UserInterface &ui,
                                               QWidget *parent)
    : QWidget(parent)
    , m_ui(ui)
    , m_insert(std::make_unique<ImportInsert>(collection, errors, CategoryMode::None, QString()))
    , m_monitor(std::make_unique<ClipboardMonitor>(collection, *m_insert))
{
    setWindowTitle(u"Monitor Clipboard"_s);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(u"Any text copied to the clipboard from other applications\n"
                                 "that contains a URL will be imported automatically\n"
                                 "until the Exit button is pressed."_s,
                                 this));
    m_status = new QLabel(this);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_status);
    auto *exit = new QPushButton(u"E&xit"_s, this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    layout->addLayout(buttons);
    connect(exit, &QPushButton::clicked, this, &ClipboardMonitorWindow::exit);
    cancelOnEscape(this, [this] { ClipboardMonitorWindow::exit(); });

    m_monitor->setAddedHandler([this] {
        m_status->setText(m_monitor->status());
        BrowseRefresh::instance().request();
    });
    m_timer = new QTimer(this);
    m_timer->setInterval(WatchMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &ClipboardMonitorWindow::check);
    // The question about what is on the clipboard comes once the window is up.
    QTimer::singleShot(0, this, &ClipboardMonitorWindow::start);
}

ClipboardMonitorWindow::~ClipboardMonitorWindow() = default;

QString ClipboardMonitorWindow::statusText() const
{
    return m_status->text();
}

void ClipboardMonitorWindow::start()
{
    if (m_monitor->takeIfNew(content())
        && !m_ui.askYesNo(u"Clipboard Contains Data"_s, u"Ignore current clipboard contents?"_s)) {
        m_monitor->scanLastSeen();
    }
    connect(QGuiApplication::clipboard(),
            &QClipboard::dataChanged,
            this,
            &ClipboardMonitorWindow::check);
    m_timer->start();
}

void ClipboardMonitorWindow::check()
{
    if (m_monitor->takeIfNew(content()))
        m_monitor->scanLastSeen();
}

ClipboardMonitor::Content ClipboardMonitorWindow::content()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data ? ClipboardMonitor::contentOf(*data) : ClipboardMonitor::Content();
}

void ClipboardMonitorWindow::exit()
{
    m_timer->stop();
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
    ImportSummary::show(m_ui,
                        QString::number(m_monitor->count()) + u" URL(s) imported."_s,
                        m_insert->counts());
    Q_EMIT closeRequested();
}

} // namespace pk

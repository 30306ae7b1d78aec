#include "linkcheck/widgets/testlinkswindow.h"

#include "linkcheck/linktest.h"
#include "linkcheck/testlinksprocess.h"
#include "linkcheck/widgets/linktestwindow.h"
#include "shell/procedurenames.h"
#include "shell/widgets/framedwindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace pk {

TestLinksWindow::TestLinksWindow(std::unique_ptr<TestLinksProcess> process,
                                 QWidget *testParent,
                                 QWidget *parent)
    : QWidget(parent)
    , m_process(std::move(process))
    , m_testParent(testParent)
{
    setWindowTitle(QLatin1String(Title));
    setObjectName(QLatin1String(Procedure::ValidateAll));
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(QStringLiteral("Processing Records"), this);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_percent = new QLabel(QStringLiteral("0% Completed"), this);
    m_percent->setAlignment(Qt::AlignHCenter);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    layout->addWidget(m_percent);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this),
            &QShortcut::activated,
            this,
            &QWidget::close);

    // A window of its own above the frame (never maximised with the lists), sized to its texts.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    const QString widest = QStringLiteral("Testing 9999999 of up to 9999999");
    setMinimumWidth(fontMetrics().horizontalAdvance(widest) + 4 * layout->contentsMargins().left());

    TestLinksProcess &p = *m_process;
    connect(&p, &TestLinksProcess::progressText, m_text, &QLabel::setText);
    connect(&p, &TestLinksProcess::percentText, m_percent, &QLabel::setText);
    connect(&p, &TestLinksProcess::progressValue, m_progress, &QProgressBar::setValue);
    connect(&p, &TestLinksProcess::testStarted, this, &TestLinksWindow::showTest);
    connect(&p, &TestLinksProcess::finished, this, [this] {
        m_finished = true;
        closeFramedWindow(this);
    });
    QTimer::singleShot(0, &p, &TestLinksProcess::run);
}

TestLinksWindow::~TestLinksWindow()
{
    for (const QPointer<LinkTestWindow> &window : m_allWindows) {
        if (window)
            window->deleteLater();
    }
}

void TestLinksWindow::showTest(LinkTest *test)
{
    LinkTestWindow *window = nullptr;
    while (!window && !m_idleWindows.empty()) {
        window = m_idleWindows.back();
        m_idleWindows.pop_back();
    }
    if (window) {
        window->attach(*test);
    } else {
        window = new LinkTestWindow(*test, m_testParent);
        // Up to nine of these come and go; they should not keep taking the keyboard focus.
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        m_allWindows.emplace_back(window);
    }
    // The test's end hides its window (done() or close()) and frees it for the next test.
    const QPointer<LinkTestWindow> kept(window);
    const auto release = [this, kept, test] {
        // A window already showing the next test is not this test's any more.
        if (!kept || !kept->shows(test))
            return;
        kept->hide();
        if (std::find(m_idleWindows.begin(), m_idleWindows.end(), kept) == m_idleWindows.end())
            m_idleWindows.push_back(kept);
    };
    connect(test, &LinkTest::finished, this, release);
    connect(test, &QObject::destroyed, this, release);
    window->show();
}

void TestLinksWindow::closeEvent(QCloseEvent *event)
{
    if (m_finished) {
        event->accept();
        return;
    }
    // Stop starting tests; the window goes when the tests already running have ended.
    m_process->requestClose();
    event->ignore();
    setEnabled(false);
}

} // namespace pk

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

TestLinksWindow::~TestLinksWindow() = default;

void TestLinksWindow::showTest(LinkTest *test)
{
    auto *window = new LinkTestWindow(*test, m_testParent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Up to nine of these come and go; they should not keep taking the keyboard focus.
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    connect(test, &QObject::destroyed, window, &QWidget::close);
    connect(test, &LinkTest::finished, window, &QWidget::close);
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

#include "linkcheck/widgets/linktestwindow.h"

#include "linkcheck/linktest.h"
#include "shell/procedurenames.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QVBoxLayout>

namespace pk {

LinkTestWindow::LinkTestWindow(LinkTest &test, QWidget *parent)
    : QDialog(parent)
    , m_test(&test)
{
    setWindowTitle(QLatin1String(Title));
    // A dialog of the frame: kept above it, never behind the list it was started from.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setObjectName(QLatin1String(Procedure::RetrieveAndTest));
    auto *layout = new QVBoxLayout(this);
    m_text = new QPlainTextEdit(this);
    m_text->setAccessibleName(QStringLiteral("Test report"));
    m_text->setReadOnly(true);
    // The report takes the keyboard when the window opens, so it scrolls by keys.
    m_text->setFocusPolicy(Qt::StrongFocus);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    resize(460, 260);
    attach(test);
}

void LinkTestWindow::attach(LinkTest &test)
{
    for (QMetaObject::Connection &connection : m_connections)
        disconnect(connection);
    m_test = &test;
    m_shown = &test;
    m_text->setPlainText(test.text());
    m_progress->setValue(test.progress());
    unsetCursor();
    m_connections[0] = connect(&test, &LinkTest::textChanged, m_text, &QPlainTextEdit::setPlainText);
    m_connections[1]
        = connect(&test, &LinkTest::progressChanged, m_progress, &QProgressBar::setValue);
    m_connections[2] = connect(&test, &LinkTest::busyChanged, this, [this](bool busy) {
        if (busy)
            setCursor(Qt::WaitCursor);
        else
            unsetCursor();
    });
    m_connections[3] = connect(&test, &LinkTest::finished, this, [this](int result) {
        done(result == 0 ? Accepted : Rejected);
    });
}

int LinkTestWindow::exec()
{
    if (!m_test)
        return LinkTest::Cancelled;
    if (!m_test->isStarted())
        m_test->start();
    if (!m_test->isFinished())
        QDialog::exec();
    return m_test ? m_test->result() : LinkTest::Cancelled;
}

void LinkTestWindow::closeEvent(QCloseEvent *event)
{
    if (m_test && !m_test->isFinished())
        m_test->cancel();
    event->accept();
    QDialog::closeEvent(event);
}

void LinkTestWindow::reject()
{
    // Escape and the frame's close button both end the test as cancelled.
    if (m_test && !m_test->isFinished())
        m_test->cancel();
    QDialog::reject();
}

} // namespace pk

#include "linkcheck/analysis/widgets/analyzeurlwindow.h"

#include "shell/procedurenames.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace pk {

AnalyzeUrlWindow::AnalyzeUrlWindow(const QString &url, QWidget *parent)
    : QDialog(parent)
    , m_analyzer(url)
{
    setWindowTitle(QLatin1String(UrlAnalyzer::Title));
    setObjectName(QLatin1String(Procedure::AnalyzeUrl));
    auto *layout = new QVBoxLayout(this);
    auto *group = new QGroupBox(QStringLiteral("Status"), this);
    auto *inner = new QVBoxLayout(group);
    m_status = new QLabel(QStringLiteral("Downloading..."), group);
    m_status->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(group);
    m_progress->setRange(0, 100);
    m_lines = new QListWidget(group);
    inner->addWidget(m_status);
    inner->addWidget(m_progress);
    inner->addWidget(m_lines);
    layout->addWidget(group);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, this, &AnalyzeUrlWindow::reject);

    m_status->setText(url);
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &AnalyzeUrlWindow::tick);
    m_timer.start();
    resize(480, 320);
}

AnalyzeUrlWindow::~AnalyzeUrlWindow() = default;

int AnalyzeUrlWindow::run(const QString &url, std::vector<QString> &tokens, QWidget *parent)
{
    AnalyzeUrlWindow window(url, parent);
    window.exec();
    tokens = window.takeTokens();
    return window.analyzer().result();
}

void AnalyzeUrlWindow::tick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool running = m_analyzer.tick(0);
    QApplication::restoreOverrideCursor();
    showState();
    if (!running) {
        m_timer.stop();
        done(m_analyzer.result());
    }
}

void AnalyzeUrlWindow::showState()
{
    m_status->setText(m_analyzer.statusText().left(255));
    m_progress->setValue(m_analyzer.progress());
    const QStringList &lines = m_analyzer.statusLines();
    for (; m_linesShown < lines.size(); ++m_linesShown)
        m_lines->addItem(lines.at(m_linesShown));
    if (m_lines->count() > 0)
        m_lines->scrollToBottom();
}

void AnalyzeUrlWindow::reject()
{
    m_timer.stop();
    m_analyzer.cancel();
    showState();
    done(m_analyzer.result());
}

} // namespace pk

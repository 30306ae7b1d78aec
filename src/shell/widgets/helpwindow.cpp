#include "shell/widgets/helpwindow.h"

#include <QAction>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

namespace pk {

HelpWindow::HelpWindow(const QString &helpFolder, QWidget *parent)
    : QMainWindow(parent, Qt::Window)
    , m_folder(helpFolder)
    , m_browser(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Pathkeep Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_browser->setOpenExternalLinks(true);
    m_browser->setSearchPaths({helpFolder});
    setCentralWidget(m_browser);
    auto *bar = addToolBar(QStringLiteral("Help"));
    bar->setMovable(false);
    bar->addAction(QStringLiteral("&Contents"), this, &HelpWindow::showContents);
    bar->addAction(QStringLiteral("&Index"), this, &HelpWindow::showIndex);
    bar->addAction(QStringLiteral("&Back"), m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(QStringLiteral("Pathkeep Help - ") + m_browser->documentTitle());
    });
    resize(640, 520);
}

void HelpWindow::open(const QString &page)
{
    m_browser->setSource(QUrl::fromLocalFile(m_folder + QLatin1Char('/') + page));
}

void HelpWindow::showContents()
{
    open(QStringLiteral("index.html"));
}

void HelpWindow::showIndex()
{
    open(QStringLiteral("keywords.html"));
}

QString HelpWindow::currentPage() const
{
    return m_browser->source().fileName();
}

} // namespace pk

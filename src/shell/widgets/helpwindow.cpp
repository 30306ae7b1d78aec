#include "shell/widgets/helpwindow.h"

#include <QAction>
#include <QShortcut>
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
    m_browser->setAccessibleName(QStringLiteral("Help page"));
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
    // Escape and Ctrl+W close it like any other window of its kind.
    auto *close = new QShortcut(this);
    close->setKeys({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    connect(close, &QShortcut::activated, this, &QWidget::close);
    resize(640, 520);
}

void HelpWindow::centreOn(const QWidget *owner)
{
    if (!owner)
        return;
    const QRect area = owner->frameGeometry();
    QRect placed = frameGeometry();
    placed.moveCenter(area.center());
    move(placed.topLeft());
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

#include "linkcheck/widgets/invalidurlswindow.h"

#include "linkcheck/favoritescheck.h"
#include "linkcheck/widgets/linktestwindow.h"
#include "shell/procedurenames.h"
#include "shell/widgets/framedwindow.h"

#include <QHeaderView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pk {

InvalidUrlsWindow::InvalidUrlsWindow(std::unique_ptr<FavoritesCheck> check,
                                     QWidget *testParent,
                                     QWidget *parent)
    : QWidget(parent)
    , m_check(std::move(check))
    , m_testParent(testParent)
{
    setWindowTitle(QLatin1String(FavoritesCheck::Title));
    setObjectName(QLatin1String(Procedure::ValidateFavorites));
    auto *layout = new QVBoxLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("File"), QStringLiteral("URL")});
    m_list->header()->setStretchLastSection(true);
    for (const FavoriteEntry &entry : m_check->entries())
        new QTreeWidgetItem(m_list, {entry.path, entry.url});
    m_list->resizeColumnToContents(0);
    layout->addWidget(m_list);
    resize(560, 360);

    FavoritesCheck &c = *m_check;
    connect(&c, &FavoritesCheck::testStarted, this, &InvalidUrlsWindow::showTest);
    connect(&c, &FavoritesCheck::entryRemoved, this, [this](int index) {
        delete m_list->takeTopLevelItem(index);
    });
    connect(&c, &FavoritesCheck::finished, this, [this](bool cancelled) {
        if (cancelled)
            closeWindow();
    });
    QTimer::singleShot(0, &c, &FavoritesCheck::run);
}

InvalidUrlsWindow::~InvalidUrlsWindow() = default;

int InvalidUrlsWindow::rowCount() const
{
    return m_list->topLevelItemCount();
}

void InvalidUrlsWindow::showTest(LinkTest *test)
{
    auto *window = new LinkTestWindow(*test, m_testParent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    connect(test, &QObject::destroyed, window, &QWidget::close);
    connect(test, &LinkTest::finished, window, &QWidget::close);
    window->show();
}

void InvalidUrlsWindow::closeWindow()
{
    closeFramedWindow(this);
}

} // namespace pk

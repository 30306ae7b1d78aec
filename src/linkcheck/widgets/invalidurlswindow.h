#pragma once

#include <QWidget>

#include <memory>

class QTreeWidget;

namespace pk {

class FavoritesCheck;
class LinkTest;

/**
 * @brief "Invalid URLs": the favourites check's list of shortcuts (file and address); each
 * shortcut found valid leaves the list while the check runs.
 */
class InvalidUrlsWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InvalidUrlsWindow)

public:
    /// Takes `check`, already loaded; runs it once the window is shown.
    InvalidUrlsWindow(std::unique_ptr<FavoritesCheck> check,
                      QWidget *testParent,
                      QWidget *parent = nullptr);
    ~InvalidUrlsWindow() override;

    FavoritesCheck &check() { return *m_check; }
    int rowCount() const;

private:
    void showTest(LinkTest *test);
    void closeWindow();

    std::unique_ptr<FavoritesCheck> m_check;
    QWidget *m_testParent;
    QTreeWidget *m_list = nullptr;
};

} // namespace pk

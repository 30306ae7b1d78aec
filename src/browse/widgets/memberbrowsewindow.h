#pragma once

#include "browse/list/memberbrowse.h"
#include "browse/widgets/listwindowcontrols.h"
#include "browse/widgets/locationbrowsewindow.h"

#include <QWidget>

#include <memory>

class QAction;
class QLineEdit;
class QMenu;
class QTabBar;
class QTableView;
class QVBoxLayout;

namespace pk {

/**
 * @brief "Keywords and Locations" and "Details and Locations": a thin window over MemberBrowse
 * with the location list's tool bar, buttons and pop-up menu.
 */
class MemberBrowseWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MemberBrowseWindow)

public:
    static constexpr const char *LayoutKey = "SRCF?Browse:1";

    MemberBrowseWindow(LocationBrowseWindow::Environment environment,
                       MemberRows::Kind kind,
                       QWidget *parent = nullptr);
    ~MemberBrowseWindow() override;

    MemberBrowse &browse() { return *m_browse; }
    QTableView *table() const { return m_table; }
    QLineEdit *locator() const { return m_locator; }
    QMenu *popupMenu() const { return m_popup; }
    int currentRow() const;
    void selectRow(int row);
    /// The column layout into POSITION.INI.
    void savePosition();

public slots:
    void refresh();
    void find();
    void findAgain();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QString section() const;
    /// What the shared controls act on.
    ListWindowControls::Commands commands();
    void buildWindow();
    void buildTabsAndLocator(QVBoxLayout *layout);
    void buildTable(QVBoxLayout *layout);
    void buildPopup();
    void updateState();
    void runQuery();

    LocationBrowseWindow::Environment m_env;
    MemberRows::Kind m_kind;
    std::unique_ptr<Launcher> m_ownLauncher;
    std::unique_ptr<MemberBrowse> m_browse;
    QTableView *m_table = nullptr;
    QTabBar *m_tabs = nullptr;
    QLineEdit *m_locator = nullptr;
    QMenu *m_popup = nullptr;
    QList<QWidget *> m_resetWidgets;
    QList<QAction *> m_resetActions;
    qint64 m_highlighted = 0; ///< member row id kept across a reset of the list
    bool m_restored = false;
};

} // namespace pk

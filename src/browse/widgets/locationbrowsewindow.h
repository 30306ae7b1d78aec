#pragma once

#include "browse/list/locationbrowse.h"
#include "browse/widgets/listwindowcontrols.h"
#include "shell/procedurenames.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QTabBar;
class QTimer;
class QTableView;
class QVBoxLayout;

namespace pk {

class IniFile;

/**
 * @brief "Browse Locations": the main list window, a thin layer over LocationBrowse.
 */
class LocationBrowseWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LocationBrowseWindow)

public:
    static constexpr const char *Section = Procedure::BrowseLocations; ///< POSITION.INI
    static constexpr const char *LayoutKey = "SRCF?Browse:1";
    static constexpr const char *OriginalLayoutKey = "SRCFOriginal?Browse:1";

    /// How a member of the list family differs from "Browse Locations".
    struct Layout
    {
        /// POSITION.INI section of position and column layout.
        const char *section = Procedure::BrowseLocations;
        bool sortTabs = true;
        /// Title of the locator group and its tip; the tab's tip when empty.
        QString locatorTitle = QStringLiteral("Locate");
        QString locatorTip;
        /// Location columns not shown, and pairs of columns shown in each other's place.
        QList<int> hiddenColumns;
        QList<QPair<int, int>> swappedColumns;
        /// Inside another window: that window keeps the position, and "Close" closes it.
        bool embedded = false;
    };

    /// Everything the window needs from the program around it.
    struct Environment
    {
        Collection &collection;
        UserInterface &ui;
        ErrorManager &errors;
        LocationBrowse::Hooks hooks;
        /// Opens the "Find..." dialog: returns the match expression (empty when cancelled) and
        /// sets `findNext` when the user chose "Find Next".
        std::function<QString(QWidget *parent, bool &findNext)> findDialog;
        /// Runs the query wizard on `current`; returns the new expression, nothing when cancelled.
        std::function<std::optional<QString>(QWidget *parent, const QString &current)> queryWizard;
        /// POSITION.INI, shared with the rest of the program; null for none.
        IniFile *positionIni = nullptr;
        /// Launcher to use; a default one over the desktop when null.
        Launcher *launcher = nullptr;
        Layout layout = {};
    };

    explicit LocationBrowseWindow(Environment environment, QWidget *parent = nullptr);
    ~LocationBrowseWindow() override;

    LocationBrowse &browse() { return *m_browse; }
    QTableView *table() const { return m_table; }
    QTabBar *tabs() const { return m_tabs; }
    QLineEdit *locator() const { return m_locator; }
    QComboBox *sendTypes() const { return m_sendTypes; }
    /// The pop-up menu of the list (built once, shown on the right mouse button).
    QMenu *popupMenu() const { return m_popup; }

    /// The highlighted row, -1 when none.
    int currentRow() const;
    void selectRow(int row);

    /// Column widths in pixels for the font in use (dialog units of the built-in format).
    static int dialogUnitsToPixels(int units, const QFontMetrics &metrics);

    /// Stores position, size and column layout in POSITION.INI.
    void savePosition();

    /// Room for every control, so the window opens without scrolling.
    QSize sizeHint() const override;

public slots:
    void refresh();
    /// Reads the list again when another program changed the collection, keeping the place.
    void refreshIfChangedElsewhere();
    void find();
    void findAgain();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// What the shared controls act on.
    ListWindowControls::Commands commands();
    void buildWindow();
    void buildTabsAndLocator(QVBoxLayout *layout);
    void buildTable(QVBoxLayout *layout);
    void addShortcuts();
    void buildButtonRows(QVBoxLayout *layout);
    void buildPopup();
    void restoreLayout();
    /// The saved column layout, when there is one for the current column set.
    bool restoreColumns();
    void fitColumnsToTexts();
    void restorePosition();
    void updateState();
    void setTab(int tab);
    /// Highlights the first location at or after `text` in the tab's order (the locator).
    void locate(const QString &text);
    /// Highlights again the location highlighted before the list was read again.
    void keepHighlight();
    void runQuery();

    Environment m_env;
    std::unique_ptr<Launcher> m_ownLauncher;
    std::unique_ptr<LocationBrowse> m_browse;
    QTableView *m_table = nullptr;
    QTabBar *m_tabs = nullptr;
    QLineEdit *m_locator = nullptr;
    QComboBox *m_sendTypes = nullptr;
    QMenu *m_popup = nullptr;
    QWidget *m_content = nullptr;
    QList<QWidget *> m_resetWidgets;
    QList<QAction *> m_resetActions;
    QWidget *m_positionWatched = nullptr;
    bool m_restored = false;
    qint64 m_highlighted = 0;               ///< row id kept across a reset of the list
    int m_highlightedRow = -1;              ///< and its place, for when it is gone
    int m_rowsAbove = 0;                    ///< rows shown above it, so the list does not jump
    bool m_newOrder = false;                ///< a heading, tab or locator is changing the order
    bool m_highlightPending = false;        ///< keepHighlight() waits for the order's places
    std::optional<QString> m_pendingLocate; ///< locate() waits for the order's places
    QTimer *m_changeWatch = nullptr;
    QElapsedTimer m_sinceRefresh; ///< since the list was last read again
    qint64 m_lastRefreshMs = 0;   ///< and how long that took
};

} // namespace pk

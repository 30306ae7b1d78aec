#pragma once

#include "browse/list/locationlistmodel.h"
#include "browse/list/sendtype.h"
#include "browse/query/querycompiler.h"
#include "store/collection.h"

#include <QObject>

#include <functional>
#include <optional>

namespace pk {

class ErrorManager;
class Launcher;
class ProcedureStarter;
class UserInterface;

/**
 * @brief What the location list does, apart from drawing it: order, locate, query, find,
 * launch, copy, remove, drop and the commands that start other windows.
 *
 * The window passes the highlighted row in and selects the row a command returns. Everything
 * the logic needs from the desktop (clipboard, wait cursor, other procedures, the frame) comes
 * through Hooks, so the whole list runs without a display in tests.
 */
class LocationBrowse final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LocationBrowse)

public:
    static constexpr const char *StartUrl = "Start URL";

    struct Hooks
    {
        /// Starts the form and the other windows; without it every start is reported as not
        /// defined.
        ProcedureStarter *starter = nullptr;
        std::function<void(const QString &text)> setClipboard;
        std::function<void(bool busy)> setBusy; ///< wait cursor on/off
        std::function<void()> minimiseFrame;
        std::function<QString()> favouritesFolder;
        /// Lists of the same family whose rows are not locations (keywords, details) hand in
        /// the location a row stands for; without it rows are read from model().
        std::function<std::optional<LocationPager::Row>(int row)> memberRow;
        /// Reads such a list again instead of model(); returns the new place of the location
        /// with row id `keepRowId`, or 0.
        std::function<int(qint64 keepRowId)> refreshMembers;
    };

    LocationBrowse(Collection &collection,
                   UserInterface &ui,
                   ErrorManager &errors,
                   Launcher &launcher,
                   Hooks hooks,
                   QObject *parent = nullptr);
    ~LocationBrowse() override;

    LocationListModel &model() { return m_model; }
    Collection &collection() { return m_collection; }

    /// Reads the list again; `keepRowId` (> 0) is the row to find again afterwards.
    /// Returns that row's new place, or 0.
    int refresh(qint64 keepRowId = 0);
    /// Reads the list again when another program changed the collection since the list was
    /// last read, keeping `keepRowId` as refresh() does. Returns whether it did.
    bool refreshIfChangedElsewhere(qint64 keepRowId = 0);
    /// Whether another program changed the collection since the list was last read.
    bool changedElsewhere();
    /// "Browse Locations (" + locations in the table + ")".
    QString title();

    // Orders and locators
    int tab() const { return m_tab; }
    /// Returns to the tab's key order and refreshes.
    void setTab(int tab);
    /// Sorts by a column heading instead of the tab's key.
    void sortByColumn(int column, bool descending);
    /// A click on a column heading: ascending first, each further click on the same heading
    /// turns the order round.
    void clickHeading(int column);
    /// The heading the list is sorted by, or -1 while it follows the tab's key.
    int sortColumn() const { return m_sortColumn; }
    bool sortDescending() const { return m_sortDescending; }
    /// The row of the first entry at or after `typed` in the current tab's order.
    int locate(const QString &typed);
    /// locate() without waiting for the places of a long list's order: nothing while they are
    /// still read (ask again on the model's orderReady()).
    std::optional<int> tryLocate(const QString &typed);

    /// Shows only the locations of one category from now on, in URL:K_Category order; the
    /// locator then finds descriptions within it and a new location starts in it.
    void setCategoryScope(const QString &category);
    const QString &categoryScope() const { return m_categoryScope; }

    // Query
    bool hasQuery() const { return !m_query.isEmpty(); }
    QString query() const { return m_query; }
    /// Installs a filter expression; a malformed one is reported and changes nothing.
    bool applyQuery(const QString &expression);
    void resetQuery();

    // Send type, launch, copy
    SendType::Type sendType() const { return m_sendType; }
    void setSendType(SendType::Type type) { m_sendType = type; }
    void launch(int row);
    void copyToClipboard(int row);
    void doubleClick(int row);
    QString doubleClickAction();

    // Find
    /// Searches for `condition` from the start (`fromStart`) or after `current`; returns the
    /// matching row or -1 (after telling the user).
    int find(const QString &condition, bool fromStart, int current);
    /// F3: the last condition again, after `current`.
    int findAgain(int current);
    QString lastCondition() const { return m_lastCondition; }

    // Removing many
    /// Returns how many locations went (0 when the user said No).
    int removeDisplayed();
    int removeInvalid();

    /// Adds a location for each Internet shortcut among `files`; returns how many were added.
    int dropFiles(const QStringList &files);

    // Commands handed to other procedures
    void insert();
    void change(int row);
    void remove(int row);
    void test(int row);
    void download(int row);
    void print();
    void grabFromBrowser();

signals:
    /// The list was read again; the window updates its title and buttons.
    void refreshed();
    /// The query was applied or cleared.
    void queryChanged(bool applied);

private:
    void launchText(const QString &text);
    /// Launches the row's address and records today's visit.
    void launchLocation(const QString &location);
    /// Starts the request's procedure through the hooks' starter; without one, reports it as
    /// not defined.
    template<typename Request>
    void start(const Request &request);
    int removeAll(bool invalidOnly);
    std::optional<SqlFilter> compile(const QString &expression, QString &error);

public:
    /// Compiles a query or find condition over the fields `resolve` knows; nothing (and the
    /// reason in `error`) when it is malformed. `index` narrows "contains" searches.
    static std::optional<SqlFilter> compile(const QString &expression,
                                            const QueryFieldResolver &resolve,
                                            QString &error,
                                            const std::optional<QuerySubstringIndex> &index
                                            = std::nullopt);

private:
    std::optional<int> locate(const QString &typed, bool wait);
    void busy(bool on);
    /// Rows of the list could not be read: told once until the list is read again.
    void reportReadFailure();
    /// The highlighted row's location, from the model or the member list.
    std::optional<LocationPager::Row> rowAt(int row);
    /// The category scope and the query together, as the model's filter.
    SqlFilter listFilter(const SqlFilter &query) const;

    Collection &m_collection;
    UserInterface &m_ui;
    ErrorManager &m_errors;
    Launcher &m_launcher;
    Hooks m_hooks;
    LocationListModel m_model;
    int m_tab = 0;
    int m_sortColumn = -1;
    bool m_sortDescending = false;
    QString m_query;
    SendType::Type m_sendType = SendType::Url;
    QString m_lastCondition;
    bool m_readFailureShown = false;
    Collection::DataVersion m_seenVersion = {};
    QString m_categoryScope;
    bool m_scoped = false;
    SqlFilter m_queryFilter;
};

} // namespace pk

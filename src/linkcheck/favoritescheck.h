#pragma once

#include "linkcheck/favoritesscan.h"
#include "linkcheck/linktest.h"

#include <QObject>

#include <vector>

namespace pk {

/**
 * @brief The favourites check: tests each shortcut of the favourites folder, last to first,
 * and keeps in its list only those that are not valid.
 *
 * A favourite is valid, and leaves the list, when its server answered with a status below 300
 * or a Location naming another address (the test's "passed"). A failed status, a network
 * error, no answer in time or a missing address keep it listed. Nothing in the collection is
 * read or written. Cancelling a test ends the check.
 */
class FavoritesCheck final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FavoritesCheck)

public:
    static constexpr const char *Caption = "Import from IE";
    static constexpr const char *Question
        = "This process will provide a list of your Microsoft Internet Explorer bookmarks that "
          "are no longer valid.  Do you wish to proceed?";
    static constexpr const char *Title = "Invalid URLs";

    /// `environment.collection` is ignored: favourites never touch the collection.
    explicit FavoritesCheck(LinkTestEnvironment environment, QObject *parent = nullptr);

    /// The opening question; false when the user answers No.
    bool confirm();
    /// Collects the shortcuts of `folder` (see FavoritesScan).
    void load(const QString &folder);
    /// Tests the entries from the last to the first, one at a time.
    void run();

    const std::vector<FavoriteEntry> &entries() const { return m_entries; }
    bool isFinished() const { return m_finished; }
    bool wasCancelled() const { return m_cancelled; }

    /// Whether a finished test found the address valid.
    static bool isValid(const LinkTest &test);

signals:
    void testStarted(pk::LinkTest *test);
    void entryRemoved(int index);
    /// The check ended; `cancelled` when the user closed a test window.
    void finished(bool cancelled);

private:
    void next();
    void testFinished(LinkTest *test, int result);

    LinkTestEnvironment m_env;
    std::vector<FavoriteEntry> m_entries;
    int m_index = -1;
    bool m_running = false;
    bool m_finished = false;
    bool m_cancelled = false;
};

} // namespace pk

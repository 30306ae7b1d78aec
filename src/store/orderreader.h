#pragma once

#include "store/storestatus.h"

#include <QString>
#include <QVariantList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct sqlite3;
namespace SQLite {
class Database;
} // namespace SQLite

namespace pk {

class Collection;

/**
 * @brief Reads the row ids a query yields, in its order, on a thread of its own.
 *
 * A list of a million rows has to know which row stands at each place of its order, to jump to
 * a place or to tell where a row stands, without counting index entries every time; and a
 * column without an index is sorted only once, not for every page. The list starts a read when
 * its order or query changes and uses the ids once they are in. The read runs on a read-only
 * connection of its own, so the window's connection stays free; it sees committed data only.
 * A new start(), stop() or the destructor ends a read under way.
 */
class OrderReader final
{
public:
    using Ids = std::vector<qint64>;

    explicit OrderReader(const Collection &collection);
    ~OrderReader();
    OrderReader(const OrderReader &) = delete;
    OrderReader &operator=(const OrderReader &) = delete;

    /// One statement of a read: its first column gives the ids.
    struct Part
    {
        QString sql;
        QVariantList bindings;
    };

    /// Starts reading the first column of `sql`, bound to `bindings`, ending any read under way.
    /// `done` runs on the reading thread once the ids are in (not after a stop or a failure).
    /// False (and nothing started) when no reading connection could be made.
    bool start(const QString &sql, const QVariantList &bindings, std::function<void()> done = {});
    /// The same for an order read in parts at once, each on a connection and thread of its
    /// own: the ids are those of the parts one after another.
    bool start(const std::vector<Part> &parts, std::function<void()> done = {});
    /// Runs `parts` at once and waits for them: for a read that must end before the caller
    /// goes on, shortened by splitting the table between connections.
    static StoreStatus readNow(const Collection &collection,
                               const std::vector<Part> &parts,
                               Ids &out);

    /// Ends the read under way, if any, and waits for its thread.
    void stop();
    /// Waits for the read under way to end.
    void wait();
    /// Waits at most `limit` for the read under way to end; false when it still runs.
    bool waitFor(std::chrono::milliseconds limit);

    /// Started, and neither finished nor failed yet.
    bool isRunning() const;
    /// The ids of the last read once it finished; null while reading, after a failure or stop.
    std::shared_ptr<const Ids> ids() const;
    /// Why the last read failed; success otherwise.
    StoreStatus status() const;

private:
    void run(std::size_t part,
             std::unique_ptr<SQLite::Database> db,
             const Part &what,
             const std::function<void()> &done);

    const Collection &m_collection;
    std::vector<std::thread> m_threads;
    mutable std::mutex m_mutex;
    std::condition_variable m_ended; ///< signalled when the last part of a read ends
    std::vector<sqlite3 *> m_handles; ///< each part's connection while it reads (for interrupts)
    std::vector<Ids> m_partIds;       ///< what each finished part read
    std::size_t m_partsRunning = 0;
    std::atomic<bool> m_stopping = false; ///< also read by the connections' progress handlers
    std::shared_ptr<const Ids> m_ids;
    StoreStatus m_status;
};

} // namespace pk

#include "store/orderreader.h"

#include "store/collection.h"
#include "store/sqliteerror.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <sqlite3.h>

namespace pk {

OrderReader::OrderReader(const Collection &collection)
    : m_collection(collection)
{}

OrderReader::~OrderReader()
{
    stop();
}

bool OrderReader::start(const QString &sql, const QVariantList &bindings, std::function<void()> done)
{
    return start(std::vector<Part>{{sql, bindings}}, std::move(done));
}

bool OrderReader::start(const std::vector<Part> &parts, std::function<void()> done)
{
    stop();
    std::vector<std::unique_ptr<SQLite::Database>> connections;
    StoreStatus opened;
    for (std::size_t i = 0; i < parts.size() && opened; ++i) {
        connections.push_back(m_collection.openReader(opened));
        if (!connections.back())
            break;
        try {
            // Not mapped: a new connection's first touch of each mapped page costs more than
            // copying it from the system's cache.
            connections.back()->exec("PRAGMA threads = 2");
        } catch (const std::exception &) {
            // Only speed is lost.
        }
    }
    std::lock_guard lock(m_mutex);
    m_ids.reset();
    m_status = opened;
    if (!opened || parts.empty())
        return false;
    m_stopping = false;
    m_partsRunning = parts.size();
    m_handles.assign(parts.size(), nullptr);
    m_partIds.assign(parts.size(), {});
    auto notify = std::make_shared<std::function<void()>>(std::move(done));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        m_handles[i] = connections[i]->getHandle();
        // An interrupt reaches only a statement that already runs: one that is still being
        // prepared when the read is stopped ends at its first steps instead.
        sqlite3_progress_handler(
            m_handles[i],
            1000,
            [](void *stopping) {
                return static_cast<std::atomic<bool> *>(stopping)->load() ? 1 : 0;
            },
            &m_stopping);
        m_threads.emplace_back(
            [this, i, db = std::move(connections[i]), part = parts[i], notify]() mutable {
                run(i, std::move(db), part, *notify);
            });
    }
    return true;
}

StoreStatus OrderReader::readNow(const Collection &collection,
                                 const std::vector<Part> &parts,
                                 Ids &out)
{
    out.clear();
    OrderReader reader(collection);
    if (!reader.start(parts))
        return reader.status();
    reader.wait();
    const std::shared_ptr<const Ids> ids = reader.ids();
    if (!ids)
        return reader.status();
    out = *ids;
    return {};
}

void OrderReader::run(std::size_t part,
                      std::unique_ptr<SQLite::Database> db,
                      const Part &what,
                      const std::function<void()> &done)
{
    Ids ids;
    StoreStatus status;
    try {
        SQLite::Statement st(*db, what.sql.toStdString());
        TableAccess::bindAll(st, what.bindings);
        while (st.executeStep())
            ids.push_back(st.getColumn(0).getInt64());
    } catch (const std::exception &e) {
        status = SqliteError::fromException(e);
    }
    bool finished = false;
    bool last = false;
    {
        std::lock_guard lock(m_mutex);
        m_handles[part] = nullptr;
        if (m_stopping) {
            // Ended on purpose (or another part failed): neither a result nor a failure.
        } else if (!status) {
            m_status = status;
            // The other parts are of no use now.
            m_stopping = true;
            for (sqlite3 *h : m_handles)
                if (h)
                    sqlite3_interrupt(h);
        } else {
            m_partIds[part] = std::move(ids);
        }
        if (--m_partsRunning == 0 && !m_stopping) {
            auto all = std::make_shared<Ids>(std::move(m_partIds[0]));
            for (std::size_t i = 1; i < m_partIds.size(); ++i)
                all->insert(all->end(), m_partIds[i].begin(), m_partIds[i].end());
            m_partIds.clear();
            m_ids = std::move(all);
            finished = true;
        }
        last = m_partsRunning == 0;
    }
    if (last)
        m_ended.notify_all();
    db.reset();
    if (finished && done)
        done();
}

void OrderReader::stop()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_partsRunning > 0) {
            m_stopping = true;
            for (sqlite3 *h : m_handles)
                if (h)
                    sqlite3_interrupt(h);
        }
    }
    wait();
}

void OrderReader::wait()
{
    for (std::thread &t : m_threads)
        if (t.joinable())
            t.join();
    m_threads.clear();
}

bool OrderReader::waitFor(std::chrono::milliseconds limit)
{
    {
        std::unique_lock lock(m_mutex);
        if (!m_ended.wait_for(lock, limit, [this] { return m_partsRunning == 0; }))
            return false;
    }
    // Every part has its result: the threads are ending.
    wait();
    return true;
}

bool OrderReader::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_partsRunning > 0;
}

std::shared_ptr<const OrderReader::Ids> OrderReader::ids() const
{
    std::lock_guard lock(m_mutex);
    return m_ids;
}

StoreStatus OrderReader::status() const
{
    std::lock_guard lock(m_mutex);
    return m_status;
}

} // namespace pk

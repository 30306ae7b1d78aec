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
    stop();
    StoreStatus opened;
    std::unique_ptr<SQLite::Database> db = m_collection.openReader(opened);
    std::lock_guard lock(m_mutex);
    m_ids.reset();
    m_status = opened;
    if (!db)
        return false;
    try {
        // A read of the whole table goes faster from mapped pages than through copies.
        db->exec("PRAGMA mmap_size = 1073741824");
        db->exec("PRAGMA threads = 2");
    } catch (const std::exception &) {
        // Only speed is lost.
    }
    m_handle = db->getHandle();
    m_running = true;
    m_stopping = false;
    // An interrupt reaches only a statement that already runs: one that is still being prepared
    // when the read is stopped ends at its first steps instead.
    sqlite3_progress_handler(
        m_handle,
        1000,
        [](void *stopping) { return static_cast<std::atomic<bool> *>(stopping)->load() ? 1 : 0; },
        &m_stopping);
    m_thread = std::thread(&OrderReader::run, this, std::move(db), sql, bindings, std::move(done));
    return true;
}

void OrderReader::run(std::unique_ptr<SQLite::Database> db,
                      const QString &sql,
                      const QVariantList &bindings,
                      const std::function<void()> &done)
{
    auto ids = std::make_shared<Ids>();
    StoreStatus status;
    try {
        SQLite::Statement st(*db, sql.toStdString());
        TableAccess::bindAll(st, bindings);
        while (st.executeStep())
            ids->push_back(st.getColumn(0).getInt64());
    } catch (const std::exception &e) {
        status = SqliteError::fromException(e);
    }
    bool finished = false;
    {
        std::lock_guard lock(m_mutex);
        m_handle = nullptr;
        m_running = false;
        if (m_stopping) {
            // Ended on purpose: neither a result nor a failure.
        } else if (!status) {
            m_status = status;
        } else {
            m_ids = std::move(ids);
            finished = true;
        }
    }
    db.reset();
    if (finished && done)
        done();
}

void OrderReader::stop()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_running) {
            m_stopping = true;
            if (m_handle)
                sqlite3_interrupt(m_handle);
        }
    }
    if (m_thread.joinable())
        m_thread.join();
}

void OrderReader::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool OrderReader::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
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

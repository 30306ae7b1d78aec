#pragma once

#include "browse/list/rowcache.h"
#include "store/records.h"
#include "store/sqlfilter.h"
#include "store/orderreader.h"
#include "store/storestatus.h"
#include "store/view.h"

#include <QVariantList>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

namespace pk {

class Collection;
struct KeyDef;

/**
 * @brief The rows of the location list: one key order, the list's query, read through a view.
 *
 * Below `LoadAllLimit` locations the whole list is read at once; from there on rows are read in
 * chunks as they are shown, continuing from a neighbouring chunk by key (keyset paging) and
 * keeping at most a fixed number of chunks, so neither scrolling, locating nor refreshing reads
 * the whole table. The row count comes from a separate count.
 *
 * A paged list also reads the row ids of its whole order on a thread of its own (OrderReader).
 * Once they are in, a jump, a locate or a row's place costs a look-up instead of a count along
 * the index. An order no index gives (a column heading without a key) is read only that way:
 * its rows show once the ids are in, while the window stays free.
 */
class LocationPager final
{
public:
    static constexpr qint64 LoadAllLimit = 300;
    static constexpr int ChunkSize = 128;
    static constexpr int CacheChunks = 24;
    /// Rows after the highlighted one that Find checks along the order before it searches the
    /// rest of the table in one pass.
    static constexpr int NearSearchRows = 1000;

    struct Row
    {
        qint64 rowId = 0;
        LocationRecord record;
    };

    explicit LocationPager(Collection &collection);
    ~LocationPager();

    /// An order: a key read forwards or backwards.
    struct Order
    {
        const KeyDef *key;
        bool reversed = false;
    };

    /// Order of the list: a key of Locations (or a column order built by sortKey()), read
    /// backwards when `reversed`.
    void setKey(const KeyDef &key, bool reversed = false);
    const KeyDef &key() const { return *m_key; }
    bool isReversed() const { return m_reversed; }
    /// The list's query, compiled; an empty filter shows every location.
    void setFilter(SqlFilter filter);
    const SqlFilter &filter() const { return m_filter; }

    /// Drops every cached row and counts again. Returns the status of the count.
    StoreStatus reload();

    /// Lists shorter than this wait for their order's ids at once (a few milliseconds); longer
    /// ones go on while the ids are read.
    static constexpr qint64 DefaultWaitLimit = 20000;
    void setWaitLimit(qint64 rows) { m_waitLimit = rows; }
    /// Orders without an index of at least this many rows are sorted in two halves at once.
    static constexpr qint64 DefaultSplitFrom = 50000;
    void setSplitFrom(qint64 rows) { m_splitFrom = rows; }
    /// In how many parts the last order read was made.
    int orderParts() const { return m_orderParts; }

    /// Called on the reading thread when the ids of the order are in (see orderPending()).
    void setOrderReadyHandler(std::function<void()> handler) { m_orderReady = std::move(handler); }
    /// The rows cannot be shown before the order's ids are in (an order without an index).
    bool orderPending() const;
    /// An index gives the order, so rows can be read by key before the ids are in.
    bool isIndexed() const { return m_indexed; }
    /// Takes the order's ids when they are in; true when the list has them.
    bool takeOrder() { return orderIds(false) != nullptr; }
    /// Places in the order are known at once only when the ids being read are in: true while
    /// they are still read (ask again on the model's orderReady()).
    bool placesPending() { return m_paged && !takeOrder() && m_order.isRunning(); }
    /// The ids are being read (for tests).
    bool readingOrder() const { return m_order.isRunning(); }
    /// Waits until the order's ids are in or their read failed; true when the list has them.
    bool waitForOrder() { return orderIds(true) != nullptr; }
    /// The longest the window waits for an order being read before it goes on without it.
    static constexpr std::chrono::milliseconds OrderWaitLimit{3000};

    qint64 count() const { return m_count; }
    /// Whether the list holds every row (fewer than LoadAllLimit) or pages.
    bool isPaged() const { return m_paged; }
    /// Chunks held in memory (paged lists); for tests and benchmarks.
    int cachedChunks() const { return m_cache.size(); }

    /// The row at `row`, read when not held; nullptr when out of range or unreadable.
    const Row *row(qint64 row);
    /// Why the last row that could not be read was not (success when every read worked);
    /// cleared by reload() and by taking it.
    StoreStatus takeReadFailure();
    bool hasReadFailure() const { return !m_readFailure.ok(); }

    /// The row of the first entry at or after `values` (leading key components, as typed);
    /// the last row when none follows, -1 for an empty list.
    qint64 locate(const QVariantList &values);
    /// The row of the location with this row id, -1 when it is not in the list.
    qint64 rowOfRowId(qint64 rowId);
    /// The first row after `afterRow` (-1: from the start) that also satisfies `condition`;
    /// -1 when none. Reads in key order inside the list's query.
    std::optional<qint64> findNext(const SqlFilter &condition, qint64 afterRow, StoreStatus &status);

    /// Visits every row of the list in order, in pages; stop by returning false.
    StoreStatus forEach(const std::function<bool(const Row &)> &visit);

    /// The order a column heading sorts by: the key the column leads, else a column order.
    static Order sortKey(int column, bool descending);

private:
    struct Chunk
    {
        std::vector<Row> rows;
        ViewPosition first;
        ViewPosition last;
    };

    std::unique_ptr<View> makeView(const SqlFilter &extra = {}) const;
    const Chunk *chunk(int index);
    bool loadChunk(int index, Chunk &out);
    /// Rows of the list before `position`.
    qint64 countBefore(const ViewPosition &position);
    /// The place in key order of the row at `position`: from the order's ids when they are or
    /// soon will be in, else by counting.
    qint64 placeOf(const ViewPosition &position);
    /// The order's ids; waits for a read under way when `wait`. Null when there are none.
    const OrderReader::Ids *orderIds(bool wait);
    bool loadChunkById(int index, const OrderReader::Ids &ids, Chunk &out);
    /// The row ids of the rows that satisfy `where`; `wholeTable` reads the table in one pass.
    /// Reads `what` (one value per row, or one per part for an aggregate) from the table's
    /// two halves by row id at once, on two reading connections, under `where`. False, and
    /// nothing read, when it would not pay or cannot be (a short table, inside a transaction,
    /// a failure: the caller reads on the window's connection and reports what fails there).
    bool readHalves(const QString &what,
                    const SqlFilter &where,
                    bool wholeTable,
                    OrderReader::Ids &out);
    StoreStatus matchingIds(const SqlFilter &where,
                            bool wholeTable,
                            std::unordered_set<qint64> &out);
    /// findNext() along the order's ids, in either direction.
    std::optional<qint64> findNextById(const OrderReader::Ids &ids,
                                       const SqlFilter &condition,
                                       qint64 afterRow,
                                       StoreStatus &status);
    void startOrderRead();
    /// Reads the chunk holding `keyOrderRow` from `position`, the place of that row.
    void seed(qint64 keyOrderRow, const ViewPosition &position);
    SqlFilter afterFilter(const ViewPosition &position) const;
    SqlFilter firstMatchFilter(const SqlFilter &condition, const ViewPosition &after) const;
    SqlFilter offsetFilter(qint64 offset) const;
    static Chunk toChunk(ViewPage &page);
    /// A displayed row's place in the key's own order, and back (the same map both ways).
    qint64 keyRow(qint64 row) const { return m_reversed ? m_count - 1 - row : row; }

    Collection &m_collection;
    const KeyDef *m_key;
    const KeyDef *m_orderKey = nullptr; ///< the key of the last order read started
    bool m_reversed = false;
    SqlFilter m_filter;
    qint64 m_count = 0;
    bool m_paged = false;
    std::vector<Row> m_all; ///< the whole list when not paged
    StoreStatus m_readFailure;
    RowCache<Chunk> m_cache;
    QStringList m_keyExprs; ///< the view's ORDER BY terms without direction
    OrderReader m_order;
    std::shared_ptr<const OrderReader::Ids> m_ids; ///< the order's ids, once taken from m_order
    bool m_indexed = true; ///< an index gives the order: rows can be read by key meanwhile
    int m_orderRetries = 0;
    qint64 m_waitLimit = DefaultWaitLimit;
    qint64 m_splitFrom = DefaultSplitFrom;
    int m_orderParts = 0;
    /// What the last count counted: a new order of the same rows needs no new count.
    struct Counted
    {
        SqlFilter filter;
        std::array<qint64, 3> version{};
        qint64 ownChanges = -1;
        qint64 rows = 0;

        /// The same rows as `other` describes, nothing written since.
        bool sameRows(const Counted &other) const
        {
            return ownChanges >= 0 && ownChanges == other.ownChanges && version == other.version
                   && filter.where == other.filter.where
                   && filter.bindings == other.filter.bindings;
        }
    } m_counted;
    std::function<void()> m_orderReady;
};

} // namespace pk

#pragma once

#include "browse/list/rowcache.h"
#include "store/records.h"
#include "store/sqlfilter.h"
#include "store/storestatus.h"
#include "store/view.h"

#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>
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
    bool m_reversed = false;
    SqlFilter m_filter;
    qint64 m_count = 0;
    bool m_paged = false;
    std::vector<Row> m_all; ///< the whole list when not paged
    StoreStatus m_readFailure;
    RowCache<Chunk> m_cache;
    QStringList m_keyExprs; ///< the view's ORDER BY terms without direction
};

} // namespace pk

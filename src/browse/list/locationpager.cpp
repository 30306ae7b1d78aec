#include "browse/list/locationpager.h"

#include <utility>

#include "browse/list/locationcolumns.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/tableaccess.h"
#include "store/viewcursor.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <span>
#include <string>
#include <unordered_set>

namespace pk {

namespace {

/// Splits an ORDER BY list at its top-level commas.
QStringList orderTerms(const QString &orderBy)
{
    QStringList terms;
    int depth = 0;
    bool quoted = false;
    QString current;
    for (const QChar c : orderBy) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted) {
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')'))
                --depth;
            else if (c == QLatin1Char(',') && depth == 0) {
                terms << current.trimmed();
                current.clear();
                continue;
            }
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        terms << current.trimmed();
    return terms;
}

SqlFilter combine(const SqlFilter &a, const SqlFilter &b)
{
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    SqlFilter out;
    out.where = QLatin1Char('(') + a.where + QStringLiteral(") AND (") + b.where + QLatin1Char(')');
    out.bindings = a.bindings + b.bindings;
    return out;
}

const TableDef *locationsTablePointer()
{
    return &locationsTable();
}

// Column orders for headings that lead no key: the column itself (text without regard to
// letter case), ascending; descending lists read it backwards.
struct ColumnKeys
{
    std::array<std::string, LocationColumns::Count> expressions;
    std::array<KeyComponent, LocationColumns::Count> components{};
    std::array<KeyDef, LocationColumns::Count> keys{};

    ColumnKeys()
    {
        for (int c = 0; c < LocationColumns::Count; ++c) {
            const std::size_t i = std::size_t(c);
            const bool text = c != LocationColumns::State && c != LocationColumns::Rating
                              && c != LocationColumns::LastVisit
                              && c != LocationColumns::LastValidated;
            expressions[i] = std::string(LocationColumns::sqlColumn(c))
                             + (text ? " COLLATE PKNOCASE" : "");
            components[i] = KeyComponent{expressions[i].c_str(), false, KeyCollation::None};
            keys[i] = KeyDef{LocationColumns::column(c).field,
                             "",
                             &locationsTablePointer,
                             std::span<const KeyComponent>(&components[i], 1),
                             false,
                             false,
                             LocationColumns::column(c).heading};
        }
    }
};

} // namespace

LocationPager::LocationPager(Collection &collection)
    : m_collection(collection)
    , m_key(&Keys::urlDescription())
    , m_cache(ChunkSize, CacheChunks)
    , m_order(collection)
{}

LocationPager::~LocationPager()
{
    // The read's end calls the handler, which goes before the reader among the members.
    m_order.stop();
}

LocationPager::Order LocationPager::sortKey(int column, bool descending)
{
    switch (column) {
    case LocationColumns::Description:
        return {&Keys::urlDescription(), descending};
    case LocationColumns::Location:
        return {&Keys::urlLocation(), descending};
    case LocationColumns::Category:
        return {&Keys::urlCategory(), descending};
    case LocationColumns::Rating:
        return {&Keys::urlRating(), !descending}; // the key lists the highest first
    case LocationColumns::Keyword:
        return {&Keys::urlKeyword(), descending};
    default:
        break;
    }
    // Other columns lead no key: an ascending column order, read backwards for descending.
    static const ColumnKeys columnKeys;
    const int c = std::clamp(column, 0, LocationColumns::Count - 1);
    return {&columnKeys.keys[std::size_t(c)], descending};
}

void LocationPager::setKey(const KeyDef &key, bool reversed)
{
    m_key = &key;
    m_reversed = reversed;
}

void LocationPager::setFilter(SqlFilter filter)
{
    m_filter = std::move(filter);
}

std::unique_ptr<View> LocationPager::makeView(const SqlFilter &extra) const
{
    auto view = std::make_unique<View>(m_collection, *m_key);
    view->setFilter(combine(m_filter, extra));
    return view;
}

LocationPager::Chunk LocationPager::toChunk(ViewPage &page)
{
    Chunk chunk;
    chunk.rows.reserve(page.rows.size());
    for (const ViewRow &r : page.rows)
        chunk.rows.push_back(Row{r.rowId(), r.location()});
    if (!page.rows.empty()) {
        chunk.first = page.rows.front().position;
        chunk.last = page.rows.back().position;
    }
    return chunk;
}

StoreStatus LocationPager::reload()
{
    // The other direction of the same order over the same rows reads the same ids backwards:
    // those read, or being read, are kept.
    Counted now{m_filter, m_collection.dataVersion(), m_collection.ownChanges()};
    const bool sameOrder = m_paged && m_key == m_orderKey && m_counted.sameRows(now)
                           && (m_ids || m_order.isRunning() || m_order.ids());
    if (!sameOrder) {
        m_order.stop();
        m_ids.reset();
        m_orderRetries = 0;
    }
    m_indexed = qstrlen(m_key->sqlIndex) > 0;
    m_cache.clear();
    m_all.clear();
    m_count = 0;
    m_paged = false;
    m_readFailure = {};

    auto view = makeView();
    m_keyExprs.clear();
    for (QString term : orderTerms(view->orderBy())) {
        term = term.trimmed();
        if (term.endsWith(QLatin1String(" ASC"), Qt::CaseInsensitive))
            term.chop(4);
        m_keyExprs << term;
    }

    // A heading or tab on the same rows reuses the count: under a query it reads the table.
    StoreStatus status;
    if (!m_counted.sameRows(now)) {
        m_counted = {};
        // Under a query the count reads the table: a long one in two halves at once.
        if (OrderReader::Ids counts;
            !m_filter.isEmpty() && readHalves(QStringLiteral("count(*)"), m_filter, false, counts)) {
            now.rows = std::accumulate(counts.begin(), counts.end(), qint64(0));
        } else if (status = view->count(now.rows); !status) {
            return status;
        }
        m_counted = std::move(now);
    }
    const qint64 count = m_counted.rows;
    m_count = count;
    if (count < LoadAllLimit) {
        ViewPage page;
        status = view->firstPage(int(LoadAllLimit), page);
        if (!status) {
            m_count = 0;
            return status;
        }
        for (const ViewRow &r : page.rows)
            m_all.push_back(Row{r.rowId(), r.location()});
        if (m_reversed)
            std::reverse(m_all.begin(), m_all.end());
        m_count = qint64(m_all.size());
        return status;
    }
    m_paged = true;
    if (!sameOrder)
        startOrderRead();
    if (count < m_waitLimit)
        static_cast<void>(orderIds(true));
    return status;
}

void LocationPager::startOrderRead()
{
    // A reading connection sees only what is committed: inside a transaction of the window's
    // connection the list is read by key alone.
    if (m_collection.inTransaction())
        return;
    const auto view = makeView();
    std::vector<OrderReader::Part> parts;
    // A long order without an index is sorted in two halves at once, split near its middle.
    ViewPosition middle;
    if (!m_indexed && m_count >= m_splitFrom && view->middlePosition(middle) && middle.valid) {
        for (const bool after : {false, true}) {
            OrderReader::Part &part = parts.emplace_back();
            part.sql = view->orderedIdsSql(part.bindings, &middle, after);
        }
    } else {
        OrderReader::Part &part = parts.emplace_back();
        part.sql = view->orderedIdsSql(part.bindings);
    }
    m_orderKey = m_key;
    m_orderParts = int(parts.size());
    m_order.start(parts, [this] {
        if (m_orderReady)
            m_orderReady();
    });
}

bool LocationPager::orderPending() const
{
    return m_paged && !m_indexed && !m_ids && m_order.isRunning();
}

const OrderReader::Ids *LocationPager::orderIds(bool wait)
{
    if (m_ids)
        return m_ids.get();
    if (!m_paged)
        return nullptr;
    // Waiting happens on the window's thread, so it is bounded: a sort that takes longer leaves
    // the row unread for now, and the list is shown again when the order is in.
    if (wait && !m_order.waitFor(OrderWaitLimit))
        return nullptr;
    std::shared_ptr<const OrderReader::Ids> ids = m_order.ids();
    if (!ids)
        return nullptr;
    if (qint64(ids->size()) != m_count) {
        // Another program changed the list between the count and the read. The change itself
        // has the list read again soon; until then read the order once more, a few times.
        if (m_orderRetries++ < 2)
            startOrderRead();
        else
            m_order.stop();
        return nullptr;
    }
    m_ids = std::move(ids);
    return m_ids.get();
}

const LocationPager::Row *LocationPager::row(qint64 row)
{
    if (row < 0 || row >= m_count)
        return nullptr;
    if (!m_paged)
        return row < qint64(m_all.size()) ? &m_all[std::size_t(row)] : nullptr;
    const qint64 at = keyRow(row);
    const Chunk *c = chunk(m_cache.chunkOf(at));
    if (!c)
        return nullptr;
    const qint64 offset = at - m_cache.firstRowOf(m_cache.chunkOf(at));
    return offset < qint64(c->rows.size()) ? &c->rows[std::size_t(offset)] : nullptr;
}

const LocationPager::Chunk *LocationPager::chunk(int index)
{
    if (const Chunk *held = m_cache.get(index))
        return held;
    Chunk loaded;
    if (!loadChunk(index, loaded))
        return nullptr;
    m_cache.put(index, std::move(loaded));
    return m_cache.get(index);
}

bool LocationPager::loadChunk(int index, Chunk &out)
{
    const int size = m_cache.chunkSize();
    const qint64 first = m_cache.firstRowOf(index);
    const int wanted = int(std::min<qint64>(size, m_count - first));
    if (wanted <= 0)
        return false;
    if (const OrderReader::Ids *ids = orderIds(false))
        return loadChunkById(index, *ids, out);
    // Without an index every read of this order sorts the table: wait for the ids instead.
    if (!m_indexed && m_order.isRunning())
        return false;
    auto view = makeView();
    ViewPage page;
    StoreStatus status;

    if (const Chunk *before = m_cache.peek(index - 1); before && before->last.valid) {
        status = view->forward(before->last, wanted, false, page);
    } else if (const Chunk *after = m_cache.peek(index + 1); after && after->first.valid) {
        status = view->backward(after->first, wanted, false, page);
    } else if (index == 0) {
        status = view->firstPage(wanted, page);
    } else if (first + wanted >= m_count) {
        status = view->lastPage(wanted, page);
    } else if (const OrderReader::Ids *ids = orderIds(true)) {
        // A jump: the ids are soon in, and then cost nothing to find.
        return loadChunkById(index, *ids, out);
    } else {
        // A jump: find the chunk's first row by its place in the order, then read on by key.
        auto seek = makeView(offsetFilter(first));
        ViewPage start;
        status = seek->firstPage(1, start);
        if (status && !start.rows.empty())
            status = view->forward(start.rows.front().position, wanted, true, page);
    }
    if (!status) {
        m_readFailure = status;
        return false;
    }
    out = toChunk(page);
    return !out.rows.empty();
}

bool LocationPager::loadChunkById(int index, const OrderReader::Ids &ids, Chunk &out)
{
    const qint64 first = m_cache.firstRowOf(index);
    const qint64 end = std::min<qint64>(first + m_cache.chunkSize(), qint64(ids.size()));
    if (first >= end)
        return false;
    const std::span<const qint64> slice(ids.data() + first, std::size_t(end - first));
    ViewPage page;
    const StoreStatus status = View(m_collection, *m_key).rowsById(slice, page);
    if (!status) {
        m_readFailure = status;
        return false;
    }
    // A row another program removed since the ids were read shows as an empty line until the
    // list is read again, which that change itself brings about.
    out = Chunk{};
    out.rows.reserve(slice.size());
    std::size_t next = 0;
    for (const qint64 id : slice) {
        if (next < page.rows.size() && page.rows[next].rowId() == id)
            out.rows.push_back(Row{id, page.rows[next++].location()});
        else
            out.rows.push_back(Row{id, {}});
    }
    if (!page.rows.empty()) {
        out.first = page.rows.front().position;
        out.last = page.rows.back().position;
    }
    return true;
}

qint64 LocationPager::placeOf(const ViewPosition &position)
{
    if (const OrderReader::Ids *ids = orderIds(true)) {
        const auto it = std::find(ids->begin(), ids->end(), position.rowId);
        if (it != ids->end())
            return qint64(it - ids->begin());
    }
    return countBefore(position);
}

StoreStatus LocationPager::takeReadFailure()
{
    return std::exchange(m_readFailure, StoreStatus());
}

SqlFilter LocationPager::offsetFilter(qint64 offset) const
{
    const TableDef &table = *m_key->table();
    SqlFilter f;
    f.where = QStringLiteral("rowid = (SELECT rowid FROM ") + TableAccess::qualified(table);
    if (!m_filter.isEmpty())
        f.where += QStringLiteral(" WHERE (") + m_filter.where + QLatin1Char(')');
    f.where += QStringLiteral(" ORDER BY ") + View(m_collection, *m_key).orderBy()
               + QStringLiteral(" LIMIT 1 OFFSET ?)");
    f.bindings = m_filter.bindings;
    f.bindings << offset;
    return f;
}

SqlFilter LocationPager::afterFilter(const ViewPosition &position) const
{
    // The view orders by its key columns and then the row id, all ascending.
    SqlFilter f;
    f.bindings = position.key;
    f.bindings << position.rowId;
    QStringList markers;
    for (qsizetype i = 0; i < f.bindings.size(); ++i)
        markers << QStringLiteral("?");
    f.where = QLatin1Char('(') + m_keyExprs.join(QStringLiteral(", ")) + QStringLiteral(") > (")
              + markers.join(QStringLiteral(", ")) + QLatin1Char(')');
    return f;
}

qint64 LocationPager::countBefore(const ViewPosition &position)
{
    // Rows before (k1, k2, ..., rowid) = rows with k1 < a, plus k1 = a and k2 < b, and so on.
    // Each part is a plain range of the key's index; one row-value comparison instead would
    // make SQLite read every row to evaluate it.
    QVariantList values = position.key;
    values << position.rowId;
    const qsizetype n = std::min(m_keyExprs.size(), values.size());
    if (!m_filter.isEmpty()) {
        // Under a query every candidate row is read anyway: one pass over the table beats
        // reading the rows in index order ("+" keeps SQLite off the index, not the collation).
        SqlFilter before;
        QStringList exprs;
        QStringList markers;
        for (qsizetype i = 0; i < n; ++i) {
            exprs << QLatin1Char('+') + m_keyExprs[i];
            markers << QStringLiteral("?");
            before.bindings << values[i];
        }
        before.where = QLatin1Char('(') + exprs.join(QStringLiteral(", ")) + QStringLiteral(") < (")
                       + markers.join(QStringLiteral(", ")) + QLatin1Char(')');
        qint64 count = 0;
        return makeView(before)->count(count) ? count : -1;
    }
    qint64 total = 0;
    for (qsizetype i = 0; i < n; ++i) {
        SqlFilter part;
        QStringList terms;
        for (qsizetype j = 0; j < i; ++j) {
            terms << m_keyExprs[j] + QStringLiteral(" = ?");
            part.bindings << values[j];
        }
        terms << m_keyExprs[i] + QStringLiteral(" < ?");
        part.bindings << values[i];
        part.where = terms.join(QStringLiteral(" AND "));
        qint64 count = 0;
        if (!makeView(part)->count(count))
            return -1;
        total += count;
    }
    return total;
}

SqlFilter LocationPager::firstMatchFilter(const SqlFilter &condition,
                                          const ViewPosition &after) const
{
    // The first match in key order found by one pass over the table rather than a walk along
    // the index that reads the rows in index order: far faster when the match is far away.
    const TableDef &table = *m_key->table();
    SqlFilter f;
    QStringList terms;
    if (!m_filter.isEmpty()) {
        terms << QLatin1Char('(') + m_filter.where + QLatin1Char(')');
        f.bindings << m_filter.bindings;
    }
    terms << QLatin1Char('(') + condition.where + QLatin1Char(')');
    f.bindings << condition.bindings;
    if (after.valid) {
        const SqlFilter a = afterFilter(after);
        terms << a.where;
        f.bindings << a.bindings;
    }
    f.where = QStringLiteral("rowid = (SELECT rowid FROM ") + TableAccess::qualified(table)
              + QStringLiteral(" NOT INDEXED WHERE ") + terms.join(QStringLiteral(" AND "))
              + QStringLiteral(" ORDER BY ") + View(m_collection, *m_key).orderBy()
              + QStringLiteral(" LIMIT 1)");
    return f;
}

void LocationPager::seed(qint64 keyOrderRow, const ViewPosition &position)
{
    // The rows around a place just found are about to be shown: read them from that place by
    // key instead of finding the chunk's start by its offset.
    if (!m_paged || keyOrderRow < 0 || keyOrderRow >= m_count)
        return;
    const int index = m_cache.chunkOf(keyOrderRow);
    if (m_cache.contains(index))
        return;
    const qint64 first = m_cache.firstRowOf(index);
    const int back = int(keyOrderRow - first);
    const int ahead = int(std::min<qint64>(m_cache.chunkSize(), m_count - first)) - back;
    auto view = makeView();
    ViewPage before;
    ViewPage after;
    if (back > 0
        && (!view->backward(position, back, false, before) || int(before.rows.size()) != back))
        return;
    if (!view->forward(position, ahead, true, after) || after.rows.empty())
        return;
    before.rows.insert(before.rows.end(), after.rows.begin(), after.rows.end());
    m_cache.put(index, toChunk(before));
}

qint64 LocationPager::locate(const QVariantList &values)
{
    if (m_count == 0)
        return -1;
    auto view = makeView();
    ViewPosition position;
    const StoreStatus status = view->locate(values, position);
    if (status.error == StoreError::RecordNotFound)
        return m_count - 1;
    if (!status)
        return -1;
    if (!m_paged) {
        for (qsizetype i = 0; i < qsizetype(m_all.size()); ++i)
            if (m_all[std::size_t(i)].rowId == position.rowId)
                return i;
        return -1;
    }
    const qint64 before = placeOf(position);
    if (!m_ids)
        seed(before, position);
    return before < 0 ? -1 : keyRow(before);
}

qint64 LocationPager::rowOfRowId(qint64 rowId)
{
    if (!m_paged) {
        for (qsizetype i = 0; i < qsizetype(m_all.size()); ++i)
            if (m_all[std::size_t(i)].rowId == rowId)
                return i;
        return -1;
    }
    if (const OrderReader::Ids *ids = orderIds(true)) {
        const auto it = std::find(ids->begin(), ids->end(), rowId);
        return it == ids->end() ? -1 : keyRow(qint64(it - ids->begin()));
    }
    auto view = makeView();
    ViewPosition position;
    if (!view->positionOf(rowId, position))
        return -1;
    const qint64 before = countBefore(position);
    return before < 0 ? -1 : keyRow(before);
}

bool LocationPager::readHalves(const QString &what,
                               const SqlFilter &where,
                               bool wholeTable,
                               OrderReader::Ids &out)
{
    if (m_collection.inTransaction())
        return false;
    const QString from = TableAccess::qualified(*m_key->table());
    qint64 last = 0;
    try {
        SQLite::Statement st(m_collection.db(),
                             QString(QStringLiteral("SELECT max(rowid) FROM ") + from).toStdString());
        if (st.executeStep())
            last = st.getColumn(0).getInt64();
    } catch (const std::exception &) {
        return false;
    }
    if (last < m_splitFrom)
        return false;
    const QString sql = QStringLiteral("SELECT %1 FROM %2%3 WHERE (%4) AND rowid %5 ?")
                            .arg(what,
                                 from,
                                 wholeTable ? QStringLiteral(" NOT INDEXED") : QString(),
                                 where.where);
    const QVariantList bindings = where.bindings + QVariantList{last / 2};
    const std::vector<OrderReader::Part> parts{{sql.arg(QStringLiteral("<=")), bindings},
                                               {sql.arg(QStringLiteral(">")), bindings}};
    return OrderReader::readNow(m_collection, parts, out).ok();
}

StoreStatus LocationPager::matchingIds(const SqlFilter &where,
                                       bool wholeTable,
                                       std::unordered_set<qint64> &out)
{
    out.clear();
    if (OrderReader::Ids ids; wholeTable && readHalves(QStringLiteral("rowid"), where, true, ids)) {
        out.insert(ids.begin(), ids.end());
        return {};
    }
    const TableDef &table = *m_key->table();
    const QString sql = QStringLiteral("SELECT rowid FROM ") + TableAccess::qualified(table)
                        + (wholeTable ? QStringLiteral(" NOT INDEXED") : QString())
                        + QStringLiteral(" WHERE ") + where.where;
    try {
        SQLite::Statement st(m_collection.db(), sql.toStdString());
        TableAccess::bindAll(st, where.bindings);
        while (st.executeStep())
            out.insert(st.getColumn(0).getInt64());
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table);
    }
    return {};
}

std::optional<qint64> LocationPager::findNextById(const OrderReader::Ids &ids,
                                                  const SqlFilter &condition,
                                                  qint64 afterRow,
                                                  StoreStatus &status)
{
    const qint64 count = qint64(ids.size());
    const qint64 from = std::max<qint64>(afterRow + 1, 0);
    const auto firstOf = [&](const std::unordered_set<qint64> &found, qint64 begin, qint64 end) {
        for (qint64 row = begin; row < end; ++row)
            if (found.count(ids[std::size_t(keyRow(row))]))
                return std::optional<qint64>(row);
        return std::optional<qint64>();
    };
    // Near: the next rows of the list, checked in one statement.
    const qint64 nearEnd = std::min(count, from + NearSearchRows);
    std::unordered_set<qint64> found;
    if (from < nearEnd) {
        QStringList near;
        for (qint64 row = from; row < nearEnd; ++row)
            near << QString::number(ids[std::size_t(keyRow(row))]);
        SqlFilter within = condition;
        within.where = QLatin1Char('(') + condition.where + QStringLiteral(") AND rowid IN (")
                       + near.join(QLatin1Char(',')) + QLatin1Char(')');
        status = matchingIds(within, false, found);
        if (!status)
            return std::nullopt;
        if (const auto row = firstOf(found, from, nearEnd))
            return row;
    }
    if (nearEnd >= count)
        return std::nullopt;
    // Far: every match in one pass over the table, then the first of them along the order.
    SqlFilter all = condition;
    if (!m_filter.isEmpty()) {
        all.where = QLatin1Char('(') + m_filter.where + QStringLiteral(") AND (") + condition.where
                    + QLatin1Char(')');
        all.bindings = m_filter.bindings + condition.bindings;
    }
    status = matchingIds(all, true, found);
    if (!status || found.empty())
        return std::nullopt;
    return firstOf(found, nearEnd, count);
}

std::optional<qint64> LocationPager::findNext(const SqlFilter &condition,
                                              qint64 afterRow,
                                              StoreStatus &status)
{
    status = {};
    if (const OrderReader::Ids *ids = orderIds(true))
        return findNextById(*ids, condition, afterRow, status);

    ViewPosition from;
    const Row *current = afterRow >= 0 ? row(afterRow) : nullptr;
    if (current) {
        // Continue after the highlighted row, by its place in the order.
        status = makeView()->positionOf(current->rowId, from);
        if (!status)
            return std::nullopt;
    } else {
        afterRow = -1;
    }

    if (m_reversed || !m_paged) {
        // Small lists, and lists read backwards: walk the order with the condition.
        auto view = makeView(condition);
        ViewPage page;
        if (m_reversed)
            status = view->backward(from, 1, false, page);
        else
            status = view->forward(from, 1, false, page);
        if (!status || page.rows.empty())
            return std::nullopt;
        if (!m_paged)
            return rowOfRowId(page.rows.front().rowId());
        const qint64 before = placeOf(page.rows.front().position);
        return before < 0 ? std::optional<qint64>(-1) : keyRow(before);
    }

    // Near: the next rows of the list, checked in one statement; their rows are known.
    auto list = makeView();
    ViewPage near;
    status = list->forward(from, NearSearchRows, false, near);
    if (!status || near.rows.empty())
        return std::nullopt;
    {
        SqlFilter within = condition;
        QStringList ids;
        for (const ViewRow &r : near.rows)
            ids << QString::number(r.rowId());
        within.where = QLatin1Char('(') + condition.where + QStringLiteral(") AND rowid IN (")
                       + ids.join(QLatin1Char(',')) + QLatin1Char(')');
        ViewPage hit;
        status = makeView(within)->firstPage(1, hit);
        if (!status)
            return std::nullopt;
        if (!hit.rows.empty()) {
            const qint64 id = hit.rows.front().rowId();
            for (std::size_t i = 0; i < near.rows.size(); ++i)
                if (near.rows[i].rowId() == id)
                    return afterRow + 1 + qint64(i);
        }
    }
    if (near.atEnd || int(near.rows.size()) < NearSearchRows)
        return std::nullopt;

    // Far: one pass over the table for the first match after the near rows.
    ViewPage far;
    status = makeView(firstMatchFilter(condition, near.rows.back().position))->firstPage(1, far);
    if (!status || far.rows.empty())
        return std::nullopt;
    const qint64 before = placeOf(far.rows.front().position);
    if (!m_ids)
        seed(before, far.rows.front().position);
    return before < 0 ? std::optional<qint64>(-1) : before;
}

StoreStatus LocationPager::forEach(const std::function<bool(const Row &)> &visit)
{
    // Without an index each page of the order would sort the table again: go by the ids.
    if (!m_indexed) {
        if (const OrderReader::Ids *held = orderIds(true)) {
            const std::shared_ptr<const OrderReader::Ids> ids = m_ids; // a reload may drop m_ids
            constexpr std::size_t page = ViewCursor::DefaultPageSize;
            for (std::size_t first = 0; first < held->size(); first += page) {
                const std::size_t n = std::min(page, held->size() - first);
                ViewPage rows;
                const StoreStatus status
                    = View(m_collection, *m_key).rowsById({held->data() + first, n}, rows);
                if (!status)
                    return status;
                for (const ViewRow &r : rows.rows)
                    if (!visit(Row{r.rowId(), r.location()}))
                        return {};
            }
            return {};
        }
    }
    auto view = makeView();
    ViewCursor cursor(*view);
    ViewRow r;
    while (cursor.next(r)) {
        if (!visit(Row{r.rowId(), r.location()}))
            break;
    }
    return cursor.status();
}

} // namespace pk

#include "store/view.h"

#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/recordio.h"
#include "store/schemamanager.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <memory>
#include <unordered_map>

namespace pk {

namespace {

template<typename R>
R recordFrom(const QVariantList &values)
{
    R r;
    RecordIo::assign(values, r);
    return r;
}

/// A user's value for a key component as the index holds it.
QVariant indexValue(const KeyComponent &c, const QVariant &v)
{
    if (c.collation == KeyCollation::None) {
        const qint64 n = v.toLongLong();
        return QVariant::fromValue<qint64>(c.descending ? -n : n);
    }
    return trimTrailingSpaces(v.toString());
}

QString rowValue(const QStringList &exprs)
{
    return exprs.size() == 1
               ? exprs.first()
               : QLatin1Char('(') + exprs.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString viewMarkers(qsizetype n)
{
    QStringList m;
    for (qsizetype i = 0; i < n; ++i)
        m << QStringLiteral("?");
    return n == 1 ? m.first() : QLatin1Char('(') + m.join(QStringLiteral(", ")) + QLatin1Char(')');
}

/// A row of a statement that selects rowid, the table's columns, then the key expressions.
ViewRow readRow(SQLite::Statement &st, int fieldCount, int keyCount)
{
    ViewRow row;
    row.position.rowId = st.getColumn(0).getInt64();
    row.position.valid = true;
    row.values = RecordIo::row(st, 1, fieldCount);
    row.position.key = RecordIo::row(st, 1 + fieldCount, keyCount);
    return row;
}

} // namespace

LocationRecord ViewRow::location() const
{
    return recordFrom<LocationRecord>(values);
}
DetailRecord ViewRow::detail() const
{
    return recordFrom<DetailRecord>(values);
}
KeywordRecord ViewRow::keyword() const
{
    return recordFrom<KeywordRecord>(values);
}
ConfigurationRecord ViewRow::configuration() const
{
    return recordFrom<ConfigurationRecord>(values);
}
CategoryRecord ViewRow::category() const
{
    return recordFrom<CategoryRecord>(values);
}
CatHtmlRecord ViewRow::catHtml() const
{
    return recordFrom<CatHtmlRecord>(values);
}

View::View(Collection &collection, const KeyDef &key)
    : m_collection(collection)
    , m_key(&key)
    , m_table(key.table())
    , m_keyExprs(SchemaManager::keyExpressions(key))
    , m_columns(RecordIo::columnList(*m_table))
    , m_use(*m_table)
{}

void View::setRange(QVariantList values)
{
    if (values.size() > qsizetype(m_key->components.size()))
        values.resize(qsizetype(m_key->components.size()));
    m_range = std::move(values);
}

void View::setFilter(SqlFilter filter)
{
    m_filter = std::move(filter);
}

QString View::orderBy(bool reverse) const
{
    QStringList parts;
    for (const QString &e : m_keyExprs)
        parts << (reverse ? e + QStringLiteral(" DESC") : e);
    parts << (reverse ? QStringLiteral("rowid DESC") : QStringLiteral("rowid"));
    return parts.join(QStringLiteral(", "));
}

/// Expressions of the components from `first` on, then rowid: what positions compare.
static QStringList tailExpressions(const KeyDef &key, qsizetype first)
{
    QStringList out;
    for (qsizetype i = first; i < qsizetype(key.components.size()); ++i)
        out << SchemaManager::componentExpressions(key.components[std::size_t(i)]);
    out << QStringLiteral("rowid");
    return out;
}

QString View::conditions(bool withPosition, bool inclusive, bool reverse, int) const
{
    QStringList conds;
    for (qsizetype i = 0; i < m_range.size(); ++i) {
        for (const QString &e :
             SchemaManager::componentExpressions(m_key->components[std::size_t(i)]))
            conds << e + QStringLiteral(" = ?");
    }
    if (!m_filter.isEmpty())
        conds << QLatin1Char('(') + m_filter.where + QLatin1Char(')');
    if (withPosition) {
        const QStringList tail = tailExpressions(*m_key, m_range.size());
        const QString op = reverse ? (inclusive ? QStringLiteral("<=") : QStringLiteral("<"))
                                   : (inclusive ? QStringLiteral(">=") : QStringLiteral(">"));
        conds << rowValue(tail) + QLatin1Char(' ') + op + QLatin1Char(' ') + viewMarkers(tail.size());
    }
    return conds.isEmpty() ? QString()
                           : QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
}

QVariantList View::bindings(const ViewPosition *from) const
{
    QVariantList out;
    for (qsizetype i = 0; i < m_range.size(); ++i) {
        const KeyComponent &c = m_key->components[std::size_t(i)];
        const QVariant v = indexValue(c, m_range[i]);
        for (qsizetype n = SchemaManager::componentExpressions(c).size(); n > 0; --n)
            out << v;
    }
    out << m_filter.bindings;
    if (from) {
        // The position holds every key expression; the range's ones are fixed already.
        qsizetype skip = 0;
        for (qsizetype i = 0; i < m_range.size(); ++i)
            skip += SchemaManager::componentExpressions(m_key->components[std::size_t(i)]).size();
        for (qsizetype i = skip; i < from->key.size(); ++i)
            out << from->key[i];
        out << QVariant::fromValue<qint64>(from->rowId);
    }
    return out;
}

QString View::forwardSql(bool fromPosition, bool inclusive, bool reverse) const
{
    return QStringLiteral("SELECT rowid, %1, %2 FROM %3%4 ORDER BY %5 LIMIT ?")
        .arg(m_columns,
             m_keyExprs.join(QStringLiteral(", ")),
             TableAccess::qualified(*m_table),
             conditions(fromPosition, inclusive, reverse, 0),
             orderBy(reverse));
}

StoreStatus View::run(
    const QString &sql, const QVariantList &binds, int n, bool reverse, ViewPage &out)
{
    out = {};
    if (StoreStatus s = TableAccess::ready(m_collection, *m_table, false); !s)
        return s;
    try {
        // Filters vary without end: prepare them per call rather than filling the shared cache.
        std::unique_ptr<SQLite::Statement> own;
        if (!m_filter.isEmpty())
            own = std::make_unique<SQLite::Statement>(m_collection.db(), sql.toStdString());
        SQLite::Statement &st = own ? *own : m_collection.statement(sql);
        TableAccess::ResetOnExit reset(st);
        TableAccess::bindAll(st, binds);
        st.bind(int(binds.size()) + 1, static_cast<int64_t>(n));
        const int fieldCount = int(m_table->fields.size());
        const int keyCount = int(m_keyExprs.size());
        while (st.executeStep())
            out.rows.push_back(readRow(st, fieldCount, keyCount));
    } catch (const std::exception &e) {
        StoreStatus s = TableAccess::readError(e, *m_table);
        if (!m_filter.isEmpty())
            s.catalogueNumber = 43 /* View Open Error */;
        return s;
    }
    if (reverse)
        std::reverse(out.rows.begin(), out.rows.end());
    return {};
}

StoreStatus View::forward(const ViewPosition &position, int n, bool inclusive, ViewPage &out)
{
    const ViewPosition from = position; // may live in `out`
    out = {};
    if (n <= 0)
        return {};
    const bool hasFrom = from.valid;
    StoreStatus s = run(forwardSql(hasFrom, inclusive, false),
                        bindings(hasFrom ? &from : nullptr),
                        n + 1,
                        false,
                        out);
    if (!s)
        return s;
    out.atEnd = int(out.rows.size()) <= n;
    if (!out.atEnd)
        out.rows.pop_back();
    if (!hasFrom) {
        out.atStart = true;
    } else if (out.rows.empty()) {
        out.atStart = false;
    } else {
        ViewPage before;
        s = run(forwardSql(true, false, true), bindings(&out.rows.front().position), 1, true, before);
        if (!s)
            return s;
        out.atStart = before.rows.empty();
    }
    return {};
}

StoreStatus View::backward(const ViewPosition &position, int n, bool inclusive, ViewPage &out)
{
    const ViewPosition from = position; // may live in `out`
    out = {};
    if (n <= 0)
        return {};
    const bool hasFrom = from.valid;
    StoreStatus s = run(forwardSql(hasFrom, inclusive, true),
                        bindings(hasFrom ? &from : nullptr),
                        n + 1,
                        true,
                        out);
    if (!s)
        return s;
    out.atStart = int(out.rows.size()) <= n;
    if (!out.atStart)
        out.rows.erase(out.rows.begin());
    if (!hasFrom) {
        out.atEnd = true;
    } else if (out.rows.empty()) {
        out.atEnd = false;
    } else {
        ViewPage after;
        s = run(forwardSql(true, false, false), bindings(&out.rows.back().position), 1, false, after);
        if (!s)
            return s;
        out.atEnd = after.rows.empty();
    }
    return {};
}

StoreStatus View::rowsById(std::span<const qint64> rowIds, ViewPage &out)
{
    out = {};
    if (rowIds.empty())
        return {};
    if (StoreStatus s = TableAccess::ready(m_collection, *m_table, false); !s)
        return s;
    QString list;
    list.reserve(qsizetype(rowIds.size()) * 8);
    for (const qint64 id : rowIds) {
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += QString::number(id);
    }
    const QString sql = QStringLiteral("SELECT rowid, %1, %2 FROM %3 WHERE rowid IN (%4)")
                            .arg(m_columns,
                                 m_keyExprs.join(QStringLiteral(", ")),
                                 TableAccess::qualified(*m_table),
                                 list);
    std::unordered_map<qint64, ViewRow> found;
    try {
        SQLite::Statement st(m_collection.db(), sql.toStdString());
        const int fieldCount = int(m_table->fields.size());
        const int keyCount = int(m_keyExprs.size());
        while (st.executeStep()) {
            ViewRow row = readRow(st, fieldCount, keyCount);
            const qint64 id = row.rowId();
            found.emplace(id, std::move(row));
        }
    } catch (const std::exception &e) {
        return TableAccess::readError(e, *m_table);
    }
    out.rows.reserve(found.size());
    for (const qint64 id : rowIds) {
        const auto it = found.find(id);
        if (it != found.end())
            out.rows.push_back(std::move(it->second));
    }
    return {};
}

QString View::orderedIdsSql(QVariantList &binds, const ViewPosition *split, bool after) const
{
    binds = bindings(split);
    QString order = orderBy(false);
    if (!m_filter.isEmpty() && m_range.isEmpty()) {
        // Under a filter every row is read anyway: one pass over the table and a sort of what
        // passes beats testing the rows in index order ("+" keeps SQLite off the key's index,
        // not off the collation).
        QStringList terms;
        for (const QString &e : m_keyExprs)
            terms << QLatin1Char('+') + e;
        terms << QStringLiteral("rowid");
        order = terms.join(QStringLiteral(", "));
    }
    // Up to the split: "<=" as read backwards from it, inclusive; after it: ">".
    return QStringLiteral("SELECT rowid FROM %1%2 ORDER BY %3")
        .arg(TableAccess::qualified(*m_table),
             conditions(split != nullptr, !after, !after, 0),
             order);
}

StoreStatus View::middlePosition(ViewPosition &out)
{
    out = {};
    if (StoreStatus s = TableAccess::ready(m_collection, *m_table, false); !s)
        return s;
    constexpr qint64 samples = 1000;
    try {
        const QString table = TableAccess::qualified(*m_table);
        qint64 low = 0;
        qint64 high = 0;
        {
            const QString boundsSql
                = QStringLiteral("SELECT (SELECT min(rowid) FROM %1), (SELECT max(rowid) FROM %1)")
                      .arg(table);
            // Each in a query of its own: together they would read the whole table.
            SQLite::Statement bounds(m_collection.db(), boundsSql.toStdString());
            if (!bounds.executeStep() || bounds.getColumn(0).isNull())
                return {};
            low = bounds.getColumn(0).getInt64();
            high = bounds.getColumn(1).getInt64();
        }
        const qint64 step = std::max<qint64>(1, (high - low) / samples);
        const QString where = conditions(false, false, false, 0);
        const QString sql = QStringLiteral("WITH RECURSIVE s(r) AS (SELECT ? UNION ALL SELECT r + "
                                           "? FROM s WHERE r + ? <= ?) SELECT rowid, %1, %2 FROM "
                                           "%3%4%5 rowid IN s ORDER BY %6")
                                .arg(m_columns,
                                     m_keyExprs.join(QStringLiteral(", ")),
                                     table,
                                     where,
                                     where.isEmpty() ? QStringLiteral(" WHERE")
                                                     : QStringLiteral(" AND"),
                                     orderBy(false));
        SQLite::Statement st(m_collection.db(), sql.toStdString());
        TableAccess::bindAll(st, QVariantList{low, step, step, high} + bindings(nullptr));
        const int fieldCount = int(m_table->fields.size());
        const int keyCount = int(m_keyExprs.size());
        std::vector<ViewPosition> sample;
        while (st.executeStep())
            sample.push_back(readRow(st, fieldCount, keyCount).position);
        if (sample.size() >= 2)
            out = sample[sample.size() / 2];
    } catch (const std::exception &e) {
        return TableAccess::readError(e, *m_table);
    }
    return {};
}

StoreStatus View::firstPage(int n, ViewPage &out)
{
    return forward({}, n, false, out);
}
StoreStatus View::lastPage(int n, ViewPage &out)
{
    return backward({}, n, false, out);
}

StoreStatus View::count(qint64 &out)
{
    out = 0;
    if (StoreStatus s = TableAccess::ready(m_collection, *m_table, false); !s)
        return s;
    try {
        const QString sql = QStringLiteral("SELECT count(*) FROM %1%2")
                                .arg(TableAccess::qualified(*m_table),
                                     conditions(false, false, false, 0));
        std::unique_ptr<SQLite::Statement> own;
        if (!m_filter.isEmpty())
            own = std::make_unique<SQLite::Statement>(m_collection.db(), sql.toStdString());
        SQLite::Statement &st = own ? *own : m_collection.statement(sql);
        TableAccess::ResetOnExit reset(st);
        TableAccess::bindAll(st, bindings(nullptr));
        st.executeStep();
        out = st.getColumn(0).getInt64();
    } catch (const std::exception &e) {
        StoreStatus s = TableAccess::readError(e, *m_table);
        if (!m_filter.isEmpty())
            s.catalogueNumber = 43 /* View Open Error */;
        return s;
    }
    return {};
}

StoreStatus View::locate(const QVariantList &values, ViewPosition &out)
{
    out = {};
    const qsizetype first = m_range.size();
    const qsizetype available = qsizetype(m_key->components.size()) - first;
    const qsizetype k = std::min(values.size(), available);
    if (k <= 0) {
        ViewPage page;
        StoreStatus s = firstPage(1, page);
        if (!s)
            return s;
        if (page.rows.empty())
            return TableAccess::notFound(*m_table);
        out = page.rows.front().position;
        return {};
    }
    QStringList exprs;
    QVariantList binds = bindings(nullptr);
    for (qsizetype i = 0; i < k; ++i) {
        const KeyComponent &c = m_key->components[std::size_t(first + i)];
        exprs << SchemaManager::componentExpressions(c).first();
        binds << indexValue(c, values[i]);
    }
    QString where = conditions(false, false, false, 0);
    where += (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND "))
             + rowValue(exprs) + QStringLiteral(" >= ") + viewMarkers(exprs.size());
    const QString sql = QStringLiteral("SELECT rowid, %1, %2 FROM %3%4 ORDER BY %5 LIMIT ?")
                            .arg(m_columns,
                                 m_keyExprs.join(QStringLiteral(", ")),
                                 TableAccess::qualified(*m_table),
                                 where,
                                 orderBy(false));
    ViewPage page;
    StoreStatus s = run(sql, binds, 1, false, page);
    if (!s)
        return s;
    if (page.rows.empty())
        return TableAccess::notFound(*m_table);
    out = page.rows.front().position;
    return {};
}

StoreStatus View::positionOf(qint64 rowId, ViewPosition &out)
{
    out = {};
    QString where = conditions(false, false, false, 0);
    where += (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND "))
             + QStringLiteral("rowid = ?");
    const QString sql = QStringLiteral("SELECT rowid, %1, %2 FROM %3%4 LIMIT ?")
                            .arg(m_columns,
                                 m_keyExprs.join(QStringLiteral(", ")),
                                 TableAccess::qualified(*m_table),
                                 where);
    QVariantList binds = bindings(nullptr);
    binds << QVariant::fromValue<qint64>(rowId);
    ViewPage page;
    StoreStatus s = run(sql, binds, 1, false, page);
    if (!s)
        return s;
    if (page.rows.empty())
        return TableAccess::notFound(*m_table);
    out = page.rows.front().position;
    return {};
}

} // namespace pk

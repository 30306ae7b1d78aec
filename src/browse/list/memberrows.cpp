#include "browse/list/memberrows.h"

#include "browse/list/locationcolumns.h"
#include "browse/query/querycompiler.h"
#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/fields.h"
#include "store/picture.h"
#include "store/recordio.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

#include <QSet>

#include <algorithm>
#include <array>

namespace pk {

namespace {

// The location columns the two lists show: the state icon to "Custom 3".
constexpr int kLocationColumns = LocationColumns::Custom3 + 1;

constexpr std::array<MemberRows::MemberColumn, 1> kKeywordColumns{{
    {"Keyword", "UDK:Keyword", "@s32", 73},
}};
constexpr std::array<MemberRows::MemberColumn, 2> kDetailColumns{{
    {"Label", "UDT:DataLabel", "@s30", 57},
    {"Value", "UDT:DataValue", "@s90", 91},
}};

const TableDef &memberTable(MemberRows::Kind kind)
{
    return kind == MemberRows::Kind::Keywords ? keywordsTable() : detailsTable();
}

QString quoted(const char *column)
{
    return QLatin1Char('"') + QString::fromLatin1(column) + QLatin1Char('"');
}

QueryValueKind valueKind(const FieldDef &field)
{
    switch (field.type) {
    case FieldType::Text:
    case FieldType::Memo:
        return QueryValueKind::Text;
    case FieldType::Date:
    case FieldType::DayNumber:
        return QueryValueKind::Date;
    default:
        return QueryValueKind::Number;
    }
}

} // namespace

MemberRows::MemberRows(Collection &collection, Kind kind)
    : m_collection(collection)
    , m_kind(kind)
{}

const MemberRows::MemberColumn &MemberRows::memberColumn(Kind kind, int index)
{
    if (kind == Kind::Keywords)
        return kKeywordColumns.at(std::size_t(index));
    return kDetailColumns.at(std::size_t(index));
}

int MemberRows::columnCount() const
{
    return memberColumns() + kLocationColumns;
}

int MemberRows::locationColumn(int column) const
{
    const int c = column - memberColumns();
    return c >= 0 && c < kLocationColumns ? c : -1;
}

QString MemberRows::heading(int column) const
{
    if (column >= 0 && column < memberColumns())
        return QString::fromLatin1(memberColumn(m_kind, column).heading);
    const int c = locationColumn(column);
    if (c < 0)
        return {};
    if (c == LocationColumns::Keyword)
        return QStringLiteral("Primary Keyword");
    return QString::fromLatin1(LocationColumns::column(c).heading);
}

QString MemberRows::selectSql(const SqlFilter &extra, bool idsOnly) const
{
    const TableDef &member = memberTable(m_kind);
    QString columns = QStringLiteral("m.rowid, l.rowid");
    if (!idsOnly) {
        for (int i = 0; i < memberColumns(); ++i)
            columns += QStringLiteral(", m.")
                       + quoted(memberColumn(m_kind, i).field + 4); // past "UDK:"
        for (const FieldDef &f : locationsTable().fields)
            columns += QStringLiteral(", l.") + quoted(f.column);
    }
    // The key columns make the join an index look-up; the second term keeps it exact.
    QString sql = QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM ")
                  + TableAccess::qualified(member) + QStringLiteral(" m JOIN ")
                  + TableAccess::qualified(locationsTable())
                  + QStringLiteral(" l ON l.\"KeyLocation\" = m.\"KeyLocation\""
                                   " AND l.\"Location\" = m.\"Location\"");
    QStringList where;
    if (!m_filter.isEmpty())
        where << QLatin1Char('(') + m_filter.where + QLatin1Char(')');
    if (!extra.isEmpty())
        where << QLatin1Char('(') + extra.where + QLatin1Char(')');
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    if (!idsOnly) {
        sql += m_kind == Kind::Keywords
                   ? QStringLiteral(" ORDER BY m.\"KeyLocation\", m.\"Location\", m.\"Sequence\", "
                                    "m.rowid")
                   : QStringLiteral(" ORDER BY m.rowid");
    }
    return sql;
}

StoreStatus MemberRows::refresh()
{
    m_rows.clear();
    m_locations.clear();
    if (StoreStatus s = TableAccess::ready(m_collection, memberTable(m_kind), false); !s)
        return s;
    const int fieldCount = int(locationsTable().fields.size());
    try {
        SQLite::Statement st(m_collection.db(), selectSql({}, false).toStdString());
        TableAccess::bindAll(st, m_filter.bindings);
        while (st.executeStep()) {
            Row row;
            row.memberRowId = st.getColumn(0).getInt64();
            row.locationRowId = st.getColumn(1).getInt64();
            const QVariantList member = RecordIo::row(st, 2, memberColumns());
            row.first = trimTrailingSpaces(member.value(0).toString());
            row.second = trimTrailingSpaces(member.value(1).toString());
            const int next = 2 + memberColumns();
            if (!m_locations.contains(row.locationRowId)) {
                LocationRecord record;
                RecordIo::assign(RecordIo::row(st, next, fieldCount), record);
                m_locations.insert(row.locationRowId, record);
            }
            m_rows.push_back(std::move(row));
        }
    } catch (const std::exception &e) {
        m_rows.clear();
        m_locations.clear();
        StoreStatus s = TableAccess::readError(e, memberTable(m_kind));
        if (!m_filter.isEmpty())
            s.catalogueNumber = 43 /* View Open Error */;
        return s;
    }
    applyOrder();
    return {};
}

const MemberRows::Row *MemberRows::rowAt(int row) const
{
    return row >= 0 && row < count() ? &m_rows[std::size_t(row)] : nullptr;
}

const LocationRecord *MemberRows::location(int row) const
{
    const Row *r = rowAt(row);
    if (!r)
        return nullptr;
    const auto it = m_locations.constFind(r->locationRowId);
    return it == m_locations.constEnd() ? nullptr : &*it;
}

int MemberRows::rowOfMember(qint64 memberRowId) const
{
    const auto it = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row &r) {
        return r.memberRowId == memberRowId;
    });
    return it == m_rows.end() ? -1 : int(it - m_rows.begin());
}

QString MemberRows::display(int row, int column) const
{
    const Row *r = rowAt(row);
    if (!r)
        return {};
    if (column >= 0 && column < memberColumns()) {
        const Picture picture(QString::fromLatin1(memberColumn(m_kind, column).picture));
        return picture.format(column == 0 ? r->first : r->second);
    }
    const int c = locationColumn(column);
    const LocationRecord *record = location(row);
    return c < 0 || !record ? QString() : LocationColumns::display(*record, c);
}

QVariant MemberRows::value(int row, int column) const
{
    const Row *r = rowAt(row);
    if (!r)
        return {};
    if (column >= 0 && column < memberColumns())
        return column == 0 ? r->first : r->second;
    const int c = locationColumn(column);
    const LocationRecord *record = location(row);
    return c < 0 || !record ? QVariant() : LocationColumns::value(*record, c);
}

void MemberRows::sortByColumn(int column, bool descending)
{
    if (column < 0 || column >= columnCount())
        return;
    m_sortColumn = column;
    m_descending = descending;
    applyOrder();
}

void MemberRows::naturalOrder()
{
    if (m_sortColumn < 0)
        return;
    m_sortColumn = -1;
    // The list's own order is the read's order.
    static_cast<void>(refresh());
}

void MemberRows::applyOrder()
{
    if (m_sortColumn < 0)
        return;
    // Sort keys once per row, not once per comparison.
    std::vector<std::pair<QVariant, std::size_t>> keys;
    keys.reserve(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        keys.emplace_back(value(int(i), m_sortColumn), i);
    auto less = [](const QVariant &a, const QVariant &b) {
        if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
            return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive) < 0;
        return a.toLongLong() < b.toLongLong();
    };
    std::stable_sort(keys.begin(), keys.end(), [&](const auto &a, const auto &b) {
        return m_descending ? less(b.first, a.first) : less(a.first, b.first);
    });
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    for (const auto &k : keys)
        sorted.push_back(std::move(m_rows[k.second]));
    m_rows = std::move(sorted);
}

int MemberRows::locate(const QString &typed)
{
    naturalOrder();
    if (m_rows.empty())
        return -1;
    const QString wanted = trimTrailingSpaces(typed);
    for (int i = 0; i < count(); ++i) {
        const LocationRecord *record = location(i);
        if (record && QString::compare(record->Location, wanted, Qt::CaseInsensitive) >= 0)
            return i;
    }
    return count() - 1;
}

int MemberRows::findNext(const SqlFilter &condition, int after, StoreStatus &status)
{
    status = {};
    QSet<qint64> matching;
    try {
        SQLite::Statement st(m_collection.db(), selectSql(condition, true).toStdString());
        TableAccess::bindAll(st, m_filter.bindings + condition.bindings);
        while (st.executeStep())
            matching.insert(st.getColumn(0).getInt64());
    } catch (const std::exception &e) {
        status = TableAccess::readError(e, memberTable(m_kind));
        status.catalogueNumber = 43 /* View Open Error */;
        return -1;
    }
    for (int i = std::max(after + 1, 0); i < count(); ++i)
        if (matching.contains(m_rows[std::size_t(i)].memberRowId))
            return i;
    return -1;
}

std::optional<QueryFieldRef> MemberRows::resolveField(Kind kind, const QString &name)
{
    const FieldDef *field = findField(name);
    if (!field)
        return std::nullopt;
    QString alias;
    if (name.startsWith(QLatin1String("URL:"), Qt::CaseInsensitive))
        alias = QStringLiteral("l.");
    else if (name.startsWith(QString::fromLatin1(memberTable(kind).prefix) + QLatin1Char(':'),
                             Qt::CaseInsensitive))
        alias = QStringLiteral("m.");
    else
        return std::nullopt;
    QueryFieldRef ref;
    ref.sql = alias + quoted(field->column);
    ref.kind = valueKind(*field);
    return ref;
}

QString MemberRows::findFields(Kind kind)
{
    QString out;
    const int members = kind == Kind::Keywords ? 1 : 2;
    for (int i = 0; i < members; ++i) {
        const MemberColumn &c = memberColumn(kind, i);
        out += QString::fromLatin1(c.heading) + QLatin1Char('|') + QString::fromLatin1(c.picture)
               + QLatin1Char('|') + QString::fromLatin1(c.field) + QLatin1Char('|');
    }
    // The location fields as the location list offers them, its keyword as the primary one.
    QString locations = LocationColumns::findFields();
    locations.replace(QStringLiteral("Keyword|@s20|URL:Keyword|"),
                      QStringLiteral("Primary Keyword|@s20|URL:Keyword|"));
    return out + locations;
}

} // namespace pk

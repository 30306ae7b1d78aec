#include "store/locationmanager.h"

#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/locationaddress.h"
#include "store/recordio.h"
#include "store/rowaccess.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

namespace pk {

namespace {

const TableDef &locationTable()
{
    return locationsTable();
}

// Both conditions: the first lets the key's index find the row, the second makes it exact.
const QString kWhereExact = QStringLiteral(" WHERE KeyLocation = ?1 AND Location = ?1");

/// An address longer than the field is refused whole: cutting it would store another address.
StoreStatus checkAddressLengths(const LocationRecord &r)
{
    for (const QString *address : {&r.Location, &r.MovedTo}) {
        if (LocationAddress::check(*address, false) != LocationAddress::Problem::TooLong)
            continue;
        return StoreStatus::failure(StoreError::ValidationFailed,
                                    LocationAddress::message(LocationAddress::Problem::TooLong,
                                                             *address));
    }
    return {};
}

} // namespace

LocationManager::LocationManager(Collection &collection)
    : m_collection(collection)
{}

LocationRecord LocationManager::prepared(const LocationRecord &record)
{
    return RowAccess::prepared(locationTable(), record);
}

bool LocationManager::categoryExists(const QString &category)
{
    // A batch stores many locations in few categories: within one transaction the answer is
    // kept until Categories changes.
    if (!m_collection.inTransaction())
        return m_collection.categories().exists(category);
    if (m_knownWhen != m_collection.categoriesGeneration()) {
        m_knownCategories.clear();
        m_knownWhen = m_collection.categoriesGeneration();
    }
    if (m_knownCategories.contains(category))
        return true;
    const bool found = m_collection.categories().exists(category);
    if (found)
        m_knownCategories.insert(category);
    return found;
}

StoreStatus LocationManager::validate(const LocationRecord &r)
{
    if (!categoryExists(r.Category)) {
        if (StoreStatus s = m_collection.requireOpen(CollectionFile::Categories); !s)
            return s;
        StoreStatus s = StoreStatus::failure(StoreError::ValidationFailed,
                                             QStringLiteral("Category \"%1\" is not in Categories")
                                                 .arg(r.Category));
        s.catalogueNumber = Msg::FieldContents;
        s.context.field = QStringLiteral("Category");
        s.context.message = QStringLiteral("Categories");
        s.context.file = QString::fromLatin1(locationTable().sqlTable);
        return s;
    }
    if (r.Validated > 2) {
        StoreStatus s = StoreStatus::failure(StoreError::ValidationFailed,
                                             QStringLiteral("Validated must be 0, 1 or 2"));
        s.catalogueNumber = Msg::ValueError;
        s.context.field = QStringLiteral("Validated 0=Unknown, 1=Pass, 2=Fail");
        s.context.message = QStringLiteral("'Unknown','Passed','Failed'");
        s.context.file = QString::fromLatin1(locationTable().sqlTable);
        return s;
    }
    return {};
}

StoreStatus LocationManager::get(const QString &location, LocationRecord &out)
{
    static const QString stSql = TableAccess::selectAll(locationTable()) + kWhereExact;
    return RowAccess::get(
        m_collection,
        locationTable(),
        stSql,
        [&](SQLite::Statement &st) { RecordIo::bind(st, 1, trimTrailingSpaces(location)); },
        out);
}

StoreStatus LocationManager::getByRowId(qint64 rowId, LocationRecord &out)
{
    static const QString stSql = TableAccess::selectAll(locationTable())
                                 + QStringLiteral(" WHERE rowid = ?");
    return RowAccess::get(
        m_collection,
        locationTable(),
        stSql,
        [&](SQLite::Statement &st) { st.bind(1, static_cast<int64_t>(rowId)); },
        out);
}

bool LocationManager::exists(const QString &location)
{
    LocationRecord r;
    return get(location, r).ok();
}

StoreStatus LocationManager::insert(const LocationRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, locationTable(), true, Msg::RecordInsertError); !s)
        return s;
    if (StoreStatus s = checkAddressLengths(record); !s)
        return s;
    // The fitted values are both checked and stored: made once.
    LocationRecord r;
    const QVariantList values = RowAccess::preparedValues(locationTable(), record, r);
    if (StoreStatus s = validate(r); !s)
        return s;
    static const QString stSql = TableAccess::insertSql(locationTable());
    StoreStatus s = RowAccess::insert(m_collection, locationTable(), stSql, values);
    if (s)
        m_collection.locationWritten(true);
    return s;
}

StoreStatus LocationManager::change(const QString &originalLocation, const LocationRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, locationTable(), true, Msg::RecordNotUpdated); !s)
        return s;
    if (StoreStatus s = checkAddressLengths(record); !s)
        return s;
    LocationRecord r;
    const QVariantList values = RowAccess::preparedValues(locationTable(), record, r);
    if (StoreStatus s = validate(r); !s)
        return s;
    const int n = int(locationTable().fields.size());
    static const QString stSql
        = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = (SELECT rowid FROM %1 WHERE KeyLocation "
                         " = ?%3 AND Location = ?%3)")
              .arg(TableAccess::qualified(locationTable()), RecordIo::assignments(locationTable()))
              .arg(n + 1);
    StoreStatus s = RowAccess::run(
        m_collection,
        locationTable(),
        Msg::RecordNotUpdated,
        stSql,
        [&](SQLite::Statement &st) {
            TableAccess::bindAll(st, values);
            RecordIo::bind(st, n + 1, trimTrailingSpaces(originalLocation));
        },
        RowAccess::Rows::AtLeastOne);
    if (s)
        m_collection.locationWritten();
    return s;
}

StoreStatus LocationManager::changeIfUnchanged(const QString &originalLocation,
                                               const LocationRecord &expected,
                                               const LocationRecord &record)
{
    return RowAccess::writeIfUnchanged(
        m_collection,
        locationTable(),
        expected,
        [&](LocationRecord &stored) { return get(originalLocation, stored); },
        [&] { return change(originalLocation, record); });
}

StoreStatus LocationManager::changeFields(const QString &originalLocation,
                                          const LocationRecord &before,
                                          const LocationRecord &after)
{
    return m_collection.transaction([&]() -> StoreStatus {
        LocationRecord stored;
        if (StoreStatus s = get(originalLocation, stored); !s)
            return s;
        const QVariantList was = RecordIo::values(prepared(before));
        const QVariantList now = RecordIo::values(prepared(after));
        QVariantList merged = RecordIo::values(stored);
        for (qsizetype i = 0; i < merged.size() && i < was.size() && i < now.size(); ++i)
            if (now[i] != was[i])
                merged[i] = now[i];
        LocationRecord record;
        RecordIo::assign(merged, record);
        return change(originalLocation, record);
    });
}

StoreStatus LocationManager::remove(const QString &location)
{
    static const QString stSql
        = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(locationTable())) + kWhereExact;
    StoreStatus s = RowAccess::write(
        m_collection,
        locationTable(),
        Msg::RecordNotDeleted,
        stSql,
        [&](SQLite::Statement &st) { RecordIo::bind(st, 1, trimTrailingSpaces(location)); },
        RowAccess::Rows::AtLeastOne);
    if (s)
        m_collection.locationWritten();
    return s;
}

qint64 LocationManager::count(StoreStatus *status)
{
    if (StoreStatus s = TableAccess::ready(m_collection, locationTable(), false); !s) {
        if (status)
            *status = s;
        return 0;
    }
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql
            = QStringLiteral("SELECT count(*) FROM %1").arg(TableAccess::qualified(locationTable()));
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        st.executeStep();
        if (status)
            *status = {};
        return st.getColumn(0).getInt64();
    } catch (const std::exception &e) {
        if (status)
            *status = TableAccess::readError(e, locationTable());
    }
    return 0;
}

} // namespace pk

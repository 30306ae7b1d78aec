#include "tools/filesalvage.h"

#include "store/collation.h"
#include "store/fields.h"
#include "store/recordio.h"
#include "store/sqlfunctions.h"
#include "store/sqliteerror.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <limits>
#include <optional>

namespace pk {

namespace {

std::string utf8(const QString &s)
{
    return s.toUtf8().toStdString();
}

/// Reads rows of one table after a row id, stepping over what cannot be read.
class TableReader
{
public:
    TableReader(SQLite::Database &db, const TableDef &table)
        : m_sql(utf8(QStringLiteral("SELECT rowid, %1 FROM \"%2\" WHERE rowid >= ? ORDER BY rowid")
                         .arg(RecordIo::columnList(table), QLatin1String(table.sqlTable))))
        , m_seekSql(utf8(QStringLiteral("SELECT rowid, %1 FROM \"%2\" WHERE rowid >= ? ORDER BY "
                                        "rowid LIMIT 1")
                             .arg(RecordIo::columnList(table), QLatin1String(table.sqlTable))))
        , m_db(db)
        , m_columns(int(table.fields.size()))
    {}

    /// The first readable row at or after `from`, or nothing when it cannot be read. (Seeking
    /// "at or after" lands on the page that holds `from`; "after" would land on the page before
    /// when `from` is the last row id of a damaged page.)
    std::optional<std::pair<qint64, QVariantList>> firstFrom(qint64 from)
    {
        try {
            SQLite::Statement st(m_db, m_seekSql);
            st.bind(1, static_cast<int64_t>(from));
            if (!st.executeStep())
                return std::pair<qint64, QVariantList>{std::numeric_limits<qint64>::max(), {}};
            return std::pair<qint64, QVariantList>{st.getColumn(0).getInt64(),
                                                   RecordIo::row(st, 1, m_columns)};
        } catch (const std::exception &) {
            return std::nullopt;
        }
    }

    /// Where reading can go on when the rows from `from` on cannot be read: the row id to read
    /// from, or nothing when no readable row follows.
    std::optional<qint64> resumeFrom(qint64 from)
    {
        constexpr qint64 linearProbes = 1000;
        constexpr qint64 limit = std::numeric_limits<qint64>::max() / 4;
        constexpr qint64 none = std::numeric_limits<qint64>::max();
        qint64 failed = from; // seeking from here fails
        for (qint64 x = from + 1; x <= from + linearProbes; ++x) {
            if (const auto row = firstFrom(x))
                return row->first == none ? std::nullopt : std::optional(x);
            failed = x;
        }
        // A long unreadable stretch: leap over it, then narrow down to its end.
        qint64 step = linearProbes;
        qint64 found = -1;
        while (failed < limit) {
            const qint64 x = failed + step;
            if (firstFrom(x)) {
                found = x;
                break;
            }
            failed = x;
            step *= 2;
        }
        if (found < 0)
            return std::nullopt;
        while (found - failed > 1) {
            const qint64 mid = failed + (found - failed) / 2;
            if (firstFrom(mid))
                found = mid;
            else
                failed = mid;
        }
        const auto row = firstFrom(found);
        return row && row->first != none ? std::optional(found) : std::nullopt;
    }

    const std::string &sql() const { return m_sql; }

private:
    std::string m_sql;
    std::string m_seekSql;
    SQLite::Database &m_db;
    int m_columns;
};

} // namespace

SalvageResult FileSalvage::copy(const QString &source,
                                CollectionFile file,
                                const QString &targetFolder,
                                bool tolerant)
{
    SalvageResult result;
    QDir().mkpath(targetFolder);
    Collection out(targetFolder);
    result.target = out.filePath(file);
    QFile::remove(result.target);
    if (StoreStatus s = out.open(file, true); !s) {
        result.status = s;
        return result;
    }
    try {
        SQLite::Database in(utf8(source), SQLite::OPEN_READONLY);
        Collation::registerOn(in.getHandle());
        registerSqlFunctions(in.getHandle());
        // Lets a file shorter than its header says be read up to where it ends.
        in.exec("PRAGMA writable_schema = ON");
        result.status = out.transaction([&]() -> StoreStatus {
            // Every row is new: the copy's substring index is made in one pass at the end.
            out.deferTextIndex();
            for (const TableDef *table : collectionTables()) {
                if (Collection::fileOf(*table) != file)
                    continue;
                SQLite::Statement insert(out.db(),
                                         utf8(QStringLiteral(
                                                  "INSERT OR IGNORE INTO %1 (rowid, %2) VALUES "
                                                  "(?, %3)")
                                                  .arg(TableAccess::qualified(*table),
                                                       RecordIo::columnList(*table),
                                                       RecordIo::markers(*table))));
                TableReader reader(in, *table);
                const int columns = int(table->fields.size());
                qint64 from = std::numeric_limits<qint64>::min();
                for (;;) {
                    try {
                        SQLite::Statement st(in, reader.sql());
                        st.bind(1, static_cast<int64_t>(from));
                        while (st.executeStep()) {
                            const qint64 rowId = st.getColumn(0).getInt64();
                            const QVariantList values = RecordIo::row(st, 1, columns);
                            insert.reset();
                            insert.bind(1, static_cast<int64_t>(rowId));
                            for (int i = 0; i < values.size(); ++i)
                                RecordIo::bind(insert, i + 2, values.at(i));
                            if (insert.exec() > 0)
                                ++result.rows;
                            else
                                ++result.skipped;
                            if (rowId == std::numeric_limits<qint64>::max())
                                break;
                            from = rowId + 1;
                        }
                        break;
                    } catch (const SQLite::Exception &e) {
                        // A failed insert is ours to report; a failed read is damage.
                        if (!tolerant || e.getErrorCode() == SQLITE_CONSTRAINT)
                            return SqliteError::fromException(e, source);
                        ++result.damagedParts;
                        const std::optional<qint64> next = reader.resumeFrom(from);
                        if (!next)
                            break;
                        from = *next;
                    }
                }
            }
            return {};
        });
    } catch (const std::exception &e) {
        result.status = SqliteError::fromException(e, source);
    }
    out.close();
    if (!result.status)
        QFile::remove(result.target);
    return result;
}

} // namespace pk

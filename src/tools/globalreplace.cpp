#include "tools/globalreplace.h"

#include "browse/query/queryexpression.h"
#include "browse/query/storefieldresolver.h"
#include "framework/errorcatalogue.h"
#include "framework/userinterface.h"
#include "store/collection.h"
#include "store/detailmanager.h"
#include "store/fields.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "store/recordio.h"
#include "store/tableaccess.h"
#include "tools/textreplacement.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <array>
#include <vector>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr std::array<ReplaceField, 12> kFields{{
    {"Location (URL)", "URL:Location", 2048, "@s60"},
    {"Description", "URL:Description", 255, "@s60"},
    {"Category", "URL:Category", 50, "@s30"},
    {"Primary Keyword", "URL:Keyword", 20, "@s30"},
    {"Site Information", "URL:SiteInfo", 2048, "@s30"},
    {"Comments", "URL:Comments", 1024, "@s60"},
    {"User name", "URL:UserName", 40, "@s40"},
    {"Password", "URL:Password", 20, "@s20"},
    {"E-mail address", "URL:EmailAddress", 60, "@s30"},
    {"Custom Field #1", "URL:Custom1", 60, "@s60"},
    {"Custom Field #2", "URL:Custom2", 60, "@s60"},
    {"Custom Field #3", "URL:Custom3", 60, "@s60"},
}};

/// Changed locations after which a run that changes at least a quarter of its locations
/// leaves the keys to its commit.
constexpr qint64 kKeysLeftAfter = 1000;

QString leftJustified(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

} // namespace

std::span<const ReplaceField> GlobalReplace::fields()
{
    return kFields;
}

int GlobalReplace::pictureWidth(const QString &picture)
{
    bool ok = false;
    const int width = picture.size() > 2 ? picture.mid(2).toInt(&ok) : 0;
    return ok && width > 0 ? width : 255;
}

GlobalReplace::GlobalReplace(Collection &collection, const ReplaceField &field)
    : m_collection(collection)
    , m_field(field)
{}

std::optional<SqlFilter> GlobalReplace::compileQuery(const QString &condition, UserInterface *ui)
{
    if (condition.trimmed().isEmpty())
        return SqlFilter{};
    const QueryExpression expression = QueryExpression::parse(condition);
    QueryCompileContext context;
    context.resolveField = storeFieldResolver();
    QueryError error;
    std::optional<SqlFilter> filter = expression.isValid() ? expression.compile(context, error)
                                                           : std::nullopt;
    if (!filter && ui)
        ui->message(QStringLiteral("Error"),
                    expression.isValid() ? error.describe() : expression.error().describe(),
                    UserInterface::Icon::Critical);
    return filter;
}

StoreStatus GlobalReplace::moveDependents(const QString &from, const QString &to)
{
    std::vector<KeywordRecord> keywords;
    if (StoreStatus s = m_collection.keywords().list(from, keywords); !s)
        return s;
    for (KeywordRecord k : keywords) {
        const qint32 sequence = k.Sequence;
        k.Location = to;
        if (StoreStatus s = m_collection.keywords().change(from, sequence, k); !s)
            return s;
    }
    std::vector<DetailRecord> details;
    if (StoreStatus s = m_collection.details().list(from, details); !s)
        return s;
    for (DetailRecord d : details) {
        const qint32 sequence = d.Sequence;
        d.Location = to;
        if (StoreStatus s = m_collection.details().change(from, sequence, d); !s)
            return s;
    }
    return {};
}

StoreStatus GlobalReplace::readField(const QString &sql,
                                     qint64 rowId,
                                     QString &text,
                                     LocationRecord &record)
{
    const TableDef &table = locationsTable();
    if (StoreStatus s = TableAccess::ready(m_collection, table, false); !s)
        return s;
    try {
        SQLite::Statement &st = m_collection.statement(sql);
        TableAccess::ResetOnExit reset(st);
        st.bind(1, static_cast<int64_t>(rowId));
        if (!st.executeStep())
            return TableAccess::notFound(table);
        text = QString::fromUtf8(st.getColumn(0).getText());
        record.Location = QString::fromUtf8(st.getColumn(1).getText());
        record.Description = QString::fromUtf8(st.getColumn(2).getText());
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table);
    }
    return {};
}

StoreStatus GlobalReplace::writeField(const QString &sql, qint64 rowId, const QString &text)
{
    const TableDef &table = locationsTable();
    if (StoreStatus s = TableAccess::ready(m_collection, table, true, Msg::RecordNotUpdated); !s)
        return s;
    try {
        SQLite::Statement &st = m_collection.statement(sql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, text);
        st.bind(2, static_cast<int64_t>(rowId));
        if (st.exec() == 0)
            return TableAccess::notFound(table);
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table, Msg::RecordNotUpdated);
    }
    m_collection.locationWritten();
    return {};
}

GlobalReplaceResult GlobalReplace::run(const QString &search,
                                       const QString &replacement,
                                       const SqlFilter &filter,
                                       const Progress &progress)
{
    GlobalReplaceResult result;
    const TableDef &table = locationsTable();
    const FieldDef *def = findField(QString::fromLatin1(m_field.field));
    const int index = def ? table.fieldIndex(QString::fromLatin1(def->column)) : -1;
    if (index < 0) {
        result.failure = StoreStatus::failure(StoreError::Other,
                                              QStringLiteral("Unknown field ")
                                                  + QLatin1String(m_field.field));
        return result;
    }

    const StoreStatus committed = m_collection.transaction([&]() -> StoreStatus {
        std::vector<qint64> rows;
        try {
            QString sql = QStringLiteral("SELECT rowid FROM ") + TableAccess::qualified(table);
            if (!filter.isEmpty())
                sql += QStringLiteral(" WHERE (") + filter.where + QLatin1Char(')');
            sql += QStringLiteral(" ORDER BY rowid");
            SQLite::Statement st(m_collection.db(), sql.toUtf8().toStdString());
            for (int i = 0; i < filter.bindings.size(); ++i)
                RecordIo::bind(st, i + 1, filter.bindings.at(i));
            while (st.executeStep())
                rows.push_back(st.getColumn(0).getInt64());
        } catch (const std::exception &e) {
            return TableAccess::readError(e, table);
        }
        result.total = qint64(rows.size());
        // A field that is no key of its own and no category is changed with one column's
        // UPDATE: the keys over the other columns stay untouched, and a location whose text
        // stays the same is not written at all. An address or a category takes the manager's
        // full change with its rules.
        const QString column = QString::fromLatin1(def->column);
        const bool plain = column != u"Location"_s && column != u"Category"_s;
        const QString readSql = u"SELECT "_s + column + u", Location, Description FROM "_s
                                + TableAccess::qualified(table) + u" WHERE rowid = ?"_s;
        const QString writeSql = u"UPDATE "_s + TableAccess::qualified(table) + u" SET "_s + column
                                 + u" = ? WHERE rowid = ?"_s;
        bool keysLeft = false;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            LocationRecord record;
            QString before;
            if (plain) {
                const StoreStatus s = readField(readSql, rows[i], before, record);
                if (s.error == StoreError::RecordNotFound)
                    continue;
                if (!s) {
                    result.failure = s;
                    break;
                }
            } else {
                if (StoreStatus s = m_collection.locations().getByRowId(rows[i], record); !s) {
                    if (s.error == StoreError::RecordNotFound)
                        continue;
                    result.failure = s;
                    break;
                }
                before = RecordIo::values(record).at(index).toString();
            }
            QString text = before;
            TextReplacement::apply(text, m_field.length, search, replacement, true);
            text = leftJustified(text);
            const bool changed = text != before;

            if (progress) {
                const int percent = int((qint64(i) + 1) * 100 / result.total);
                if (!progress(percent, record.Location + QLatin1Char(' ') + record.Description)) {
                    result.cancelled = true;
                    break;
                }
            }
            StoreStatus s;
            if (!changed) {
                // Stored as it is.
            } else if (plain) {
                s = writeField(writeSql, rows[i], text);
            } else {
                const QString original = record.Location;
                QVariantList values = RecordIo::values(record);
                values[index] = text;
                RecordIo::assign(values, record);
                // One savepoint per location: a failure keeps the stored record as it was.
                s = m_collection.transaction([&]() -> StoreStatus {
                    if (StoreStatus c = m_collection.locations().change(original, record); !c)
                        return c;
                    if (record.Location != original)
                        return moveDependents(original, record.Location);
                    return {};
                });
            }
            if (!s) {
                result.failure = s;
                break;
            }
            ++result.stored;
            if (changed)
                ++result.changed;
            // Most locations change: the keys over the field are built again at the commit,
            // in one sorted pass, rather than moved row by row.
            if (plain && !keysLeft && result.changed >= kKeysLeftAfter
                && result.changed * 4 >= result.total) {
                keysLeft = true;
                m_collection.expectLocationWrites(result.total);
            }
        }
        // What was stored before a failure or a cancel is kept.
        return {};
    });
    if (!committed && result.failure.ok())
        result.failure = committed;
    return result;
}

QString GlobalReplace::outcomeText(const GlobalReplaceResult &result)
{
    QString text = QString::number(result.changed) + u" of "_s + QString::number(result.total)
                   + u" location(s) changed."_s;
    if (result.cancelled)
        text += u" Cancelled after "_s + QString::number(result.stored)
                + u" location(s); what was changed before is kept."_s;
    return text;
}

} // namespace pk

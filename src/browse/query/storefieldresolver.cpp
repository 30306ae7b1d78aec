#include "browse/query/storefieldresolver.h"

#include "browse/query/queryfieldtable.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/textindex.h"

namespace pk {

QueryFieldResolver storeFieldResolver(bool qualify)
{
    return [qualify](const QString &name) -> std::optional<QueryFieldRef> {
        const FieldDef *field = findField(name);
        if (!field)
            return std::nullopt;
        QueryFieldRef ref;
        ref.sql = sqlIdentifier(QString::fromLatin1(field->column));
        if (qualify) {
            if (const TableDef *table = findTableByPrefix(name))
                ref.sql = sqlIdentifier(QString::fromLatin1(table->sqlTable)) + u'.' + ref.sql;
        }
        switch (field->type) {
        case FieldType::Text:
        case FieldType::Memo:
            ref.kind = QueryValueKind::Text;
            break;
        case FieldType::Date:
        case FieldType::DayNumber:
            ref.kind = QueryValueKind::Date;
            break;
        default:
            ref.kind = QueryValueKind::Number;
            break;
        }
        return ref;
    };
}

namespace {
// The index narrows a search when at most one location in this many may hold the text (or only
// a few locations do).
constexpr qint64 kMostCandidatesShare = 100;
constexpr qint64 kMinimumCandidates = 1000;
} // namespace

std::optional<QuerySubstringIndex> storeSubstringIndex(Collection &collection, bool qualify)
{
    if (!collection.textIndexComplete())
        return std::nullopt;
    const QString table = sqlIdentifier(QString::fromLatin1(locationsTable().sqlTable));
    QuerySubstringIndex index;
    index.rowid = qualify ? table + QStringLiteral(".rowid") : QStringLiteral("rowid");
    index.table = QString::fromLatin1(TextIndex::Table);
    index.pending = TextIndex::pendingRows("main");
    index.match = [&collection, qualify, table](const QString &column,
                                                const QString &text) -> QString {
        for (const QString &c : TextIndex::columns()) {
            const QString resolved = qualify ? table + u'.' + sqlIdentifier(c) : sqlIdentifier(c);
            if (resolved != column)
                continue;
            if (!TextIndex::canNarrow(text))
                return {};
            // Every query of the list looks the candidates up again: for a text in many rows
            // that costs more than reading the rows in order until a page is full.
            const qint64 most = std::max(kMinimumCandidates,
                                         TextIndex::rowEstimate(collection.db(), "main")
                                             / kMostCandidatesShare);
            if (TextIndex::candidates(collection.db(), "main", c, text, most) > most)
                return {};
            return TextIndex::matchText(c, text);
        }
        return {};
    };
    return index;
}

} // namespace pk

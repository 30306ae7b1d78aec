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

std::optional<QuerySubstringIndex> storeSubstringIndex(Collection &collection, bool qualify)
{
    if (!collection.textIndexComplete())
        return std::nullopt;
    const QString table = sqlIdentifier(QString::fromLatin1(locationsTable().sqlTable));
    QuerySubstringIndex index;
    index.rowid = qualify ? table + QStringLiteral(".rowid") : QStringLiteral("rowid");
    index.table = QString::fromLatin1(TextIndex::Table);
    index.match = [qualify, table](const QString &column, const QString &text) -> QString {
        for (const QString &c : TextIndex::columns()) {
            const QString resolved = qualify ? table + u'.' + sqlIdentifier(c) : sqlIdentifier(c);
            if (resolved == column)
                return TextIndex::canNarrow(text) ? TextIndex::matchText(c, text) : QString();
        }
        return {};
    };
    return index;
}

} // namespace pk

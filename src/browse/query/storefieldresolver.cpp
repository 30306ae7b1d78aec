#include "browse/query/storefieldresolver.h"

#include "browse/query/queryfieldtable.h"
#include "store/fields.h"

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

} // namespace pk

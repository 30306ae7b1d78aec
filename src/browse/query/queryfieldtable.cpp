#include "browse/query/queryfieldtable.h"

#include "framework/userinterface.h"

namespace pk {

int QueryFieldTable::load(QStringView text)
{
    m_fields.clear();
    QList<QueryField> fields;
    const QList<QStringView> rows = text.split(RowSeparator);
    for (QStringView row : rows) {
        if (row.trimmed().isEmpty())
            continue; // the text ends with a row separator
        const QList<QStringView> cols = row.split(ColumnSeparator);
        if (cols.size() != 10)
            return WrongColumnCount;
        if (cols.at(1) != u"0")
            return BadMarker;
        QueryField f;
        f.prompt = cols.at(0).toString();
        f.name = cols.at(2).trimmed().toString();
        if (f.name.isEmpty() || !f.name.contains(u':'))
            return MissingName;
        f.picture = cols.at(3).trimmed().toString();
        bool ok = false;
        f.length = cols.at(4).toInt(&ok);
        if (!ok || f.length <= 0)
            return BadLength;
        const int type = cols.at(5).toInt(&ok);
        if (!ok || (type != 1 && type != 2 && type != 4))
            return BadType;
        f.type = static_cast<QueryField::Type>(type);
        const int control = cols.at(6).toInt(&ok);
        if (!ok || control < 1 || control > 3)
            return BadControl;
        f.control = static_cast<QueryField::Control>(control);
        if (!cols.at(8).isEmpty())
            f.choices = cols.at(8).toString().split(u'|');
        for (const QueryField &other : std::as_const(fields)) {
            if (other.name.compare(f.name, Qt::CaseInsensitive) == 0)
                return DuplicateName;
        }
        fields.append(std::move(f));
    }
    if (fields.isEmpty())
        return EmptyTable;
    m_fields = std::move(fields);
    return NoError;
}

int QueryFieldTable::initialize(QStringView text, UserInterface &ui)
{
    const int error = load(text);
    if (error != NoError) {
        ui.message(QStringLiteral("Query Wizard Error#") + QString::number(error),
                   QStringLiteral("An error has prevented the Query Wizard from initializing."),
                   UserInterface::Icon::Warning);
    }
    return error;
}

int QueryFieldTable::indexOf(const QString &name) const
{
    const QString wanted = name.trimmed();
    for (int i = 0; i < size(); ++i) {
        if (m_fields.at(i).name.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const QueryField *QueryFieldTable::find(const QString &name) const
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : &m_fields.at(i);
}

QueryFieldResolver QueryFieldTable::resolver(
    std::function<QString(const QString &prefix)> sqlTableForPrefix) const
{
    return [fields = m_fields, tableFor = std::move(sqlTableForPrefix)](
               const QString &name) -> std::optional<QueryFieldRef> {
        for (const QueryField &f : fields) {
            if (f.name.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            QueryFieldRef ref;
            const QString table = tableFor ? tableFor(f.prefix()) : QString();
            ref.sql = table.isEmpty() ? sqlIdentifier(f.column())
                                      : sqlIdentifier(table) + u'.' + sqlIdentifier(f.column());
            ref.kind = f.isDate()   ? QueryValueKind::Date
                       : f.isText() ? QueryValueKind::Text
                                    : QueryValueKind::Number;
            return ref;
        }
        return std::nullopt;
    };
}

QString sqlIdentifier(const QString &name)
{
    QString out = name;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

} // namespace pk

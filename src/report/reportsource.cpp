#include "report/reportsource.h"

#include "export/exportreader.h"
#include "store/fields.h"
#include "store/picture.h"
#include "store/recordio.h"
#include "store/view.h"
#include "store/viewcursor.h"

namespace pk {

namespace {

QString cellText(const TableDef &table, int field, const QVariantList &values)
{
    if (field < 0 || field >= values.size())
        return {};
    const FieldDef &def = table.fields[std::size_t(field)];
    const QVariant &v = values.at(field);
    if (def.isText())
        return v.toString().trimmed();
    return Picture::format(QString::fromLatin1(def.picture), v).trimmed();
}

} // namespace

ReportSource::ReportSource(Collection &collection, const ReportDefinition &definition)
    : m_collection(collection)
    , m_definition(definition)
{
    const TableDef &table = definition.categories ? categoriesTable() : locationsTable();
    for (const ReportColumn &c : definition.columns) {
        const FieldDef *def = findField(c.field);
        const QString column = def ? QString::fromLatin1(def->column) : QString();
        m_fieldIndex.push_back(
            def && findTableByPrefix(c.field) == &table ? table.fieldIndex(column) : -1);
    }
    const KeyDef &key = definition.key
                            ? *definition.key
                            : (definition.categories ? Keys::catCategory() : Keys::urlLocation());
    if (definition.categories)
        m_view = std::make_unique<View>(collection, key);
    else
        m_locations = std::make_unique<ExportReader>(collection, key);
}

ReportSource::~ReportSource() = default;

bool ReportSource::setQuery(const QString &expression, QString &message)
{
    if (!m_locations)
        return true;
    return m_locations->setQuery(expression, message);
}

qint64 ReportSource::total()
{
    if (m_locations)
        return m_locations->total();
    qint64 n = 0;
    if (!m_view->count(n))
        return 0;
    return n;
}

bool ReportSource::next(QStringList &cells)
{
    cells.clear();
    QVariantList values;
    if (m_locations) {
        LocationRecord record;
        if (!m_locations->next(record))
            return false;
        values = RecordIo::values(record);
    } else {
        if (!m_cursor)
            m_cursor = std::make_unique<ViewCursor>(*m_view);
        ViewRow row;
        if (!m_cursor->next(row)) {
            m_status = m_cursor->status();
            return false;
        }
        values = row.values;
    }
    const TableDef &table = m_definition.categories ? categoriesTable() : locationsTable();
    for (int field : m_fieldIndex)
        cells << cellText(table, field, values);
    return true;
}

const StoreStatus &ReportSource::status() const
{
    return m_locations ? m_locations->status() : m_status;
}

} // namespace pk

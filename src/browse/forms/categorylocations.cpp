#include "browse/forms/categorylocations.h"

#include "store/collection.h"
#include "store/locationmanager.h"
#include "store/view.h"
#include "store/viewcursor.h"

namespace pk {

namespace {
constexpr int LocationsPageSize = 1000;
}

CategoryLocations::CategoryLocations(Collection &collection, QString category)
    : m_collection(collection)
    , m_category(std::move(category))
{}

StoreStatus CategoryLocations::refresh()
{
    m_rows.clear();
    View view(m_collection, Keys::urlCategory());
    view.setRange({m_category});
    ViewCursor cursor(view, LocationsPageSize);
    ViewRow row;
    while (cursor.next(row))
        m_rows.push_back({row.rowId(), row.location()});
    return cursor.status();
}

const CategoryLocations::Row *CategoryLocations::rowAt(int row) const
{
    return row >= 0 && row < count() ? &m_rows[std::size_t(row)] : nullptr;
}

int CategoryLocations::locate(const QString &typed)
{
    if (m_rows.empty())
        return -1;
    View view(m_collection, Keys::urlCategory());
    view.setRange({m_category});
    ViewPosition position;
    if (!view.locate({typed}, position))
        return count() - 1;
    for (int i = 0; i < count(); ++i) {
        if (m_rows[std::size_t(i)].rowId == position.rowId)
            return i;
    }
    return 0;
}

LocationFormRequest CategoryLocations::formRequest(FormRequest request,
                                                   const Row *row,
                                                   const QString &category)
{
    LocationFormRequest form{.action = request};
    if (row)
        form.location = row->record.Location;
    else
        form.category = category;
    return form;
}

QString CategoryLocations::title()
{
    // Several of these may be open at once: the category tells them apart.
    const QString category = m_category.trimmed();
    return QStringLiteral("Browse Locations by Category (")
           + QString::number(m_collection.locations().count()) + QLatin1Char(')')
           + (category.isEmpty() ? QString() : QStringLiteral(" - ") + category);
}

} // namespace pk

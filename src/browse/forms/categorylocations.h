#pragma once

#include "shell/procedurerequests.h"
#include "store/records.h"
#include "store/storestatus.h"

#include <vector>

namespace pk {

class Collection;

/**
 * @brief The locations of one category in URL:K_Category order (by description), for the
 * category form's Locations tab and "Browse Location by Category".
 */
class CategoryLocations final
{
public:
    struct Row
    {
        qint64 rowId = 0;
        LocationRecord record;
    };

    CategoryLocations(Collection &collection, QString category);

    const QString &category() const { return m_category; }
    void setCategory(const QString &category) { m_category = category; }
    StoreStatus refresh();
    const std::vector<Row> &rows() const { return m_rows; }
    int count() const { return int(m_rows.size()); }
    const Row *rowAt(int row) const;
    /// Row of the first location whose description is at or after `typed`.
    int locate(const QString &typed);
    /// "Browse Locations by Category (" + locations in the table + ")", then " - " and the
    /// category.
    QString title();

    /// What the location form is started with: `request` on `row`'s location, or, without a
    /// row, a new location in `category`.
    static LocationFormRequest formRequest(FormRequest request,
                                           const Row *row,
                                           const QString &category);

private:
    Collection &m_collection;
    QString m_category;
    std::vector<Row> m_rows;
};

} // namespace pk

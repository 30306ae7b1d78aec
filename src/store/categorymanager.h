#pragma once

#include "store/records.h"
#include "store/storestatus.h"

#include <vector>

namespace pk {

class Collection;

/**
 * @brief Insert, change, remove and read Categories. Names are unique without regard to
 * letter case ("News" and "news" are the same category).
 */
class CategoryManager final
{
public:
    explicit CategoryManager(Collection &collection);

    /// Reads by name, ignoring letter case. RecordNotFound leaves `out` unchanged.
    StoreStatus get(const QString &category, CategoryRecord &out);
    bool exists(const QString &category);

    StoreStatus insert(const CategoryRecord &record); ///< DuplicateKey (15, "Category")
    StoreStatus change(const QString &originalCategory, const CategoryRecord &record);
    /**
     * change() when the stored category is still `expected` (what the caller read before the
     * user edited it), checked in the same transaction. Otherwise nothing is written:
     * ChangedElsewhere (catalogue 8), or RecordNotFound (catalogue 9) when it was deleted.
     */
    StoreStatus changeIfUnchanged(const QString &originalCategory,
                                  const CategoryRecord &expected,
                                  const CategoryRecord &record);
    StoreStatus remove(const QString &category);

    /// Every category in key order (the table is small by nature).
    StoreStatus list(std::vector<CategoryRecord> &out);
    static CategoryRecord prepared(const CategoryRecord &record);

private:
    Collection &m_collection;
};

} // namespace pk

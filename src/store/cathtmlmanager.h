#pragma once

#include "store/records.h"
#include "store/storestatus.h"

#include <vector>

namespace pk {

class Collection;

/// @brief HTML snippets per category and placement (CatHTML).
class CatHtmlManager final
{
public:
    explicit CatHtmlManager(Collection &collection);

    /// By category and type, ignoring letter case. RecordNotFound leaves `out` unchanged.
    StoreStatus get(const QString &category, const QString &typeOfHtml, CatHtmlRecord &out);
    StoreStatus insert(const CatHtmlRecord &record); ///< DuplicateKey
    StoreStatus change(const QString &category,
                       const QString &typeOfHtml,
                       const CatHtmlRecord &record);
    /// change() when the stored snippet is still `expected`, checked in the same transaction;
    /// ChangedElsewhere (catalogue 8) or RecordNotFound (9) otherwise, nothing written.
    StoreStatus changeIfUnchanged(const QString &category,
                                  const QString &typeOfHtml,
                                  const CatHtmlRecord &expected,
                                  const CatHtmlRecord &record);
    StoreStatus remove(const QString &category, const QString &typeOfHtml);
    /// Every snippet of a category, in type order.
    StoreStatus list(const QString &category, std::vector<CatHtmlRecord> &out);
    static CatHtmlRecord prepared(const CatHtmlRecord &record);

private:
    Collection &m_collection;
};

} // namespace pk

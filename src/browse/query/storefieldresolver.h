#pragma once

#include "browse/query/querycompiler.h"

namespace pk {

class Collection;

/**
 * @brief Resolves field names through the store's field definitions (store/fields.h).
 *
 * `URL:Location` becomes the column `"Location"`; with `qualify`, `"Locations"."Location"`, for
 * filters over joined tables (an export reading locations with their category).
 */
QueryFieldResolver storeFieldResolver(bool qualify = false);

/**
 * The collection's substring index for "contains" searches over Locations, when it is complete;
 * `qualify` as for storeFieldResolver().
 */
std::optional<QuerySubstringIndex> storeSubstringIndex(Collection &collection, bool qualify = false);

} // namespace pk

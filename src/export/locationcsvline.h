#pragma once

#include "store/records.h"

#include <QString>

namespace pk {

/**
 * @brief The comma-delimited line of one location: category, address, description, then the
 * site information and the rating when asked for.
 *
 * Values go out as stored, quoted and without quote doubling (the line reader finds fields by
 * their quote-comma-quote separators). A line break inside a value becomes a blank so that one
 * location stays one line.
 */
namespace LocationCsvLine {

QString write(const LocationRecord &record, bool withSiteInfo, bool withRating);

} // namespace LocationCsvLine

} // namespace pk

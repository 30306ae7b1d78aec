#pragma once

#include "store/records.h"

#include <QString>
#include <QStringView>

namespace pk {

/**
 * @brief The location CSV line: category, address, description, site information and rating.
 *
 * One location per line, no header. The four text fields are enclosed in double quotes, the
 * rating is a plain number. Written by the HTML and list export (type "CSV") and read by the
 * text import (kind "CSV").
 *
 * A double quote inside a value is written doubled and read back as one quote, and line breaks
 * inside a value are written as "|" (a carriage return is dropped), so that every location stays
 * on one line and reads back whole. Lines without doubled quotes read exactly as they always have.
 */
class LocationCsvLine final
{
public:
    /// Which of the optional fields a line carries.
    enum class Layout {
        Full,            ///< category, address, description, site information, rating
        WithoutRating,   ///< ends with the closing quote of the site information
        WithoutSiteInfo, ///< the rating follows the description
        Short            ///< category, address, description
    };

    static constexpr int CategoryWidth = 50;
    static constexpr int LocationWidth = 255;
    static constexpr int DescriptionWidth = 255;
    static constexpr int SiteInfoWidth = 2048;

    /// The layout for the export's site-information and rating choices.
    static Layout layoutFor(bool withSiteInfo, bool withRating);

    /// One line (without line end) for `location`, its category taken from `location.Category`.
    static QString write(const LocationRecord &location, Layout layout);

    /**
     * Reads one line. A line without a double quote, or without the quote-comma-quote that ends
     * the category, is rejected: false, and nothing is changed. Otherwise `category` receives the
     * first field and `location` is cleared and given the address, description, site information
     * and rating (0 when absent or not a number). Values lose leading and trailing blanks and
     * are cut to their field widths.
     */
    static bool read(QStringView line, QString &category, LocationRecord &location);
};

} // namespace pk

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
 * inside a description or site information stay inside its quotes (a carriage return is
 * dropped), so such a location spans several lines of the file and reads back whole (the reader
 * joins lines while endsInsideQuotes()); in the category and the address, which hold none, a
 * line break is written as "|".
 * Lines without doubled quotes read exactly as they always have. The address is never cut.
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
    static constexpr int LocationWidth = 2048;
    static constexpr int DescriptionWidth = 255;
    static constexpr int SiteInfoWidth = 2048;

    /// The layout for the export's site-information and rating choices.
    static Layout layoutFor(bool withSiteInfo, bool withRating);

    /// One line (without line end) for `location`, its category taken from `location.Category`.
    static QString write(const LocationRecord &location, Layout layout);

    /// Whether the text ends inside a quoted address, description or site information, by the
    /// field rules of read(): the record goes on over the next line.
    static bool endsInsideQuotes(QStringView line);

    /**
     * Whether a field read as the address can be one: not blank, no blanks or control
     * characters inside, and a scheme ("http:") or at least a dot. A file whose columns are in
     * another order gives descriptions and categories here, which are no addresses.
     */
    static bool isAddress(QStringView location);

    /**
     * Reads one line (or a record of several, joined by line feeds). A line without a double quote, or without the quote-comma-quote that ends
     * the category, is rejected: false, and nothing is changed. Otherwise `category` receives the
     * first field and `location` is cleared and given the address, description, site information
     * and rating (0 when absent or not a number). Values lose leading and trailing blanks and
     * are cut to their field widths, except the address.
     */
    static bool read(QStringView line, QString &category, LocationRecord &location);
};

} // namespace pk

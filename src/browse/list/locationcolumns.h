#pragma once

#include "store/records.h"

#include <QString>

#include <span>

namespace pk {

/// One column of the location list: heading, field, display picture, width in dialog units.
struct LocationColumn
{
    const char *heading; ///< "" for the state icon column
    const char *field;   ///< "URL:Description"
    const char *picture; ///< "@S100"; "" for the icon column
    int width;           ///< dialog units
};

/**
 * @brief The location list's sixteen columns and how a record's value reads in each.
 */
class LocationColumns final
{
public:
    enum Column {
        State,
        Description,
        Location,
        Category,
        Rating,
        Keyword,
        LastVisit,
        LastValidated,
        Comments,
        UserName,
        Password,
        Custom1,
        Custom2,
        Custom3,
        SiteInfo,
        EmailAddress,
        Count
    };

    static std::span<const LocationColumn> columns();
    static const LocationColumn &column(int index);

    /// The column's text for a record, formatted through the column's picture.
    static QString display(const LocationRecord &record, int column);
    /// The column's raw value (numbers as numbers), for sorting and tests.
    static QVariant value(const LocationRecord &record, int column);
    /// SQL column the list sorts on when the heading is clicked.
    static const char *sqlColumn(int column);

    /// The layout token the saved header state is checked against: a new column set resets it.
    static QString builtInFormat();

    /// The field description handed to the "Find..." dialog: label|picture|field| triples.
    static QString findFields();
};

} // namespace pk

#pragma once

#include <QString>
#include <QtGlobal>

namespace pk {

// Records carry the field names of their tables as member names. Text members hold values
// without trailing spaces; record managers trim and cut them to the field width on assignment.

/// Table Locations (prefix URL).
struct LocationRecord
{
    QString Location;         ///< 2048, the identity of a location; never cut
    QString Description;      ///< 255
    QString Category;         ///< 50, names a row of Categories
    int Rating = 0;           ///< -99..99
    QString Keyword;          ///< 20
    QString SiteInfo;         ///< 2048
    qint32 LastVisit = 0;     ///< day number
    qint32 LastValidated = 0; ///< day number
    quint8 Validated = 0;     ///< 0 unknown, 1 passed, 2 failed
    QString MovedTo;          ///< 2048, an address like Location
    QString Comments;         ///< 1024
    QString UserName;         ///< 40
    QString Password;         ///< 20
    qint32 Expires = 0;       ///< day number
    qint32 PageSize = 0;
    QString EmailAddress;     ///< 60
    QString OriginalFilename; ///< 255
    QString Custom1;          ///< 60
    QString Custom2;          ///< 60
    QString Custom3;          ///< 60

    bool operator==(const LocationRecord &) const = default;
};

/// Table URLDetails (prefix UDT): label/value pairs of a location.
struct DetailRecord
{
    QString Location;    ///< 2048
    qint32 Sequence = 0; ///< assigned on insert
    QString DataLabel;   ///< 30
    QString DataValue;   ///< 90

    bool operator==(const DetailRecord &) const = default;
};

/// Table URLKeywords (prefix UDK).
struct KeywordRecord
{
    QString Location;    ///< 2048
    qint32 Sequence = 0; ///< assigned on insert
    QString Keyword;     ///< 32

    bool operator==(const KeywordRecord &) const = default;
};

/// Table Configuration (prefix CF): one named setting of the collection.
struct ConfigurationRecord
{
    QString DataType;  ///< 40
    QString DataValue; ///< 255

    bool operator==(const ConfigurationRecord &) const = default;
};

/// Table Categories (prefix CAT, file URL_C.TPS).
struct CategoryRecord
{
    QString Category; ///< 50
    quint8 Flag = 0;
    QString Description; ///< memo, 1000

    bool operator==(const CategoryRecord &) const = default;
};

/// Table CatHTML (prefix HTM, file URL_H.TPS).
struct CatHtmlRecord
{
    QString CATEGORY;   ///< 50
    QString TypeOfHTML; ///< 30
    QString HTMLtoAdd;  ///< memo, 1000

    bool operator==(const CatHtmlRecord &) const = default;
};

/// Locations of the previous program version (prefix ILOC, file URL_L.TPS); read only.
struct ImportLocationRecord
{
    QString LOCATION;    ///< 255
    QString DESCRIPTION; ///< 100
    QString CATEGORY;    ///< 30
    int RATING = 0;      ///< -99..99
    QString KEYWORD;     ///< 10
    QString SiteInfo;    ///< memo, 1000

    bool operator==(const ImportLocationRecord &) const = default;
};

} // namespace pk

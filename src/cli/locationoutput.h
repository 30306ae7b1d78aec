#pragma once

#include "store/records.h"

#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <optional>

namespace pk {

/**
 * @brief Writes locations as a table, as CSV lines or as JSON, one record at a time.
 *
 * - table: aligned columns Location, Category, Rating, State, Description for people; long
 *   texts are cut with "~".
 * - csv: the location CSV line of the list export (category, address, description, site
 *   information, rating), which the text import reads back.
 * - json: one array of objects with every field but the password; dates as "yyyy-MM-dd" or
 *   null, Validated as "unknown", "passed" or "failed". The keys and their meaning do not change
 *   between versions (scripts rely on them); new keys may be added.
 *
 * Memory stays flat: nothing is kept but the counter, so a million locations stream out.
 */
class LocationOutput final
{
public:
    enum class Format { Table, Csv, Json };

    static std::optional<Format> formatFromName(const QString &name);

    LocationOutput(Format format, std::FILE *out = stdout);
    LocationOutput(const LocationOutput &) = delete;
    LocationOutput &operator=(const LocationOutput &) = delete;

    void begin();
    void add(const LocationRecord &record);
    void end();
    qint64 count() const { return m_count; }

    /// The JSON object of one location.
    static QJsonObject toJson(const LocationRecord &record);
    /// "unknown", "passed", "failed" for Validated 0, 1, 2.
    static QString stateName(int validated);
    /// One row of the table: fixed-width columns, long texts cut with "~", on one line.
    static QString tableRow(const LocationRecord &record);
    static QString tableHeading();

private:
    void write(const QByteArray &bytes);

    Format m_format;
    std::FILE *m_out;
    qint64 m_count = 0;
};

} // namespace pk

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace pk {

struct KeyDef;

/// One column of a printed report: its heading, the field it shows and how wide it likes to be.
struct ReportColumn
{
    QString heading;
    QString field;           ///< "URL:Location", "CAT:Description"
    int characters = 20;     ///< the width the values usually need, in characters
    bool alignRight = false; ///< numbers line up on the right
    int maxCharacters = 0;   ///< values are cut to this many characters; 0 shows them whole

    bool operator==(const ReportColumn &) const = default;
};

/**
 * @brief What a printed report shows: title, lines under it, columns, the order of its records
 * and the table they come from.
 */
struct ReportDefinition
{
    QString title;
    QStringList subtitles; ///< printed under the title (description, date)
    QList<ReportColumn> columns;
    const KeyDef *key = nullptr; ///< the order of the records
    bool categories = false;     ///< rows of Categories instead of Locations
    QString queryQuestion;       ///< empty: the report asks for no query

    /// The fixed report a procedure name stands for; nothing for an unknown name.
    static std::optional<ReportDefinition> fixed(const QString &procedure);
    /// The column of a field for the configurable report, with its usual width.
    static ReportColumn column(const QString &heading, const QString &field);
};

} // namespace pk

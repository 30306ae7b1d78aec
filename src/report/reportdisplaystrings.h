#pragma once

#include <QHash>
#include <QString>

namespace pk {

/**
 * @brief The texts of the report windows and questions, read from section "DISPLAY STRINGS 2.0"
 * of the report INI file, each with its default.
 *
 * A '|' in a text starts a new line.
 */
class ReportDisplayStrings final
{
public:
    static constexpr const char *Section = "DISPLAY STRINGS 2.0";

    /// The defaults only.
    ReportDisplayStrings();
    /// The defaults, overridden by what `iniPath` holds.
    static ReportDisplayStrings load(const QString &iniPath);

    /// The text of `key` ("ProgWinTitlePrvw", ...) with '|' turned into line breaks; the key
    /// itself when it is unknown.
    QString text(const QString &key) const;

private:
    QHash<QString, QString> m_texts;
};

} // namespace pk

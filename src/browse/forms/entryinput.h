#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace pk {

class UserInterface;
struct FieldDef;

/**
 * @brief Reads what was typed into a form's entries, refusing what would be stored other than
 * it was typed: dates that do not read or lie outside the years day numbers cover, numbers
 * that are not whole or do not fit, text with control characters or cut to the field's width.
 *
 * Each reader returns nothing for a refused entry; the report*() functions tell the user why,
 * naming the entry, the expected form and the range, so the typed text can be corrected.
 */
class EntryInput final
{
public:
    static constexpr int FirstYear = 1801;
    static constexpr int LastYear = 2099;
    static constexpr const char *Title = "Invalid Entry";

    /// Blank is no date (0); otherwise the short date of the locale (or yyyy-MM-dd) of a day
    /// from 1 January 1801 to 31 December 2099.
    static std::optional<qint32> date(const QString &typed);
    /// The short date form of the locale, as a user reads it ("dd/MM/yyyy").
    static QString dateForm();
    static QString dateMessage(const QString &prompt, const QString &typed);

    /// Blank is 0; otherwise a whole number (',' grouping allowed) of a signed 32-bit field.
    static std::optional<qint32> wholeNumber(const QString &typed);
    static QString numberMessage(const QString &prompt, const QString &typed);

    struct Text
    {
        QString text;
        bool cleaned = false; ///< control or undecodable characters were removed
        bool cut = false;     ///< the text was longer than the field
    };
    /**
     * `typed` as a field of `width` characters can hold it: characters that are no text
     * (control characters, U+FFFD left by undecodable bytes, lone surrogates, noncharacters)
     * removed, a tab or line break becoming a space unless `multiLine` keeps them; then cut to
     * `width` characters.
     */
    static Text fit(const QString &typed, int width, bool multiLine = false);
    /// What fit() did to the entry, for a notice; empty when it changed nothing.
    static QString fitMessage(const QString &prompt, const Text &fitted, int width);

    /// Text wider than a line holds comfortably is edited in a text box, line breaks kept;
    /// addresses stay on one line however long.
    static bool isMultiLine(const FieldDef &field);
    /// URL:Location and URL:MovedTo: taken whole or refused, never cut.
    static bool isAddress(const FieldDef &field);

    /// What the entry of a Locations field takes from `typed`.
    struct Taken
    {
        std::optional<QVariant> value; ///< nothing when refused
        QString refusal;               ///< why, naming the entry (report() shows it)
        std::optional<QString> fitted; ///< text refused as cut or cleaned: what would be kept
    };
    /**
     * The rules of the location form's typed entries for `field` (shown under `prompt`): a date
     * field takes date(), a number field wholeNumber(), an address the rule of LocationAddress
     * (blank left to the required-entry check), a text what fit() leaves unchanged.
     */
    static Taken take(const FieldDef &field,
                      const QString &prompt,
                      const QString &typed,
                      bool multiLine);

    /// The prompt as a user reads it: "&Last Visit:" becomes "Last Visit".
    static QString promptName(const QString &prompt);
    static void report(UserInterface &ui, const QString &message);
};

} // namespace pk

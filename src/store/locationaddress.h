#pragma once

#include <QString>
#include <QStringView>

namespace pk {

/**
 * @brief The rule every address must meet before it is stored (`URL:Location`, `URL:MovedTo`):
 * at most MaxLength characters, kept whole; an address is never cut to fit.
 *
 * Addresses typed or handed to the program by a person (the form, the New-location wizard,
 * `pathkeep-cli add`) must also be one piece of text: no blanks, tabs, line breaks or other
 * control characters inside. Imports take the length rule and the control characters; blanks
 * inside are left to each reader (file paths and bookmarklets may hold them).
 */
class LocationAddress final
{
public:
    /// Characters (code points) an address may have.
    static constexpr int MaxLength = 2048;

    enum class Problem {
        None,
        Blank,            ///< nothing but blanks
        TooLong,          ///< more than MaxLength characters
        ControlCharacter, ///< a line break, tab or other control character inside
        BlankInside       ///< a blank between its characters
    };

    /// What is wrong with `address` (leading and trailing blanks aside); None when it may be
    /// stored. `typed` adds the rule for blanks inside.
    static Problem check(QStringView address, bool typed = true);

    /// The message for `problem`, naming the address (shortened when it is very long) and,
    /// for a long one, its length and the limit.
    static QString message(Problem problem, QStringView address);

    /// `address` for a message: whole up to 100 characters, else its start and end around "...".
    static QString shown(QStringView address);
};

} // namespace pk

#pragma once

#include <QString>

namespace pk {

/**
 * @brief The keyword a new location gets while its keyword is blank.
 *
 * One routine for the location form, the New-location wizard and the imports, so that a
 * location gets the same keyword whichever way it arrives.
 */
class KeywordGuess final
{
public:
    static constexpr int MaxWordLength = 20; ///< characters kept of each word

    /**
     * The longest word of `description` that is not a stop word (HOW, WHERE, WHEN, WHAT, WHICH,
     * FTP, HTTP, THE, AND, IF, A), or the shortest word when all are stop words, written with a
     * capital first letter and the rest in lower case. A word is a run of letters (characters
     * with distinct upper- and lower-case forms). Among words of equal length the
     * alphabetically first wins. Blank when the description has no letters.
     */
    static QString fromDescription(const QString &description);

    /// The wizard's default: the text before the first "://", else "mailto:" for a mail
    /// address, else "?".
    static QString fromLocation(const QString &location);

    /// True for the words fromDescription() passes over.
    static bool isStopWord(const QString &upperWord);
};

} // namespace pk

#pragma once

#include "linkcheck/analysis/pagedecoder.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace pk {

/**
 * @brief Cuts HTML text into tags and the text between them; shared by page analysis and the
 * HTML import.
 *
 * A "<" ends the current token before itself, a ">" after itself. A piece shorter than two
 * characters is not emitted but stays at the front of the next one, so "a<b>" is one token.
 * Whatever follows the last end of a block is a token too: tokens never span two blocks. CR and
 * LF are removed, tokens blank after that are dropped, and a token keeps at most 4096
 * characters.
 */
class TokenCutter final
{
public:
    static constexpr qsizetype MaxToken = 4096;

    /// Appends the tokens of `block` to `tokens`.
    static void cut(QStringView block, std::vector<QString> &tokens);

    /// Cuts raw page bytes, decoded in the page's character set across block boundaries.
    void cutBytes(const char *data, qsizetype size, std::vector<QString> &tokens);

    /// Chooses the character set; UTF-8 until it is called.
    PageDecoder &decoder() { return m_decoder; }

private:
    PageDecoder m_decoder;
};

} // namespace pk

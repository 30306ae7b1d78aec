#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace pk {

/**
 * @brief Cuts the lines of an HTML document into tokens (tags and the text between them) on a
 * bounded buffer.
 *
 * Lines are joined with one space; whatever follows the last ">" waits for the next line, unless
 * the waiting text reaches FlushLength characters, which is then cut as it stands, up to a tag
 * still open at its end (that tag waits for its rest). A line handed over in pieces (a
 * continuation) is joined without the space.
 */
class HtmlCutter final
{
public:
    static constexpr qsizetype FlushLength = 7169;
    static constexpr qsizetype MaxPending = 8192;

    explicit HtmlCutter(std::vector<QString> &tokens)
        : m_tokens(tokens)
    {}

    void addLine(QStringView line, bool continuation = false);
    /// Cuts what is still waiting (at the end of the document).
    void finish();
    qsizetype pendingLength() const { return m_pending.size(); }

private:
    std::vector<QString> &m_tokens;
    QString m_pending;
};

} // namespace pk

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <optional>

namespace pk {

/**
 * @brief Turns a web page's bytes into text in the page's own character set, block by block.
 *
 * The character set is the one the Content-Type header names, else the one a META tag in the
 * page's first bytes names, else the one a byte-order mark shows; without any of them the
 * page is read as UTF-8, and bytes that are not valid UTF-8 as Windows-1252 (what pages
 * without a declaration mostly are). ISO-8859-1 and US-ASCII are read as Windows-1252, as
 * browsers do. Sequences cut between two blocks are joined.
 */
class PageDecoder final
{
public:
    /// The charset parameter of a Content-Type value ("text/html; charset=ISO-8859-1"), lower
    /// case without quotes; empty when there is none.
    static QByteArray charsetOfContentType(QByteArrayView contentType);
    /// The charset a META tag in `head` declares (either form), lower case; empty for none.
    static QByteArray charsetOfMeta(QByteArrayView head);

    /// Chooses the character set from the header's value and the page's first bytes; call it
    /// before the first decode().
    void choose(QByteArrayView contentType, QByteArrayView head);
    /// The character set in use: "utf-8", "windows-1252", or another name Qt decodes.
    QByteArray charset() const { return m_charset; }

    QString decode(QByteArrayView bytes);

private:
    enum class Mode { Utf8, Windows1252, Other };

    QString decodeUtf8(QByteArrayView bytes);
    void use(const QByteArray &charset);

    Mode m_mode = Mode::Utf8;
    QByteArray m_charset = QByteArrayLiteral("utf-8");
    QByteArray m_carry; ///< the start of a UTF-8 sequence the last block cut off
    std::optional<QStringDecoder> m_other;
};

} // namespace pk

#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>

#include <optional>

namespace pk {

/**
 * @brief Reads an import file line by line as text, whatever its line ends and character set.
 *
 * Lines end at a carriage return, a line feed or both together; the line-end characters are not
 * part of the line. The character set is the one the file declares (a byte-order mark, or a
 * `charset=` in its first 4 KB, as in an HTML META tag), UTF-16 when the start of the file has
 * a zero byte beside nearly every other byte, UTF-8 otherwise. Where UTF-8 is expected, each
 * byte that starts no valid UTF-8 sequence is read as Windows-1252 and everything else as UTF-8,
 * so the text handed out is always valid. A line longer than the longest line asked for comes in
 * pieces, the later ones marked as continuations, so a file without any line end never needs
 * more memory than one piece. isText() tells a file that is no text (a program, an image).
 */
class TextLineReader final
{
public:
    static constexpr qsizetype DefaultMaxLine = 1024 * 1024;

    struct Line
    {
        QString text;
        bool continuation = false; ///< the rest of the previous line, cut for its length
    };

    TextLineReader() = default;
    TextLineReader(const TextLineReader &) = delete;
    TextLineReader &operator=(const TextLineReader &) = delete;

    /// Opens the file; false (with errorString()) when it cannot be read.
    bool open(const QString &path);
    QString errorString() const { return m_error; }
    void setMaxLineLength(qsizetype characters) { m_maxLine = characters; }

    /// The next line, nothing at the end of the file.
    std::optional<Line> next();

    qint64 size() const { return m_size; }
    /// Bytes consumed so far (for a percentage).
    qint64 position() const;
    /// The character set in use: "UTF-8", "UTF-16LE", "UTF-16BE", "Windows-1252" or a name
    /// the file declared.
    QString charset() const { return m_charset; }
    /// False when the start of the file holds zero bytes or many control characters (in the
    /// character set found): it is not text.
    bool isText() const { return m_text; }

    /// Windows-1252 bytes as text (undefined bytes keep their Latin-1 meaning).
    static QString fromWindows1252(QByteArrayView bytes);
    /// UTF-8, with every byte that starts no valid UTF-8 sequence read as Windows-1252.
    static QString decodeUtf8OrWindows1252(QByteArrayView bytes);
    /// UTF-16 without a byte-order mark, judged by where the zero bytes of the start of a file
    /// fall: QStringDecoder::Utf16LE or Utf16BE, nothing when it does not look like UTF-16.
    static std::optional<QStringDecoder::Encoding> utf16WithoutMark(QByteArrayView head);
    /// Whether the start of a file, decoded, looks like text (see isText()).
    static bool looksLikeText(QStringView head);
    /// The character set declared by the start of a file, nothing when none.
    static std::optional<QString> declaredCharset(QByteArrayView head);

private:
    /// Utf8: UTF-8 with the Windows-1252 fall-back per line; Converted: another character set,
    /// turned into UTF-8 as blocks are read.
    enum class Mode { Utf8, Windows1252, Converted };

    bool fill();
    QString decode(QByteArrayView bytes) const;

    QFile m_file;
    QString m_error;
    QString m_charset;
    Mode m_mode = Mode::Utf8;
    std::optional<QStringDecoder> m_converter;
    QByteArray m_bytes; ///< bytes read and not yet handed out from m_offset on
    qsizetype m_offset = 0;
    qsizetype m_scan = 0; ///< where the search for a line end goes on
    qsizetype m_maxLine = DefaultMaxLine;
    qint64 m_size = 0;
    bool m_eof = false;
    bool m_text = true;
    bool m_pendingContinuation = false;
    bool m_skipLf = false; ///< a CR ended the last line; a LF right after it belongs to it
};

} // namespace pk

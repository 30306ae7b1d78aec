#include "import/textlinereader.h"

#include <array>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr qint64 kBlock = 64 * 1024;
constexpr qsizetype kHead = 4096;

// Windows-1252 in 0x80..0x9F; the five undefined bytes keep their Latin-1 value.
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026,
                                                  0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
                                                  0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018,
                                                  0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D,
                                                  0x017E, 0x0178};

bool isWindows1252Name(const QString &name)
{
    static const QStringList names = {u"windows-1252"_s,
                                      u"cp1252"_s,
                                      u"iso-8859-1"_s,
                                      u"iso8859-1"_s,
                                      u"latin1"_s,
                                      u"latin-1"_s,
                                      u"us-ascii"_s,
                                      u"ascii"_s,
                                      u"x-cp1252"_s,
                                      u"iso-8859-15"_s};
    return names.contains(name, Qt::CaseInsensitive);
}

bool isUtf8Name(const QString &name)
{
    return name.compare(u"utf-8"_s, Qt::CaseInsensitive) == 0
           || name.compare(u"utf8"_s, Qt::CaseInsensitive) == 0;
}

} // namespace

QString TextLineReader::fromWindows1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *d++ = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

QString TextLineReader::decodeUtf8OrWindows1252(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return fromWindows1252(bytes);
    return text;
}

std::optional<QString> TextLineReader::declaredCharset(QByteArrayView head)
{
    const QByteArray lower = head.first(std::min(head.size(), kHead)).toByteArray().toLower();
    const qsizetype at = lower.indexOf("charset=");
    if (at < 0)
        return std::nullopt;
    qsizetype i = at + 8;
    while (i < lower.size() && (lower[i] == '"' || lower[i] == '\'' || lower[i] == ' '))
        ++i;
    const qsizetype start = i;
    while (i < lower.size()) {
        const char c = lower[i];
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':'
              || c == '.'))
            break;
        ++i;
    }
    if (i == start)
        return std::nullopt;
    return QString::fromLatin1(lower.mid(start, i - start));
}

bool TextLineReader::open(const QString &path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    m_size = m_file.size();
    const QByteArray head = m_file.peek(kHead);
    m_mode = Mode::Utf8;
    m_charset = u"UTF-8"_s;
    if (head.startsWith("\xEF\xBB\xBF")) {
        m_file.read(3);
    } else if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        const bool le = head.startsWith("\xFF\xFE");
        m_file.read(2);
        m_mode = Mode::Converted;
        m_converter.emplace(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        m_charset = le ? u"UTF-16LE"_s : u"UTF-16BE"_s;
    } else if (const std::optional<QString> declared = declaredCharset(head)) {
        if (isWindows1252Name(*declared)) {
            m_mode = Mode::Windows1252;
            m_charset = u"Windows-1252"_s;
        } else if (!isUtf8Name(*declared)) {
            const QByteArray name = declared->toLatin1();
            QStringDecoder decoder(name.constData());
            if (decoder.isValid()) {
                m_mode = Mode::Converted;
                m_converter.emplace(std::move(decoder));
                m_charset = *declared;
            }
        }
    }
    return true;
}

bool TextLineReader::fill()
{
    if (m_eof)
        return false;
    if (m_offset > 0 && m_offset >= m_bytes.size() / 2) {
        m_bytes.remove(0, m_offset);
        m_scan -= m_offset;
        m_offset = 0;
    }
    const QByteArray block = m_file.read(kBlock);
    if (block.isEmpty()) {
        m_eof = true;
        return false;
    }
    if (m_mode == Mode::Converted)
        m_bytes += QString(m_converter->decode(block)).toUtf8();
    else
        m_bytes += block;
    return true;
}

QString TextLineReader::decode(QByteArrayView bytes) const
{
    switch (m_mode) {
    case Mode::Windows1252:
        return fromWindows1252(bytes);
    case Mode::Converted:
        return QString::fromUtf8(bytes); // converted to UTF-8 when read
    case Mode::Utf8:
        break;
    }
    return decodeUtf8OrWindows1252(bytes);
}

std::optional<TextLineReader::Line> TextLineReader::next()
{
    const qsizetype maxBytes = std::max<qsizetype>(m_maxLine, 4);
    for (;;) {
        if (m_skipLf) {
            if (m_offset >= m_bytes.size() && !fill()) {
                m_skipLf = false;
                continue;
            }
            if (m_offset < m_bytes.size()) {
                if (m_bytes[m_offset] == '\n')
                    ++m_offset;
                m_skipLf = false;
            }
        }
        if (m_scan < m_offset)
            m_scan = m_offset;
        const char *data = m_bytes.constData();
        const qsizetype size = m_bytes.size();
        qsizetype end = -1;
        for (qsizetype i = m_scan; i < size && i - m_offset < maxBytes; ++i) {
            if (data[i] == '\r' || data[i] == '\n') {
                end = i;
                break;
            }
        }
        Line line;
        line.continuation = m_pendingContinuation;
        if (end >= 0) {
            line.text = decode(QByteArrayView(data + m_offset, end - m_offset));
            m_skipLf = data[end] == '\r';
            m_offset = end + 1;
            m_scan = m_offset;
            m_pendingContinuation = false;
            return line;
        }
        if (size - m_offset >= maxBytes) {
            // Too long: hand out a piece, never splitting a UTF-8 sequence.
            qsizetype cut = m_offset + maxBytes;
            if (m_mode != Mode::Windows1252) {
                qsizetype back = cut;
                while (back > m_offset + 1 && back > cut - 4
                       && (static_cast<unsigned char>(data[back]) & 0xC0) == 0x80)
                    --back;
                cut = back;
            }
            line.text = decode(QByteArrayView(data + m_offset, cut - m_offset));
            m_offset = cut;
            m_scan = m_offset;
            m_pendingContinuation = true;
            return line;
        }
        m_scan = size;
        if (!fill()) {
            if (m_offset >= m_bytes.size())
                return std::nullopt;
            line.text = decode(
                QByteArrayView(m_bytes.constData() + m_offset, m_bytes.size() - m_offset));
            m_offset = m_bytes.size();
            m_scan = m_offset;
            m_pendingContinuation = false;
            return line;
        }
    }
}

qint64 TextLineReader::position() const
{
    return m_file.isOpen() ? m_file.pos() : 0;
}

} // namespace pk

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
    if (!utf8.hasError())
        return text;
    // Sequence by sequence: only the bytes that start no valid sequence are read otherwise.
    QString out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += QChar(char16_t(b));
            ++i;
            continue;
        }
        int length = 0;
        char32_t value = 0;
        char32_t least = 0;
        if ((b & 0xE0) == 0xC0) {
            length = 2;
            value = b & 0x1F;
            least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
            value = b & 0x0F;
            least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4;
            value = b & 0x07;
            least = 0x10000;
        }
        bool valid = length > 0 && i + length <= n;
        for (int k = 1; valid && k < length; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            valid = (c & 0xC0) == 0x80;
            value = (value << 6) | (c & 0x3F);
        }
        valid = valid && value >= least && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        if (valid) {
            out += QString::fromUcs4(&value, 1);
            i += length;
        } else {
            out += fromWindows1252(bytes.sliced(i, 1));
            ++i;
        }
    }
    return out;
}

std::optional<QStringDecoder::Encoding> TextLineReader::utf16WithoutMark(QByteArrayView head)
{
    const qsizetype pairs = std::min(head.size(), kHead) / 2;
    if (pairs < 2)
        return std::nullopt;
    qsizetype zeroEven = 0;
    qsizetype zeroOdd = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        zeroEven += head[2 * i] == '\0' ? 1 : 0;
        zeroOdd += head[2 * i + 1] == '\0' ? 1 : 0;
    }
    // Markup and Latin text in UTF-16: the high byte of nearly every character is zero, the low
    // byte almost never.
    const auto mostly = [pairs](qsizetype zeros) { return zeros * 10 >= pairs * 3; };
    const auto rarely = [pairs](qsizetype zeros) { return zeros * 50 <= pairs; };
    if (mostly(zeroOdd) && rarely(zeroEven))
        return QStringDecoder::Utf16LE;
    if (mostly(zeroEven) && rarely(zeroOdd))
        return QStringDecoder::Utf16BE;
    return std::nullopt;
}

bool TextLineReader::looksLikeText(QStringView head)
{
    qsizetype controls = 0;
    for (const QChar c : head) {
        const char16_t u = c.unicode();
        if (u == 0)
            return false;
        // Tab, line ends, form feed and escape occur in text; the other controls do not.
        if (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != 0x0B && u != 0x0C
            && u != 0x1B)
            ++controls;
    }
    return controls * 100 <= head.size();
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
    } else if (const std::optional<QStringDecoder::Encoding> wide = utf16WithoutMark(head)) {
        m_mode = Mode::Converted;
        m_converter.emplace(*wide);
        m_charset = *wide == QStringDecoder::Utf16LE ? u"UTF-16LE"_s : u"UTF-16BE"_s;
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
    // Judged on the start of the file in the character set found.
    QByteArrayView start(head);
    if (start.startsWith("\xEF\xBB\xBF"))
        start = start.sliced(3);
    else if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF"))
        start = start.sliced(2);
    if (m_mode == Mode::Converted) {
        QStringDecoder probe(m_converter->name());
        const QString text = probe.decode(start.first(start.size() & ~qsizetype(1)));
        m_text = looksLikeText(text);
    } else {
        m_text = looksLikeText(fromWindows1252(start));
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

#include "linkcheck/analysis/pagedecoder.h"

namespace pk {

namespace {

/// Windows-1252 characters of bytes 0x80 to 0x9F; the five bytes it leaves unassigned keep
/// their own code, as browsers do.
constexpr char16_t Windows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020,
                                          0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D,
                                          0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D,
                                          0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A,
                                          0x0153, 0x009D, 0x017E, 0x0178};

char16_t windows1252(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? Windows1252High[byte - 0x80] : char16_t(byte);
}

/// Length of the UTF-8 sequence `lead` starts; 0 for a byte that cannot start one.
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

/// Whether the `length` bytes at `p` form one valid UTF-8 sequence (no overlong forms, no
/// surrogates, nothing above U+10FFFF).
bool validSequence(const unsigned char *p, int length)
{
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return false;
    }
    if (length == 3) {
        if (p[0] == 0xE0 && p[1] < 0xA0)
            return false;
        if (p[0] == 0xED && p[1] >= 0xA0)
            return false;
    } else if (length == 4) {
        if (p[0] == 0xF0 && p[1] < 0x90)
            return false;
        if (p[0] == 0xF4 && p[1] >= 0x90)
            return false;
    }
    return true;
}

QByteArray unquoted(QByteArray value)
{
    value = value.trimmed();
    while (!value.isEmpty() && (value.front() == '"' || value.front() == '\''))
        value.remove(0, 1);
    qsizetype end = 0;
    while (end < value.size()) {
        const char c = value.at(end);
        if (c == '"' || c == '\'' || c == ';' || c == ' ' || c == '>' || c == '/' || c == '\t')
            break;
        ++end;
    }
    return value.left(end).toLower();
}

} // namespace

QByteArray PageDecoder::charsetOfContentType(QByteArrayView contentType)
{
    const QByteArray lower = contentType.toByteArray().toLower();
    const qsizetype at = lower.indexOf("charset=");
    return at < 0 ? QByteArray() : unquoted(lower.mid(at + 8));
}

QByteArray PageDecoder::charsetOfMeta(QByteArrayView head)
{
    const QByteArray lower = head.toByteArray().toLower();
    for (qsizetype meta = lower.indexOf("<meta"); meta >= 0;
         meta = lower.indexOf("<meta", meta + 5)) {
        const qsizetype end = lower.indexOf('>', meta);
        const QByteArray tag = lower.mid(meta, end < 0 ? -1 : end - meta);
        const qsizetype at = tag.indexOf("charset=");
        if (at >= 0) {
            const QByteArray name = unquoted(tag.mid(at + 8));
            if (!name.isEmpty())
                return name;
        }
    }
    return {};
}

void PageDecoder::choose(QByteArrayView contentType, QByteArrayView head)
{
    QByteArray charset = charsetOfContentType(contentType);
    if (charset.isEmpty())
        charset = charsetOfMeta(head);
    if (charset.isEmpty()) {
        if (head.startsWith("\xEF\xBB\xBF"))
            charset = QByteArrayLiteral("utf-8");
        else if (head.startsWith("\xFF\xFE"))
            charset = QByteArrayLiteral("utf-16le");
        else if (head.startsWith("\xFE\xFF"))
            charset = QByteArrayLiteral("utf-16be");
    }
    use(charset);
}

void PageDecoder::use(const QByteArray &charset)
{
    m_other.reset();
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "us-ascii"
        || charset == "windows-1252" || charset == "cp1252" || charset == "ascii") {
        m_mode = Mode::Windows1252;
        m_charset = QByteArrayLiteral("windows-1252");
        return;
    }
    if (!charset.isEmpty() && charset != "utf-8" && charset != "utf8") {
        QStringDecoder other(charset.constData(), QStringConverter::Flag::Stateless);
        if (other.isValid()) {
            m_other.emplace(charset.constData());
            m_mode = Mode::Other;
            m_charset = charset;
            return;
        }
    }
    m_mode = Mode::Utf8;
    m_charset = QByteArrayLiteral("utf-8");
}

QString PageDecoder::decode(QByteArrayView bytes)
{
    switch (m_mode) {
    case Mode::Windows1252: {
        QString text(bytes.size(), Qt::Uninitialized);
        QChar *out = text.data();
        for (qsizetype i = 0; i < bytes.size(); ++i)
            out[i] = QChar(windows1252(static_cast<unsigned char>(bytes[i])));
        return text;
    }
    case Mode::Other:
        return m_other->decode(bytes);
    case Mode::Utf8:
        break;
    }
    return decodeUtf8(bytes);
}

QString PageDecoder::decodeUtf8(QByteArrayView bytes)
{
    QByteArray joined;
    if (!m_carry.isEmpty()) {
        joined = m_carry + bytes.toByteArray();
        m_carry.clear();
        bytes = joined;
    }
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype size = bytes.size();
    QString text;
    text.reserve(size);
    qsizetype run = 0; // start of the valid run not yet copied
    qsizetype i = 0;
    const auto flush = [&](qsizetype upTo) {
        if (upTo > run)
            text += QString::fromUtf8(bytes.sliced(run, upTo - run));
    };
    while (i < size) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = sequenceLength(p[i]);
        if (length > 0 && i + length > size) {
            // Possibly cut by the block's end: keep it for the next block if what is there
            // fits so far.
            if (validSequence(p + i, int(size - i))) {
                flush(i);
                m_carry = bytes.sliced(i).toByteArray();
                return text;
            }
        } else if (length > 0 && validSequence(p + i, length)) {
            i += length;
            continue;
        }
        flush(i);
        text += QChar(windows1252(p[i]));
        run = ++i;
    }
    flush(size);
    return text;
}

} // namespace pk

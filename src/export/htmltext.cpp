#include "export/htmltext.h"

using namespace Qt::StringLiterals;

namespace pk::HtmlText {

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c)
{
    return isAsciiDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

void appendEscaped(QString &out, QStringView text, qsizetype i)
{
    const QChar c = text[i];
    switch (c.unicode()) {
    case u'<':
        out += u"&lt;";
        break;
    case u'>':
        out += u"&gt;";
        break;
    case u'"':
        out += u"&quot;";
        break;
    case u'&':
        if (startsCharacterReference(text, i))
            out += c;
        else
            out += u"&amp;";
        break;
    default:
        out += c;
        break;
    }
}

bool needsWork(QStringView text)
{
    for (const QChar c : text) {
        if (c == u'<' || c == u'>' || c == u'"' || c == u'&' || c == u'(')
            return true;
    }
    return false;
}

} // namespace

bool startsCharacterReference(QStringView text, qsizetype pos)
{
    if (pos < 0 || pos >= text.size() || text[pos] != u'&')
        return false;
    qsizetype i = pos + 1;
    const qsizetype n = text.size();
    if (i < n && text[i] == u'#') {
        ++i;
        bool hex = false;
        if (i < n && (text[i] == u'x' || text[i] == u'X')) {
            hex = true;
            ++i;
        }
        const qsizetype start = i;
        while (i < n && i - start < 8 && (hex ? isHexDigit(text[i]) : isAsciiDigit(text[i])))
            ++i;
        return i > start && i < n && text[i] == u';';
    }
    const qsizetype start = i;
    if (i >= n || !isAsciiLetter(text[i]))
        return false;
    while (i < n && i - start < 32 && (isAsciiLetter(text[i]) || isAsciiDigit(text[i])))
        ++i;
    return i < n && text[i] == u';';
}

QString escape(QStringView text)
{
    if (!needsWork(text))
        return text.toString();
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i)
        appendEscaped(out, text, i);
    return out;
}

QString escape(const QString &text)
{
    return needsWork(text) ? escape(QStringView(text)) : text;
}

QString escapeTemplateValue(QStringView text)
{
    if (!needsWork(text))
        return text.toString();
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'(' && text.mid(i + 1).startsWith(u"URL:", Qt::CaseInsensitive))
            out += u"&#40;";
        else
            appendEscaped(out, text, i);
    }
    return out;
}

} // namespace pk::HtmlText

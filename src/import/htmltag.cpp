#include "import/htmltag.h"

namespace pk {

namespace {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

/// The end of a comment or declaration ("<!-- ... -->", "<!DOCTYPE ...>", "<? ... >") that starts
/// at `start`; -1 when it goes on past the text.
qsizetype declarationEnd(QStringView text, qsizetype start)
{
    if (text.sliced(start).startsWith(u"<!--")) {
        const qsizetype close = text.indexOf(u"-->", start + 4);
        return close < 0 ? -1 : close + 3;
    }
    const qsizetype close = text.indexOf(u'>', start + 2);
    return close < 0 ? -1 : close + 1;
}

} // namespace

bool HtmlTag::has(QStringView upperName) const
{
    for (const auto &[n, v] : attributes) {
        if (n == upperName)
            return true;
    }
    return false;
}

QString HtmlTag::value(QStringView upperName) const
{
    for (const auto &[n, v] : attributes) {
        if (n == upperName)
            return v;
    }
    return {};
}

HtmlTag::Result HtmlTag::read(
    QStringView text, qsizetype start, bool atEnd, HtmlTag &tag, qsizetype &end)
{
    tag = HtmlTag();
    end = -1;
    const qsizetype n = text.size();
    qsizetype i = start + 1;
    if (i >= n)
        return atEnd ? Result::NoTag : Result::Incomplete;
    if (text[i] == u'!' || text[i] == u'?') {
        end = declarationEnd(text, start);
        if (end >= 0)
            return Result::Complete;
        if (!atEnd)
            return Result::Incomplete;
        end = n;
        return Result::Complete;
    }
    if (text[i] == u'/') {
        tag.closing = true;
        ++i;
        if (i >= n)
            return atEnd ? Result::NoTag : Result::Incomplete;
    }
    if (!isAsciiLetter(text[i]))
        return Result::NoTag;
    const qsizetype nameStart = i;
    while (i < n && !isSpace(text[i]) && text[i] != u'/' && text[i] != u'>')
        ++i;
    tag.name = text.sliced(nameStart, i - nameStart).toString().toUpper();
    for (;;) {
        while (i < n && (isSpace(text[i]) || text[i] == u'/'))
            ++i;
        if (i >= n)
            break;
        if (text[i] == u'>') {
            end = i + 1;
            return Result::Complete;
        }
        const qsizetype attrStart = i;
        ++i; // a name may start with "=" (it is then part of the name)
        while (i < n && !isSpace(text[i]) && text[i] != u'/' && text[i] != u'>' && text[i] != u'=')
            ++i;
        QString attrName = text.sliced(attrStart, i - attrStart).toString().toUpper();
        while (i < n && isSpace(text[i]))
            ++i;
        QString value;
        if (i < n && text[i] == u'=') {
            ++i;
            while (i < n && isSpace(text[i]))
                ++i;
            if (i >= n)
                break;
            if (text[i] == u'"' || text[i] == u'\'') {
                const QChar quote = text[i];
                const qsizetype close = text.indexOf(quote, i + 1);
                if (close < 0) {
                    if (!atEnd) {
                        end = i;
                        return Result::Incomplete;
                    }
                    value = text.sliced(i + 1).toString();
                    i = n;
                } else {
                    value = text.sliced(i + 1, close - i - 1).toString();
                    i = close + 1;
                }
            } else {
                const qsizetype valueStart = i;
                while (i < n && !isSpace(text[i]) && text[i] != u'>')
                    ++i;
                value = text.sliced(valueStart, i - valueStart).toString();
            }
        }
        tag.attributes.emplace_back(std::move(attrName), std::move(value));
    }
    if (!atEnd)
        return Result::Incomplete;
    end = n;
    return Result::Complete;
}

HtmlTag HtmlTag::parse(QStringView token)
{
    HtmlTag tag;
    qsizetype end = 0;
    if (!token.startsWith(u'<') || read(token, 0, true, tag, end) != Result::Complete)
        return {};
    return tag;
}

} // namespace pk

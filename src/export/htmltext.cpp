#include "export/htmltext.h"

using namespace Qt::StringLiterals;

namespace pk::HtmlText {

namespace {

void appendEscaped(QString &out, QChar c)
{
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

QString escape(QStringView text)
{
    if (!needsWork(text))
        return text.toString();
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i)
        appendEscaped(out, text[i]);
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
            appendEscaped(out, text[i]);
    }
    return out;
}

} // namespace pk::HtmlText

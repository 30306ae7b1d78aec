#include "import/bookmarkparser.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

QStringView leftTrimmed(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace())
        ++i;
    return s.sliced(i);
}

QString cut(QStringView s, qsizetype width)
{
    QStringView v = s.left(width);
    // Never leave half a surrogate pair at the end.
    if (!v.isEmpty() && v.back().isHighSurrogate())
        v.chop(1);
    qsizetype end = v.size();
    while (end > 0 && v[end - 1] == u' ')
        --end;
    return v.left(end).toString();
}

bool startsWithNoCase(QStringView s, QStringView prefix)
{
    return s.startsWith(prefix, Qt::CaseInsensitive);
}

bool isAddress(QStringView address)
{
    return address.contains(u':') || address.contains(u"www") || address.contains(u".net")
           || address.contains(u".com");
}

/// The folder name of a heading line, or nothing when the line is no folder heading.
bool folderName(QStringView line, QString &name)
{
    const QStringView trimmed = leftTrimmed(line);
    if (!startsWithNoCase(trimmed, u"<DT>"))
        return false;
    const qsizetype h3 = line.indexOf(u"<H3", 0, Qt::CaseInsensitive);
    if (h3 < 0)
        return false;
    // The name follows the heading's last attribute ('"' then '>'); a heading without
    // attributes ("<H3>Name</H3>") has it right after its '>'.
    qsizetype start = line.indexOf(u"\">", h3);
    if (start >= 0) {
        start += 2;
    } else {
        start = line.indexOf(u'>', h3);
        if (start < 0)
            return false;
        ++start;
    }
    QStringView rest = line.sliced(start);
    if (const qsizetype gt = rest.indexOf(u'>'); gt >= 0)
        rest = rest.left(gt);
    if (const qsizetype lt = rest.indexOf(u'<'); lt >= 0)
        rest = rest.left(lt);
    name = cut(rest, BookmarkParser::FolderWidth);
    return true;
}

void listMarks(QStringView line, std::vector<bool> &out)
{
    qsizetype i = 0;
    while ((i = line.indexOf(u"dl", i, Qt::CaseInsensitive)) >= 0) {
        if (i >= 1 && line[i - 1] == u'<')
            out.push_back(true);
        else if (i >= 2 && line[i - 1] == u'/' && line[i - 2] == u'<')
            out.push_back(false);
        i += 2;
    }
}

} // namespace

std::vector<BookmarkLink> BookmarkParser::scanLinks(QStringView line)
{
    std::vector<BookmarkLink> links;
    QStringView rest = line;
    for (;;) {
        const qsizetype href = rest.indexOf(u"href", 0, Qt::CaseInsensitive);
        if (href < 0)
            break;
        rest = rest.sliced(href);
        const qsizetype open = rest.indexOf(u'"');
        if (open < 0)
            break;
        rest = rest.sliced(open + 1);
        const qsizetype close = rest.indexOf(u'"');
        const QStringView address = close < 0 ? rest : rest.left(close);
        BookmarkLink link;
        link.location = cut(leftTrimmed(address), LocationWidth);
        rest = close < 0 ? QStringView() : rest.sliced(close + 1);
        if (link.location.isEmpty() || !isAddress(link.location))
            continue;
        if (const qsizetype gt = rest.indexOf(u'>'); gt >= 0)
            rest = rest.sliced(gt + 1);
        else
            rest = QStringView();
        const qsizetype end = rest.indexOf(u"</a>", 0, Qt::CaseInsensitive);
        if (end >= 0) {
            link.description = cut(leftTrimmed(rest.left(end)), DescriptionWidth);
            const QStringView after = leftTrimmed(rest.sliced(end + 4));
            if (!after.startsWith(u'<'))
                link.siteInfo = cut(after, SiteInfoWidth);
            rest = rest.sliced(end + 4);
        } else {
            link.description = cut(leftTrimmed(rest), DescriptionWidth);
        }
        links.push_back(std::move(link));
    }
    return links;
}

BookmarkLine BookmarkParser::parseLine(QStringView line)
{
    BookmarkLine out;
    const QStringView trimmed = leftTrimmed(line);
    if (startsWithNoCase(trimmed, u"<DD>")) {
        out.isDescription = true;
        QStringView text = trimmed.sliced(4);
        if (const qsizetype br = text.indexOf(u"<BR>", 0, Qt::CaseInsensitive); br >= 0)
            text = text.left(br);
        out.text = cut(text, SiteInfoWidth);
        // Should no link precede it, the line is read like any other.
        out.links = scanLinks(line);
        return out;
    }
    if (folderName(line, out.text)) {
        out.isFolder = true;
        listMarks(line, out.lists);
        return out;
    }
    listMarks(line, out.lists);
    out.links = scanLinks(line);
    return out;
}

} // namespace pk

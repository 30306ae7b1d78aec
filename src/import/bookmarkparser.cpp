#include "import/bookmarkparser.h"

#include "import/characterreferences.h"
#include "import/htmltag.h"

#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

QStringView trimmedBlanks(QStringView s)
{
    qsizetype start = 0;
    qsizetype end = s.size();
    while (start < end && isBlank(s[start]))
        ++start;
    while (end > start && isBlank(s[end - 1]))
        --end;
    return s.sliced(start, end - start);
}

/// A title or name: the line breaks of the file (with the blanks around them) become one
/// space, the blanks at both ends go; references are read after that, so "&#10;" stays a line
/// break and "&#32;" a space.
QString singleLine(QStringView raw)
{
    const QStringView s = trimmedBlanks(raw);
    QString out;
    out.reserve(s.size());
    qsizetype i = 0;
    while (i < s.size()) {
        if (isBlank(s[i])) {
            qsizetype j = i;
            bool lineBreak = false;
            while (j < s.size() && isBlank(s[j])) {
                lineBreak = lineBreak || s[j] == u'\n' || s[j] == u'\r';
                ++j;
            }
            if (lineBreak) {
                out += u' ';
                i = j;
                continue;
            }
        }
        out += s[i++];
    }
    return CharacterReferences::decode(out);
}

/// A note's text: its line breaks stay, the blanks at both ends go.
QString noteText(QStringView raw)
{
    QString s = trimmedBlanks(raw).toString();
    s.replace(u"\r\n"_s, u"\n"_s);
    s.replace(u'\r', u'\n');
    return CharacterReferences::decode(s);
}

} // namespace

QDateTime BookmarkParser::timeOf(QStringView value)
{
    bool ok = false;
    const qint64 n = trimmedBlanks(value).toLongLong(&ok);
    if (!ok || n == 0)
        return {};
    // Seconds reach 10^11 only in the year 5138; milliseconds and microseconds of any date
    // since 1973 lie above it. A date before 1970 is written in seconds (by this program's
    // export: its dates reach back to 1801).
    if (n < 0)
        return n > -100'000'000'000LL ? QDateTime::fromSecsSinceEpoch(n, QTimeZone::utc())
                                      : QDateTime();
    if (n < 100'000'000'000LL)
        return QDateTime::fromSecsSinceEpoch(n, QTimeZone::utc());
    if (n < 100'000'000'000'000LL)
        return QDateTime::fromMSecsSinceEpoch(n, QTimeZone::utc());
    if (n < 100'000'000'000'000'000LL)
        return QDateTime::fromMSecsSinceEpoch(n / 1000, QTimeZone::utc());
    return {};
}

QStringList BookmarkParser::tagsOf(QStringView value)
{
    QStringList tags;
    for (const QStringView part : value.split(u',')) {
        const QStringView tag = part.trimmed();
        if (!tag.isEmpty())
            tags << tag.toString();
    }
    return tags;
}

void BookmarkParser::addLine(QStringView line, bool continuation)
{
    if (m_started && !continuation)
        m_pending += u'\n';
    m_started = true;
    m_pending += line;
    // A tag waiting for its end can only end with a ">" of the new text.
    if (m_waiting && !line.contains(u'>') && m_pending.size() <= MaxTag)
        return;
    process(false);
}

void BookmarkParser::finish()
{
    process(true);
    endCollect();
    flushLink();
}

std::vector<BookmarkItem> BookmarkParser::take()
{
    std::vector<BookmarkItem> out;
    out.swap(m_out);
    return out;
}

std::vector<BookmarkItem> BookmarkParser::parse(QStringView text)
{
    BookmarkParser parser;
    parser.addLine(text);
    parser.finish();
    return parser.take();
}

void BookmarkParser::process(bool atEnd)
{
    m_waiting = false;
    const QStringView text(m_pending);
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype lt = text.indexOf(u'<', i);
        if (lt < 0) {
            onText(text.sliced(i));
            i = n;
            break;
        }
        if (lt > i)
            onText(text.sliced(i, lt - i));
        HtmlTag tag;
        qsizetype end = 0;
        const HtmlTag::Result result = HtmlTag::read(text, lt, atEnd, tag, end);
        if (result == HtmlTag::Result::Complete) {
            onTag(tag);
            i = end;
        } else if (result == HtmlTag::Result::NoTag) {
            onText(text.sliced(lt, 1));
            i = lt + 1;
        } else if (n - lt > MaxTag) {
            // Too long for a tag: text, and so is everything up to half of MaxTag before the
            // end (without an open quote no ">" follows at all; with one, a browser would read
            // the rest of the file as its value). Half, so that the next give-up is that far off.
            qsizetype next = text.indexOf(u'<', std::max(lt + 1, n - MaxTag / 2));
            if (next < 0)
                next = n;
            onText(text.sliced(lt, next - lt));
            i = next;
        } else {
            i = lt; // the tag goes on in the next line
            m_waiting = true;
            break;
        }
    }
    m_pending.remove(0, i);
}

void BookmarkParser::onText(QStringView text)
{
    if (m_collect == Collect::None || m_raw.size() >= MaxText)
        return;
    m_raw += text.left(MaxText - m_raw.size());
}

void BookmarkParser::emitMark(BookmarkItem::Kind kind)
{
    BookmarkItem mark;
    mark.kind = kind;
    m_out.push_back(std::move(mark));
}

void BookmarkParser::emitItem(BookmarkItem item)
{
    m_out.push_back(std::move(item));
}

void BookmarkParser::flushLink()
{
    if (m_link) {
        emitItem(std::move(*m_link));
        m_link.reset();
    }
}

void BookmarkParser::endCollect()
{
    switch (m_collect) {
    case Collect::None:
        return;
    case Collect::FolderName: {
        // Held back like a link: a "<DD>" right after the heading is the folder's note.
        flushLink();
        BookmarkItem folder;
        folder.kind = BookmarkItem::Kind::Folder;
        folder.text = singleLine(m_raw);
        m_link = std::move(folder);
        break;
    }
    case Collect::LinkTitle:
        m_building.text = singleLine(m_raw);
        m_link = std::move(m_building);
        m_building = BookmarkItem();
        break;
    case Collect::AfterLink:
        if (m_link)
            m_link->siteInfo = singleLine(m_raw);
        break;
    case Collect::Note:
        m_noteParts << m_raw;
        if (m_link && !m_link->hasNote) {
            m_link->hasNote = true;
            m_link->note = noteText(m_noteParts.front());
            QStringList more;
            for (qsizetype i = 1; i < m_noteParts.size(); ++i)
                more << noteText(m_noteParts[i]);
            m_link->noteMore = more.join(u'\n');
            while (m_link->noteMore.endsWith(u'\n'))
                m_link->noteMore.chop(1);
        }
        m_noteParts.clear();
        flushLink();
        break;
    }
    m_raw.clear();
    m_collect = Collect::None;
}

void BookmarkParser::onTag(const HtmlTag &tag)
{
    if (tag.name.isEmpty())
        return; // a comment or declaration
    const QString &name = tag.name;
    // Tags that end a note, a title or a folder name.
    const bool structural = name == u"DT" || name == u"DD" || name == u"DL" || name == u"HR"
                            || (name.size() == 2 && name[0] == u'H' && name[1] >= u'1'
                                && name[1] <= u'6');
    switch (m_collect) {
    case Collect::Note:
        if (!structural) {
            if (name == u"BR" && !tag.closing) {
                m_noteParts << m_raw;
                m_raw.clear();
            }
            return; // anchors and other markup inside a note are part of it
        }
        endCollect();
        break;
    case Collect::LinkTitle:
        if (name == u"A" && tag.closing) {
            endCollect();
            m_collect = Collect::AfterLink;
            return;
        }
        if (!structural && name != u"A")
            return;
        endCollect();
        break;
    case Collect::AfterLink:
        endCollect();
        break;
    case Collect::FolderName:
        if (tag.closing && name == u"H3") {
            endCollect();
            return;
        }
        if (!structural && name != u"A")
            return;
        endCollect();
        break;
    case Collect::None:
        break;
    }

    if (tag.closing) {
        if (name == u"DL") {
            flushLink();
            emitMark(BookmarkItem::Kind::ListClose);
        }
        if (name != u"P")
            m_afterDt = false;
        return;
    }
    if (name == u"DT") {
        flushLink();
        m_afterDt = true;
        return;
    }
    if (name == u"H3") {
        flushLink();
        if (m_afterDt)
            m_collect = Collect::FolderName;
        m_afterDt = false;
        return;
    }
    if (name == u"A") {
        flushLink();
        m_afterDt = false;
        if (!tag.has(u"HREF"))
            return;
        m_building = BookmarkItem();
        m_building.kind = BookmarkItem::Kind::Link;
        m_building.address
            = trimmedBlanks(CharacterReferences::decodeAttribute(tag.value(u"HREF"))).toString();
        m_building.addDate = CharacterReferences::decodeAttribute(tag.value(u"ADD_DATE"));
        m_building.lastVisit = CharacterReferences::decodeAttribute(tag.value(u"LAST_VISIT"));
        m_building.lastModified = CharacterReferences::decodeAttribute(tag.value(u"LAST_MODIFIED"));
        m_building.tags = CharacterReferences::decodeAttribute(tag.value(u"TAGS"));
        m_building.shortcut = CharacterReferences::decodeAttribute(tag.value(u"SHORTCUTURL"));
        m_collect = Collect::LinkTitle;
        return;
    }
    if (name == u"DD") {
        // A note belongs to the link or folder heading right before it.
        m_afterDt = false;
        m_noteParts.clear();
        m_raw.clear();
        m_collect = Collect::Note;
        if (m_link && m_link->hasNote)
            flushLink();
        return;
    }
    if (name == u"DL" || name == u"HR") {
        flushLink();
        if (name == u"DL")
            emitMark(BookmarkItem::Kind::ListOpen);
        m_afterDt = false;
        return;
    }
    if (name != u"P")
        m_afterDt = false;
}

} // namespace pk

#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace pk {

/// What a bookmark file holds, in file order. Text is decoded (character references read).
struct BookmarkItem
{
    enum class Kind {
        Folder,    ///< a folder heading: `text` is its name, a "<DD>" after it its note
        Link,      ///< an anchor with an HREF attribute
        ListOpen,  ///< "<DL>": the list of the folder named before opens
        ListClose, ///< "</DL>"
    };
    Kind kind = Kind::Link;
    QString text;    ///< folder name, or the link's title
    QString address; ///< the HREF value, blanks around it removed
    /// Text written right after the anchor on its line (what some files put there).
    QString siteInfo;
    /// The "<DD>" note that follows the link or folder heading: the text before its first
    /// "<BR>" and the text after it (further "<BR>" as line breaks); `hasNote` when there is one.
    bool hasNote = false;
    QString note;
    QString noteMore;
    QString addDate;      ///< ADD_DATE as written
    QString lastVisit;    ///< LAST_VISIT
    QString lastModified; ///< LAST_MODIFIED
    QString tags;         ///< TAGS
    QString shortcut;     ///< SHORTCUTURL: the keyword that opens the link from the address bar

    bool operator==(const BookmarkItem &) const = default;
};

/**
 * @brief Reads a bookmark file in the Netscape format (as browsers write it) as a stream of
 * tags and text, whatever the line breaks: a tag, a title or a note may run over several lines.
 *
 * An "<H3>" after a "<DT>" names a folder; an "<A>" with an HREF attribute is a link, its text
 * up to "</A>" the title; a "<DD>" after a link is its note, which ends at the next "<DT>",
 * "<DL>", "</DL>", "<HR>", heading or "<DD>" (anchors and other markup inside a note are read
 * as its text); a "<DD>" right after a folder heading is the folder's note. "<DL>" and "</DL>"
 * open and close folder lists. Lines are fed one at a time; items come out as soon as they are
 * complete (a link or folder once its note is known).
 */
class BookmarkParser final
{
public:
    /// A tag that has not ended within this many characters is read as text.
    static constexpr qsizetype MaxTag = 256 * 1024;
    /// Text kept of one title, note or name; fields are far shorter.
    static constexpr qsizetype MaxText = 64 * 1024;

    /// One line of the file; a continuation is the rest of the line before, cut for length.
    void addLine(QStringView line, bool continuation = false);
    /// The end of the file: whatever is still open is complete.
    void finish();
    /// The items completed since the last call.
    std::vector<BookmarkItem> take();

    /// Every item of a whole text.
    static std::vector<BookmarkItem> parse(QStringView text);

    /// A date attribute: seconds, milliseconds or microseconds since 1970, told apart by
    /// magnitude, negative seconds before 1970; invalid when blank, 0 or not a number.
    static QDateTime timeOf(QStringView value);
    /// The tags of a TAGS attribute: comma-separated, blanks around each removed, empty ones
    /// dropped.
    static QStringList tagsOf(QStringView value);

private:
    enum class Collect { None, FolderName, LinkTitle, AfterLink, Note };

    void process(bool atEnd);
    void onTag(const struct HtmlTag &tag);
    void onText(QStringView text);
    void endCollect();
    void flushLink();
    void emitItem(BookmarkItem item);
    void emitMark(BookmarkItem::Kind kind);

    QString m_pending;      ///< text not yet read (an unfinished tag)
    bool m_waiting = false; ///< m_pending starts with a tag that has not ended yet
    bool m_started = false;
    Collect m_collect = Collect::None;
    bool m_afterDt = false;
    QString m_raw;                      ///< text collected for the current title, name or note part
    QStringList m_noteParts;            ///< the note's parts, split at "<BR>"
    std::optional<BookmarkItem> m_link; ///< a link or folder waiting for its note
    BookmarkItem m_building;            ///< the link whose title is being read
    std::vector<BookmarkItem> m_out;
};

} // namespace pk

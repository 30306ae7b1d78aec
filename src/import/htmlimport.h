#pragma once

#include "import/bookmarkparser.h"
#include "import/htmlcutter.h"
#include "import/htmllinkpass.h"
#include "import/importinsert.h"
#include "import/textlinereader.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace pk {

class Collection;
class ErrorManager;

/**
 * @brief The bookmark-file and HTML document imports, one step at a time.
 *
 * The reading pass goes through the file line by line: a bookmark file (kind "Netscape") is
 * parsed on the spot, any other document is cut into tokens, which the link-gathering pass then
 * turns into locations. A window calls step() on its timer; each step runs in one transaction,
 * so what earlier steps added stays when the import is cancelled or interrupted.
 *
 * Folders of a bookmark file nest: when a folder's list ends, the links that follow go back to
 * the enclosing folder's category. A "<DD>" note belongs to the link right before it: its text
 * up to the first "<BR>" is the site information, the rest the comments. Character references
 * are read in every kind of file. Links without an address, with a "#" address or with an
 * address relative to some page are passed over and counted. A file that is not text is
 * refused when it is opened.
 */
class HtmlImport final
{
public:
    static constexpr const char *BookmarkKind = "Netscape";
    enum class Stage { Reading, Linking, Done };

    struct Settings
    {
        QString kind; ///< "Netscape" for a bookmark file, anything else for a document
        QString file;
        CategoryMode mode = CategoryMode::Guess;
        QString category; ///< for "Selected"
        /// A bookmark file as browsers write it: a folder inside another gets the folder chain
        /// as its category ("News: Local"), and ADD_DATE, LAST_VISIT, LAST_MODIFIED, TAGS and
        /// SHORTCUTURL are kept. Off, each folder is a category of its own.
        bool nestedFolders = false;
    };

    HtmlImport(Collection &collection, ErrorManager &errors, Settings settings);

    ImportInsert &inserter() { return m_insert; }
    /// What the locations name as the file they came from (`URL:OriginalFilename`) when it is
    /// not the file read: the address of a page fetched into a temporary file. The page's
    /// relative links are read against it (HtmlLinkPass::setPageAddress).
    void setSource(const QString &source) { m_source = source; }
    bool isBookmarkFile() const { return m_bookmarks; }

    /// Opens the file; when it cannot be read, says so and the import is done with nothing added.
    bool open();
    Stage stage() const { return m_stage; }

    /// One step of the current stage; false once the import is done.
    bool step();
    /// Ends the current stage early: a cancelled reading pass skips the link pass.
    void cancel();

    /// The reading pass: the share of the file read, and "Reading HTML..." (with the token count).
    int percent() const;
    QString readingText() const;
    /// The link pass (once it has started).
    bool hasLinkPass() const { return m_links != nullptr; }
    qsizetype tokensExamined() const { return m_links ? m_links->examined() : 0; }
    qsizetype tokenTotal() const { return m_links ? m_links->total() : 0; }
    QString remainingText() const { return m_links ? m_links->remainingText() : QString(); }

    /// Locations added so far.
    int added() const { return m_insert.added(); }
    /// The closing summary (ImportSummary), headed "<n> URL(s) imported.", also when nothing
    /// was added.
    void reportResult();
    static QString resultText(int added);

private:
    void readLines();
    void bookmarkItems();
    void bookmarkItem(const BookmarkItem &item);
    void browserItem(const BookmarkItem &item);
    /// A folder's note becomes the description of the category the import makes for it.
    void describeFolder(const QString &category, const BookmarkItem &folder);
    /// Whether a link's address is one to store; counts the ones passed over.
    bool takeAddress(const QString &address);
    LocationRecord recordOf(const BookmarkItem &link) const;
    void startLinkPass();

    Collection &m_collection;
    Settings m_settings;
    QString m_source;
    ImportInsert m_insert;
    bool m_bookmarks;
    Stage m_stage = Stage::Reading;
    bool m_cancelled = false;
    bool m_openFailed = false;
    TextLineReader m_reader;
    std::vector<QString> m_tokens;
    HtmlCutter m_cutter{m_tokens};
    std::unique_ptr<HtmlLinkPass> m_links;
    BookmarkParser m_parser;
    // Bookmark parse state.
    QString m_folder;
    std::optional<QString> m_folderParent; ///< the folder a heading was met in, until its list opens
    std::vector<QString> m_folderStack;
    // Folder chains of a browser's file: the category of the folder being read, and that of
    // each folder whose list is open.
    QString m_chain;
    std::vector<QString> m_chainStack;
};

} // namespace pk

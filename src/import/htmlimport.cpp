#include "import/htmlimport.h"

#include "browse/forms/keywordguess.h"
#include "framework/errormanager.h"
#include "import/browserimport.h"
#include "framework/userinterface.h"
#include "import/importsummary.h"
#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/folderchain.h"
#include "store/locationmanager.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

// The document cut works on lines of at most this many characters.
constexpr qsizetype kDocumentLine = 1024;

/// What the bookmark parse takes for an address: a scheme's colon, "www", ".net" or ".com".
/// Anything else is an address relative to a page the file does not name.
bool isAddress(const QString &address)
{
    return address.contains(u':') || address.contains(u"www"_s) || address.contains(u".net"_s)
           || address.contains(u".com"_s);
}

} // namespace

HtmlImport::HtmlImport(Collection &collection, ErrorManager &errors, Settings settings)
    : m_collection(collection)
    , m_settings(std::move(settings))
    , m_insert(collection, errors, m_settings.mode, m_settings.category)
    , m_bookmarks(
          m_settings.kind.trimmed().compare(QLatin1String(BookmarkKind), Qt::CaseInsensitive) == 0)
{
    m_settings.file = trimTrailingSpaces(m_settings.file);
}

bool HtmlImport::open()
{
    if (m_settings.file.trimmed().isEmpty()) {
        m_stage = Stage::Done;
        m_openFailed = true;
        m_insert.errors().ui().message(u"Import"_s,
                                       u"No file was named to import."_s,
                                       UserInterface::Icon::Warning);
        return false;
    }
    if (!m_reader.open(m_settings.file)) {
        m_stage = Stage::Done;
        m_openFailed = true;
        m_insert.errors().ui().message(u"Import"_s,
                                       u"Could not open "_s + m_settings.file + u":\n"_s
                                           + m_reader.errorString(),
                                       UserInterface::Icon::Warning);
        return false;
    }
    if (!m_reader.isText()) {
        m_stage = Stage::Done;
        m_insert.errors().ui().message(u"Import"_s,
                                       m_settings.file
                                           + u" is not a text file: nothing was imported."_s,
                                       UserInterface::Icon::Warning);
        return false;
    }
    if (!m_bookmarks)
        m_reader.setMaxLineLength(kDocumentLine);
    return true;
}

bool HtmlImport::step()
{
    switch (m_stage) {
    case Stage::Reading:
        static_cast<void>(m_insert.runBatch([this] { readLines(); }));
        if (m_insert.stopped() || m_cancelled)
            m_stage = Stage::Done;
        break;
    case Stage::Linking:
        static_cast<void>(m_insert.runBatch([this] { m_links->step(); }));
        if (m_links->done() || m_insert.stopped() || m_cancelled)
            m_stage = Stage::Done;
        break;
    case Stage::Done:
        break;
    }
    return m_stage != Stage::Done;
}

void HtmlImport::readLines()
{
    int lines = 0;
    while (!m_insert.stopped() && !m_cancelled) {
        const std::optional<TextLineReader::Line> line = m_reader.next();
        if (!line) {
            if (m_bookmarks) {
                m_parser.finish();
                bookmarkItems();
                m_stage = Stage::Done;
            } else {
                m_cutter.finish();
                startLinkPass();
            }
            return;
        }
        if (m_bookmarks) {
            m_parser.addLine(line->text, line->continuation);
            bookmarkItems();
        } else {
            m_cutter.addLine(line->text, line->continuation);
        }
        if (++lines % 64 == 0 && m_insert.stepDue())
            return;
    }
}

void HtmlImport::startLinkPass()
{
    if (m_tokens.empty() || m_cancelled) {
        m_stage = Stage::Done;
        return;
    }
    m_links = std::make_unique<HtmlLinkPass>(std::move(m_tokens),
                                             m_insert,
                                             m_source.isEmpty() ? m_settings.file : m_source);
    if (!m_source.isEmpty())
        m_links->setPageAddress(m_source);
    m_tokens.clear();
    m_stage = Stage::Linking;
}

void HtmlImport::bookmarkItems()
{
    for (const BookmarkItem &item : m_parser.take()) {
        if (m_insert.stopped() || m_cancelled)
            return;
        if (m_settings.nestedFolders)
            browserItem(item);
        else
            bookmarkItem(item);
    }
}

void HtmlImport::describeFolder(const QString &category, const BookmarkItem &folder)
{
    if (!folder.hasNote)
        return;
    QString note = folder.note;
    if (!folder.noteMore.isEmpty())
        note += u'\n' + folder.noteMore;
    m_insert.describeCategory(category, note);
}

bool HtmlImport::takeAddress(const QString &address)
{
    if (address.isEmpty())
        m_insert.countSkipped(ImportInsert::Skip::Empty);
    else if (address.startsWith(u'#'))
        m_insert.countSkipped(ImportInsert::Skip::Anchor);
    else if (!isAddress(address))
        m_insert.countSkipped(ImportInsert::Skip::Relative);
    else
        return true;
    return false;
}

LocationRecord HtmlImport::recordOf(const BookmarkItem &link) const
{
    LocationRecord record;
    record.Location = link.address;
    record.Description = link.text;
    // The note replaces what stood after the anchor; its text after a "<BR>" is the comments.
    record.SiteInfo = link.hasNote ? link.note : link.siteInfo;
    record.Comments = link.noteMore;
    record.OriginalFilename = m_settings.file;
    return record;
}

void HtmlImport::bookmarkItem(const BookmarkItem &item)
{
    switch (item.kind) {
    case BookmarkItem::Kind::Folder:
        m_folderParent = m_folder;
        m_folder = fitToField(item.text, FolderChain::CategoryWidth);
        describeFolder(m_folder, item);
        return;
    case BookmarkItem::Kind::ListOpen:
        m_folderStack.push_back(m_folderParent.value_or(m_folder));
        m_folderParent.reset();
        return;
    case BookmarkItem::Kind::ListClose:
        if (!m_folderStack.empty()) {
            m_folder = m_folderStack.back();
            m_folderStack.pop_back();
        }
        return;
    case BookmarkItem::Kind::Link:
        break;
    }
    if (!takeAddress(item.address))
        return;
    LocationRecord record = recordOf(item);
    m_folder = m_insert.assignCategory(m_folder, record);
    record.Category = m_folder;
    record.Keyword = KeywordGuess::fromDescription(record.Description);
    static_cast<void>(m_insert.insert(record));
}

void HtmlImport::browserItem(const BookmarkItem &item)
{
    switch (item.kind) {
    case BookmarkItem::Kind::Folder: {
        const QString enclosing = m_chainStack.empty() ? QString() : m_chainStack.back();
        m_chain = FolderChain::extend(enclosing, item.text);
        describeFolder(m_chain, item);
        return;
    }
    case BookmarkItem::Kind::ListOpen:
        m_chainStack.push_back(m_chain);
        return;
    case BookmarkItem::Kind::ListClose:
        if (!m_chainStack.empty()) {
            m_chainStack.pop_back();
            m_chain = m_chainStack.empty() ? QString() : m_chainStack.back();
        }
        return;
    case BookmarkItem::Kind::Link:
        break;
    }
    if (!takeAddress(item.address))
        return;
    LocationRecord record = recordOf(item);
    record.LastVisit = BrowserImport::dayOf(BookmarkParser::timeOf(item.lastVisit));
    record.Category = m_insert.assignCategory(m_chain, record);
    record.Keyword = KeywordGuess::fromDescription(record.Description);
    if (m_insert.insert(record) == ImportInsert::Outcome::Added) {
        BrowserBookmark extras;
        extras.added = BookmarkParser::timeOf(item.addDate);
        extras.lastModified = BookmarkParser::timeOf(item.lastModified);
        extras.tags = BookmarkParser::tagsOf(item.tags);
        extras.keyword = item.shortcut;
        BrowserImport::addExtras(m_collection, record.Location, extras);
    }
}

void HtmlImport::cancel()
{
    if (m_stage != Stage::Done)
        m_insert.markCancelled();
    m_cancelled = true;
    m_stage = Stage::Done;
}

int HtmlImport::percent() const
{
    const qint64 size = m_reader.size();
    if (size <= 0)
        return m_stage == Stage::Reading ? 0 : 100;
    return int(std::min<qint64>(100, m_reader.position() * 100 / size));
}

QString HtmlImport::readingText() const
{
    if (m_bookmarks)
        return u"Reading HTML..."_s;
    return u"Reading HTML... "_s + QString::number(m_tokens.size() + 1);
}

QString HtmlImport::resultText(int added)
{
    return QString::number(added) + u" URL(s) imported."_s;
}

void HtmlImport::reportResult()
{
    if (m_openFailed)
        return; // said when it failed
    ImportSummary::show(m_insert.errors().ui(), resultText(added()), m_insert.counts());
}

} // namespace pk

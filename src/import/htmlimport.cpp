#include "import/htmlimport.h"

#include "browse/forms/keywordguess.h"
#include "framework/errormanager.h"
#include "import/browserimport.h"
#include "import/characterreferences.h"
#include "framework/userinterface.h"
#include "import/importsummary.h"
#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/folderchain.h"
#include "store/locationmanager.h"

#include <QElapsedTimer>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

// A step reads for about this long before the window gets control back.
constexpr qint64 kStepMs = 40;
// The document cut works on lines of at most this many characters.
constexpr qsizetype kDocumentLine = 1024;

/// The quoted value of an attribute (` NAME="value"`, any letter case) on a line; blank if none.
QString attribute(const QString &line, const QString &name)
{
    const QString key = u' ' + name + u"=\""_s;
    const qsizetype at = line.indexOf(key, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    const qsizetype start = at + key.size();
    const qsizetype end = line.indexOf(u'"', start);
    return end < 0 ? QString() : line.mid(start, end - start);
}

/// An attribute holding seconds since 1970; invalid when missing, 0 or not a number.
QDateTime attributeTime(const QString &line, const QString &name)
{
    bool ok = false;
    const qint64 seconds = attribute(line, name).toLongLong(&ok);
    if (!ok || seconds <= 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
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
    QElapsedTimer clock;
    clock.start();
    int lines = 0;
    while (!m_insert.stopped() && !m_cancelled) {
        const std::optional<TextLineReader::Line> line = m_reader.next();
        if (!line) {
            if (m_bookmarks) {
                m_stage = Stage::Done;
            } else {
                m_cutter.finish();
                startLinkPass();
            }
            return;
        }
        if (m_bookmarks && m_settings.nestedFolders)
            browserLine(line->text);
        else if (m_bookmarks)
            bookmarkLine(line->text);
        else
            m_cutter.addLine(line->text, line->continuation);
        if (++lines % 256 == 0 && clock.elapsed() >= kStepMs)
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
    m_tokens.clear();
    m_stage = Stage::Linking;
}

void HtmlImport::bookmarkLine(const QString &text)
{
    const BookmarkLine line = BookmarkParser::parseLine(text);
    if (line.isDescription && !m_lastAdded.isEmpty()) {
        LocationRecord record;
        if (m_collection.locations().get(m_lastAdded, record)) {
            record.SiteInfo = line.text;
            // The description is extra: when it cannot be stored the location stays as imported.
            static_cast<void>(m_collection.locations().change(m_lastAdded, record));
        }
        m_lastAdded.clear();
        return;
    }
    if (line.isFolder) {
        m_folderParent = m_folder;
        m_folder = line.text;
        m_lastAdded.clear();
    }
    for (const bool opens : line.lists) {
        if (opens) {
            m_folderStack.push_back(m_folderParent.value_or(m_folder));
            m_folderParent.reset();
        } else if (!m_folderStack.empty()) {
            m_folder = m_folderStack.back();
            m_folderStack.pop_back();
        }
        m_lastAdded.clear();
    }
    for (const BookmarkLink &link : line.links) {
        LocationRecord record;
        record.Location = link.location;
        record.Description = link.description;
        record.SiteInfo = link.siteInfo;
        record.OriginalFilename = m_settings.file;
        m_folder = m_insert.assignCategory(m_folder, record);
        record.Category = m_folder;
        record.Keyword = KeywordGuess::fromDescription(record.Description);
        m_lastAdded.clear();
        if (record.Location.startsWith(u'#'))
            continue;
        if (m_insert.insert(record) == ImportInsert::Outcome::Added)
            m_lastAdded = record.Location;
    }
}

void HtmlImport::browserLine(const QString &text)
{
    const BookmarkLine line = BookmarkParser::parseLine(text);
    if (line.isDescription && !m_lastAdded.isEmpty()) {
        LocationRecord record;
        if (m_collection.locations().get(m_lastAdded, record)) {
            QString rest = text.mid(text.indexOf(u"<DD>"_s, 0, Qt::CaseInsensitive) + 4);
            QString notes;
            if (const qsizetype br = rest.indexOf(u"<BR>"_s, 0, Qt::CaseInsensitive); br >= 0) {
                notes = rest.mid(br + 4);
                rest.truncate(br);
                notes.replace(u"<BR>"_s, u"\n"_s, Qt::CaseInsensitive);
            }
            record.SiteInfo = CharacterReferences::decode(rest);
            if (!notes.isEmpty())
                record.Comments = CharacterReferences::decode(notes);
            static_cast<void>(m_collection.locations().change(m_lastAdded, record));
        }
        m_lastAdded.clear();
        return;
    }
    if (line.isFolder) {
        const QString enclosing = m_chainStack.empty() ? QString() : m_chainStack.back();
        m_chain = FolderChain::extend(enclosing, CharacterReferences::decode(line.text));
        m_lastAdded.clear();
    }
    for (const bool opens : line.lists) {
        if (opens) {
            m_chainStack.push_back(m_chain);
        } else if (!m_chainStack.empty()) {
            m_chainStack.pop_back();
            m_chain = m_chainStack.empty() ? QString() : m_chainStack.back();
        }
        m_lastAdded.clear();
    }
    // Dates and tags are attributes of the anchor; a line holds one link in these files.
    const bool oneLink = line.links.size() == 1;
    for (const BookmarkLink &link : line.links) {
        LocationRecord record;
        record.Location = CharacterReferences::decode(link.location);
        record.Description = CharacterReferences::decode(link.description);
        record.SiteInfo = CharacterReferences::decode(link.siteInfo);
        record.OriginalFilename = m_settings.file;
        if (oneLink)
            record.LastVisit = BrowserImport::dayOf(attributeTime(text, u"LAST_VISIT"_s));
        record.Category = m_insert.assignCategory(m_chain, record);
        record.Keyword = KeywordGuess::fromDescription(record.Description);
        m_lastAdded.clear();
        if (record.Location.startsWith(u'#'))
            continue;
        if (m_insert.insert(record) == ImportInsert::Outcome::Added) {
            m_lastAdded = record.Location;
            if (oneLink) {
                const QString tags = CharacterReferences::decode(attribute(text, u"TAGS"_s));
                BrowserImport::addExtras(m_collection,
                                         record.Location,
                                         attributeTime(text, u"ADD_DATE"_s),
                                         tags.split(u',', Qt::SkipEmptyParts));
            }
        }
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

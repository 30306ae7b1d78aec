#include "import/browserimport.h"

#include "browse/forms/keywordguess.h"
#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "import/favoritesimport.h"
#include "import/importsummary.h"
#include "store/collection.h"
#include "store/detaillabels.h"
#include "store/detailmanager.h"
#include "store/fieldtext.h"
#include "store/folderchain.h"
#include "store/keywordmanager.h"
#include "store/picture.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace pk {

BrowserImport::BrowserImport(Collection &collection,
                             ErrorManager &errors,
                             QString source,
                             CategoryMode mode,
                             QString selectedCategory)
    : m_collection(collection)
    , m_source(std::move(source))
    , m_insert(collection, errors, mode, std::move(selectedCategory), ImportInsert::Rules::FolderTree)
{}

void BrowserImport::setBookmarks(std::vector<BrowserBookmark> bookmarks)
{
    m_entries = std::move(bookmarks);
    m_next = 0;
}

QString BrowserImport::categoryFor(const BrowserBookmark &bookmark)
{
    if (bookmark.folders.isEmpty())
        return fitToField(bookmark.root, FolderChain::CategoryWidth);
    QString category;
    for (const QString &folder : bookmark.folders)
        category = FolderChain::extend(category, folder);
    return category;
}

qint32 BrowserImport::dayOf(const QDateTime &when)
{
    return when.isValid() ? DayNumber::fromDate(when.toLocalTime().date()) : DayNumber::None;
}

LocationRecord BrowserImport::locationFor(const BrowserBookmark &bookmark, const QString &source)
{
    LocationRecord record;
    record.Location = bookmark.address.trimmed();
    record.Description = bookmark.title.trimmed().isEmpty() ? record.Location
                                                            : bookmark.title.simplified();
    record.Category = categoryFor(bookmark);
    record.LastVisit = dayOf(bookmark.lastVisit);
    record.OriginalFilename = source;
    return record;
}

void BrowserImport::addExtras(Collection &collection,
                              const QString &location,
                              const BrowserBookmark &bookmark)
{
    // Extras: should one not be stored, the location stays as imported.
    QSet<QString> seen;
    for (const QString &tag : bookmark.tags) {
        const QString word = tag.trimmed();
        if (word.isEmpty() || seen.contains(word.toCaseFolded()))
            continue;
        seen.insert(word.toCaseFolded());
        KeywordRecord keyword;
        keyword.Location = location;
        keyword.Keyword = word;
        static_cast<void>(collection.keywords().insert(keyword));
    }
    const auto detail = [&](const char *label, const QString &value) {
        if (value.isEmpty())
            return;
        DetailRecord d;
        d.Location = location;
        d.DataLabel = QLatin1String(label);
        d.DataValue = value;
        static_cast<void>(collection.details().insert(d));
    };
    const auto moment = [](const QDateTime &when) {
        return when.isValid() ? when.toUTC().toString(Qt::ISODate) : QString();
    };
    detail(DetailLabel::DateAdded, moment(bookmark.added));
    detail(DetailLabel::LastModified, moment(bookmark.lastModified));
    detail(DetailLabel::BrowserKeyword, bookmark.keyword.trimmed());
}

bool BrowserImport::step(int count)
{
    static_cast<void>(m_insert.runBatch([&] {
        for (int i = 0; i < count && !done() && !m_insert.stopped(); ++i) {
            importEntry(m_entries[m_next++]);
            if ((i + 1) % 64 == 0 && m_insert.stepDue())
                break;
        }
    }));
    if (m_insert.stopped())
        m_next = m_entries.size();
    return !done();
}

void BrowserImport::importEntry(const BrowserBookmark &bookmark)
{
    if (bookmark.address.trimmed().isEmpty()) {
        if (m_insert.mode() == CategoryMode::Guess)
            m_insert.offerCategory(categoryFor(bookmark));
        return;
    }
    LocationRecord record = locationFor(bookmark, m_source);
    record.Category = m_insert.assignCategory(record.Category, record);
    record.Keyword = KeywordGuess::fromDescription(record.Description);
    if (m_insert.insert(record) == ImportInsert::Outcome::Added)
        addExtras(m_collection, record.Location, bookmark);
}

void BrowserImport::reportResult()
{
    ImportSummary::show(m_insert.errors().ui(),
                        FavoritesImport::resultText(added()),
                        m_insert.counts());
}

} // namespace pk

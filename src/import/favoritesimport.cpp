#include "import/favoritesimport.h"

#include "browse/forms/keywordguess.h"
#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "import/importsummary.h"
#include "platform/inifile.h"
#include "store/fieldtext.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr int kCategoryWidth = 50;

} // namespace

FavoritesImport::FavoritesImport(Collection &collection,
                                 ErrorManager &errors,
                                 QString folder,
                                 CategoryMode mode,
                                 QString selectedCategory)
    : m_folder(std::move(folder))
    , m_insert(collection, errors, mode, std::move(selectedCategory), ImportInsert::Rules::FolderTree)
{}

bool FavoritesImport::hasShortcutName(const QString &fileName)
{
    return fileName.contains(u".URL"_s, Qt::CaseInsensitive);
}

QString FavoritesImport::readShortcut(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > MaxShortcutSize)
        return {};
    IniFile ini(path);
    if (!ini.load())
        return {};
    return ini.value(u"InternetShortcut"_s, u"URL"_s).trimmed();
}

std::vector<ShortcutEntry> FavoritesImport::scanFolder(const QString &folder)
{
    std::vector<ShortcutEntry> entries;
    const QString root = QDir::cleanPath(folder.trimmed());
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return entries;
    const QString prefix = root.endsWith(u'/') ? root : root + u'/';
    // Links to folders are not followed: a link back up the tree cannot loop.
    QDirIterator it(root,
                    QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString full = it.next();
        ShortcutEntry entry;
        entry.path = full.startsWith(prefix) ? full.mid(prefix.size()) : full;
        if (hasShortcutName(it.fileName()))
            entry.address = readShortcut(full);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const ShortcutEntry &a, const ShortcutEntry &b) {
        const int byText = a.path.compare(b.path, Qt::CaseInsensitive);
        return byText != 0 ? byText < 0 : a.path < b.path;
    });
    return entries;
}

LocationRecord FavoritesImport::locationFor(const ShortcutEntry &entry, const QString &folder)
{
    LocationRecord record;
    record.Location = entry.address;
    record.OriginalFilename = QDir::cleanPath(folder) + u'/' + entry.path;
    QString category = QString::fromLatin1(TopCategory);
    QString description = entry.path;
    for (qsizetype slash = description.indexOf(u'/'); slash >= 0;
         slash = description.indexOf(u'/')) {
        const QString name = description.left(slash);
        if (category == QLatin1String(TopCategory))
            category = name;
        else if (trimTrailingSpaces(category).size() < CategoryGrowthLimit)
            category = fitToField(QString(trimTrailingSpaces(category) + u": "_s + name),
                                  kCategoryWidth);
        description = description.mid(slash + 1);
    }
    if (const qsizetype dot = description.indexOf(u".url"_s, 0, Qt::CaseInsensitive); dot >= 0)
        description.truncate(dot);
    record.Category = fitToField(category, kCategoryWidth);
    record.Description = description;
    return record;
}

void FavoritesImport::scan()
{
    m_entries = scanFolder(m_folder);
    m_next = 0;
}

void FavoritesImport::setEntries(std::vector<ShortcutEntry> entries)
{
    m_entries = std::move(entries);
    m_next = 0;
}

bool FavoritesImport::step(int count)
{
    static_cast<void>(m_insert.runBatch([&] {
        for (int i = 0; i < count && !done() && !m_insert.stopped(); ++i)
            importEntry(m_entries[m_next++]);
    }));
    if (m_insert.stopped())
        m_next = m_entries.size();
    return !done();
}

void FavoritesImport::importEntry(const ShortcutEntry &entry)
{
    // Files that are no shortcuts add nothing; nobody is asked about them.
    if (entry.address.trimmed().isEmpty())
        return;
    m_current = entry.address;
    LocationRecord record = locationFor(entry, m_folder);
    record.Category = m_insert.assignCategory(record.Category, record);
    record.Keyword = KeywordGuess::fromDescription(record.Description);
    m_insert.insert(record);
}

QString FavoritesImport::resultText(int added)
{
    return QString::number(added) + u" bookmark(s) imported."_s;
}

void FavoritesImport::reportResult()
{
    ImportSummary::show(m_insert.errors().ui(), resultText(added()), m_insert.counts());
}

} // namespace pk

#pragma once

#include "import/importinsert.h"

#include <QString>

#include <vector>

namespace pk {

class Collection;
class ErrorManager;

/// One file of a favourites tree.
struct ShortcutEntry
{
    QString path;    ///< relative to the favourites folder, '/' between folders
    QString address; ///< the shortcut's "URL"; blank for a file that is not a shortcut
};

/**
 * @brief The favourites import: every Internet shortcut (".url") of a folder tree becomes a
 * location whose category is made of the folders it lies in.
 *
 * scan() lists the tree (links to folders are not followed, so a link back up the tree cannot
 * loop); step() imports the next EntriesPerStep entries in one transaction.
 */
class FavoritesImport final
{
public:
    static constexpr int EntriesPerStep = 20;
    static constexpr const char *TopCategory = "Internet Explorer";
    static constexpr int CategoryGrowthLimit = 25;
    /// Larger files are no shortcuts and are not read.
    static constexpr qint64 MaxShortcutSize = 256 * 1024;

    FavoritesImport(Collection &collection,
                    ErrorManager &errors,
                    QString folder,
                    CategoryMode mode,
                    QString selectedCategory);

    ImportInsert &inserter() { return m_insert; }
    QString folder() const { return m_folder; }

    /// Lists the tree, sorted by relative path.
    void scan();
    /// Takes a listing made elsewhere (scanFolder() on another thread).
    void setEntries(std::vector<ShortcutEntry> entries);
    const std::vector<ShortcutEntry> &entries() const { return m_entries; }

    /// Imports the next entries; false once every entry was taken.
    bool step(int count = EntriesPerStep);
    bool done() const { return m_next >= m_entries.size(); }
    std::size_t taken() const { return m_next; }
    /// The address being imported last ("Importing " + address in the window).
    QString currentAddress() const { return m_current; }

    int added() const { return m_insert.added(); }
    /// The closing summary (ImportSummary), headed "<n> bookmark(s) imported.".
    void reportResult();
    static QString resultText(int added);

    /// Every file under `folder`, relative paths, sorted; shortcuts with their address.
    static std::vector<ShortcutEntry> scanFolder(const QString &folder);
    /// "URL" of section "InternetShortcut"; blank when the file is not such a shortcut.
    static QString readShortcut(const QString &path);
    /// True when a file name names a shortcut: ".URL" in it, in any letter case.
    static bool hasShortcutName(const QString &fileName);

    /// The location for an entry before the category assignment: description and category
    /// from the folder chain, the ".url" cut, the address and the file it came from.
    static LocationRecord locationFor(const ShortcutEntry &entry, const QString &folder);

private:
    void importEntry(const ShortcutEntry &entry);

    QString m_folder;
    ImportInsert m_insert;
    std::vector<ShortcutEntry> m_entries;
    std::size_t m_next = 0;
    QString m_current;
};

} // namespace pk

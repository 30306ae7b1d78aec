#include "linkcheck/favoritesscan.h"

#include "platform/inifile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace pk {

bool FavoritesScan::isShortcut(const QString &fileName)
{
    return fileName.contains(QLatin1String(".URL"), Qt::CaseInsensitive);
}

std::vector<FavoriteEntry> FavoritesScan::scan(const QString &folder)
{
    std::vector<FavoriteEntry> entries;
    QString root = QDir::cleanPath(folder);
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return entries;
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');

    // Links to folders are not followed, so a link back up the tree cannot loop.
    QDirIterator it(root,
                    QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString full = it.next();
        if (!isShortcut(it.fileName()))
            continue;
        IniFile shortcut(full);
        shortcut.load();
        FavoriteEntry entry;
        entry.path = full.startsWith(prefix) ? full.mid(prefix.size()) : full;
        entry.url
            = shortcut.value(QStringLiteral("InternetShortcut"), QStringLiteral("URL")).trimmed();
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const FavoriteEntry &a, const FavoriteEntry &b) {
        const int byText = a.path.compare(b.path, Qt::CaseInsensitive);
        return byText != 0 ? byText < 0 : a.path < b.path;
    });
    return entries;
}

} // namespace pk

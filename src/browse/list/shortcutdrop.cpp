#include "browse/list/shortcutdrop.h"

#include "platform/inifile.h"

namespace pk {

bool ShortcutDrop::isShortcut(const QString &fileName)
{
    return fileName.toUpper().contains(QLatin1String(".URL"));
}

QString ShortcutDrop::readUrl(const QString &fileName)
{
    return IniFile::read(fileName, QStringLiteral("InternetShortcut"), QStringLiteral("URL"))
        .trimmed();
}

LocationRecord ShortcutDrop::placement(const QString &fileName, const QString &favouritesFolder)
{
    QString name = fileName;
    QString folder = favouritesFolder;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    // The folder must be a whole leading part of the path: "/home/a/Favorites" is not a
    // prefix of "/home/a/FavoritesOld/x.url".
    if (!folder.isEmpty() && name.startsWith(folder + QLatin1Char('/')))
        name = name.mid(folder.size() + 1);
    else
        name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1); // outside: no folder category

    LocationRecord record;
    record.Description = name;
    record.Category = QString::fromLatin1(DefaultCategory);
    const qsizetype slash = name.indexOf(QLatin1Char('/'));
    if (slash >= 0) {
        record.Category = name.left(slash);
        record.Description = name.mid(slash + 1);
    }
    return record;
}

std::optional<LocationRecord> ShortcutDrop::fromFile(const QString &fileName,
                                                     const QString &favouritesFolder)
{
    const QString url = readUrl(fileName);
    if (url.isEmpty())
        return std::nullopt;
    LocationRecord record = placement(fileName, favouritesFolder);
    record.Location = url;
    return record;
}

} // namespace pk

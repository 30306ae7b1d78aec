#include "shell/favoritesfolder.h"

#include "platform/environment.h"
#include "platform/registry.h"

#include <QDir>

namespace pk {

QString FavoritesFolder::defaultFolder()
{
    return QDir::homePath() + QStringLiteral("/Favorites");
}

QString FavoritesFolder::lookup(const Registry &registry)
{
    const QString fallback = defaultFolder();
    const QString name = QStringLiteral("Favorites");
    QString folder = registry.value(QLatin1String(UserShellFolders), name, fallback);
    if (folder == fallback)
        folder = registry.value(QLatin1String(ShellFolders), name, fallback);
    folder = expandFirstVariable(folder);
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return folder.left(255);
}

} // namespace pk

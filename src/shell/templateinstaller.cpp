#include "shell/templateinstaller.h"

#include "shell/collectionpaths.h"

#include <QFile>

namespace pk {

int TemplateInstaller::installDefaults(const QString &collectionFolder,
                                       const QString &templateFolder)
{
    if (!CollectionPaths::matchingFiles(collectionFolder, QStringLiteral("*.htm")).isEmpty())
        return 0;
    int copied = 0;
    for (const QString &name :
         CollectionPaths::matchingFiles(templateFolder, QStringLiteral("Default_*.htm"))) {
        const QString target = CollectionPaths::withSlash(collectionFolder) + name;
        if (QFile::copy(CollectionPaths::withSlash(templateFolder) + name, target)) {
            // Installed data is often read-only; the user's copies are meant to be edited.
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
            ++copied;
        }
    }
    return copied;
}

} // namespace pk

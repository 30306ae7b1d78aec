#include "platform/appfolders.h"

#include <QDir>
#include <QFileInfo>

namespace pk {

namespace {
QString &dataFolderRef()
{
    static QString folder;
    return folder;
}
} // namespace

QString AppFolders::configFolder()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/pathkeep"));
}

bool AppFolders::ensureConfigFolder()
{
    return QDir().mkpath(configFolder());
}

QString AppFolders::pathkeepIni()
{
    return configFolder() + QStringLiteral("/PATHKEEP.INI");
}

QString AppFolders::positionIni()
{
    return configFolder() + QStringLiteral("/POSITION.INI");
}

QString AppFolders::reportIni()
{
    return configFolder() + QStringLiteral("/PKREPORT.INI");
}

QString AppFolders::registryIni()
{
    return configFolder() + QStringLiteral("/registry.ini");
}

QString AppFolders::dataFolder()
{
    return dataFolderRef();
}

void AppFolders::setDataFolder(const QString &folder)
{
    dataFolderRef() = QDir::cleanPath(folder);
}

QString AppFolders::dataFile(const QString &relative)
{
    return dataFolderRef() + QLatin1Char('/') + relative;
}

QString AppFolders::resolveDataFolder(const QString &programFolder,
                                      const QString &installFolder,
                                      const QString &sourceFolder)
{
    const QString besideProgram = QDir::cleanPath(programFolder
                                                  + QStringLiteral("/../share/pathkeep"));
    if (QFileInfo(besideProgram).isDir())
        return besideProgram;
    if (!sourceFolder.isEmpty() && QFileInfo(sourceFolder).isDir())
        return QDir::cleanPath(sourceFolder);
    return QDir::cleanPath(installFolder);
}

} // namespace pk

#include "shell/collectionpaths.h"

#include <QDir>
#include <QFileInfo>

namespace pk {

QString CollectionPaths::defaultFolder()
{
    return QDir::home().filePath(QStringLiteral("Pathkeep"));
}

CollectionPaths::Choice CollectionPaths::choose(const QString &option, const QString &currentFolder)
{
    const auto absolute = [](const QString &folder) {
        return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    };
    if (!option.isEmpty())
        return {absolute(option), Source::Option};
    const QString variable = qEnvironmentVariable(CollectionVariable);
    if (!variable.isEmpty())
        return {absolute(variable), Source::Environment};
    if (!findFile(currentFolder, QStringLiteral("URLDATA.TPS")).isEmpty())
        return {absolute(currentFolder), Source::CurrentFolder};
    return {absolute(defaultFolder()), Source::Default};
}

QString CollectionPaths::sourceName(Source source)
{
    switch (source) {
    case Source::Option:
        return QStringLiteral("--collection");
    case Source::Environment:
        return QString::fromLatin1(CollectionVariable);
    case Source::CurrentFolder:
        return QStringLiteral("the current folder");
    case Source::Default:
        break;
    }
    return QStringLiteral("the default collection");
}

QString CollectionPaths::withSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString CollectionPaths::newCollectionFolder(const QString &returnedPath)
{
    QString path = returnedPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString upper = path.toUpper();
    const qsizetype doubled = upper.indexOf(QLatin1String("/URLDATA.TPS.TPS/"));
    if (doubled >= 0) {
        path = path.left(doubled);
    } else if (QString(upper + QLatin1Char('/')).contains(QLatin1String(".TPS/"))) {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        path = slash > 0 ? path.left(slash) : QStringLiteral("/");
    }
    return withSlash(path);
}

QString CollectionPaths::openCollectionFolder(const QString &returnedPath)
{
    QString path = returnedPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const qsizetype at = path.toUpper().indexOf(QLatin1String("/URLDATA.TPS"));
    if (at >= 0) {
        path = path.left(at);
    } else if (path.toUpper().endsWith(QLatin1String(".TPS"))) {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        path = slash > 0 ? path.left(slash) : QStringLiteral("/");
    }
    if (path.isEmpty())
        path = QStringLiteral("/");
    return withSlash(path);
}

bool CollectionPaths::sameFolder(const QString &a, const QString &b)
{
    auto norm = [](const QString &p) {
        const QFileInfo info(p);
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    };
    return norm(a) == norm(b);
}

QStringList CollectionPaths::matchingFiles(const QString &folder, const QString &pattern)
{
    QDir dir(folder);
    return dir.entryList({pattern}, QDir::Files, QDir::Name);
}

QString CollectionPaths::findFile(const QString &folder, const QString &name)
{
    const QStringList found = matchingFiles(folder, name);
    return found.isEmpty() ? QString() : found.first();
}

} // namespace pk

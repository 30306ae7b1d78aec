#include "tools/fileoperation.h"

#include "platform/inifile.h"
#include "store/picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace pk {

namespace {

bool hasWildcard(const QString &name)
{
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

QString withSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

/// A modification time as "/D" compares it: to the second.
QDateTime toSecond(const QDateTime &t)
{
    return QDateTime::fromSecsSinceEpoch(t.toSecsSinceEpoch());
}

} // namespace

FileOperation::FileOperation(IniFile *ini, Progress progress)
    : m_ini(ini)
    , m_progress(std::move(progress))
{}

bool FileOperation::say(const QString &line)
{
    if (m_progress && !m_progress(line))
        m_closed = true;
    return !m_closed;
}

qint32 FileOperation::run(const QString &operation,
                          const QString &source,
                          const QString &destination,
                          const QString &options1,
                          const QString &options2)
{
    const QString options = options1 + QLatin1Char(' ') + options2;
    if (m_ini) {
        m_ini->setValue(QLatin1String(Section), operation + QStringLiteral("From"), source);
        m_ini->setValue(QLatin1String(Section), operation + QStringLiteral("To"), destination);
        m_ini->setValue(QLatin1String(Section), operation + QStringLiteral("Options"), options);
        m_ini->save();
    }
    m_newerOnly = options.contains(QLatin1String("/D"), Qt::CaseInsensitive);
    m_subfolders = options.contains(QLatin1String("/S"), Qt::CaseInsensitive);
    m_renameOnCollision = options.contains(QLatin1String("/R"), Qt::CaseInsensitive);
    m_closed = false;

    const QFileInfo info(source);
    if (operation == QLatin1String("Copy"))
        return copy(source, destination);
    if (operation == QLatin1String("Move") || operation == QLatin1String("Delete")
        || operation == QLatin1String("Recycle"))
        return whole(operation, source, destination);
    if (operation == QLatin1String("Rename")) {
        if (!info.exists() && !info.isSymLink())
            return NotFound;
        if (QFileInfo::exists(destination))
            return Exists;
        return QDir().rename(source, destination) ? 0 : Refused;
    }
    if (operation == QLatin1String("Make Directory")) {
        if (info.exists())
            return AlreadyExists;
        if (!info.absoluteDir().exists())
            return PathNotFound;
        return QDir().mkdir(source) ? 0 : Refused;
    }
    if (operation == QLatin1String("Remove Directory")) {
        if (!info.isDir())
            return PathNotFound;
        if (!QDir(source).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                  | QDir::System))
            return NotEmpty;
        return QDir().rmdir(source) ? 0 : Refused;
    }
    if (operation == QLatin1String("Get File Date"))
        return info.isFile() ? DayNumber::fromDate(info.lastModified().date()) : -1;
    if (operation == QLatin1String("Get File Time"))
        return info.isFile() ? info.lastModified().time().msecsSinceStartOfDay() / 10 + 1 : -1;
    if (operation == QLatin1String("Get File Size"))
        return info.isFile() ? qint32(std::min<qint64>(info.size(), 0x7fffffff)) : -1;
    return Refused;
}

QStringList FileOperation::expand(const QString &source) const
{
    const QFileInfo info(source);
    if (!hasWildcard(info.fileName()))
        return info.exists() ? QStringList{source} : QStringList{};
    QDir::Filters filters = QDir::Files | QDir::Hidden | QDir::System;
    if (m_subfolders) // without "/S" a mask means files only
        filters |= QDir::Dirs | QDir::NoDotAndDotDot;
    const QDir folder = info.dir();
    QStringList out;
    for (const QString &name : folder.entryList({info.fileName()}, filters, QDir::Name))
        out << folder.filePath(name);
    return out;
}

QString FileOperation::freeName(const QString &target) const
{
    const QFileInfo info(target);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = info.dir().filePath(base + QStringLiteral(" (%1)").arg(n)
                                                      + suffix);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

qint32 FileOperation::copyFile(const QString &from, const QString &to)
{
    const QFileInfo source(from);
    if (!source.isFile())
        return NotFound;
    auto attempt = [&] {
        if (QFileInfo::exists(to) && !QFile::remove(to))
            return false;
        return QFile::copy(from, to);
    };
    if (!attempt()) {
        // A missing target folder is created and the copy tried once more.
        if (QFileInfo(to).absoluteDir().exists() || !QDir().mkpath(QFileInfo(to).absolutePath()))
            return QFileInfo(to).absoluteDir().exists() ? Refused : PathNotFound;
        if (!attempt())
            return Refused;
    }
    // Copies keep their source's time, so that "/D" sees them as up to date.
    QFile copied(to);
    if (copied.open(QIODevice::ReadWrite))
        copied.setFileTime(source.lastModified(), QFileDevice::FileModificationTime);
    return 0;
}

qint32 FileOperation::copyTree(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return PathNotFound;
    qint32 result = 0;
    const QDir folder(from);
    const auto entries = folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                                  | QDir::System,
                                              QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString target = withSlash(to) + entry.fileName();
        const qint32 r = entry.isDir() ? copyTree(entry.filePath(), target)
                                       : copyFile(entry.filePath(), target);
        if (r != 0)
            result = r;
    }
    return result;
}

qint32 FileOperation::whole(const QString &operation,
                            const QString &source,
                            const QString &destination)
{
    const QStringList items = expand(source);
    if (items.isEmpty())
        return NotFound;
    const bool intoFolder = items.size() > 1 || hasWildcard(QFileInfo(source).fileName())
                            || QFileInfo(destination).isDir();
    qint32 result = 0;
    for (const QString &item : items) {
        const QFileInfo info(item);
        qint32 r = 0;
        if (operation == QLatin1String("Delete")) {
            r = info.isDir() ? (QDir(item).removeRecursively() ? 0 : Refused)
                             : (QFile::remove(item) ? 0 : Refused);
        } else if (operation == QLatin1String("Recycle")) {
            r = QFile::moveToTrash(item) ? 0 : Refused;
        } else {
            QString target = intoFolder ? withSlash(destination) + info.fileName() : destination;
            if (intoFolder && !QDir().mkpath(destination))
                return PathNotFound;
            if (QFileInfo::exists(target) && m_renameOnCollision)
                target = freeName(target);
            if (operation == QLatin1String("Move")) {
                if (QFileInfo::exists(target) && !info.isDir())
                    QFile::remove(target);
                if (!QDir().rename(item, target)) {
                    // Across file systems: copy, then remove the source.
                    r = info.isDir() ? copyTree(item, target) : copyFile(item, target);
                    if (r == 0)
                        r = (info.isDir() ? QDir(item).removeRecursively() : QFile::remove(item))
                                ? 0
                                : Refused;
                }
            } else {
                r = info.isDir() ? copyTree(item, target) : copyFile(item, target);
            }
        }
        if (r != 0)
            result = r;
    }
    return result;
}

QList<FileOperation::Entry> FileOperation::listFiles(const QString &source) const
{
    const QFileInfo info(source);
    QString folder = source;
    QString mask = QStringLiteral("*");
    if (!info.isDir()) {
        folder = info.path();
        mask = info.fileName();
    }
    QList<Entry> out;
    auto scan = [&](auto &&self, const QDir &dir) -> void {
        for (const QFileInfo &f :
             dir.entryInfoList({mask}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
            out.push_back({f.filePath(), f.lastModified(), f.size()});
        if (!m_subfolders)
            return;
        for (const QString &sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            self(self, QDir(dir.filePath(sub)));
    };
    if (QFileInfo(folder).isDir())
        scan(scan, QDir(folder));
    std::sort(out.begin(), out.end(), [](const Entry &a, const Entry &b) {
        return a.path < b.path;
    });
    return out;
}

qint32 FileOperation::copy(const QString &source, const QString &destination)
{
    if (!m_newerOnly && (!m_subfolders || source.contains(QLatin1String("*.*"))))
        return whole(QStringLiteral("Copy"), source, destination);

    say(QStringLiteral("Searching ") + source);
    const QList<Entry> sources = listFiles(source);
    if (sources.isEmpty())
        return -1;
    const QFileInfo info(source);
    const QString mask = info.isDir() ? QStringLiteral("*") : info.fileName();
    say(QStringLiteral("Searching ") + destination);
    const QList<Entry> targets = listFiles(withSlash(destination) + mask);
    qint32 result = 0;
    if (targets.isEmpty()) {
        result = whole(QStringLiteral("Copy"), source, destination);
        if (!m_subfolders)
            return result;
    }
    // Files keep their place below the source folder; the bases are the folders named, not a
    // prefix the listed names happen to share.
    const QString sourceBase = withSlash(info.isDir() ? source : info.path());
    const QString targetBase = withSlash(destination);
    for (const Entry &file : sources) {
        if (m_closed)
            break;
        const QString target = targetBase + file.path.mid(sourceBase.size());
        const QFileInfo existing(target);
        const bool copyIt = !existing.exists()
                            || (m_newerOnly
                                && toSecond(existing.lastModified()) < toSecond(file.modified));
        if (!copyIt) {
            say(QStringLiteral("Skipping ") + file.path);
            continue;
        }
        say(file.path + QStringLiteral("->") + target);
        if (const qint32 r = copyFile(file.path, target); r != 0)
            result = r;
    }
    return result;
}

} // namespace pk

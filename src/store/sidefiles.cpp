#include "store/sidefiles.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <utility>

namespace pk::SideFiles {

namespace {

// Every connection to a file in WAL mode holds a read lock on this byte of the -shm file for as
// long as it is open: the first of SQLite's "DMS" lock bytes, after the 8 locks from byte 120.
constexpr off_t kDmsLockByte = 128;

QString wal(const QString &file)
{
    return file + QStringLiteral("-wal");
}

QString shm(const QString &file)
{
    return file + QStringLiteral("-shm");
}

} // namespace

bool inUse(const QString &file)
{
    const QByteArray path = QFile::encodeName(shm(file));
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0)
        return false;
    // Closing any descriptor of a file drops every lock this process holds on it, SQLite's own
    // included. The descriptor looked through is therefore kept for the life of the process:
    // one per index file ever looked at, a handful.
    static std::mutex mutex;
    static std::map<std::pair<dev_t, ino_t>, int> kept;
    const std::lock_guard guard(mutex);
    int fd = -1;
    if (const auto it = kept.find({info.st_dev, info.st_ino}); it != kept.end()) {
        fd = it->second;
    } else {
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        // The file may have been replaced since stat(): the key is what was opened.
        struct stat opened = {};
        if (::fstat(fd, &opened) == 0)
            info = opened;
        kept.emplace(std::pair(info.st_dev, info.st_ino), fd);
    }
    const auto ask = [fd](int command, struct flock &lock) {
        lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = kDmsLockByte;
        lock.l_len = 1;
        return ::fcntl(fd, command, &lock);
    };
    struct flock lock = {};
    // An open file description lock conflicts with every other lock, also those SQLite holds
    // for other connections of this process: they use the file as much as another program.
    int rc = ask(F_OFD_GETLK, lock);
    if (rc != 0 && errno == EINVAL)
        rc = ask(F_GETLK, lock); // kernels before 3.15: other processes' locks only
    return rc != 0 || lock.l_type != F_UNLCK;
}

void removeUnused(const QString &file)
{
    const QFileInfo log(wal(file));
    if ((log.exists() && log.size() > 0) || inUse(file))
        return;
    QFile::remove(wal(file));
    QFile::remove(shm(file));
}

void repair(const QString &file)
{
    const QFileInfo main(file);
    if (!main.isWritable())
        return;
    for (const QString &side : {wal(file), shm(file)}) {
        const QFileInfo info(side);
        if (!info.exists() || info.isWritable())
            continue;
        if (!QFile::setPermissions(side, QFile::permissions(file)) && !inUse(file)) {
            // Someone else's leftovers: only an empty log may go, and the index with it.
            if (side == shm(file) || info.size() == 0)
                QFile::remove(side);
        }
    }
}

} // namespace pk::SideFiles

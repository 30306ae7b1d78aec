#include "store/sidefiles.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

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
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kDmsLockByte;
    lock.l_len = 1;
    // Locks of this process are not reported: the caller's own connection must be closed.
    const bool held = ::fcntl(fd, F_GETLK, &lock) != 0 || lock.l_type != F_UNLCK;
    ::close(fd);
    return held;
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

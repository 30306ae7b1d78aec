// Whether a collection file is in use, asked without disturbing SQLite's locks.

#include "storefixture.h"

#include "store/sidefiles.h"

#include <QFileInfo>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pk::test {
namespace {

/// What another process sees: whether someone holds the lock every connection holds on the
/// file's index (`-shm`) while it is open.
bool anotherProcessSeesTheLock(const QString &file)
{
    const QByteArray shm = QFile::encodeName(file + QStringLiteral("-shm"));
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(shm.constData(), O_RDONLY);
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 128;
        lock.l_len = 1;
        const bool held = fd >= 0 && ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
        ::_exit(held ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

using SideFilesTest = StoreTest;

TEST_F(SideFilesTest, AskingLeavesTheLocksOfThisProcessToOtherProcesses)
{
    const QString data = c().filePath(CollectionFile::Data);
    ASSERT_TRUE(anotherProcessSeesTheLock(data));
    for (int i = 0; i < 3; ++i) {
        // The open connection of this process counts as a use...
        EXPECT_TRUE(SideFiles::inUse(data));
        // ...and keeps its locks: closing a descriptor of the file would have dropped them all.
        EXPECT_TRUE(anotherProcessSeesTheLock(data));
    }
    ASSERT_TRUE(c().locations().insert(location(QStringLiteral("http://a.test/"))));
    EXPECT_TRUE(anotherProcessSeesTheLock(data));

    // Side files another connection of this process uses are not taken away under it.
    SideFiles::removeUnused(data);
    EXPECT_TRUE(QFileInfo::exists(data + QStringLiteral("-shm")));
    EXPECT_TRUE(c().locations().exists(QStringLiteral("http://a.test/")));

    // Once every connection is closed, nobody uses the file.
    m_collection.reset();
    EXPECT_FALSE(anotherProcessSeesTheLock(data));
    EXPECT_FALSE(SideFiles::inUse(data));
    SideFiles::removeUnused(data);
    EXPECT_FALSE(QFileInfo::exists(data + QStringLiteral("-shm")));
    reopen();
    EXPECT_TRUE(c().locations().exists(QStringLiteral("http://a.test/")));
    EXPECT_TRUE(SideFiles::inUse(data));
}

} // namespace
} // namespace pk::test

#include "shell/backupjob.h"

#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <SQLiteCpp/Database.h>

#include <gtest/gtest.h>

using pk::BackupJob;
using pk::StoreStatus;

namespace {

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray get(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(BackupJobTest, FilesThatAreNotDatabasesAreNeitherBackedUpNorRestored)
{
    QTemporaryDir dir;
    const QString collection = dir.filePath(QStringLiteral("collection"));
    const QString backup = dir.filePath(QStringLiteral("backup/2026-12-07"));
    QDir().mkpath(collection);
    put(collection + QStringLiteral("/URLDATA.TPS"), "data v1");
    put(collection + QStringLiteral("/URL_C.TPS"), "categories v1");
    put(collection + QStringLiteral("/URL_H.TPS"), "html v1");

    QString error;
    EXPECT_FALSE(BackupJob::backup(collection, backup, error));
    EXPECT_TRUE(error.contains(QStringLiteral("URLDATA.TPS in "))
                && error.contains(QStringLiteral("is not a database")))
        << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(backup));
    EXPECT_TRUE(BackupJob::list(dir.filePath(QStringLiteral("backup"))).empty());

    // Such files where a backup is expected are refused, and the collection stays as it was.
    QDir().mkpath(backup);
    for (const QString &name : BackupJob::fileNames())
        put(backup + QLatin1Char('/') + name, "not a backup");
    put(collection + QStringLiteral("/URLDATA.TPS"), "data v2");
    EXPECT_FALSE(BackupJob::restore(backup, collection, error));
    EXPECT_TRUE(error.contains(QStringLiteral("URLDATA.TPS is not a database")))
        << error.toStdString();
    EXPECT_EQ(get(collection + QStringLiteral("/URLDATA.TPS")), QByteArray("data v2"));
}

TEST(BackupJobTest, RefusesSameFolderAndEmptySource)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(BackupJob::backup(dir.path(), dir.path(), error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(BackupJob::backup(dir.path(), dir.filePath(QStringLiteral("b")), error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("There are no collection files")));
}

namespace {

std::string utf8(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

int count(SQLite::Database &db)
{
    return db.execAndGet("SELECT count(*) FROM probe").getInt();
}

} // namespace

TEST(BackupJobTest, ALiveCollectionIsBackedUpWithWhatIsStillInItsLog)
{
    QTemporaryDir dir;
    const QString collection = dir.filePath(QStringLiteral("collection"));
    const QString backup = dir.filePath(QStringLiteral("backup"));
    QDir().mkpath(collection);
    {
        pk::Collection c(collection);
        ASSERT_TRUE(c.openAll(true));
    }
    const QString data = collection + QStringLiteral("/URLDATA.TPS");

    // A running program: WAL mode, the last commits not yet checkpointed into the file.
    SQLite::Database live(utf8(data), SQLite::OPEN_READWRITE);
    live.exec("PRAGMA journal_mode = WAL");
    live.exec("PRAGMA wal_autocheckpoint = 0");
    live.exec("CREATE TABLE probe(n INTEGER)");
    for (int i = 0; i < 50; ++i)
        live.exec("INSERT INTO probe VALUES (1)");
    ASSERT_TRUE(QFileInfo(data + QStringLiteral("-wal")).size() > 0);

    QString error;
    ASSERT_TRUE(BackupJob::backup(collection, backup, error)) << error.toStdString();
    {
        SQLite::Database copy(utf8(backup + QStringLiteral("/URLDATA.TPS")), SQLite::OPEN_READONLY);
        EXPECT_EQ(count(copy), 50);
    }

    // Restoring while the program still has the file open: it sees the restored rows as one
    // more transaction, and goes on writing into the same, live files.
    live.exec("DELETE FROM probe");
    ASSERT_TRUE(BackupJob::restore(backup, collection, error)) << error.toStdString();
    EXPECT_EQ(count(live), 50);
    live.exec("INSERT INTO probe VALUES (2)");
    SQLite::Database other(utf8(data), SQLite::OPEN_READONLY);
    EXPECT_EQ(count(other), 51);
}

namespace {

/// Locations and categories of a collection folder (each location has its own category).
std::pair<qint64, qint64> counts(const QString &folder)
{
    pk::Collection c(folder);
    if (!c.openAll(false))
        return {-1, -1};
    std::vector<pk::CategoryRecord> categories;
    if (!c.categories().list(categories))
        return {-1, -1};
    return {c.locations().count(), qint64(categories.size())};
}

} // namespace

TEST(BackupJobTest, ABackupTakenWhileWritingHoldsOneMomentOfAllFiles)
{
    QTemporaryDir dir;
    const QString collection = dir.filePath(QStringLiteral("collection"));
    QDir().mkpath(collection);
    {
        pk::Collection c(collection);
        ASSERT_TRUE(c.openAll(true));
    }
    // A writer adds a category (URL_C.TPS) and a location in it (URLDATA.TPS) per transaction.
    std::atomic_bool stop = false;
    std::atomic_int written = 0;
    std::thread writer([&] {
        pk::Collection c(collection);
        if (!c.openAll(false))
            return;
        for (int i = 0; !stop; ++i) {
            const StoreStatus s = c.transaction([&]() -> StoreStatus {
                const QString name = QStringLiteral("Category %1").arg(i);
                if (StoreStatus st = c.categories().insert({name, 0, {}}); !st)
                    return st;
                pk::LocationRecord r;
                r.Location = QStringLiteral("http://site%1.example/").arg(i);
                r.Category = name;
                return c.locations().insert(r);
            });
            if (s)
                ++written;
        }
    });
    std::vector<QString> backups;
    const QDeadlineTimer deadline(60000);
    for (int i = 0; i < 8; ++i) {
        while (written < (i + 1) * 20 && !deadline.hasExpired())
            QThread::msleep(5);
        if (written < (i + 1) * 20) {
            stop = true;
            writer.join();
            FAIL() << "the writer stopped writing";
        }
        const QString target = dir.filePath(QStringLiteral("backup%1").arg(i));
        QString error;
        EXPECT_TRUE(BackupJob::backup(collection, target, error)) << error.toStdString();
        backups.push_back(target);
    }
    stop = true;
    writer.join();
    for (const QString &b : backups) {
        const auto [locations, categories] = counts(b);
        EXPECT_GT(locations, 0) << b.toStdString();
        EXPECT_EQ(locations, categories) << b.toStdString();
    }
}

TEST(BackupJobTest, RestoreWaitsForOtherProgramsAndBringsBackExactlyTheBackup)
{
    QTemporaryDir dir;
    const QString collection = dir.filePath(QStringLiteral("collection"));
    QDir().mkpath(collection);
    auto add = [&](int from, int to) {
        pk::Collection c(collection);
        ASSERT_TRUE(c.openAll(true));
        ASSERT_TRUE(c.categories().insert({QStringLiteral("General"), 0, {}})
                    || c.categories().exists(QStringLiteral("General")));
        for (int i = from; i < to; ++i) {
            pk::LocationRecord r;
            r.Location = QStringLiteral("http://site%1.example/").arg(i);
            r.Category = QStringLiteral("General");
            ASSERT_TRUE(c.locations().insert(r));
        }
    };
    add(0, 5);
    const QString parent = dir.filePath(QStringLiteral("backups"));
    const QString first = BackupJob::datedFolder(parent,
                                                 QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    QString error;
    ASSERT_TRUE(BackupJob::backup(collection, first, error)) << error.toStdString();
    add(5, 9);
    const QString second = BackupJob::datedFolder(parent,
                                                  QDateTime(QDate(2026, 2, 2), QTime(3, 4, 5)));
    ASSERT_TRUE(BackupJob::backup(collection, second, error)) << error.toStdString();

    const std::vector<pk::BackupEntry> listed = BackupJob::list(parent);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].folder, second);
    EXPECT_EQ(listed[0].locations, 9);
    EXPECT_EQ(listed[1].taken, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    EXPECT_EQ(listed[1].locations, 5);

    // Another program with the data file open: the restore is refused and changes nothing.
    QProcess holder;
    holder.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("exec 3<\"$0\"; exec sleep 30"),
                  collection + QStringLiteral("/URLDATA.TPS")});
    ASSERT_TRUE(holder.waitForStarted());
    for (int i = 0; i < 100 && BackupJob::holders(collection).empty(); ++i)
        QThread::msleep(20);
    ASSERT_FALSE(BackupJob::holders(collection).empty());
    EXPECT_FALSE(BackupJob::restore(first, collection, error));
    EXPECT_TRUE(error.contains(QStringLiteral("is open in"))) << error.toStdString();
    EXPECT_EQ(counts(collection).first, 9);
    holder.kill();
    holder.waitForFinished();

    ASSERT_TRUE(BackupJob::restore(first, collection, error)) << error.toStdString();
    pk::Collection c(collection);
    ASSERT_TRUE(c.openAll(false));
    EXPECT_EQ(c.locations().count(), 5);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(c.locations().exists(QStringLiteral("http://site%1.example/").arg(i)), i < 5);
}

namespace {

/// Adds locations `from` to `to` - 1 to a collection folder (made when missing).
void fill(const QString &folder, int from, int to)
{
    QDir().mkpath(folder);
    pk::Collection c(folder);
    ASSERT_TRUE(c.openAll(true));
    if (!c.categories().exists(QStringLiteral("General"))) {
        ASSERT_TRUE(c.categories().insert({QStringLiteral("General"), 0, {}}));
    }
    ASSERT_TRUE(c.transaction([&]() -> StoreStatus {
        for (int i = from; i < to; ++i) {
            pk::LocationRecord r;
            r.Location = QStringLiteral("http://site%1.example/").arg(i);
            r.Category = QStringLiteral("General");
            if (StoreStatus s = c.locations().insert(r); !s)
                return s;
        }
        return StoreStatus::success();
    }));
}

/// The bytes of the collection's three files, to see that nothing changed.
QByteArray filesOf(const QString &folder)
{
    QByteArray all;
    for (const QString &name : BackupJob::fileNames())
        all += get(folder + QLatin1Char('/') + name);
    return all;
}

QStringList hiddenFolders(const QString &folder)
{
    return QDir(folder)
        .entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)
        .filter(QStringLiteral(".pathkeep-"));
}

} // namespace

TEST(BackupJobTest, DamagedBackupsAreMarkedAndTheirRestoreIsRefusedWithoutAChange)
{
    QTemporaryDir dir;
    const QString collection = dir.filePath(QStringLiteral("collection"));
    const QString parent = dir.filePath(QStringLiteral("backups"));
    fill(collection, 0, 300);
    const QString good = parent + QStringLiteral("/good");
    QString error;
    ASSERT_TRUE(BackupJob::backup(collection, good, error)) << error.toStdString();
    fill(collection, 300, 309);
    const QByteArray before = filesOf(collection);

    // Each damaged copy of the good backup, and what the refusal names.
    struct Damage
    {
        const char *name;
        std::function<void(const QString &folder)> apply;
        const char *problem;
        bool onlyFullCheck; ///< damage the quick check of the list may not see
    };
    const std::vector<Damage> damages = {
        {"truncated",
         [](const QString &f) {
             QFile file(f + QStringLiteral("/URLDATA.TPS"));
             ASSERT_TRUE(file.resize(file.size() / 2));
         },
         "URLDATA.TPS is cut short",
         false},
        {"missing table",
         [](const QString &f) {
             SQLite::Database db(utf8(f + QStringLiteral("/URLDATA.TPS")), SQLite::OPEN_READWRITE);
             db.exec("DROP TABLE Locations");
         },
         "URLDATA.TPS has no Locations table",
         false},
        {"garbage",
         [](const QString &f) {
             QByteArray junk;
             for (int i = 0; i < 20000; ++i)
                 junk += char((i * 7919) % 251);
             put(f + QStringLiteral("/URL_C.TPS"), junk);
         },
         "URL_C.TPS is not a database",
         false},
        {"missing file",
         [](const QString &f) { QFile::remove(f + QStringLiteral("/URL_H.TPS")); },
         "URL_H.TPS is missing",
         false},
        {"unfinished write",
         [](const QString &f) { put(f + QStringLiteral("/URLDATA.TPS-journal"), "journal"); },
         "URLDATA.TPS was not completely written",
         false},
        {"damaged pages",
         [](const QString &f) {
             QFile file(f + QStringLiteral("/URLDATA.TPS"));
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             const qint64 pages = file.size() / 4096;
             ASSERT_GT(pages, 8);
             file.seek((pages / 2) * 4096);
             file.write(QByteArray(4 * 4096, '\x5a'));
         },
         // Found by the full check, or already when the quick one reads a damaged page.
         "URLDATA.TPS",
         true},
    };
    for (const Damage &damage : damages) {
        SCOPED_TRACE(damage.name);
        const QString copy = parent + QLatin1Char('/') + QLatin1String(damage.name);
        QDir().mkpath(copy);
        for (const QString &name : BackupJob::fileNames())
            ASSERT_TRUE(QFile::copy(good + QLatin1Char('/') + name, copy + QLatin1Char('/') + name));
        damage.apply(copy);

        bool listed = false;
        for (const pk::BackupEntry &entry : BackupJob::list(parent)) {
            if (entry.folder != copy)
                continue;
            listed = true;
            if (!damage.onlyFullCheck) {
                EXPECT_FALSE(entry.usable());
                EXPECT_TRUE(entry.problem.startsWith(QLatin1String(damage.problem)))
                    << entry.problem.toStdString();
                EXPECT_EQ(entry.locations, -1);
            }
        }
        EXPECT_TRUE(listed);

        error.clear();
        EXPECT_FALSE(BackupJob::restore(copy, collection, error));
        EXPECT_TRUE(error.contains(QLatin1String(damage.problem))) << error.toStdString();
        if (damage.onlyFullCheck) {
            EXPECT_TRUE(error.contains(QStringLiteral("damaged"))) << error.toStdString();
        }
        EXPECT_TRUE(error.contains(QStringLiteral("The collection was not changed")))
            << error.toStdString();
        EXPECT_EQ(filesOf(collection), before);
        EXPECT_TRUE(hiddenFolders(collection).isEmpty());
        EXPECT_TRUE(QDir(collection).entryList({QStringLiteral("Replaced*")}, QDir::Dirs).isEmpty());
    }
    EXPECT_EQ(counts(collection).first, 309);
}

TEST(BackupJobTest, ARestoreKeepsTheReplacedFilesAndCanBeUndone)
{
    QTemporaryDir dir;
    const QString collection = dir.filePath(QStringLiteral("collection"));
    fill(collection, 0, 5);
    const QString backup = dir.filePath(QStringLiteral("backup"));
    QString error;
    ASSERT_TRUE(BackupJob::backup(collection, backup, error)) << error.toStdString();
    fill(collection, 5, 12);

    QString kept;
    ASSERT_TRUE(BackupJob::restore(backup, collection, error, &kept)) << error.toStdString();
    EXPECT_EQ(counts(collection).first, 5);
    ASSERT_TRUE(kept.startsWith(collection + QStringLiteral("/Replaced "))) << kept.toStdString();
    QString problem;
    EXPECT_TRUE(BackupJob::check(kept, BackupJob::Depth::Full, problem)) << problem.toStdString();
    EXPECT_EQ(counts(kept).first, 12);

    // Undone: restored from the kept files, which are kept in turn.
    QString keptAgain;
    ASSERT_TRUE(BackupJob::restore(kept, collection, error, &keptAgain)) << error.toStdString();
    EXPECT_EQ(counts(collection).first, 12);
    EXPECT_NE(keptAgain, kept);
    EXPECT_EQ(counts(keptAgain).first, 5);
    EXPECT_TRUE(hiddenFolders(collection).isEmpty());

    // Into a folder that has no collection yet: nothing to keep.
    const QString fresh = dir.filePath(QStringLiteral("fresh"));
    ASSERT_TRUE(BackupJob::restore(backup, fresh, error, &kept)) << error.toStdString();
    EXPECT_TRUE(kept.isEmpty());
    EXPECT_EQ(counts(fresh).first, 5);
}

TEST(BackupJobTest, UnfinishedBackupsAreNeverListedAndTheNextBackupRemovesThem)
{
    QTemporaryDir dir;
    const QString collection = dir.filePath(QStringLiteral("collection"));
    const QString parent = dir.filePath(QStringLiteral("backups"));
    fill(collection, 0, 20);
    // What a killed backup leaves: a temporary folder with a partial copy and its journal.
    const QString killed = parent + QStringLiteral("/.pathkeep-backup.partial-AbC123");
    const QString running = parent + QStringLiteral("/.pathkeep-backup.partial-Run456");
    for (const QString &folder : {killed, running}) {
        QDir().mkpath(folder);
        put(folder + QStringLiteral("/URLDATA.TPS"), QByteArray("SQLite format 3\0", 16));
        put(folder + QStringLiteral("/URLDATA.TPS-journal"), "journal");
    }
    EXPECT_TRUE(BackupJob::list(parent).empty());

    // One that a backup still writes holds its lock: it stays.
    const int fd = ::open(QFile::encodeName(running).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const QString first = BackupJob::datedFolder(parent, QDateTime(QDate(2026, 3, 1), QTime(9, 0)));
    QString error;
    ASSERT_TRUE(BackupJob::backup(collection, first, error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(killed));
    EXPECT_TRUE(QFileInfo::exists(running));
    ::close(fd);

    const std::vector<pk::BackupEntry> listed = BackupJob::list(parent);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].folder, first);
    EXPECT_TRUE(listed[0].usable()) << listed[0].problem.toStdString();
    EXPECT_EQ(listed[0].locations, 20);

    // A second backup into the same folder replaces its files whole; its own leftovers go.
    fill(collection, 20, 30);
    ASSERT_TRUE(BackupJob::backup(collection, first, error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(running));
    EXPECT_EQ(counts(first).first, 30);
    EXPECT_TRUE(hiddenFolders(parent).isEmpty());
    EXPECT_TRUE(hiddenFolders(first).isEmpty());
}

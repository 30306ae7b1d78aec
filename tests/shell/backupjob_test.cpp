#include "shell/backupjob.h"

#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <thread>

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

TEST(BackupJobTest, BackupThenRestoreBringsTheFilesBack)
{
    QTemporaryDir dir;
    const QString collection = dir.filePath(QStringLiteral("collection"));
    const QString backup = dir.filePath(QStringLiteral("backup/2026-12-07"));
    QDir().mkpath(collection);
    put(collection + QStringLiteral("/URLDATA.TPS"), "data v1");
    put(collection + QStringLiteral("/URL_C.TPS"), "categories v1");
    put(collection + QStringLiteral("/URL_H.TPS"), "html v1");
    put(collection + QStringLiteral("/other.txt"), "not part of it");

    QString error;
    ASSERT_TRUE(BackupJob::backup(collection, backup, error)) << error.toStdString();
    EXPECT_EQ(get(backup + QStringLiteral("/URL_C.TPS")), QByteArray("categories v1"));
    EXPECT_FALSE(QFile::exists(backup + QStringLiteral("/other.txt")));

    put(collection + QStringLiteral("/URLDATA.TPS"), "data v2, damaged");
    put(collection + QStringLiteral("/URLDATA.TPS-journal"), "stale journal");
    ASSERT_TRUE(BackupJob::restore(backup, collection, error)) << error.toStdString();
    EXPECT_EQ(get(collection + QStringLiteral("/URLDATA.TPS")), QByteArray("data v1"));
    // A journal left from the damaged file would be rolled into the restored one: it goes.
    EXPECT_FALSE(QFile::exists(collection + QStringLiteral("/URLDATA.TPS-journal")));
    EXPECT_TRUE(QDir(collection).entryList({QStringLiteral("*.part")}, QDir::Files).isEmpty());
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
    const QString data = collection + QStringLiteral("/URLDATA.TPS");

    // A running program: WAL mode, the last commits not yet checkpointed into the file.
    SQLite::Database live(utf8(data), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
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
    for (int i = 0; i < 8; ++i) {
        while (written < (i + 1) * 20)
            QThread::msleep(5);
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

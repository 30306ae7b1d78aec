#include "shell/backupjob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <SQLiteCpp/Database.h>

#include <gtest/gtest.h>

using pk::BackupJob;

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

#include "shell/backupjob.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

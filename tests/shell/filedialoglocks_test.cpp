// File dialogs on an open collection folder must leave the collection's files alone: closing
// any descriptor of a file drops every POSIX lock the process holds on it, and SQLite keeps
// its locks that way. With the locks gone another process deletes the live journal, and every
// later write goes into a deleted file.
#include "framework/widgets/widgetuserinterface.h"
#include "store/collection.h"
#include "support/tempcollection.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <SQLiteCpp/Database.h>

#include <functional>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

using namespace pk;

namespace {

/// The POSIX locks this process holds on the files in `folder` (the collection's files and their
/// side files), as /proc/locks lists them. Locks the process holds elsewhere (a library's, for a
/// moment) are not the collection's and are left out.
int ownLocks(const QString &folder)
{
    std::set<quint64> inodes;
    for (const QFileInfo &f : QDir(folder).entryInfoList(QDir::Files)) {
        struct stat st
        {};
        if (::stat(QFile::encodeName(f.absoluteFilePath()).constData(), &st) == 0)
            inodes.insert(quint64(st.st_ino));
    }
    QFile file(QStringLiteral("/proc/locks"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pid = QByteArray::number(::getpid());
    int count = 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        // "1: POSIX  ADVISORY  WRITE 1234 08:01:5678 0 EOF": device major:minor:inode
        if (parts.size() > 5 && parts.at(1) == "POSIX" && parts.at(4) == pid
            && inodes.count(parts.at(5).split(':').value(2).toULongLong()))
            ++count;
    }
    return count;
}

/// Cancels the dialog that opens next, once its folder has been listed and drawn.
void cancelWhenListed()
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [poll] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(20, *poll);
            return;
        }
        // Let the model gather the entries and the views ask for icons and types.
        QTimer::singleShot(1500, dialog, [dialog] { dialog->reject(); });
    };
    QTimer::singleShot(0, *poll);
}

/// Counts rows of `probe` through another process, as any other reader would.
int countInOtherProcess(const QString &database)
{
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"),
                 {database, QStringLiteral("SELECT count(*) FROM probe;")});
    if (!sqlite.waitForFinished(10000) || sqlite.exitCode() != 0)
        return -1;
    return sqlite.readAllStandardOutput().trimmed().toInt();
}

} // namespace

class FileDialogLocksTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void dialogsKeepTheCollectionsLocks_data();
    void dialogsKeepTheCollectionsLocks();
};

void FileDialogLocksTest::dialogsKeepTheCollectionsLocks_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("open file") << 0;
    QTest::newRow("save file") << 1;
    QTest::newRow("folder") << 2;
}

void FileDialogLocksTest::dialogsKeepTheCollectionsLocks()
{
    QFETCH(int, kind);
    if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
        QSKIP("sqlite3 is not installed");

    test::TempCollection temp;
    QVERIFY(temp.isValid());
    Collection collection(temp.folder());
    QVERIFY(collection.openAll(true).ok());
    collection.db().exec("CREATE TABLE probe(n INTEGER)");
    collection.db().exec("INSERT INTO probe VALUES (1)");
    const QString data = collection.filePath(CollectionFile::Data);
    const int before = ownLocks(temp.folder());
    QVERIFY2(before > 0, "the open collection holds no locks: nothing to check");

    WidgetUserInterface ui;
    const QString preset = temp.path(QStringLiteral("URLDATA.TPS"));
    const QString filter = QStringLiteral("URLDATA.TPS|URLDATA.TPS");
    cancelWhenListed();
    std::optional<QString> chosen;
    if (kind == 0)
        chosen = ui.openFileName(QStringLiteral("Select collection folder"), preset, filter);
    else if (kind == 1)
        chosen = ui.saveFileName(QStringLiteral("Select collection folder"), preset, filter);
    else
        chosen = ui.existingFolder(QStringLiteral("Save to folder"), temp.folder());
    QVERIFY(!chosen);
    QCOMPARE(ownLocks(temp.folder()), before);

    // Another process opens and closes the collection; what is committed afterwards must
    // reach it, and the journal it would have deleted must still be ours.
    QCOMPARE(countInOtherProcess(data), 1);
    collection.db().exec("INSERT INTO probe VALUES (2)");
    QCOMPARE(countInOtherProcess(data), 2);
    QCOMPARE(ownLocks(temp.folder()), before);
}

QTEST_MAIN(FileDialogLocksTest)
#include "filedialoglocks_test.moc"

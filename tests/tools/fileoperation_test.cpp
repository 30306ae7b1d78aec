#include "tools/fileoperation.h"

#include "platform/inifile.h"
#include "store/picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

class FileOperationTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    void put(const QString &name, const QByteArray &bytes, const QDateTime &modified = {})
    {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.flush();
        if (modified.isValid())
            f.setFileTime(modified, QFileDevice::FileModificationTime);
    }

    QByteArray get(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;
    IniFile m_ini{m_dir.filePath(u"PATHKEEP.INI"_s)};
};

const QDateTime kNoon(QDate(2026, 5, 4), QTime(12, 0, 0));

} // namespace

TEST_F(FileOperationTest, AMaskIsCopiedIntoANewFolderAndTheCallIsRecorded)
{
    put(u"current/Default_a.htm"_s, "a");
    put(u"current/LIST.HTM"_s, "b");
    put(u"current/notes.txt"_s, "c");
    FileOperation op(&m_ini);
    EXPECT_EQ(op.run(u"Copy"_s, path(u"current/*.HTM"_s), path(u"new"_s)), 0);
    EXPECT_EQ(QDir(path(u"new"_s)).entryList(QDir::Files),
              QStringList({u"Default_a.htm"_s, u"LIST.HTM"_s}));

    IniFile saved(m_ini.path());
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.value(u"Operation"_s, u"CopyFrom"_s), path(u"current/*.HTM"_s));
    EXPECT_EQ(saved.value(u"Operation"_s, u"CopyTo"_s), path(u"new"_s));
    EXPECT_TRUE(saved.contains(u"Operation"_s, u"CopyOptions"_s));
}

TEST_F(FileOperationTest, NewerOnlyCopiesWhatIsMissingOrOlder)
{
    put(u"src/same.txt"_s, "source", kNoon);
    put(u"dst/same.txt"_s, "target", kNoon);
    put(u"src/newer.txt"_s, "source", kNoon.addDays(1));
    put(u"dst/newer.txt"_s, "target", kNoon);
    put(u"src/older.txt"_s, "source", kNoon);
    put(u"dst/older.txt"_s, "target", kNoon.addDays(1));
    put(u"src/missing.txt"_s, "source", kNoon);
    QStringList lines;
    FileOperation op(nullptr, [&](const QString &line) {
        lines << line;
        return true;
    });
    EXPECT_EQ(op.run(u"Copy"_s, path(u"src/*.txt"_s), path(u"dst"_s), u"/D"_s), 0);
    EXPECT_EQ(get(u"dst/same.txt"_s), "target");
    EXPECT_EQ(get(u"dst/newer.txt"_s), "source");
    EXPECT_EQ(get(u"dst/older.txt"_s), "target");
    EXPECT_EQ(get(u"dst/missing.txt"_s), "source");
    EXPECT_TRUE(lines.contains(u"Skipping "_s + path(u"src/same.txt"_s)));
    // A second run finds everything up to date: copies keep their source's time.
    lines.clear();
    EXPECT_EQ(op.run(u"Copy"_s, path(u"src/*.txt"_s), path(u"dst"_s), QString(), u"/D"_s), 0);
    EXPECT_EQ(lines.filter(u"->"_s), QStringList());

    EXPECT_EQ(op.run(u"Copy"_s, path(u"src/*.none"_s), path(u"dst"_s), u"/D"_s), -1);
}

TEST_F(FileOperationTest, SubfoldersAreCopiedAndMissingTargetFoldersMade)
{
    put(u"src/top.txt"_s, "1");
    put(u"src/deep/er/low.txt"_s, "2");
    put(u"dst/other.txt"_s, "x");
    FileOperation op(nullptr);
    EXPECT_EQ(op.run(u"Copy"_s, path(u"src"_s), path(u"dst"_s), u"/S"_s), 0);
    EXPECT_EQ(get(u"dst/top.txt"_s), "1");
    EXPECT_EQ(get(u"dst/deep/er/low.txt"_s), "2");
    EXPECT_EQ(get(u"dst/other.txt"_s), "x");

    // A name already taken gets another with "/R".
    EXPECT_EQ(op.run(u"Copy"_s, path(u"src/top.txt"_s), path(u"dst"_s), u"/R"_s), 0);
    EXPECT_EQ(get(u"dst/top (2).txt"_s), "1");
}

TEST_F(FileOperationTest, TheOtherOperationsReportWhatHappened)
{
    put(u"a.txt"_s, "12345", kNoon);
    FileOperation op(nullptr);
    EXPECT_EQ(op.run(u"Get File Size"_s, path(u"a.txt"_s), {}), 5);
    EXPECT_EQ(op.run(u"Get File Date"_s, path(u"a.txt"_s), {}), DayNumber::fromDate(kNoon.date()));
    EXPECT_EQ(op.run(u"Get File Time"_s, path(u"a.txt"_s), {}), 12 * 360000 + 1);
    EXPECT_EQ(op.run(u"Get File Size"_s, path(u"nothing"_s), {}), -1);

    EXPECT_EQ(op.run(u"Make Directory"_s, path(u"made"_s), {}), 0);
    EXPECT_EQ(op.run(u"Make Directory"_s, path(u"made"_s), {}), FileOperation::AlreadyExists);
    EXPECT_EQ(op.run(u"Make Directory"_s, path(u"no/such"_s), {}), FileOperation::PathNotFound);
    EXPECT_EQ(op.run(u"Rename"_s, path(u"a.txt"_s), path(u"made/b.txt"_s)), 0);
    EXPECT_EQ(op.run(u"Rename"_s, path(u"a.txt"_s), path(u"c.txt"_s)), FileOperation::NotFound);
    EXPECT_EQ(op.run(u"Remove Directory"_s, path(u"made"_s), {}), FileOperation::NotEmpty);
    EXPECT_EQ(op.run(u"Move"_s, path(u"made/*.TXT"_s), path(u"moved"_s)), 0);
    EXPECT_EQ(get(u"moved/b.txt"_s), "12345");
    EXPECT_EQ(op.run(u"Remove Directory"_s, path(u"made"_s), {}), 0);
    EXPECT_EQ(op.run(u"Delete"_s, path(u"moved/b.txt"_s), {}), 0);
    EXPECT_FALSE(QFileInfo::exists(path(u"moved/b.txt"_s)));
    EXPECT_EQ(op.run(u"Delete"_s, path(u"moved/b.txt"_s), {}), FileOperation::NotFound);
}

TEST_F(FileOperationTest, RecycleMovesToTheTrash)
{
    // The home trash serves files on the home folder's file system; a file elsewhere (a /tmp of
    // its own) goes to that file system's top-directory trash. Keep the file and the trash under
    // the home folder so that the home trash is the one in use on any layout.
    QTemporaryDir home(QDir::homePath() + u"/.pathkeep-trash-test-XXXXXX"_s);
    ASSERT_TRUE(home.isValid());
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    QDir().mkpath(home.filePath(u"data"_s));
    qputenv("XDG_DATA_HOME", home.filePath(u"data"_s).toUtf8());
    const QString gone = home.filePath(u"gone.txt"_s);
    {
        QFile f(gone);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    FileOperation op(nullptr);
    EXPECT_EQ(op.run(u"Recycle"_s, gone, {}), 0);
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_TRUE(QFileInfo::exists(home.filePath(u"data/Trash/files/gone.txt"_s)));
    qputenv("XDG_DATA_HOME", oldData);
}

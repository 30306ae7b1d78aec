// The one writer of every export file: a file appears under its name whole or not at all, and
// never over a collection's own files.

#include "export/textlinewriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace pk;

namespace {

class TextLineWriterTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QByteArray read(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    /// Every entry of the folder, hidden ones included.
    QStringList entries() const
    {
        return QDir(m_dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir m_dir;
};

TEST_F(TextLineWriterTest, TheFileAppearsOnlyWhenClosed)
{
    write(u"old.txt"_s, "old contents\n");
    {
        TextLineWriter w;
        ASSERT_TRUE(w.open(path(u"new.txt"_s)));
        ASSERT_TRUE(w.writeLine(u"first"_s));
        EXPECT_FALSE(QFile::exists(path(u"new.txt"_s))) << "nothing under the name while writing";
        ASSERT_TRUE(w.close());
    }
    EXPECT_EQ(read(u"new.txt"_s), "first\n");

    TextLineWriter w;
    ASSERT_TRUE(w.open(path(u"old.txt"_s)));
    ASSERT_TRUE(w.writeLine(u"replacement"_s));
    EXPECT_EQ(read(u"old.txt"_s), "old contents\n") << "the old file stays until the new is whole";
    ASSERT_TRUE(w.close());
    EXPECT_EQ(read(u"old.txt"_s), "replacement\n");
    EXPECT_EQ(entries(), (QStringList{u"new.txt"_s, u"old.txt"_s})) << "no temporary file left";
}

TEST_F(TextLineWriterTest, AnAbandonedFileLeavesTheNameAsItWas)
{
    write(u"kept.txt"_s, "kept\n");
    {
        TextLineWriter w;
        ASSERT_TRUE(w.open(path(u"kept.txt"_s)));
        w.writeLine(u"half"_s);
        w.discard();
        EXPECT_FALSE(w.isOpen());
    }
    {
        TextLineWriter w; // destroyed while open: never put in place
        ASSERT_TRUE(w.open(path(u"fresh.txt"_s)));
        for (int i = 0; i < 100000; ++i) // several flushes reach the disk
            ASSERT_TRUE(w.writeLine(u"a line of an export that is stopped"_s));
    }
    EXPECT_EQ(read(u"kept.txt"_s), "kept\n");
    EXPECT_EQ(entries(), QStringList{u"kept.txt"_s});
}

TEST_F(TextLineWriterTest, CollectionAndSettingsFilesAreRefused)
{
    write(u"URLDATA.TPS"_s, "database");
    for (const QString &name : {u"URLDATA.TPS"_s,
                                u"url_c.tps"_s,
                                u"URL_H.TPS-journal"_s,
                                u"URLDATA.TPS-wal"_s,
                                u"URL_C.TPS-shm"_s,
                                u"PATHKEEP.INI"_s,
                                u"position.ini"_s}) {
        TextLineWriter w;
        EXPECT_FALSE(w.open(path(name))) << qPrintable(name);
        EXPECT_TRUE(w.error().contains(u"belongs to a collection"_s)) << qPrintable(w.error());
    }
    // A link with an innocent name that names a collection file is refused too.
    ASSERT_TRUE(QFile::link(path(u"URLDATA.TPS"_s), path(u"innocent.csv"_s)));
    TextLineWriter w;
    EXPECT_FALSE(w.open(path(u"innocent.csv"_s)));
    EXPECT_EQ(read(u"URLDATA.TPS"_s), "database");
    EXPECT_TRUE(TextLineWriter::refusalFor(path(u"URLDATA.TPS.csv"_s)).isEmpty());
    EXPECT_TRUE(TextLineWriter::refusalFor(path(u"links.html"_s)).isEmpty());
}

TEST_F(TextLineWriterTest, ReplacingKeepsPermissionsAndFollowsLinks)
{
    write(u"target.csv"_s, "old\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path(u"target.csv"_s)).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(path(u"target.csv"_s), path(u"link.csv"_s)));
    TextLineWriter w;
    ASSERT_TRUE(w.open(path(u"link.csv"_s)));
    w.writeLine(u"new"_s);
    ASSERT_TRUE(w.close());
    EXPECT_TRUE(QFileInfo(path(u"link.csv"_s)).isSymLink()) << "the link stays a link";
    EXPECT_EQ(read(u"target.csv"_s), "new\n");
    struct stat st
    {};
    ASSERT_EQ(::stat(QFile::encodeName(path(u"target.csv"_s)).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(TextLineWriterTest, DevicesAreWrittenInPlaceAndFailuresKept)
{
    TextLineWriter null;
    ASSERT_TRUE(null.open(u"/dev/null"_s));
    null.writeLine(u"gone"_s);
    EXPECT_TRUE(null.close());
    struct stat st
    {};
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "a device is never replaced by a file";

    TextLineWriter missing;
    EXPECT_FALSE(missing.open(path(u"no/such/folder/out.txt"_s)));
    EXPECT_EQ(missing.errorCode(), ENOENT);

    if (!QFile::exists(u"/dev/full"_s))
        GTEST_SKIP() << "no /dev/full";
    TextLineWriter full;
    ASSERT_TRUE(full.open(u"/dev/full"_s));
    full.setMaxLine(0);
    EXPECT_FALSE(full.writeLine(QString(300000, u'x'))) << "a full buffer goes out and fails";
    EXPECT_EQ(full.errorCode(), ENOSPC);
    EXPECT_FALSE(full.retry());
    EXPECT_FALSE(full.close());
}

TEST_F(TextLineWriterTest, LongLinesAreCutOnlyWhenAsked)
{
    TextLineWriter w;
    ASSERT_TRUE(w.open(path(u"cut.txt"_s)));
    w.setMaxLine(3);
    w.writeLine(u"abcdef"_s);
    w.writeLine(u"ab\U0001F600"_s); // never inside a surrogate pair
    w.setMaxLine(0);
    w.writeLine(QString(5000, u'y'));
    ASSERT_TRUE(w.close());
    EXPECT_EQ(read(u"cut.txt"_s), "abc\nab\n" + QByteArray(5000, 'y') + '\n');
}

} // namespace

#include "analysis/pageserver.h"
#include "cliprocess.h"
#include "support/tempcollection.h"

#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

class CliWebTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(temp.folder()));
        collection = std::make_unique<Collection>(temp.folder());
        ASSERT_TRUE(collection->openAll(true));
        CategoryRecord c;
        c.Category = u"News"_s;
        ASSERT_TRUE(collection->categories().insert(c));
        server.page("/page.html",
                    "<html><head><title>Hello page</title>"
                    "<meta name=\"description\" content=\"A fine page\"></head>"
                    "<body>Body text</body></html>");
        server.page("/other.html", "<html><head><title>Other</title></head></html>");
        server.page("/big.html", letters(1 << 20));
        server.start();
        page = QString::fromStdString(server.url("/page.html"));
        other = QString::fromStdString(server.url("/other.html"));
        for (const QString &url : {page, other}) {
            LocationRecord r;
            r.Location = url;
            r.Category = u"News"_s;
            ASSERT_TRUE(collection->locations().insert(r));
        }
    }

    QStringList in(const QStringList &arguments) const
    {
        return QStringList{u"--collection"_s, temp.folder()} + arguments;
    }

    NoProxy noProxy;
    TempCollection temp;
    std::unique_ptr<Collection> collection;
    PageServer server;
    QString page;
    QString other;
};

} // namespace

TEST_F(CliWebTest, AnalyzeFillsInOnlyWhatTheQueryChose)
{
    const CliResult r = runCli(
        in({u"analyze"_s, u"--query"_s, u"URL:Location = '"_s + page + u"'"_s}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    LocationRecord analysed;
    ASSERT_TRUE(collection->locations().get(page, analysed));
    EXPECT_EQ(analysed.Validated, 1);
    EXPECT_FALSE(analysed.Description.isEmpty());
    LocationRecord untouched;
    ASSERT_TRUE(collection->locations().get(other, untouched));
    EXPECT_EQ(untouched.Validated, 0);
    EXPECT_TRUE(untouched.Description.isEmpty());
}

TEST_F(CliWebTest, DownloadSavesOnePageOrEveryChosenLocation)
{
    const QString pages = temp.root() + u"/pages"_s;
    ASSERT_TRUE(QDir().mkpath(pages));
    CliResult r = runCli(in({u"download"_s, page, u"--to"_s, pages}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    QFile saved(pages + u"/page.html"_s);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << r.out.constData();
    EXPECT_TRUE(saved.readAll().contains("Hello page"));
    EXPECT_EQ(r.out.trimmed(), saved.fileName().toUtf8());

    const QString batch = temp.root() + u"/batch"_s;
    ASSERT_TRUE(QDir().mkpath(batch));
    r = runCli(in({u"download"_s, u"--all"_s, u"--to"_s, batch}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(QFile::exists(batch + u"/page.html"_s));
    EXPECT_TRUE(QFile::exists(batch + u"/other.html"_s));
    LocationRecord record;
    ASSERT_TRUE(collection->locations().get(other, record));
    EXPECT_EQ(record.OriginalFilename, batch + u"/other.html"_s);

    r = runCli(in({u"download"_s, u"--all"_s, u"--to"_s, temp.root() + u"/missing"_s}));
    EXPECT_EQ(r.code, 2);
}

TEST_F(CliWebTest, EveryFailedDownloadAndAnalysisSaysWhyAndExitsOne)
{
    // Small limits from the settings file, as a user would set them.
    ASSERT_TRUE(QDir().mkpath(temp.configHome() + u"/pathkeep"_s));
    QFile ini(temp.configHome() + u"/pathkeep/PATHKEEP.INI"_s);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Testing]\nLargestPageKB=64\n");
    ini.close();
    const QString big = QString::fromStdString(server.url("/big.html"));
    const QString refused = u"http://127.0.0.1:1/gone.html"_s;
    const QString pages = temp.root() + u"/pages"_s;
    ASSERT_TRUE(QDir().mkpath(pages));

    CliResult r = runCli(in({u"download"_s, big, u"--to"_s, pages}));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(
        (big + u": The page is larger than the largest page allowed (64 KB)"_s).toUtf8()))
        << r.err.constData();
    EXPECT_TRUE(QDir(pages).isEmpty());

    r = runCli(in({u"download"_s, refused, u"--to"_s, pages}));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains((u"pathkeep-cli: "_s + refused + u": "_s).toUtf8()))
        << r.err.constData();

    for (const QString &url : {big, refused}) {
        LocationRecord record;
        record.Location = url;
        record.Category = u"News"_s;
        ASSERT_TRUE(collection->locations().insert(record));
    }
    r = runCli(in({u"download"_s, u"--all"_s, u"--to"_s, pages}));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains((big + u": The page is larger"_s).toUtf8())) << r.err.constData();
    EXPECT_TRUE(r.err.contains((refused + u": "_s).toUtf8())) << r.err.constData();
    EXPECT_TRUE(QFile::exists(pages + u"/page.html"_s)); // the others are still saved

    // The analysis reads the head of the big page; the one it cannot reach fails.
    r = runCli(in({u"analyze"_s}));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains((u"pathkeep-cli: "_s + refused + u": "_s).toUtf8()))
        << r.err.constData();
    EXPECT_FALSE(r.err.contains((big + u": "_s).toUtf8())) << r.err.constData();
    LocationRecord failed;
    ASSERT_TRUE(collection->locations().get(refused, failed));
    EXPECT_EQ(failed.Validated, 2);
    LocationRecord read;
    ASSERT_TRUE(collection->locations().get(big, read));
    EXPECT_EQ(read.Validated, 1);
}

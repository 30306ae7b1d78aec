#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "linkcheck/analysis/analyzelinksprocess.h"
#include "linkcheck/analysis/downloadurlsprocess.h"
#include "linkcheck/analysis/pagedownload.h"
#include "linkcheck/analysis/urlanalyzer.h"
#include "pageserver.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "store/picture.h"
#include "support/tempcollection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace pk;

namespace {

class Batch : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "analysis_batch_tests";
            static char *argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);
        }
    }

    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(temp.folder()));
        ASSERT_TRUE(QDir().mkpath(out()));
        collection = std::make_unique<Collection>(temp.folder());
        ASSERT_TRUE(collection->openAll(true));
        errors.setHaltHandler([](const QString &, const QString &) {});
        CategoryRecord category;
        category.Category = QStringLiteral("Web");
        ASSERT_TRUE(collection->categories().insert(category));
    }

    QString out() const { return temp.root() + QStringLiteral("/out"); }

    void add(const QString &location)
    {
        LocationRecord record;
        record.Location = location;
        record.Category = QStringLiteral("Web");
        ASSERT_TRUE(collection->locations().insert(record));
    }
    LocationRecord get(const QString &location)
    {
        LocationRecord record;
        EXPECT_TRUE(collection->locations().get(location, record));
        return record;
    }
    LocationBatchEnvironment environment()
    {
        LocationBatchEnvironment env;
        env.collection = [this] { return collection.get(); };
        env.ui = &ui;
        env.errors = &errors;
        env.queryWizard = [this] { return wizardAnswer; };
        env.refreshLists = [this] { ++refreshes; };
        return env;
    }
    static void waitFor(const LocationBatch &batch)
    {
        while (!batch.isFinished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    QString url(const std::string &path) const { return QString::fromStdString(server.url(path)); }

    test::NoProxy noProxy;
    test::TempCollection temp;
    std::unique_ptr<Collection> collection;
    ScriptedUserInterface ui;
    ErrorManager errors{ui};
    test::PageServer server;
    std::optional<QString> wizardAnswer;
    int refreshes = 0;
};

} // namespace

TEST_F(Batch, AnalyzeLinksAnalysesHttpLocationsAndWritesThemBack)
{
    server.page("/a", "<html><title>Page A</title></html>");
    server.start();
    add(url("/a"));
    add(QStringLiteral("http://127.0.0.1:1/gone"));
    add(QStringLiteral("ftp://files.example/x"));

    AnalyzeLinksProcess process(environment(), &UrlAnalyzer::fetch);
    ui.push(true);  // proceed
    ui.push(false); // no query wizard
    ASSERT_TRUE(process.confirm());
    EXPECT_EQ(ui.interactions().first().title, QStringLiteral("Analyze Links"));
    EXPECT_TRUE(ui.interactions().first().text.contains(QStringLiteral("valid.\n\nThis may take")));
    QStringList texts;
    QObject::connect(&process, &LocationBatch::progressText, [&texts](const QString &t) {
        texts << t;
    });
    ASSERT_TRUE(process.run());
    waitFor(process);

    EXPECT_EQ(get(url("/a")).Description, QStringLiteral("Page A"));
    EXPECT_EQ(get(url("/a")).Validated, 1);
    EXPECT_EQ(get(QStringLiteral("http://127.0.0.1:1/gone")).Validated, 2);
    EXPECT_EQ(get(QStringLiteral("ftp://files.example/x")).Validated, 0);
    EXPECT_EQ(process.processed(), 2);
    EXPECT_TRUE(texts.contains(QStringLiteral("Processing Records")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Analyzing Link 3 of 3")));
    EXPECT_EQ(refreshes, 1);
}

TEST_F(Batch, AnalyzeLinksFollowsTheQuery)
{
    server.page("/a", "<title>A</title>");
    server.page("/b", "<title>B</title>");
    server.start();
    add(url("/a"));
    add(url("/b"));
    wizardAnswer = QStringLiteral("URL:Location = '") + url("/b") + QLatin1Char('\'');
    AnalyzeLinksProcess process(environment(), &UrlAnalyzer::fetch);
    ui.push(true);
    ASSERT_TRUE(process.run());
    waitFor(process);
    EXPECT_TRUE(get(url("/a")).Description.isEmpty());
    EXPECT_EQ(get(url("/b")).Description, QStringLiteral("B"));
}

TEST_F(Batch, FailedWriteBackReportsMessage28AndStops)
{
    add(QStringLiteral("http://one/"));
    add(QStringLiteral("http://two/"));
    int fetches = 0;
    // The record disappears while its page is read: writing it back must fail.
    AnalyzeLinksProcess process(environment(),
                                [&](const QString &location, std::vector<QString> &tokens) {
                                    ++fetches;
                                    EXPECT_TRUE(collection->locations().remove(location));
                                    tokens = {QStringLiteral("<title>"), QStringLiteral("T")};
                                    return 100;
                                });
    ui.push(false);
    ASSERT_TRUE(process.run());
    waitFor(process);
    EXPECT_EQ(fetches, 1);
    ASSERT_FALSE(ui.interactions().isEmpty());
    EXPECT_TRUE(
        ui.titles().join(QLatin1Char('|')).contains(QStringLiteral("Record was not updated"))
        || ui.messages().join(QLatin1Char('|')).contains(QStringLiteral("Record was not updated")));
}

TEST_F(Batch, DownloadUrlsRecordsOnlyWhatThisDownloadWrote)
{
    server.page("/ok.html", "fine");
    server.start();
    add(url("/ok.html"));
    add(QStringLiteral("http://127.0.0.1:1/broken.html"));
    DownloadUrlsProcess process(environment(), [this](const QString &target, const QString &u) {
        return PageDownload::fetch(target, u, temp.root());
    });
    ui.push(out());
    ui.push(false); // no query wizard
    QStringList seconds;
    QObject::connect(&process, &LocationBatch::secondText, [&seconds](const QString &t) {
        seconds << t;
    });
    ASSERT_TRUE(process.run(QString()));
    waitFor(process);

    const LocationRecord ok = get(url("/ok.html"));
    EXPECT_EQ(ok.OriginalFilename, out() + QStringLiteral("/ok.html"));
    EXPECT_EQ(ok.Validated, 1);
    EXPECT_EQ(ok.LastVisit, DayNumber::today());
    // The failed download must not be credited with ok.html.
    const LocationRecord broken = get(QStringLiteral("http://127.0.0.1:1/broken.html"));
    EXPECT_TRUE(broken.OriginalFilename.isEmpty());
    EXPECT_EQ(broken.Validated, 0);
    EXPECT_TRUE(seconds.contains(QStringLiteral("Downloading ") + url("/ok.html")));
}

TEST_F(Batch, AnotherProgramsChangeMadeDuringADownloadStays)
{
    server.page("/a.html", "a");
    server.start();
    add(url("/a.html"));
    // While the page downloads, another program edits the location's other fields.
    DownloadUrlsProcess process(environment(), [this](const QString &target, const QString &u) {
        Collection other(temp.folder());
        EXPECT_TRUE(other.openAll(false));
        LocationRecord record;
        EXPECT_TRUE(other.locations().get(u, record));
        record.Comments = QStringLiteral("typed elsewhere");
        record.Rating = 7;
        EXPECT_TRUE(other.locations().change(u, record));
        return PageDownload::fetch(target, u, temp.root());
    });
    ui.push(out());
    ui.push(false); // no query wizard
    ASSERT_TRUE(process.run(QString()));
    waitFor(process);

    const LocationRecord a = get(url("/a.html"));
    EXPECT_EQ(a.OriginalFilename, out() + QStringLiteral("/a.html"));
    EXPECT_EQ(a.Validated, 1);
    EXPECT_EQ(a.Comments, QStringLiteral("typed elsewhere"));
    EXPECT_EQ(a.Rating, 7);
}

TEST_F(Batch, DownloadUrlsWithAConditionAsksNoQuestionAndCancelledFolderEnds)
{
    server.page("/one.html", "1");
    server.page("/two.html", "2");
    server.start();
    add(url("/one.html"));
    add(url("/two.html"));
    {
        DownloadUrlsProcess cancelled(environment(), {});
        ui.pushCancel();
        EXPECT_FALSE(cancelled.run(QString()));
    }
    ui.clear();
    DownloadUrlsProcess process(environment(), [this](const QString &target, const QString &u) {
        return PageDownload::fetch(target, u, temp.root());
    });
    ui.push(out());
    ASSERT_TRUE(
        process.run(QStringLiteral("URL:Location = '") + url("/two.html") + QLatin1Char('\'')));
    waitFor(process);
    EXPECT_EQ(ui.interactions().size(), 1); // only the folder
    EXPECT_EQ(ui.interactions().first().title, QStringLiteral("Save to folder..."));
    EXPECT_FALSE(QFile::exists(out() + QStringLiteral("/one.html")));
    EXPECT_TRUE(QFile::exists(out() + QStringLiteral("/two.html")));
    EXPECT_EQ(refreshes, 1);
}

TEST_F(Batch, CancelledAnalysisSkipsThePageUnchanged)
{
    add(QStringLiteral("http://one/"));
    add(QStringLiteral("http://two/"));
    int fetches = 0;
    AnalyzeLinksProcess process(environment(), [&](const QString &, std::vector<QString> &) {
        ++fetches;
        return -1;
    });
    ui.push(false);
    ASSERT_TRUE(process.run());
    waitFor(process);
    EXPECT_EQ(fetches, 2);
    EXPECT_EQ(get(QStringLiteral("http://one/")).Validated, 0);
    EXPECT_EQ(get(QStringLiteral("http://one/")).LastVisit, 0);
}

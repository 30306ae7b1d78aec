#include "framework/scripteduserinterface.h"
#include "linkcheck/analysis/widgets/analysisprocedures.h"
#include "linkcheck/analysis/analyzelinksprocess.h"
#include "linkcheck/analysis/widgets/analyzeurlwindow.h"
#include "linkcheck/analysis/widgets/batchprogresswindow.h"
#include "linkcheck/analysis/widgets/downloadwindow.h"
#include "pageserver.h"
#include "shell/procedurenames.h"
#include "framework/errormanager.h"
#include "store/collection.h"
#include "store/categorymanager.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "store/records.h"
#include <QDir>
#include "shell/procedureregistry.h"
#include "support/tempcollection.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

#include <algorithm>

using namespace pk;

namespace {

class AnalysisWindows : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "analysis_window_tests";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    test::NoProxy noProxy;
    test::TempCollection temp;
    test::PageServer server;
};

} // namespace

TEST_F(AnalysisWindows, AnalyzeWindowShowsTheStepsAndReturnsTheByteCount)
{
    const std::string page = "<html><title>Windowed</title></html>";
    server.page("/", page);
    server.start();
    AnalyzeUrlWindow window(QString::fromStdString(server.url("/")));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Analyze URL"));
    EXPECT_EQ(window.exec(), int(page.size()));
    const auto *list = window.findChild<QListWidget *>();
    ASSERT_NE(list, nullptr);
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("Parsing")));
    EXPECT_TRUE(shown.contains(QStringLiteral("Analyzing HTML document")));
    const std::vector<QString> tokens = window.takeTokens();
    EXPECT_NE(std::find(tokens.begin(), tokens.end(), QStringLiteral("Windowed")), tokens.end());
}

TEST_F(AnalysisWindows, CancelledAnalysisGivesMinusOne)
{
    server.start();
    std::vector<QString> tokens;
    QTimer::singleShot(0, [] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<AnalyzeUrlWindow *>(w))
                window->reject();
        }
    });
    EXPECT_EQ(AnalyzeUrlWindow::run(QString::fromStdString(server.url("/")), tokens, nullptr), -1);
}

TEST_F(AnalysisWindows, DownloadWindowSavesThePage)
{
    server.page("/doc.html", "document");
    server.start();
    ScriptedUserInterface ui;
    const QString written = DownloadWindow::run(temp.root() + QStringLiteral("/*"),
                                                QString::fromStdString(server.url("/doc.html")),
                                                temp.root(),
                                                &ui,
                                                nullptr);
    EXPECT_EQ(written, temp.root() + QStringLiteral("/doc.html"));
    QFile file(written);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("document"));
}

TEST_F(AnalysisWindows, AFailedDownloadSaysWhyAndSavesNothing)
{
    server.start();
    ScriptedUserInterface ui;
    const QString url = QString::fromStdString(server.url("/missing.html"));
    EXPECT_TRUE(DownloadWindow::run(temp.root() + QStringLiteral("/*"), url, temp.root(), &ui,
                                    nullptr)
                    .isEmpty());
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.interactions()[0].title, QStringLiteral("Retrieve Web Document"));
    EXPECT_TRUE(ui.interactions()[0].text.startsWith(QStringLiteral("Could not download ") + url))
        << ui.interactions()[0].text.toStdString();
    EXPECT_TRUE(ui.interactions()[0].text.contains(QStringLiteral("404")))
        << ui.interactions()[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(temp.root() + QStringLiteral("/missing.html")));
}

TEST_F(AnalysisWindows, ProceduresAreRegisteredByTheNamesTheirCallersUse)
{
    registerAnalysisProcedures();
    auto &registry = ProcedureRegistry::instance();
    EXPECT_TRUE(registry.contains(QStringLiteral("AnalyzeURL")));
    EXPECT_TRUE(registry.contains(QString::fromLatin1(Procedure::AnalyzeMultiple)));
    EXPECT_TRUE(registry.contains(QStringLiteral("DownloadURLs")));
}

TEST_F(AnalysisWindows, FormEntryFillsTheBufferAndWritesKeywords)
{
    server
        .page("/f",
              "<html><title>Form page</title><meta name=\"keywords\" content=\"one, two\"></html>");
    server.start();
    ASSERT_TRUE(QDir().mkpath(temp.folder()));
    Collection collection(temp.folder());
    ASSERT_TRUE(collection.openAll(true));
    ScriptedUserInterface ui;
    ErrorManager errors(ui);
    LocationRecord record;
    record.Location = QString::fromStdString(server.url("/f"));
    EXPECT_GT(analyzeLocation(collection, record, &errors, nullptr), 3);
    EXPECT_EQ(record.Description, QStringLiteral("Form page"));
    std::vector<KeywordRecord> rows;
    ASSERT_TRUE(collection.keywords().list(record.Location, rows));
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST_F(AnalysisWindows, AnalyzeLinksProgressIsADialogSizedToItsTextsAndCancelStopsTheRun)
{
    ASSERT_TRUE(QDir().mkpath(temp.folder()));
    Collection collection(temp.folder());
    ASSERT_TRUE(collection.openAll(true));
    CategoryRecord category;
    category.Category = QStringLiteral("Web");
    ASSERT_TRUE(collection.categories().insert(category));
    for (const char *address : {"http://one.test/", "http://two.test/", "http://three.test/"}) {
        LocationRecord record;
        record.Location = QString::fromLatin1(address);
        record.Category = category.Category;
        ASSERT_TRUE(collection.locations().insert(record));
    }
    ScriptedUserInterface ui;
    ErrorManager errors(ui);
    LocationBatchEnvironment env;
    env.collection = [&collection] { return &collection; };
    env.ui = &ui;
    env.errors = &errors;
    env.queryWizard = [] { return std::optional<QString>(); };

    BatchProgressWindow *window = nullptr;
    int fetches = 0;
    // The user presses Cancel while the first page is analysed.
    auto process
        = std::make_unique<AnalyzeLinksProcess>(env, [&](const QString &, std::vector<QString> &) {
              ++fetches;
              if (window)
                  window->findChild<QPushButton *>(QStringLiteral("cancel"))->click();
              return -1;
          });
    ui.push(false); // no query: every location
    AnalyzeLinksProcess *batch = process.get();
    window = new BatchProgressWindow(std::move(process),
                                     QLatin1String(AnalyzeLinksProcess::Title),
                                     QStringLiteral("Analyze:MultipleURLs"),
                                     [](LocationBatch &b) {
                                         return static_cast<AnalyzeLinksProcess &>(b).run();
                                     });
    QPointer<BatchProgressWindow> guard = window;
    window->setAttribute(Qt::WA_DeleteOnClose);
    // A window of its own (kept above the frame by its owner), never a maximised child.
    EXPECT_EQ(window->windowType(), Qt::Dialog);
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([batch] { return batch->isFinished(); }, 5000));
    EXPECT_EQ(fetches, 1);
    EXPECT_TRUE(QTest::qWaitFor([&guard] { return guard.isNull(); }, 2000));

    // Wide enough for the counter line of a big collection.
    BatchProgressWindow second(std::make_unique<AnalyzeLinksProcess>(env,
                                                                     [](const QString &,
                                                                        std::vector<QString> &) {
                                                                         return -1;
                                                                     }),
                               QLatin1String(AnalyzeLinksProcess::Title),
                               QStringLiteral("Analyze:MultipleURLs"),
                               [](LocationBatch &) { return false; });
    const QString counter = QStringLiteral("Analyzing Link 99999 of 99999");
    EXPECT_GT(second.minimumWidth(), second.fontMetrics().horizontalAdvance(counter));
}

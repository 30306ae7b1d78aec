#include "browse/forms/widgets/formscontext.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/favoritesimport.h"
#include "import/htmlimport.h"
#include "import/widgets/favoritesimportwindow.h"
#include "import/widgets/helpviewerwindow.h"
#include "import/widgets/htmlimportwindow.h"
#include "import/importwizard.h"
#include "import/widgets/importwizardwindow.h"
#include "import/browserimport.h"
#include "import/chromiumbookmarks.h"
#include "import/widgets/browserimportwindow.h"
#include "shell/procedurenames.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "support/recordingstarter.h"
#include "support/screenshot.h"
#include "support/tempcollection.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <functional>
#include <memory>

using namespace pk;
using namespace Qt::StringLiterals;

class ImportWindowsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TempCollection> m_temp;
    std::unique_ptr<Collection> m_collection;
    std::unique_ptr<ScriptedUserInterface> m_ui;
    std::unique_ptr<ErrorManager> m_errors;
    test::RecordingStarter m_starter;

    FormsContext context()
    {
        FormsContext c{*m_collection, *m_ui, *m_errors, nullptr, {}, {}, {}};
        c.starter = &m_starter;
        return c;
    }

    QString write(const QString &relative, const QByteArray &bytes)
    {
        const QString path = m_temp->root() + u'/' + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }

    /// Counts the category questions of an import and how deeply they nest.
    struct QuestionProbe
    {
        int depth = 0;
        int deepest = 0;
        int asked = 0;
    };

    /// A category question that answers `answer` like a modal dialog: the event loop runs while
    /// the user thinks, and at question number `at` the user does `meanwhile`.
    static ImportInsert::CategoryQuestion question(QuestionProbe &probe,
                                                   int at,
                                                   std::function<void()> meanwhile,
                                                   QString answer)
    {
        return [&probe, at, meanwhile, answer](const LocationRecord &, const QString &) {
            ++probe.asked;
            probe.deepest = std::max(probe.deepest, ++probe.depth);
            QTest::qWait(5);
            if (probe.asked == at)
                meanwhile();
            QTest::qWait(5);
            --probe.depth;
            return std::optional<QString>(answer);
        };
    }

private slots:
    void init()
    {
        m_temp = std::make_unique<test::TempCollection>();
        m_collection = std::make_unique<Collection>(m_temp->folder());
        QVERIFY(m_collection->openAll(true));
        m_ui = std::make_unique<ScriptedUserInterface>();
        m_errors = std::make_unique<ErrorManager>(*m_ui);
        m_starter.calls.clear();
        m_starter.everythingDefined = true;
    }

    void cleanup()
    {
        m_errors.reset();
        m_ui.reset();
        m_collection.reset();
        m_temp.reset();
    }

    void browserKindsOfferTheProfileFoundAndRunTheirImport()
    {
        // A Chromium profile in a home folder of the test's own.
        const QByteArray home = qgetenv("HOME");
        const QString fakeHome = m_temp->root() + u"/home"_s;
        const QString bookmarks
            = write(u"home/.config/chromium/Default/Bookmarks"_s,
                    "{\"roots\":{\"bookmark_bar\":{\"name\":\"Bar\",\"children\":["
                    "{\"type\":\"url\",\"name\":\"One\",\"url\":\"https://one.test/\"},"
                    "{\"type\":\"folder\",\"name\":\"Sub\",\"children\":["
                    "{\"type\":\"url\",\"name\":\"Two\",\"url\":\"https://two.test/\"}]}]}}}");
        qputenv("HOME", fakeHome.toLocal8Bit());
        {
            ImportWizardWindow wizard([this] { return context(); }, {}, {});
            wizard.setType(u"Chromium"_s);
            QVERIFY(wizard.isPageShown(ImportWizardWindow::FilePage));
            QCOMPARE(wizard.fileEdit()->text(), bookmarks);
            QCOMPARE(wizard.fileFilter(), u"Chromium bookmarks|Bookmarks|All Files|*.*"_s);
            // A file the user named stays, whatever profiles there are.
            wizard.fileEdit()->setText(u"/elsewhere/Bookmarks"_s);
            wizard.setType(u"Chromium"_s);
            QCOMPARE(wizard.fileEdit()->text(), u"/elsewhere/Bookmarks"_s);
            wizard.fileEdit()->setText(bookmarks);
            wizard.pages()->setCurrentIndex(ImportWizardWindow::FilePage);
            test::screenshot(wizard, u"importwizard-chromium"_s);
            wizard.finish();
        }
        qputenv("HOME", home);
        QCOMPARE(m_starter.calls.size(), std::size_t(1));
        QCOMPARE(m_starter.calls[0].procedure, QLatin1String(Procedure::ImportBrowser));

        std::vector<BrowserBookmark> read;
        QString error;
        QVERIFY(ChromiumBookmarks::read(bookmarks, read, error));
        auto import = std::make_unique<BrowserImport>(*m_collection,
                                                      *m_errors,
                                                      bookmarks,
                                                      CategoryMode::Guess,
                                                      QString());
        import->setBookmarks(std::move(read));
        BrowserImportWindow window(std::move(import));
        QSignalSpy finished(&window, &BrowserImportWindow::finished);
        window.show();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(m_ui->messages().last().section(u'\n', 0, 0), u"2 bookmark(s) imported."_s);
        LocationRecord two;
        QVERIFY(m_collection->locations().get(u"https://two.test/"_s, two));
        QCOMPARE(two.Category, u"Sub"_s);
    }

    void wizardShowsThePagesOfEachKindAndStartsItsImport()
    {
        ImportSettings saved;
        int saves = 0;
        ImportSettings start;
        start.folder = u"/fav"_s;
        {
            ImportWizardWindow wizard([this] { return context(); },
                                      start,
                                      [&](const ImportSettings &s) {
                                          saved = s;
                                          ++saves;
                                      });
            QCOMPARE(wizard.windowTitle(), u"Import Wizard"_s);
            QVERIFY(wizard.isPageShown(ImportWizardWindow::FavoritesPage));
            QVERIFY(!wizard.isPageShown(ImportWizardWindow::FilePage));
            QVERIFY(!wizard.categoryEdit()->isEnabled());

            wizard.setType(u"ADV"_s);
            QVERIFY(!wizard.isPageShown(ImportWizardWindow::CategoryPage));
            QVERIFY(wizard.isPageShown(ImportWizardWindow::FilePage));
            QCOMPARE(wizard.fileFilter(), u"Comma-separated value files|*.csv|All Files|*.*"_s);

            wizard.setType(u"Netscape"_s);
            wizard.setAssignment(u"Selected"_s);
            QVERIFY(wizard.categoryEdit()->isEnabled());
            QVERIFY(wizard.categoryButton()->isEnabled());
            wizard.next();
            QCOMPARE(wizard.pages()->currentIndex(), int(ImportWizardWindow::CategoryPage));
            wizard.next();
            QCOMPARE(wizard.pages()->currentIndex(), int(ImportWizardWindow::FilePage));
            // Finish with no file, or one that is not there, says so and keeps the wizard on
            // the file entry for the user to correct.
            const QString missing = m_temp->root() + u"/missing.htm"_s;
            for (const QString &file : {QString(), missing}) {
                wizard.fileEdit()->setText(file);
                wizard.pages()->setCurrentIndex(ImportWizardWindow::TypePage);
                wizard.finish();
                QVERIFY(m_starter.calls.empty());
                QCOMPARE(m_ui->last()->title, u"Import Wizard"_s);
                QCOMPARE(wizard.pages()->currentIndex(), int(ImportWizardWindow::FilePage));
            }
            QCOMPARE(m_ui->last()->text,
                     u"Could not open "_s + missing + u": the file does not exist."_s);
            QCOMPARE(m_ui->interactions()[m_ui->interactions().size() - 2].text,
                     u"No file was named to import."_s);

            const QString other = m_temp->root() + u"/other.htm"_s;
            write(u"other.htm"_s, "<A HREF=\"http://a.test/\">A</A>");
            m_ui->push(other);
            wizard.pages()->currentWidget()->findChildren<QPushButton *>().first()->click();
            QCOMPARE(m_ui->last()->title, u"Select file to import"_s);
            QCOMPARE(wizard.fileEdit()->text(), other);
            wizard.finish();
            QCOMPARE(m_starter.calls.size(), std::size_t(1));
            const auto *import = m_starter.calls[0].as<ImportRequest>();
            QVERIFY(import && import->settings);
            QCOMPARE(import->settings->file, other);
        }
        QCOMPARE(m_starter.calls.size(), std::size_t(1));
        QCOMPARE(m_starter.calls[0].procedure, QLatin1String(Procedure::ImportHtml));
        const auto *import = m_starter.calls[0].as<ImportRequest>();
        QVERIFY(import && import->settings);
        QCOMPARE(import->settings->assignment, u"Selected"_s);
        QVERIFY(saves >= 1);
        QCOMPARE(saved.type, u"Netscape"_s);
        QCOMPARE(saved.folder, u"/fav"_s);
    }

    void escapeCancelsTheWizard()
    {
        int saves = 0;
        ImportWizardWindow wizard([this] { return context(); }, {}, [&](const ImportSettings &) {
            ++saves;
        });
        wizard.setType(u"CSV"_s);
        wizard.show();
        wizard.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&wizard));
        wizard.pages()->setCurrentIndex(ImportWizardWindow::FilePage);
        wizard.fileEdit()->setFocus();
        QTest::keyClick(wizard.fileEdit(), Qt::Key_Escape);
        QTRY_VERIFY(!wizard.isVisible());
        QVERIFY(m_starter.calls.empty());
        QCOMPARE(saves, 1); // closing keeps the settings, as Cancel does
    }

    void wizardHandsAWebAddressToTheNewLocationWizard()
    {
        ImportWizardWindow wizard([this] { return context(); }, {}, {});
        wizard.setType(u"URL"_s);
        QVERIFY(wizard.isPageShown(ImportWizardWindow::UrlPage));
        wizard.urlEdit()->setText(u"http://site.test/"_s);
        wizard.finish();
        QCOMPARE(m_starter.calls.size(), std::size_t(1));
        QCOMPARE(m_starter.calls[0].procedure, QLatin1String(Procedure::NewUrlWizard));
        QVERIFY(m_starter.calls[0].as<NewLocationRequest>());
        QCOMPARE(m_starter.calls[0].as<NewLocationRequest>()->location, u"http://site.test/"_s);
    }

    void favoritesWindowImportsAndReports()
    {
        const QString fav = m_temp->root() + u"/Favorites"_s;
        for (int i = 0; i < 45; ++i)
            write(u"Favorites/Group/Site %1.url"_s.arg(i),
                  "[InternetShortcut]\nURL=http://f" + QByteArray::number(i) + ".test/\n");
        auto import = std::make_unique<FavoritesImport>(*m_collection,
                                                        *m_errors,
                                                        fav,
                                                        CategoryMode::Guess,
                                                        QString());
        FavoritesImportWindow window(std::move(import));
        QCOMPARE(window.windowTitle(), u"Searching MSIE Favorites..."_s);
        QSignalSpy done(&window, &FavoritesImportWindow::finished);
        window.show();
        QVERIFY(done.wait(10000));
        QCOMPARE(m_collection->locations().count(), 45);
        QCOMPARE(window.windowTitle(), u"Importing MSIE Favorites"_s);
        QCOMPARE(window.list()->model()->rowCount(), 45);
        QCOMPARE(window.list()->model()->headerData(0, Qt::Horizontal).toString(), u"Shortcut"_s);
        QCOMPARE(m_ui->last()->text.section(u'\n', 0, 0), u"45 bookmark(s) imported."_s);
        QCOMPARE(m_ui->last()->title, u"Complete"_s);
    }

    void questionDuringAStepNeitherReentersNorLetsTheWindowGo()
    {
        const QString fav = m_temp->root() + u"/Favorites"_s;
        for (int i = 0; i < 30; ++i)
            write(u"Favorites/Group/Site %1.url"_s.arg(i),
                  "[InternetShortcut]\nURL=http://q" + QByteArray::number(i) + ".test/\n");
        auto import = std::make_unique<FavoritesImport>(*m_collection,
                                                        *m_errors,
                                                        fav,
                                                        CategoryMode::Ask,
                                                        QString());
        FavoritesImport *logic = import.get();
        auto *window = new FavoritesImportWindow(std::move(import));
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<FavoritesImportWindow> alive(window);
        // The user closes the import window while the third question is open.
        QuestionProbe probe;
        logic->inserter().setCategoryQuestion(question(
            probe,
            3,
            [&] {
                if (alive)
                    alive->close();
            },
            u"Picked"_s));
        window->show();
        QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 10000);
        QCOMPARE(probe.deepest, 1);
        // The step in hand (20 shortcuts) finished, then the window closed.
        QCOMPARE(probe.asked, 20);
        QCOMPARE(m_collection->locations().count(), 20);
        QVERIFY(!m_collection->inTransaction());
    }

    void cancelDuringAQuestionOfTheLinkPassWaitsForTheStep()
    {
        QByteArray page;
        for (int i = 0; i < 10; ++i)
            page += "<a href=\"http://c" + QByteArray::number(i) + ".test/\">Site</a>\n";
        auto import = std::make_unique<HtmlImport>(*m_collection,
                                                   *m_errors,
                                                   HtmlImport::Settings{u"HTML"_s,
                                                                        write(u"ask.html"_s, page),
                                                                        CategoryMode::Ask,
                                                                        {}});
        QVERIFY(import->open());
        HtmlImport *logic = import.get();
        auto *window = new HtmlImportWindow(std::move(import));
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<HtmlImportWindow> alive(window);
        QuestionProbe probe;
        logic->inserter().setCategoryQuestion(question(
            probe,
            2,
            [&] {
                if (alive)
                    alive->cancelButton()->click();
            },
            u"Asked"_s));
        window->show();
        QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 10000);
        QCOMPARE(probe.deepest, 1);
        // The step in hand ran to its end (every link of this small page), then the window went.
        QCOMPARE(probe.asked, 10);
        QCOMPARE(m_collection->locations().count(), 10);
        QVERIFY(!m_collection->inTransaction());
    }

    void browserWindowClosedDuringAQuestionFinishesTheStepOrStopsAtOnce()
    {
        std::vector<BrowserBookmark> bookmarks;
        for (int i = 0; i < 6; ++i) {
            BrowserBookmark b;
            b.address = u"https://b"_s + QString::number(i) + u".test/"_s;
            b.title = u"B"_s;
            b.root = u"Menu"_s;
            bookmarks.push_back(b);
        }
        const auto makeImport = [&] {
            auto import = std::make_unique<BrowserImport>(*m_collection,
                                                          *m_errors,
                                                          u"Bookmarks"_s,
                                                          CategoryMode::Ask,
                                                          QString());
            import->setBookmarks(bookmarks);
            return import;
        };

        // Closed from outside before its first step: finished once, no report, nothing added.
        {
            BrowserImportWindow window(makeImport());
            QSignalSpy finished(&window, &BrowserImportWindow::finished);
            QVERIFY(window.close());
            QTest::qWait(20);
            QCOMPARE(finished.count(), 1);
            QCOMPARE(m_collection->locations().count(), 0);
            QVERIFY(m_ui->messages().isEmpty());
        }

        // Closed while a question of a step is open: the step runs to its end, then the result.
        auto import = makeImport();
        BrowserImport *logic = import.get();
        auto *window = new BrowserImportWindow(std::move(import));
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<BrowserImportWindow> alive(window);
        QSignalSpy finished(window, &BrowserImportWindow::finished);
        QuestionProbe probe;
        bool refused = false;
        logic->inserter().setCategoryQuestion(question(
            probe,
            2,
            [&] {
                if (alive)
                    refused = !alive->close();
            },
            u"Asked"_s));
        window->show();
        QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 10000);
        QCOMPARE(probe.deepest, 1);
        QVERIFY(refused);
        QCOMPARE(probe.asked, 6);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(m_collection->locations().count(), 6);
        QCOMPARE(m_ui->messages().last().section(u'\n', 0, 0), u"6 bookmark(s) imported."_s);
        QVERIFY(!m_collection->inTransaction());
    }

    void htmlWindowRunsBothPassesAndCancelKeepsWhatWasAdded()
    {
        QByteArray page;
        for (int i = 0; i < 40; ++i)
            page += "<li><a href=\"http://h" + QByteArray::number(i) + ".test/\">Site "
                    + QByteArray::number(i) + "</a>\n";
        const QString file = write(u"page.html"_s, page);
        {
            auto import = std::make_unique<HtmlImport>(*m_collection,
                                                       *m_errors,
                                                       HtmlImport::Settings{u"HTML"_s,
                                                                            file,
                                                                            CategoryMode::Guess,
                                                                            {}});
            QVERIFY(import->open());
            HtmlImportWindow window(std::move(import));
            QCOMPARE(window.windowTitle(), u"Processing Records"_s);
            QCOMPARE(window.percent()->text(), u"0% Completed"_s);
            QSignalSpy done(&window, &HtmlImportWindow::finished);
            window.show();
            QVERIFY(done.wait(10000));
            QCOMPARE(window.windowTitle(), u"Analyzing HTML..."_s);
            QCOMPARE(window.text()->text(), u"0 items remaining."_s);
        }
        QCOMPARE(m_collection->locations().count(), 40);
        QCOMPARE(m_ui->last()->text.section(u'\n', 0, 0), u"40 URL(s) imported."_s);

        auto import = std::make_unique<HtmlImport>(*m_collection,
                                                   *m_errors,
                                                   HtmlImport::Settings{u"Netscape"_s,
                                                                        file,
                                                                        CategoryMode::Guess,
                                                                        {}});
        QVERIFY(import->open());
        HtmlImportWindow window(std::move(import));
        window.cancelButton()->click();
        QVERIFY(!m_collection->inTransaction());
        QCOMPARE(m_ui->last()->title, u"Import Cancelled"_s);
        QVERIFY(m_ui->last()->text.endsWith(u"what it added stays."_s));
    }

    void helpViewerShowsTheTextReadOnly()
    {
        HelpViewerWindow viewer(u"Import Help"_s, u"line one\nline two"_s);
        QCOMPARE(viewer.windowTitle(), u"Import Help"_s);
        QVERIFY(viewer.textBox()->isReadOnly());
        QCOMPARE(viewer.textBox()->toPlainText(), u"line one\nline two"_s);
        QVERIFY(viewer.findChild<QPushButton *>() != nullptr);
        QCOMPARE(viewer.findChild<QPushButton *>()->text(), u"&Close"_s);
    }
};

QTEST_MAIN(ImportWindowsTest)
#include "importwindows_test.moc"

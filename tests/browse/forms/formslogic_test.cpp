#include "browse/forms/askcategory.h"
#include "browse/forms/calendarmonth.h"
#include "browse/forms/entryinput.h"
#include "browse/forms/categoryform.h"
#include "browse/forms/categorylist.h"
#include "browse/forms/categorylocations.h"
#include "browse/forms/cathtmlform.h"
#include "browse/forms/locationanalyzer.h"
#include "browse/forms/locationform.h"
#include "browse/forms/newlocationwizard.h"
#include "browse/forms/shortcutfile.h"
#include "browse/list/browserefresh.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "store/categorymanager.h"
#include "store/cathtmlmanager.h"
#include "store/collection.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "store/fieldtext.h"
#include "store/picture.h"
#include "support/tempcollection.h"

#include <SQLiteCpp/Database.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace pk;

namespace {

/// Refresh requests are queued: the tests need an application object to deliver them.
class QtEnvironment final : public testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "browse_forms_test";
        static char *argv[] = {name, nullptr};
        m_app = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QCoreApplication> m_app;
};

[[maybe_unused]] testing::Environment *const g_qt = testing::AddGlobalTestEnvironment(
    new QtEnvironment);

class FormsLogic : public testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(m_temp.folder());
        m_collection = std::make_unique<Collection>(m_temp.folder());
        ASSERT_TRUE(m_collection->openAll(true).ok());
        m_errors.setHaltHandler([](const QString &, const QString &) {});
        for (const char *name : {"News", "_before ALL", "Tech", "_After All"})
            addCategory(QString::fromUtf8(name));
    }

    void addCategory(const QString &name)
    {
        CategoryRecord c;
        c.Category = name;
        ASSERT_TRUE(m_collection->categories().insert(c).ok());
    }

    void addLocation(const QString &address, const QString &category, const QString &file = {})
    {
        LocationRecord r;
        r.Location = address;
        r.Description = QStringLiteral("About ") + address;
        r.Category = category;
        r.OriginalFilename = file;
        ASSERT_TRUE(m_collection->locations().insert(r).ok());
    }

    LocationRecord stored(const QString &address)
    {
        LocationRecord r;
        EXPECT_TRUE(m_collection->locations().get(address, r).ok());
        return r;
    }

    QString lastTitle() const { return m_ui.last() ? m_ui.last()->title : QString(); }

    test::TempCollection m_temp;
    std::unique_ptr<Collection> m_collection;
    ScriptedUserInterface m_ui;
    ErrorManager m_errors{m_ui};
};

} // namespace

TEST_F(FormsLogic, SpecialCategoriesAreLeftOutOnlyWhereALocationsCategoryIsChosen)
{
    CategoryList all(*m_collection, m_ui, m_errors, CategoryList::Mode::All);
    ASSERT_TRUE(all.refresh().ok());
    EXPECT_EQ(all.count(), 4);
    EXPECT_GE(all.indexOf(QStringLiteral("_BEFORE all")), 0);

    LocationForm form(*m_collection, m_ui, m_errors, FormRequest::Insert);
    EXPECT_EQ(form.categoryChoices(), QStringList({u"News"_s, u"Tech"_s}));
    NewLocationWizard wizard(*m_collection, m_ui, m_errors);
    EXPECT_EQ(wizard.categoryChoices(), QStringList({u"News"_s, u"Tech"_s}));
    AskCategory ask(*m_collection, m_ui, m_errors, {}, QStringLiteral("Guess"));
    EXPECT_EQ(ask.list().names(), QStringList({u"News"_s, u"Tech"_s}));
}

TEST_F(FormsLogic, CategoryListLocatesAndFinds)
{
    CategoryList list(*m_collection, m_ui, m_errors, CategoryList::Mode::Assignable);
    ASSERT_TRUE(list.refresh());
    EXPECT_EQ(list.locate(QStringLiteral("te")), list.indexOf(QStringLiteral("Tech")));
    EXPECT_EQ(list.locate(QStringLiteral("zzz")), list.count() - 1);
    EXPECT_EQ(list.find(QStringLiteral("MATCH(CAT:Category,'*ech*',17)"), true, -1), 1);
    EXPECT_EQ(list.findAgain(1), -1);
    EXPECT_EQ(m_ui.messages().last(), QStringLiteral("No more matches."));
    CategoryList fresh(*m_collection, m_ui, m_errors, CategoryList::Mode::All);
    EXPECT_EQ(fresh.findAgain(0), -1);
    EXPECT_EQ(m_ui.messages().last(), QStringLiteral("No search criteria specified."));
}

TEST_F(FormsLogic, CategoryFormRefusesBlankAndDuplicateNames)
{
    CategoryForm blank(*m_collection,
                       m_ui,
                       m_errors,
                       FormRequest::Insert,
                       CategoryForm::Variant::Tabbed);
    EXPECT_FALSE(blank.save());
    EXPECT_EQ(lastTitle(), QStringLiteral("Missing Information"));
    EXPECT_EQ(m_ui.messages().last(), QStringLiteral("\"Category\" must be entered."));

    CategoryForm duplicate(*m_collection,
                           m_ui,
                           m_errors,
                           FormRequest::Insert,
                           CategoryForm::Variant::NoMdi,
                           QStringLiteral("news"));
    EXPECT_FALSE(duplicate.save());
    EXPECT_EQ(lastTitle(), QStringLiteral("Duplicate Key Error"));
    EXPECT_EQ(duplicate.failedEntry(), CategoryForm::Entry::Category);

    EXPECT_EQ(CategoryForm::title(FormRequest::Insert, CategoryForm::Variant::Tabbed),
              QStringLiteral("New Category"));
    EXPECT_EQ(CategoryForm::title(FormRequest::Change, CategoryForm::Variant::NoMdi),
              QStringLiteral("Category Will Be Changed"));
}

TEST_F(FormsLogic, RenamingOrDeletingACategoryLeavesLocationsAndSnippetsAlone)
{
    addLocation(QStringLiteral("http://a.test/"), QStringLiteral("News"));
    CatHtmlRecord snippet{QStringLiteral("News"),
                          QStringLiteral("Before Category"),
                          QStringLiteral("<hr>")};
    ASSERT_TRUE(m_collection->catHtml().insert(snippet).ok());
    QSignalSpy refreshes(&BrowseRefresh::instance(), &BrowseRefresh::refreshRequested);

    CategoryForm rename(*m_collection,
                        m_ui,
                        m_errors,
                        FormRequest::Change,
                        CategoryForm::Variant::Tabbed,
                        QStringLiteral("News"));
    ASSERT_TRUE(rename.load());
    rename.record().Category = QStringLiteral("Headlines");
    ASSERT_TRUE(rename.save());
    EXPECT_EQ(stored(QStringLiteral("http://a.test/")).Category, QStringLiteral("News"));
    std::vector<CatHtmlRecord> snippets;
    ASSERT_TRUE(m_collection->catHtml().list(QStringLiteral("News"), snippets));
    EXPECT_EQ(snippets.size(), 1u);

    CategoryForm remove(*m_collection,
                        m_ui,
                        m_errors,
                        FormRequest::Delete,
                        CategoryForm::Variant::Tabbed,
                        QStringLiteral("Headlines"));
    ASSERT_TRUE(remove.load());
    m_ui.push(true); // Confirm Delete
    ASSERT_TRUE(remove.remove());
    EXPECT_FALSE(m_collection->categories().exists(QStringLiteral("Headlines")));
    EXPECT_EQ(stored(QStringLiteral("http://a.test/")).Category, QStringLiteral("News"));
    QCoreApplication::processEvents();
    EXPECT_GE(refreshes.count(), 1);
}

TEST_F(FormsLogic, ALocationOfAGoneCategoryIsSavedOnlyWithAnExistingOne)
{
    addCategory(QStringLiteral("Old"));
    addLocation(QStringLiteral("http://a.test/"), QStringLiteral("Old"));
    ASSERT_TRUE(m_collection->categories().remove(QStringLiteral("Old")).ok());

    LocationForm form(*m_collection,
                      m_ui,
                      m_errors,
                      FormRequest::Change,
                      QStringLiteral("http://a.test/"));
    ASSERT_TRUE(form.load());
    EXPECT_EQ(form.record().Category, QStringLiteral("Old"));
    form.record().Comments = QStringLiteral("edited");
    EXPECT_FALSE(form.checkCategory());
    EXPECT_FALSE(form.save());
    EXPECT_EQ(form.failedEntry(), LocationForm::Entry::Category);
    EXPECT_EQ(lastTitle(), QStringLiteral("Field contents error"));
    EXPECT_EQ(stored(QStringLiteral("http://a.test/")).Comments, QString());

    form.record().Category = QStringLiteral("tech");
    EXPECT_TRUE(form.save());
    EXPECT_EQ(stored(QStringLiteral("http://a.test/")).Comments, QStringLiteral("edited"));
}

TEST_F(FormsLogic, ADuplicateAddressKeepsTheFormOpen)
{
    addLocation(QStringLiteral("http://a.test/"), QStringLiteral("News"));
    LocationForm form(*m_collection, m_ui, m_errors, FormRequest::Insert);
    form.record().Category = QStringLiteral("News");
    EXPECT_FALSE(form.save());
    EXPECT_EQ(lastTitle(), QStringLiteral("Missing Information"));
    EXPECT_EQ(m_ui.messages().last(), QStringLiteral("\"Location\" must be entered."));
    EXPECT_EQ(form.failedEntry(), LocationForm::Entry::Location);

    form.record().Location = QStringLiteral("http://a.test/");
    form.addKeyword(QStringLiteral("kept"));
    EXPECT_FALSE(form.save());
    EXPECT_EQ(lastTitle(), QStringLiteral("Duplicate Key Error"));
    EXPECT_TRUE(m_ui.messages().last().contains(QStringLiteral("Site Location")));
    EXPECT_EQ(form.failedEntry(), LocationForm::Entry::Location);
    // The refused save stored no keyword row and kept the one typed.
    std::vector<KeywordRecord> rows;
    ASSERT_TRUE(m_collection->keywords().list(QStringLiteral("http://a.test/"), rows));
    EXPECT_TRUE(rows.empty());
    ASSERT_EQ(form.keywords().size(), 1u);

    form.record().Location = QStringLiteral("http://b.test/");
    EXPECT_TRUE(form.save());
    ASSERT_TRUE(m_collection->keywords().list(QStringLiteral("http://b.test/"), rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Sequence, 1);
}

TEST_F(FormsLogic, AddressesAreSavedWholeOrRefusedNamingThem)
{
    const auto addressOf = [](int length) -> QString {
        const QString start = QStringLiteral("https://long.test/?q=");
        return start + QString(length - start.size(), QLatin1Char('w'));
    };
    LocationForm form(*m_collection, m_ui, m_errors, FormRequest::Insert);
    form.record().Category = QStringLiteral("News");
    for (const QString &refused : {addressOf(2049),
                                   QStringLiteral("http://a.test/two words"),
                                   QStringLiteral("http://a.test/line\nbreak")}) {
        form.record().Location = refused;
        EXPECT_FALSE(form.save()) << refused.left(40).toStdString();
        EXPECT_EQ(lastTitle(), QStringLiteral("Invalid Entry"));
        EXPECT_EQ(form.failedEntry(), LocationForm::Entry::Location);
        EXPECT_EQ(form.record().Location, refused) << "the entry keeps what was typed";
    }
    EXPECT_TRUE(m_ui.messages().constFirst().contains(QStringLiteral("2049 characters")));
    EXPECT_EQ(m_collection->locations().count(), 0);

    // A moved-to address is an address too.
    form.record().Location = addressOf(2048);
    form.record().MovedTo = addressOf(3000);
    EXPECT_FALSE(form.save());
    EXPECT_TRUE(m_ui.messages().last().contains(QStringLiteral("3000 characters")));
    form.record().MovedTo = addressOf(2048) + QStringLiteral("  ");
    ASSERT_TRUE(form.save());
    EXPECT_EQ(stored(addressOf(2048)).Location, addressOf(2048));
    EXPECT_EQ(stored(addressOf(2048)).MovedTo, addressOf(2048));

    // The wizard takes its input whole and holds it to the same rule.
    NewLocationWizard::setInput(addressOf(2049));
    const QString input = NewLocationWizard::takeInput();
    EXPECT_EQ(input, addressOf(2049));
    NewLocationWizard wizard(*m_collection, m_ui, m_errors);
    wizard.start(input, {}, 0);
    wizard.record().Location = input;
    EXPECT_FALSE(wizard.finish());
    EXPECT_EQ(lastTitle(), QStringLiteral("Invalid Entry"));
    EXPECT_EQ(m_collection->locations().count(), 1);
    wizard.record().Location = addressOf(2047);
    EXPECT_TRUE(wizard.finish());
    EXPECT_EQ(stored(addressOf(2047)).Location, addressOf(2047));
}

TEST_F(FormsLogic, KeywordAndDetailRowsAreStoredWithTheLocationAndFollowItsAddress)
{
    LocationForm insert(*m_collection, m_ui, m_errors, FormRequest::Insert);
    insert.record().Location = QStringLiteral("http://a.test/");
    insert.record().Category = QStringLiteral("News");
    insert.record().Description = QStringLiteral("The Daily Newspaper");
    insert.descriptionAccepted();
    EXPECT_EQ(insert.record().Keyword, QStringLiteral("Newspaper"));
    insert.addKeyword(QStringLiteral("one"));
    insert.addKeyword(QStringLiteral("two"));
    insert.addDetail(QStringLiteral("Server"), QStringLiteral("test"));
    ASSERT_TRUE(insert.save());

    LocationForm change(*m_collection,
                        m_ui,
                        m_errors,
                        FormRequest::Change,
                        QStringLiteral("http://a.test/"));
    ASSERT_TRUE(change.load());
    ASSERT_EQ(change.keywords().size(), 2u);
    EXPECT_EQ(change.keywords()[1].Sequence, 2);
    change.record().Description = QStringLiteral("Changed Description");
    change.descriptionAccepted(); // only new locations get the guess
    EXPECT_EQ(change.record().Keyword, QStringLiteral("Newspaper"));
    change.removeKeyword(0);
    change.addKeyword(QStringLiteral("three"));
    change.record().Location = QStringLiteral("http://moved.test/");
    ASSERT_TRUE(change.save());

    std::vector<KeywordRecord> keywords;
    ASSERT_TRUE(m_collection->keywords().list(QStringLiteral("http://moved.test/"), keywords));
    ASSERT_EQ(keywords.size(), 2u);
    EXPECT_EQ(keywords[0].Keyword, QStringLiteral("two"));
    EXPECT_EQ(keywords[1].Keyword, QStringLiteral("three"));
    EXPECT_EQ(keywords[1].Sequence, 3);
    std::vector<DetailRecord> details;
    ASSERT_TRUE(m_collection->details().list(QStringLiteral("http://moved.test/"), details));
    EXPECT_EQ(details.size(), 1u);
    ASSERT_TRUE(m_collection->keywords().list(QStringLiteral("http://a.test/"), keywords));
    EXPECT_TRUE(keywords.empty());
}

TEST_F(FormsLogic, AFailedReadOfKeywordsOrDetailsIsReportedAndTheFormDoesNotOpen)
{
    addLocation(QStringLiteral("http://a.test/"), QStringLiteral("News"));
    for (const char *table : {"URLKeywords", "URLDetails"}) {
        SCOPED_TRACE(table);
        m_ui.clear();
        m_collection->db().exec(QStringLiteral("ALTER TABLE main.%1 RENAME TO Gone")
                                    .arg(QLatin1String(table))
                                    .toStdString());
        LocationForm form(*m_collection,
                          m_ui,
                          m_errors,
                          FormRequest::Change,
                          QStringLiteral("http://a.test/"));
        EXPECT_FALSE(form.load()); // not shown as a location without rows
        EXPECT_EQ(lastTitle(), QStringLiteral("Record Retrieval Error"));
        m_collection->db().exec(QStringLiteral("ALTER TABLE main.Gone RENAME TO %1")
                                    .arg(QLatin1String(table))
                                    .toStdString());
    }
}

TEST_F(FormsLogic, AChangedAddressIsWrittenBackIntoTheShortcutFile)
{
    const QString file = m_temp.path(QStringLiteral("Daily.url"));
    ASSERT_TRUE(m_temp.writeFile(
        QStringLiteral("Daily.url"),
        "[DEFAULT]\r\nBASEURL=http://old.test/\r\n[InternetShortcut]\r\nURL=http://old.test/\r\n"
        "IconIndex=0\r\n"));
    addLocation(QStringLiteral("http://old.test/"), QStringLiteral("News"), file);
    LocationForm form(*m_collection,
                      m_ui,
                      m_errors,
                      FormRequest::Change,
                      QStringLiteral("http://old.test/"));
    ASSERT_TRUE(form.load());
    form.record().Location = QStringLiteral("http://new.test/");
    ASSERT_TRUE(form.save());
    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(),
              QByteArray("[DEFAULT]\r\nBASEURL=http://old.test/\r\n[InternetShortcut]\r\n"
                         "URL=http://new.test/\r\nIconIndex=0\r\n"));
}

TEST_F(FormsLogic, MissingReadOnlyOrForeignShortcutFilesAreLeftAlone)
{
    const QByteArray foreign("not a shortcut\n\x00\x01\x02", 18);
    ASSERT_TRUE(m_temp.writeFile(QStringLiteral("foreign.url"), foreign));
    ASSERT_TRUE(
        m_temp.writeFile(QStringLiteral("locked.URL"), "[InternetShortcut]\nURL=http://c.test/\n"));
    const QString locked = m_temp.path(QStringLiteral("locked.URL"));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadUser);

    const struct
    {
        QString address;
        QString file;
    } cases[] = {{QStringLiteral("http://a.test/"), m_temp.path(QStringLiteral("gone.url"))},
                 {QStringLiteral("http://b.test/"), m_temp.path(QStringLiteral("foreign.url"))},
                 {QStringLiteral("http://c.test/"), locked}};
    for (const auto &c : cases) {
        addLocation(c.address, QStringLiteral("News"), c.file);
        LocationForm form(*m_collection, m_ui, m_errors, FormRequest::Change, c.address);
        ASSERT_TRUE(form.load());
        form.record().Location = c.address + QStringLiteral("new");
        EXPECT_TRUE(form.save()) << qPrintable(c.file);
    }
    EXPECT_FALSE(QFile::exists(m_temp.path(QStringLiteral("gone.url"))));
    QFile in(m_temp.path(QStringLiteral("foreign.url")));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), foreign);
    QFile lockedIn(locked);
    ASSERT_TRUE(lockedIn.open(QIODevice::ReadOnly));
    EXPECT_EQ(lockedIn.readAll(), QByteArray("[InternetShortcut]\nURL=http://c.test/\n"));
    EXPECT_EQ(ShortcutFile::writeUrl(m_temp.path(QStringLiteral("notes.txt")), QStringLiteral("x")),
              ShortcutFile::Result::NotShortcutName);
    // A section without the key gets it; line breaks in an address cannot add keys.
    EXPECT_EQ(ShortcutFile::withUrl("[InternetShortcut]\n", QStringLiteral("http://x/\nEvil=1")),
              QByteArray("[InternetShortcut]\nURL=http://x/ Evil=1\n"));
}

TEST_F(FormsLogic, DeletingAskesAboutTheShortcutAndRemovesTheRows)
{
    ASSERT_TRUE(
        m_temp.writeFile(QStringLiteral("a.url"), "[InternetShortcut]\nURL=http://a.test/\n"));
    const QString file = m_temp.path(QStringLiteral("a.url"));
    addLocation(QStringLiteral("http://a.test/"), QStringLiteral("News"), file);
    KeywordRecord keyword{QStringLiteral("http://a.test/"), 0, QStringLiteral("k")};
    ASSERT_TRUE(m_collection->keywords().insert(keyword).ok());

    LocationForm form(*m_collection,
                      m_ui,
                      m_errors,
                      FormRequest::Delete,
                      QStringLiteral("http://a.test/"));
    ASSERT_TRUE(form.load());
    m_ui.push(true); // Confirm Delete
    m_ui.push(true); // Remove Link
    ASSERT_TRUE(form.remove());
    EXPECT_EQ(m_ui.interactions().last().title, QStringLiteral("Remove Link"));
    EXPECT_EQ(m_ui.interactions().last().text,
              QStringLiteral("Delete original MSIE shortcut?\n\n") + file);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_FALSE(m_collection->locations().exists(QStringLiteral("http://a.test/")));
    std::vector<KeywordRecord> rows;
    ASSERT_TRUE(m_collection->keywords().list(QStringLiteral("http://a.test/"), rows));
    EXPECT_TRUE(rows.empty());

    addLocation(QStringLiteral("http://b.test/"), QStringLiteral("News"));
    LocationForm keep(*m_collection,
                      m_ui,
                      m_errors,
                      FormRequest::Delete,
                      QStringLiteral("http://b.test/"));
    ASSERT_TRUE(keep.load());
    m_ui.push(false); // Confirm Delete: No
    EXPECT_FALSE(keep.remove());
    EXPECT_TRUE(m_collection->locations().exists(QStringLiteral("http://b.test/")));
}

TEST_F(FormsLogic, ACategoryHoldsOneSnippetPerType)
{
    CatHtmlForm first(*m_collection, m_ui, m_errors, FormRequest::Insert, QStringLiteral("News"));
    EXPECT_EQ(first.record().TypeOfHTML, QStringLiteral("Before Category"));
    EXPECT_EQ(first.record().CATEGORY, QStringLiteral("News"));
    first.record().HTMLtoAdd = QStringLiteral("<hr>");
    ASSERT_TRUE(first.save());
    CatHtmlForm second(*m_collection, m_ui, m_errors, FormRequest::Insert, QStringLiteral("news"));
    second.record().HTMLtoAdd = QStringLiteral("<br>");
    EXPECT_FALSE(second.save());
    EXPECT_EQ(lastTitle(), QStringLiteral("Duplicate Key Error"));
    second.record().TypeOfHTML = QStringLiteral("After Category");
    EXPECT_TRUE(second.save());
    EXPECT_EQ(CatHtmlForm::types().size(), 5u);
    EXPECT_EQ(CatHtmlForm::typeIndex(QStringLiteral("after category title")), 3);
}

TEST_F(FormsLogic, AskCategoryOffersTheGuessAndTheList)
{
    AskCategory ask(*m_collection, m_ui, m_errors, {}, QStringLiteral("Imported   "));
    EXPECT_EQ(ask.bestGuessText(), QStringLiteral("Best Guess:  Imported"));
    ASSERT_TRUE(ask.select(1));
    EXPECT_EQ(ask.category(), QStringLiteral("Tech"));
    ask.useBestGuess();
    EXPECT_EQ(ask.category(), QString());
    addCategory(QStringLiteral("Added"));
    EXPECT_EQ(ask.inserted(QStringLiteral("Added")), 0);
}

TEST_F(FormsLogic, WizardTakesAnAddressFromItsInputOrAWindow)
{
    NewLocationWizard::setInput(QStringLiteral("  HTTPS://typed.test/  "));
    EXPECT_EQ(NewLocationWizard::takeInput(), QStringLiteral("  HTTPS://typed.test/  ").left(255));
    EXPECT_EQ(NewLocationWizard::takeInput(), QString());

    NewLocationWizard wizard(*m_collection, m_ui, m_errors);
    const std::vector<TopLevelWindow> windows = {
        {1, QStringLiteral("First - https://one.test/"), {}},
        {2, QStringLiteral("Second"), {QStringLiteral("mailto:x@two.test www.two.test")}},
    };
    wizard.start(QStringLiteral("ftp://typed.test/"), windows, 0);
    EXPECT_EQ(wizard.page(), NewLocationWizard::Page::General);
    EXPECT_FALSE(wizard.pickUrlShown());
    EXPECT_EQ(wizard.record().Location, QStringLiteral("ftp://typed.test/"));
    EXPECT_EQ(wizard.record().Keyword, QStringLiteral("ftp"));
    EXPECT_EQ(wizard.record().Category, QStringLiteral("News"));

    wizard.start(QString(), windows, 0);
    EXPECT_EQ(wizard.page(), NewLocationWizard::Page::PickUrl);
    EXPECT_FALSE(wizard.canGoBack());
    ASSERT_TRUE(wizard.next(0));
    EXPECT_EQ(wizard.record().Location, QStringLiteral("https://one.test/"));
    EXPECT_EQ(wizard.record().Description, QStringLiteral("First - https://one.test/"));
    EXPECT_EQ(wizard.record().Keyword, QStringLiteral("https"));
    EXPECT_TRUE(wizard.canGoBack());

    wizard.start(QString(), {windows[0]}, 1); // its own window only: nothing to capture
    EXPECT_EQ(wizard.page(), NewLocationWizard::Page::General);
    EXPECT_EQ(wizard.record().Location, QString());
    EXPECT_FALSE(wizard.next());
    EXPECT_EQ(lastTitle(), QStringLiteral("Missing Information"));
    wizard.record().Location = QStringLiteral("mailto:joe@example.test");
    wizard.locationAccepted();
    EXPECT_EQ(wizard.record().Keyword, QStringLiteral("mailto:"));
    ASSERT_TRUE(wizard.next());
    EXPECT_EQ(wizard.page(), NewLocationWizard::Page::SiteInfo);
    ASSERT_TRUE(wizard.finish());
    EXPECT_EQ(stored(QStringLiteral("mailto:joe@example.test")).Keyword, QStringLiteral("mailto:"));

    NewLocationWizard again(*m_collection, m_ui, m_errors);
    again.start(QStringLiteral("www.example.test"), {}, 0);
    EXPECT_EQ(again.record().Keyword, QStringLiteral("?"));
    again.record().Category = QStringLiteral("_Before All");
    EXPECT_TRUE(again.finish()); // a special category is a category; only the lists hide it
    NewLocationWizard duplicate(*m_collection, m_ui, m_errors);
    duplicate.start(QStringLiteral("www.example.test"), {}, 0);
    EXPECT_FALSE(duplicate.finish());
    EXPECT_EQ(lastTitle(), QStringLiteral("Duplicate Key Error"));
}

TEST_F(FormsLogic, WizardTakesTheBrowsersPagesAndSaysWhyOthersAreMissing)
{
    NewLocationWizard wizard(*m_collection, m_ui, m_errors);
    const QString encrypted = QStringLiteral("Chromium keeps its open pages only in an encrypted "
                                             "session file, which cannot be read: its pages are "
                                             "not listed.");
    const SessionPage grab{QStringLiteral("Firefox"),
                           QStringLiteral("Grab Me Page"),
                           QStringLiteral("http://127.0.0.1:8791/page.html")};

    // One page: taken at once, the page's title as the description.
    wizard.start(QString(), {}, 0, SessionCapture{{grab}, {encrypted, encrypted}});
    EXPECT_EQ(wizard.page(), NewLocationWizard::Page::General);
    EXPECT_EQ(wizard.record().Location, QStringLiteral("http://127.0.0.1:8791/page.html"));
    EXPECT_EQ(wizard.record().Description, QStringLiteral("Grab Me Page"));
    EXPECT_EQ(wizard.notes(), QStringList{encrypted});

    // Nothing found, but a reason: the PickURL page says it.
    wizard.start(QString(), {}, 0, SessionCapture{{}, {encrypted}});
    EXPECT_EQ(wizard.page(), NewLocationWizard::Page::PickUrl);
    EXPECT_TRUE(wizard.candidates().empty());
    ASSERT_TRUE(wizard.next(-1));
    EXPECT_EQ(wizard.record().Location, QString());

    // Nothing found and nothing to say: straight to the General page.
    wizard.start(QString(), {}, 0, SessionCapture{});
    EXPECT_EQ(wizard.page(), NewLocationWizard::Page::General);
    EXPECT_TRUE(wizard.notes().isEmpty());

    // A browser's page and a window's address: both listed, the page first.
    const std::vector<TopLevelWindow> windows = {
        {7, QStringLiteral("Grab Me Page - Mozilla Firefox"), {}},
        {8, QStringLiteral("Terminal"), {QStringLiteral("see http://term.test/")}},
    };
    wizard.start(QString(), windows, 0, SessionCapture{{grab}, {}});
    EXPECT_EQ(wizard.page(), NewLocationWizard::Page::PickUrl);
    ASSERT_EQ(wizard.candidates().size(), 2u);
    ASSERT_TRUE(wizard.next(0));
    EXPECT_EQ(wizard.record().Location, QStringLiteral("http://127.0.0.1:8791/page.html"));
    EXPECT_EQ(wizard.record().Description, QStringLiteral("Grab Me Page - Mozilla Firefox"));
}

TEST_F(FormsLogic, AnalyzeFillsTheFormsRecordThroughTheAnalyzerItWasGiven)
{
    addLocation(QStringLiteral("http://a.test/"), QStringLiteral("News"));
    {
        LocationForm without(*m_collection,
                             m_ui,
                             m_errors,
                             FormRequest::Change,
                             QStringLiteral("http://a.test/"));
        ASSERT_TRUE(without.load());
        without.analyze();
        EXPECT_EQ(lastTitle(), QStringLiteral("Procedure not defined"));
        EXPECT_EQ(m_ui.last()->text,
                  QStringLiteral("The Procedure AnalyzeURL has not been defined."));
        NewLocationWizard wizard(*m_collection, m_ui, m_errors);
        m_ui.clear();
        wizard.analyze();
        EXPECT_EQ(m_ui.last()->text,
                  QStringLiteral("The Procedure AnalyzeURL has not been defined."));
    }

    QString analysed;
    const LocationAnalyzer analyzer = [&](LocationRecord &record, LocationRows &rows, QWidget *) {
        analysed = record.Location;
        record.Description = QStringLiteral("From the page");
        rows.removeAllKeywords();
        rows.addKeyword(QStringLiteral("found"));
        rows.addDetail(QStringLiteral("AUTHOR"), QStringLiteral("Someone"));
    };
    LocationForm form(*m_collection,
                      m_ui,
                      m_errors,
                      FormRequest::Change,
                      QStringLiteral("http://a.test/"),
                      LocationForm::Hooks{{}, analyzer});
    ASSERT_TRUE(form.load());
    const auto storedRows = [this](const QString &address) {
        std::vector<KeywordRecord> keywords;
        std::vector<DetailRecord> details;
        EXPECT_TRUE(m_collection->keywords().list(address, keywords).ok());
        EXPECT_TRUE(m_collection->details().list(address, details).ok());
        return std::make_pair(keywords.size(), details.size());
    };
    {
        // A wizard analysed and cancelled leaves nothing in the collection.
        NewLocationWizard cancelled(*m_collection, m_ui, m_errors, analyzer);
        cancelled.start(QStringLiteral("http://b.test/"), {}, 0);
        cancelled.analyze();
        EXPECT_EQ(analysed, QStringLiteral("http://b.test/"));
        EXPECT_EQ(cancelled.rows().keywords().size(), 1u);
    }
    EXPECT_EQ(storedRows(QStringLiteral("http://b.test/")),
              std::make_pair(std::size_t(0), std::size_t(0)));
    NewLocationWizard wizard(*m_collection, m_ui, m_errors, analyzer);
    wizard.start(QStringLiteral("http://b.test/"), {}, 0);
    wizard.analyze();
    ASSERT_TRUE(wizard.finish());
    EXPECT_EQ(storedRows(QStringLiteral("http://b.test/")),
              std::make_pair(std::size_t(1), std::size_t(1)));

    // The form holds what the analysis found until OK: its rows replace the stored keyword.
    KeywordRecord old{QStringLiteral("http://a.test/"), 0, QStringLiteral("old")};
    ASSERT_TRUE(m_collection->keywords().insert(old).ok());
    ASSERT_TRUE(form.load());
    form.analyze();
    EXPECT_EQ(analysed, QStringLiteral("http://a.test/"));
    EXPECT_EQ(form.record().Description, QStringLiteral("From the page"));
    EXPECT_EQ(storedRows(QStringLiteral("http://a.test/")),
              std::make_pair(std::size_t(1), std::size_t(0)));
    ASSERT_TRUE(form.save());
    std::vector<KeywordRecord> keywords;
    ASSERT_TRUE(m_collection->keywords().list(QStringLiteral("http://a.test/"), keywords).ok());
    ASSERT_EQ(keywords.size(), 1u);
    EXPECT_EQ(keywords.front().Keyword, QStringLiteral("found"));
    EXPECT_EQ(storedRows(QStringLiteral("http://a.test/")),
              std::make_pair(std::size_t(1), std::size_t(1)));
    // Saved once, the rows are the stored ones: a second OK adds nothing.
    ASSERT_TRUE(form.save());
    EXPECT_EQ(storedRows(QStringLiteral("http://a.test/")),
              std::make_pair(std::size_t(1), std::size_t(1)));
}

TEST_F(FormsLogic, EnterOnTheShortcutQuestionKeepsTheFile)
{
    ASSERT_TRUE(
        m_temp.writeFile(QStringLiteral("c.url"), "[InternetShortcut]\nURL=http://c.test/\n"));
    const QString file = m_temp.path(QStringLiteral("c.url"));
    addLocation(QStringLiteral("http://c.test/"), QStringLiteral("News"), file);
    LocationForm form(*m_collection,
                      m_ui,
                      m_errors,
                      FormRequest::Delete,
                      QStringLiteral("http://c.test/"));
    ASSERT_TRUE(form.load());
    m_ui.push(true); // Confirm Delete; the shortcut question then takes its default
    ASSERT_TRUE(form.remove());
    EXPECT_EQ(lastTitle(), QStringLiteral("Remove Link"));
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(FormsLogic, LocationsOfACategoryNameTheCategoryInTheTitle)
{
    addLocation(QStringLiteral("http://n.test/"), QStringLiteral("News"));
    addLocation(QStringLiteral("http://t.test/"), QStringLiteral("Tech"));
    CategoryLocations news(*m_collection, QStringLiteral("News"));
    ASSERT_TRUE(news.refresh());
    EXPECT_EQ(news.title(), QStringLiteral("Browse Locations by Category (2) - News"));
}

TEST_F(FormsLogic, SnippetsOfANewCategoryWaitForItsSave)
{
    {
        CategoryForm cancelled(*m_collection,
                               m_ui,
                               m_errors,
                               FormRequest::Insert,
                               CategoryForm::Variant::Tabbed);
        cancelled.record().Category = QStringLiteral("Music");
        CatHtmlRecord snippet{QStringLiteral("Music"),
                              QStringLiteral("Before Category"),
                              QStringLiteral("<hr>")};
        ASSERT_TRUE(cancelled.holdSnippet(snippet));
        EXPECT_EQ(cancelled.snippets().size(), 1u);
    }
    std::vector<CatHtmlRecord> rows;
    ASSERT_TRUE(m_collection->catHtml().list(QStringLiteral("Music"), rows).ok());
    EXPECT_TRUE(rows.empty());

    CategoryForm form(*m_collection,
                      m_ui,
                      m_errors,
                      FormRequest::Insert,
                      CategoryForm::Variant::Tabbed);
    ASSERT_TRUE(form.holdSnippet(
        {QStringLiteral("x"), QStringLiteral("Before Category"), QStringLiteral("<hr>")}));
    EXPECT_FALSE(form.holdSnippet(
        {QStringLiteral("x"), QStringLiteral("before category"), QStringLiteral("<p>")}));
    EXPECT_EQ(lastTitle(), QStringLiteral("Duplicate Key Error"));
    ASSERT_TRUE(form.holdSnippet(
        {QStringLiteral("x"), QStringLiteral("After Category"), QStringLiteral("<p>")}));
    form.dropSnippet(1);
    ASSERT_TRUE(form.holdSnippet(
        {QStringLiteral("x"), QStringLiteral("Replace Title"), QStringLiteral("T")}));
    // A name that is taken refuses the category and its snippets together.
    form.record().Category = QStringLiteral("news");
    EXPECT_FALSE(form.save());
    ASSERT_TRUE(m_collection->catHtml().list(QStringLiteral("news"), rows).ok());
    EXPECT_TRUE(rows.empty());
    form.record().Category = QStringLiteral("Music");
    ASSERT_TRUE(form.save());
    ASSERT_TRUE(m_collection->catHtml().list(QStringLiteral("Music"), rows).ok());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_FALSE(form.isUnsaved());
    EXPECT_TRUE(form.heldSnippets().empty());
    // Saved once, a second OK changes the category instead of adding it again.
    form.record().Description = QStringLiteral("Songs");
    EXPECT_TRUE(form.save());
}

TEST(EntryInput, DatesOutsideTheStoredYearsOrUnreadableAreRefused)
{
    EXPECT_EQ(EntryInput::date(QStringLiteral("  ")), 0);
    EXPECT_EQ(EntryInput::date(QStringLiteral("1801-01-01")), 4);
    EXPECT_EQ(EntryInput::date(QStringLiteral("2099-12-31")),
              DayNumber::fromDate(QDate(2099, 12, 31)));
    const QDate some(2025, 5, 12);
    EXPECT_EQ(EntryInput::date(QLocale::system().toString(some, QLocale::ShortFormat)),
              DayNumber::fromDate(some));
    for (const char *typed : {"garbage",
                              "29 Feb 2023",
                              "2023-02-29",
                              "1700-01-01",
                              "1800-12-31",
                              "2100-01-01",
                              "12/05/2025/7"})
        EXPECT_FALSE(EntryInput::date(QString::fromLatin1(typed)).has_value()) << typed;

    const QString message = EntryInput::dateMessage(QStringLiteral("&Last Visit:"),
                                                    QStringLiteral("garbage"));
    EXPECT_TRUE(message.startsWith(QStringLiteral("Last Visit: \"garbage\"")));
    EXPECT_TRUE(message.contains(EntryInput::dateForm()));
    EXPECT_TRUE(
        message.contains(QLocale::system().toString(QDate(1801, 1, 1), QLocale::ShortFormat)));
    EXPECT_TRUE(
        message.contains(QLocale::system().toString(QDate(2099, 12, 31), QLocale::ShortFormat)));
}

TEST(EntryInput, NumbersMustBeWholeAndFitTheField)
{
    EXPECT_EQ(EntryInput::wholeNumber(QString()), 0);
    EXPECT_EQ(EntryInput::wholeNumber(QStringLiteral(" 1,234 ")), 1234);
    EXPECT_EQ(EntryInput::wholeNumber(QStringLiteral("-5")), -5);
    EXPECT_EQ(EntryInput::wholeNumber(QStringLiteral("2147483647")), 2147483647);
    for (const char *typed : {"12abc", "99999999999999", "2147483648", "1.5", "abc"})
        EXPECT_FALSE(EntryInput::wholeNumber(QString::fromLatin1(typed)).has_value()) << typed;
    EXPECT_TRUE(EntryInput::numberMessage(QStringLiteral("&Page size:"), QStringLiteral("12abc"))
                    .startsWith(QStringLiteral("Page size: \"12abc\"")));
}

TEST(EntryInput, TextIsCleanedOfControlsAndCutToItsWidthWithANotice)
{
    const EntryInput::Text plain = EntryInput::fit(QStringLiteral("http://a.test/ü"), 255);
    EXPECT_FALSE(plain.cleaned || plain.cut);

    QString pasted = QStringLiteral("http://a\u0001.test/\tx\u007f\u009b");
    pasted += QChar(0xFFFD);
    pasted += QChar(0xD800); // a lone surrogate left by a broken conversion
    const EntryInput::Text cleaned = EntryInput::fit(pasted, 255);
    EXPECT_TRUE(cleaned.cleaned);
    EXPECT_FALSE(cleaned.cut);
    EXPECT_EQ(cleaned.text, QStringLiteral("http://a.test/ x"));
    EXPECT_EQ(EntryInput::fit(QStringLiteral("a\nb\tc"), 20, true).text, QStringLiteral("a\nb\tc"));

    // Width counts characters: a character outside the BMP is one, and is never split.
    const QString wide = QStringLiteral("ab") + QString::fromUcs4(U"\U0001F600\U0001F600");
    const EntryInput::Text cut = EntryInput::fit(wide, 3);
    EXPECT_TRUE(cut.cut);
    EXPECT_EQ(cut.text, QStringLiteral("ab") + QString::fromUcs4(U"\U0001F600"));
    const QString notice = EntryInput::fitMessage(QStringLiteral("&Keyword:"), cut, 3);
    EXPECT_TRUE(notice.startsWith(QStringLiteral("Keyword: ")));
    EXPECT_TRUE(notice.contains(QStringLiteral("3 characters")));
    EXPECT_TRUE(EntryInput::fitMessage(QStringLiteral("&Keyword:"), plain, 3).isEmpty());
}

TEST(CalendarMonthRange, ADateBeforeOrAfterTheYearsShownOpensAtTheNearestEnd)
{
    const QDate today(2026, 3, 10);
    const CalendarMonth early(DayNumber::fromDate(QDate(1700, 6, 1)), today);
    EXPECT_EQ(early.year(), 1801);
    EXPECT_EQ(early.month(), 1);
    const CalendarMonth late(DayNumber::fromDate(QDate(2150, 6, 1)), today);
    EXPECT_EQ(late.year(), 2099);
    EXPECT_EQ(late.month(), 12);
    CalendarMonth stepping(DayNumber::fromDate(QDate(1801, 1, 15)), today);
    stepping.previousYear();
    EXPECT_EQ(stepping.year(), 2099); // stepping still wraps round
}

TEST(EntryInput, FitNeverLeavesControlsOrBrokenCharactersInABoundedFuzz)
{
    QRandomGenerator random(20261208);
    const char32_t pool[] = {U'a',
                             U'\t',
                             U'\n',
                             U'\r',
                             0x01,
                             0x7F,
                             0x9B,
                             0xFFFD,
                             0xD800,
                             0xDC00,
                             0xFDD0,
                             0xFFFE,
                             U'é',
                             0x1F600,
                             0x10FFFF,
                             U' '};
    for (int round = 0; round < 2000; ++round) {
        QString typed;
        const int length = int(random.bounded(40));
        for (int i = 0; i < length; ++i) {
            const char32_t c = pool[random.bounded(int(std::size(pool)))];
            if (c >= 0xD800 && c <= 0xDFFF)
                typed.append(QChar(char16_t(c))); // a lone surrogate, as broken input leaves it
            else
                typed.append(QString::fromUcs4(&c, 1));
        }
        const int width = int(random.bounded(1, 30));
        const EntryInput::Text fitted = EntryInput::fit(typed, width, random.bounded(2) == 1);
        ASSERT_LE(characterCount(fitted.text), width);
        for (qsizetype i = 0; i < fitted.text.size(); ++i) {
            const QChar c = fitted.text.at(i);
            if (c.isHighSurrogate()) {
                ASSERT_TRUE(i + 1 < fitted.text.size() && fitted.text.at(i + 1).isLowSurrogate());
                ++i;
                continue;
            }
            ASSERT_FALSE(c.isLowSurrogate());
            ASSERT_NE(c.unicode(), 0xFFFD);
            if (c != QLatin1Char('\n') && c != QLatin1Char('\t')) {
                ASSERT_NE(c.category(), QChar::Other_Control);
            }
        }
    }
}

TEST_F(FormsLogic, ASaveOverAnotherProgramsChangeIsRefusedShownAndRecalledOnRequest)
{
    addLocation(QStringLiteral("http://a.test/"), QStringLiteral("News"));
    // A second program on the same collection: its own connection.
    Collection other(m_temp.folder());
    ASSERT_TRUE(other.openAll(false).ok());
    ScriptedUserInterface otherUi;
    ErrorManager otherErrors{otherUi};
    const QString address = QStringLiteral("http://a.test/");

    LocationForm mine(*m_collection, m_ui, m_errors, FormRequest::Change, address);
    LocationForm theirs(other, otherUi, otherErrors, FormRequest::Change, address);
    ASSERT_TRUE(mine.load());
    ASSERT_TRUE(theirs.load());
    theirs.record().Description = QStringLiteral("Their description");
    theirs.record().Rating = 7;
    ASSERT_TRUE(theirs.save());

    mine.record().Comments = QStringLiteral("My comment");
    EXPECT_FALSE(mine.save());
    EXPECT_EQ(lastTitle(), QStringLiteral("Record Was Not Updated"));
    EXPECT_TRUE(m_ui.last()->text.contains(u"Ctrl+H"_s));
    EXPECT_EQ(mine.failedEntry(), LocationForm::Entry::Changed);
    // Nothing of mine was written, and the form shows what is stored now.
    EXPECT_EQ(stored(address).Description, QStringLiteral("Their description"));
    EXPECT_TRUE(stored(address).Comments.isEmpty());
    EXPECT_EQ(mine.record().Description, QStringLiteral("Their description"));
    EXPECT_TRUE(mine.record().Comments.isEmpty());

    // Ctrl+H puts back only what I changed; the next save keeps both edits.
    ASSERT_TRUE(mine.canRecallChanges());
    mine.recallChanges();
    EXPECT_EQ(mine.record().Comments, QStringLiteral("My comment"));
    EXPECT_EQ(mine.record().Description, QStringLiteral("Their description"));
    ASSERT_TRUE(mine.save());
    EXPECT_EQ(stored(address).Description, QStringLiteral("Their description"));
    EXPECT_EQ(stored(address).Rating, 7);
    EXPECT_EQ(stored(address).Comments, QStringLiteral("My comment"));
    EXPECT_FALSE(mine.canRecallChanges());

    // The other program now saves over my change without reading it again: refused too.
    theirs.record().UserName = QStringLiteral("them");
    EXPECT_FALSE(theirs.save());
    EXPECT_EQ(stored(address).Comments, QStringLiteral("My comment"));
    EXPECT_TRUE(stored(address).UserName.isEmpty());

    // A location deleted meanwhile is reported as such and not written back.
    ASSERT_TRUE(other.locations().remove(address).ok());
    mine.record().Comments = QStringLiteral("Too late");
    EXPECT_FALSE(mine.save());
    EXPECT_EQ(lastTitle(), QStringLiteral("Record Retrieval Error"));
    EXPECT_TRUE(m_ui.last()->text.contains(u"changed or deleted by another station"_s));
    EXPECT_FALSE(m_collection->locations().exists(address));
}

TEST_F(FormsLogic, CategoryAndSnippetSavesOverAnotherProgramsChangeAreRefusedAndRecalled)
{
    // A second program on the same collection: its own connection.
    Collection other(m_temp.folder());
    ASSERT_TRUE(other.openAll(false).ok());
    ASSERT_TRUE(m_collection->catHtml().insert({u"News"_s, u"Before Category"_s, u"<hr>"_s}).ok());

    CategoryForm mine(*m_collection,
                      m_ui,
                      m_errors,
                      FormRequest::Change,
                      CategoryForm::Variant::Tabbed,
                      u"News"_s);
    ASSERT_TRUE(mine.load());
    CategoryRecord theirs;
    ASSERT_TRUE(other.categories().get(u"News"_s, theirs).ok());
    theirs.Description = u"Their description"_s;
    ASSERT_TRUE(other.categories().change(u"News"_s, theirs).ok());

    // My rename is refused, the form shows their record, Ctrl+H puts only my rename back.
    mine.record().Category = u"Headlines"_s;
    EXPECT_FALSE(mine.save());
    EXPECT_EQ(lastTitle(), u"Record Was Not Updated"_s);
    EXPECT_TRUE(m_ui.last()->text.contains(u"Ctrl+H"_s));
    EXPECT_EQ(mine.failedEntry(), CategoryForm::Entry::Changed);
    EXPECT_EQ(mine.record().Category, u"News"_s);
    EXPECT_EQ(mine.record().Description, u"Their description"_s);
    EXPECT_FALSE(m_collection->categories().exists(u"Headlines"_s));
    ASSERT_TRUE(mine.canRecallChanges());
    mine.recallChanges();
    EXPECT_EQ(mine.record().Category, u"Headlines"_s);
    EXPECT_EQ(mine.record().Description, u"Their description"_s);
    ASSERT_TRUE(mine.save());
    EXPECT_FALSE(mine.canRecallChanges());
    CategoryRecord now;
    ASSERT_TRUE(m_collection->categories().get(u"Headlines"_s, now).ok());
    EXPECT_EQ(now.Description, u"Their description"_s);
    EXPECT_FALSE(m_collection->categories().exists(u"News"_s));

    // The other program deletes it before my next save: reported, nothing comes back.
    ASSERT_TRUE(other.categories().remove(u"Headlines"_s).ok());
    mine.record().Description = u"Too late"_s;
    EXPECT_FALSE(mine.save());
    EXPECT_EQ(lastTitle(), u"Record Retrieval Error"_s);
    EXPECT_TRUE(m_ui.last()->text.contains(u"changed or deleted by another station"_s));
    EXPECT_FALSE(m_collection->categories().exists(u"Headlines"_s));

    // The snippet form: same rule, same recall.
    CatHtmlForm snippet(*m_collection,
                        m_ui,
                        m_errors,
                        FormRequest::Change,
                        u"News"_s,
                        u"Before Category"_s);
    ASSERT_TRUE(snippet.load());
    ASSERT_TRUE(
        other.catHtml()
            .change(u"News"_s, u"Before Category"_s, {u"News"_s, u"Before Category"_s, u"<b>"_s})
            .ok());
    snippet.record().TypeOfHTML = u"After Category"_s;
    EXPECT_FALSE(snippet.save());
    EXPECT_TRUE(snippet.showsStoredAfterConflict());
    EXPECT_EQ(snippet.record().HTMLtoAdd, u"<b>"_s);
    EXPECT_EQ(snippet.record().TypeOfHTML, u"Before Category"_s);
    snippet.recallChanges();
    EXPECT_EQ(snippet.record().TypeOfHTML, u"After Category"_s);
    EXPECT_EQ(snippet.record().HTMLtoAdd, u"<b>"_s);
    ASSERT_TRUE(snippet.save());
    CatHtmlRecord moved;
    ASSERT_TRUE(m_collection->catHtml().get(u"News"_s, u"After Category"_s, moved).ok());
    EXPECT_EQ(moved.HTMLtoAdd, u"<b>"_s);
}

TEST_F(FormsLogic, RowsTheFormDidNotEditKeepAnotherProgramsChangesAlsoWhenTheAddressMoves)
{
    const QString address = u"http://rows.test/"_s;
    addLocation(address, u"News"_s);
    for (const char *word : {"alpha", "beta"}) {
        KeywordRecord k{address, 0, QString::fromLatin1(word)};
        ASSERT_TRUE(m_collection->keywords().insert(k).ok());
    }
    DetailRecord d{address, 0, u"Label"_s, u"Value"_s};
    ASSERT_TRUE(m_collection->details().insert(d).ok());

    LocationForm mine(*m_collection, m_ui, m_errors, FormRequest::Change, address);
    ASSERT_TRUE(mine.load());
    // Another program changes a keyword and the detail after the form read them.
    Collection other(m_temp.folder());
    ASSERT_TRUE(other.openAll(false).ok());
    ASSERT_TRUE(other.keywords().change(address, 1, {address, 1, u"ALPHA"_s}).ok());
    ASSERT_TRUE(other.details().change(address, 1, {address, 1, u"Label"_s, u"Theirs"_s}).ok());

    // I edit the second keyword and move the location to a new address.
    mine.changeKeyword(1, u"gamma"_s);
    mine.record().Location = u"http://rows.test/moved"_s;
    ASSERT_TRUE(mine.save());
    std::vector<KeywordRecord> keywords;
    ASSERT_TRUE(m_collection->keywords().list(u"http://rows.test/moved"_s, keywords).ok());
    ASSERT_EQ(keywords.size(), 2u);
    EXPECT_EQ(keywords[0].Keyword, u"ALPHA"_s);
    EXPECT_EQ(keywords[1].Keyword, u"gamma"_s);
    std::vector<DetailRecord> details;
    ASSERT_TRUE(m_collection->details().list(u"http://rows.test/moved"_s, details).ok());
    ASSERT_EQ(details.size(), 1u);
    EXPECT_EQ(details[0].DataValue, u"Theirs"_s);
    ASSERT_TRUE(m_collection->keywords().list(address, keywords).ok());
    EXPECT_TRUE(keywords.empty());
}

#include "browse/forms/widgets/askcategorydialog.h"
#include "browse/forms/widgets/calendardialog.h"
#include "browse/forms/widgets/categorybrowsewindow.h"
#include "browse/forms/widgets/categoryformdialog.h"
#include "browse/forms/widgets/categorytable.h"
#include "browse/forms/widgets/formsprocedures.h"
#include "browse/forms/widgets/cathtmldialog.h"
#include "browse/forms/widgets/locationformdialog.h"
#include "browse/forms/widgets/newlocationwizarddialog.h"
#include "browse/forms/widgets/selectcategorydialog.h"
#include "browse/list/browserefresh.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "platform/inifile.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "store/categorymanager.h"
#include "store/cathtmlmanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "store/picture.h"
#include "support/recordingstarter.h"
#include "support/tempcollection.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QGroupBox>
#include <QLabel>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

using namespace pk;

namespace {

/// No browser running: the wizard reads windows only.
SessionCapture noSessions()
{
    return {};
}

/// The accelerator letter of a text ("Co&mments:" -> 'M'), nothing without one.
QChar mnemonic(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1].toUpper();
    }
    return {};
}

/// Accelerator letters that more than one control of `window` shows at once (what is on a
/// hidden tab or page does not count: Qt does not act on it).
QStringList clashingAccelerators(QWidget *window)
{
    QMap<QChar, QStringList> owners;
    const auto widgets = window->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (!widget->isVisibleTo(window))
            continue;
        QString text;
        if (auto *label = qobject_cast<QLabel *>(widget); label && label->buddy())
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            text = button->text();
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            text = group->title();
        if (const QChar letter = mnemonic(text); !letter.isNull())
            owners[letter] << text;
    }
    QStringList clashes;
    for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
        if (it.value().size() > 1)
            clashes << it.value().join(QLatin1String(" / "));
    }
    return clashes;
}

} // namespace

class FormsWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void locationFormListsOnlyAssignableCategories();
    void locationFormKeepsAGoneCategoryUntilOneIsChosen();
    void locationFormTitlesAndDuplicateAddress();
    void locationFormClickOpensTheOriginalFile();
    void categoryBrowseShowsEveryCategoryAndFollowsRefreshes();
    void categoryFormTabsListOnlyItsRows();
    void htmlEditorStoresTheChosenType();
    void selectAndAskCategory();
    void calendarHasFortyTwoDaysAndReturnsTheGivenDateOnCancel();
    void wizardPicksACandidateAndInserts();
    void proceduresAreRegisteredByName();
    void formsOpenWithTheFocusOnTheirFirstEntry();
    void acceleratorsAreUniqueAmongWhatAWindowShows();
    void ctrlTabAndCtrlPageKeysSwitchTheFormsTabs();
    void badEntriesAreRefusedAndKeptForCorrection();
    void pastedControlCharactersAreCleanedWithANoticeAndAddressesRefused();
    void wizardRefusesABadExpiryDate();
    void wizardListsTheBrowsersPagesAndSaysWhyOthersAreMissing();
    void newLocationOfAnUnsavedCategoryOffersToSaveItFirst();
    void categoryWindowsShowAnotherProgramsChangeAndRecallMineWithCtrlH();

private:
    FormsContext context();
    void addLocation(const QString &address, const QString &category);

    std::unique_ptr<test::TempCollection> m_temp;
    std::unique_ptr<Collection> m_collection;
    std::unique_ptr<ScriptedUserInterface> m_ui;
    std::unique_ptr<ErrorManager> m_errors;
    std::unique_ptr<IniFile> m_ini;
    QStringList m_opened;
    std::unique_ptr<test::RecordingStarter> m_starter;
};

void FormsWindowsTest::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_temp = std::make_unique<test::TempCollection>();
    QDir().mkpath(m_temp->folder());
    m_collection = std::make_unique<Collection>(m_temp->folder());
    QVERIFY(m_collection->openAll(true).ok());
    for (const char *name : {"News", "_BEFORE all", "Tech", "_After All"}) {
        CategoryRecord c;
        c.Category = QString::fromLatin1(name);
        c.Description = QStringLiteral("About ") + c.Category;
        QVERIFY(m_collection->categories().insert(c).ok());
    }
    m_ui = std::make_unique<ScriptedUserInterface>();
    m_errors = std::make_unique<ErrorManager>(*m_ui);
    m_errors->setHaltHandler([](const QString &, const QString &) {});
    m_ini = std::make_unique<IniFile>(m_temp->root() + QStringLiteral("/POSITION.INI"));
    m_opened.clear();
    m_starter = std::make_unique<test::RecordingStarter>(m_errors.get());
    m_starter->defined = {QLatin1String(Procedure::UpdateLocation),
                          QLatin1String(Procedure::BrowseCategoryLocations)};
}

void FormsWindowsTest::cleanup()
{
    m_collection.reset();
    m_temp.reset();
}

FormsContext FormsWindowsTest::context()
{
    FormsContext c{*m_collection, *m_ui, *m_errors, m_ini.get(), {}, {}, {}};
    c.starter = m_starter.get();
    c.openFile = [this](const QString &file) {
        m_opened << file;
        return true;
    };
    return c;
}

void FormsWindowsTest::addLocation(const QString &address, const QString &category)
{
    LocationRecord r;
    r.Location = address;
    r.Description = QStringLiteral("Page ") + address;
    r.Category = category;
    QVERIFY(m_collection->locations().insert(r).ok());
}

void FormsWindowsTest::locationFormListsOnlyAssignableCategories()
{
    LocationFormDialog dialog(context(), FormRequest::Insert, {});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("New Location"));
    QStringList items;
    for (int i = 0; i < dialog.categoryBox()->count(); ++i)
        items << dialog.categoryBox()->itemText(i);
    QCOMPARE(items, QStringList({u"News"_s, u"Tech"_s}));
    QStringList tabs;
    for (int i = 0; i < dialog.tabs()->count(); ++i)
        tabs << dialog.tabs()->tabText(i);
    QCOMPARE(tabs,
             QStringList({u"General"_s, u"Site Info"_s, u"Additional Keywords"_s, u"Custom"_s}));

    // The description's guess fills a blank keyword.
    dialog.descriptionEdit()->setText(QStringLiteral("Top 10 Free Tools and Tips for the Web"));
    dialog.descriptionAccepted();
    QCOMPARE(dialog.keywordEdit()->text(), QStringLiteral("Tools"));
}

void FormsWindowsTest::locationFormKeepsAGoneCategoryUntilOneIsChosen()
{
    CategoryRecord old;
    old.Category = QStringLiteral("Old");
    QVERIFY(m_collection->categories().insert(old).ok());
    addLocation(QStringLiteral("http://a.test/"), QStringLiteral("Old"));
    QVERIFY(m_collection->categories().remove(QStringLiteral("Old")).ok());

    LocationFormDialog dialog(context(), FormRequest::Change, QStringLiteral("http://a.test/"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit Location"));
    QCOMPARE(dialog.categoryBox()->currentText(), QStringLiteral("Old"));
    dialog.show();
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(m_ui->last()->title, QStringLiteral("Field contents error"));
    QCOMPARE(dialog.tabs()->currentIndex(), 0);

    // "&Browse" puts the chosen category into the entry.
    dialog.setCategoryPicker([](const QString &typed, QWidget *) {
        return std::optional<QString>(typed == QStringLiteral("Old") ? QStringLiteral("Tech")
                                                                     : QString());
    });
    dialog.browseCategory();
    QCOMPARE(dialog.categoryBox()->currentText(), QStringLiteral("Tech"));
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    LocationRecord r;
    QVERIFY(m_collection->locations().get(QStringLiteral("http://a.test/"), r).ok());
    QCOMPARE(r.Category, QStringLiteral("Tech"));
}

void FormsWindowsTest::locationFormTitlesAndDuplicateAddress()
{
    addLocation(QStringLiteral("http://a.test/"), QStringLiteral("News"));
    {
        LocationFormDialog view(context(), FormRequest::View, QStringLiteral("http://a.test/"));
        QCOMPARE(view.windowTitle(), QStringLiteral("View Record"));
        QVERIFY(view.locationEdit()->isReadOnly());
    }
    LocationFormDialog dialog(context(), FormRequest::Insert, {});
    dialog.show();
    dialog.locationEdit()->setText(QStringLiteral("http://a.test/"));
    dialog.categoryBox()->setEditText(QStringLiteral("News"));
    // A date picked with "..." lands in its entry.
    dialog.setDatePicker([](qint32, const QString &title, QWidget *) {
        return title == QStringLiteral("Select last visit date")
                   ? DayNumber::fromDate(QDate(2020, 5, 6))
                   : 0;
    });
    const auto dateButtons = dialog.findChildren<QPushButton *>();
    for (QPushButton *button : dateButtons) {
        if (button->text() == QStringLiteral("...")) {
            button->click();
            break;
        }
    }
    QCOMPARE(dialog.lastVisitEdit()->text(),
             Picture::format(QStringLiteral("@d17"), DayNumber::fromDate(QDate(2020, 5, 6)))
                 .trimmed());
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(m_ui->last()->title, QStringLiteral("Duplicate Key Error"));
    dialog.locationEdit()->setText(QStringLiteral("http://b.test/"));
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    LocationRecord r;
    QVERIFY(m_collection->locations().get(QStringLiteral("http://b.test/"), r).ok());
    QCOMPARE(r.LastVisit, DayNumber::fromDate(QDate(2020, 5, 6)));
}

void FormsWindowsTest::locationFormClickOpensTheOriginalFile()
{
    QVERIFY(m_temp->writeFile(QStringLiteral("a.url"), "[InternetShortcut]\nURL=http://a.test/\n"));
    LocationRecord r;
    r.Location = QStringLiteral("http://a.test/");
    r.Category = QStringLiteral("News");
    r.OriginalFilename = m_temp->path(QStringLiteral("a.url"));
    QVERIFY(m_collection->locations().insert(r).ok());
    LocationFormDialog dialog(context(), FormRequest::Change, r.Location);
    dialog.show();
    QCOMPARE(dialog.originalFile()->text(), r.OriginalFilename);
    QTest::mouseClick(dialog.originalFile(), Qt::LeftButton);
    QCOMPARE(m_opened, QStringList{r.OriginalFilename});
}

void FormsWindowsTest::categoryBrowseShowsEveryCategoryAndFollowsRefreshes()
{
    CategoryBrowseWindow window(context());
    QAbstractItemModelTester tester(window.table()->model());
    QCOMPARE(window.windowTitle(), QStringLiteral("Browse Categories"));
    QCOMPARE(window.table()->model()->rowCount(), 4);
    QCOMPARE(window.table()->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("Category"));
    QCOMPARE(window.table()->model()->headerData(1, Qt::Horizontal).toString(),
             QStringLiteral("Description"));
    QVERIFY(window.findChild<QPushButton *>(QStringLiteral("locations")) != nullptr);

    window.locator()->setText(QStringLiteral("te"));
    emit window.locator()->textEdited(QStringLiteral("te"));
    QCOMPARE(window.table()->model()->index(window.currentRow(), 0).data().toString(),
             QStringLiteral("Tech"));

    window.showLocations();
    QCOMPARE(m_starter->started(), QStringList{QLatin1String(Procedure::BrowseCategoryLocations)});
    QVERIFY(m_starter->calls[0].as<CategoryLocationsRequest>());
    QCOMPARE(m_starter->calls[0].as<CategoryLocationsRequest>()->category, QStringLiteral("Tech"));

    CategoryRecord added;
    added.Category = QStringLiteral("Added");
    QVERIFY(m_collection->categories().insert(added).ok());
    BrowseRefresh::instance().request();
    QTRY_COMPARE(window.table()->model()->rowCount(), 5);

    // F3 before any search says so.
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.table(), Qt::Key_F3);
    QVERIFY(!m_ui->messages().isEmpty());
    QCOMPARE(m_ui->messages().last(), QStringLiteral("No search criteria specified."));

    // Delete asks first; "No" keeps the category.
    m_ui->push(false);
    window.remove();
    QCOMPARE(window.table()->model()->rowCount(), 5);
    m_ui->push(true);
    window.remove();
    QCOMPARE(window.table()->model()->rowCount(), 4);
}

void FormsWindowsTest::categoryFormTabsListOnlyItsRows()
{
    addLocation(QStringLiteral("http://a.test/"), QStringLiteral("News"));
    addLocation(QStringLiteral("http://b.test/"), QStringLiteral("Tech"));
    CatHtmlRecord snippet{QStringLiteral("News"),
                          QStringLiteral("After Category"),
                          QStringLiteral("<hr>")};
    QVERIFY(m_collection->catHtml().insert(snippet).ok());
    CatHtmlRecord other{QStringLiteral("Tech"),
                        QStringLiteral("Replace Title"),
                        QStringLiteral("<h1>")};
    QVERIFY(m_collection->catHtml().insert(other).ok());

    CategoryFormDialog tabbed(context(),
                              FormRequest::Change,
                              CategoryForm::Variant::Tabbed,
                              QStringLiteral("News"));
    QCOMPARE(tabbed.windowTitle(), QStringLiteral("Edit Category"));
    QCOMPARE(tabbed.tabs()->count(), 3);
    QCOMPARE(tabbed.tabs()->tabText(1), QStringLiteral("HTML"));
    QCOMPARE(tabbed.snippetTable()->model()->rowCount(), 1);
    QCOMPARE(tabbed.snippetTable()->model()->index(0, 0).data().toString(),
             QStringLiteral("After Category"));
    QCOMPARE(tabbed.locationTable()->model()->rowCount(), 1);
    QCOMPARE(tabbed.locationTable()->model()->index(0, 1).data().toString(),
             QStringLiteral("http://a.test/"));

    CategoryFormDialog single(context(), FormRequest::Insert, CategoryForm::Variant::NoMdi, {});
    QCOMPARE(single.windowTitle(), QStringLiteral("Category Will Be Added"));
    QCOMPARE(single.tabs()->count(), 1);
    single.show();
    single.accept();
    QVERIFY(single.isVisible());
    QCOMPARE(m_ui->last()->title, QStringLiteral("Missing Information"));
    single.categoryEdit()->setText(QStringLiteral("tech"));
    single.accept();
    QCOMPARE(m_ui->last()->title, QStringLiteral("Duplicate Key Error"));
    single.categoryEdit()->setText(QStringLiteral("Science"));
    single.accept();
    QVERIFY(!single.isVisible());
    QVERIFY(m_collection->categories().exists(QStringLiteral("Science")));
    QVERIFY(m_ini->contains(QStringLiteral("UpdateCategoriesNoMDI"), QStringLiteral("X"))
            || !m_ini->keys(QStringLiteral("UpdateCategoriesNoMDI")).isEmpty());
}

void FormsWindowsTest::htmlEditorStoresTheChosenType()
{
    CatHtmlDialog dialog(context(), FormRequest::Insert, QStringLiteral("News"), {});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("New HTML"));
    QCOMPARE(dialog.types()->checkedButton()->text(), QStringLiteral("&Before Category"));
    QStringList options;
    for (QAbstractButton *button : dialog.types()->buttons())
        options << button->text();
    QCOMPARE(options,
             QStringList({u"&Replace Title"_s,
                          u"&Before Category"_s,
                          u"Before &Category Title"_s,
                          u"After Category &Title"_s,
                          u"&After Category"_s}));
    dialog.types()->button(4)->setChecked(true);
    dialog.htmlEdit()->setPlainText(QStringLiteral("<p>end</p>"));
    dialog.show();
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    CatHtmlRecord r;
    QVERIFY(m_collection->catHtml()
                .get(QStringLiteral("News"), QStringLiteral("After Category"), r)
                .ok());
    QCOMPARE(r.HTMLtoAdd, QStringLiteral("<p>end</p>"));
}

void FormsWindowsTest::selectAndAskCategory()
{
    SelectCategoryDialog select(context(), QStringLiteral("Sci"));
    QCOMPARE(select.windowTitle(), QStringLiteral("Select Category"));
    QCOMPARE(select.categories()->table()->model()->rowCount(), 4);
    // "Sci" names no category: the list stands on the next one.
    const int row = select.categories()->currentRow();
    QCOMPARE(select.categories()->table()->model()->index(row, 0).data().toString(),
             QStringLiteral("Tech"));
    select.show();
    select.accept();
    QCOMPARE(select.selected(), QStringLiteral("Tech"));

    LocationRecord location;
    location.Location = QStringLiteral("http://a.test/");
    location.Description = QStringLiteral("A page");
    AskCategoryDialog ask(context(), location, QStringLiteral("Imported  "));
    QCOMPARE(ask.windowTitle(), QStringLiteral("Category Assignment"));
    QCOMPARE(ask.bestGuess()->text(), QStringLiteral("Best Guess:  Imported"));
    QCOMPARE(ask.categories()->table()->model()->rowCount(), 2);
    ask.categories()->selectRow(1);
    ask.select();
    QCOMPARE(ask.logic().category(), QStringLiteral("Tech"));
    ask.useBestGuess();
    QCOMPARE(ask.logic().category(), QString());
}

void FormsWindowsTest::calendarHasFortyTwoDaysAndReturnsTheGivenDateOnCancel()
{
    const qint32 given = DayNumber::fromDate(QDate(2026, 8, 20));
    CalendarDialog calendar(given, QString());
    QCOMPARE(calendar.windowTitle(), QStringLiteral("Select Date"));
    int visible = 0;
    for (int cell = 0; cell < CalendarMonth::Cells; ++cell)
        visible += calendar.dayButton(cell)->isVisibleTo(&calendar) ? 1 : 0;
    QCOMPARE(visible, 31);
    QCOMPARE(calendar.dayButton(6)->text(), QStringLiteral("1"));
    calendar.show();
    calendar.reject();
    QCOMPARE(calendar.result(), given);

    CalendarDialog pick(given, QStringLiteral("Select expiry date"));
    QCOMPARE(pick.windowTitle(), QStringLiteral("Select expiry date"));
    pick.show();
    pick.dayButton(6 + 9)->click(); // 10 August
    QCOMPARE(pick.result(), DayNumber::fromDate(QDate(2026, 8, 10)));

    CalendarDialog today(given, QString());
    today.show();
    today.findChild<QPushButton *>(QStringLiteral("today"))->click();
    QCOMPARE(today.result(), DayNumber::today());
}

void FormsWindowsTest::wizardPicksACandidateAndInserts()
{
    const auto windows = [] {
        return std::vector<TopLevelWindow>{{1,
                                            QStringLiteral("One"),
                                            {QStringLiteral("https://one.test/")}},
                                           {2, QStringLiteral("Two - http://two.test/"), {}}};
    };
    NewLocationWizardDialog wizard(context(), QString(), windows, nullptr, noSessions);
    QCOMPARE(wizard.windowTitle(), QStringLiteral("Update Location Information"));
    QCOMPARE(wizard.pages()->currentIndex(), 0);
    QCOMPARE(wizard.candidateTable()->model()->rowCount(), 2);
    QCOMPARE(wizard.candidateTable()->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("Browser Window"));
    wizard.candidateTable()->selectRow(1);
    wizard.show();
    wizard.next();
    QCOMPARE(wizard.pages()->currentIndex(), 1);
    QCOMPARE(wizard.locationEdit()->text(), QStringLiteral("http://two.test/"));
    QCOMPARE(wizard.descriptionEdit()->text(), QStringLiteral("Two - http://two.test/"));
    QCOMPARE(wizard.keywordEdit()->text(), QStringLiteral("http"));
    QCOMPARE(wizard.categoryBox()->currentText(), QStringLiteral("News"));
    wizard.next();
    QCOMPARE(wizard.pages()->currentIndex(), 2);
    QVERIFY(!wizard.nextButton()->isEnabled());
    wizard.finish();
    QVERIFY(!wizard.isVisible());
    LocationRecord r;
    QVERIFY(m_collection->locations().get(QStringLiteral("http://two.test/"), r).ok());
    QCOMPARE(r.Keyword, QStringLiteral("http"));

    NewLocationWizardDialog typed(context(), QStringLiteral("http://typed.test/"), windows);
    QVERIFY(typed.notesLabel()->isHidden());
    QCOMPARE(typed.pages()->currentIndex(), 1);
    QVERIFY(!typed.backButton()->isEnabled());
    QCOMPARE(typed.locationEdit()->text(), QStringLiteral("http://typed.test/"));
}

void FormsWindowsTest::proceduresAreRegisteredByName()
{
    registerLocationForms();
    for (const char *name : {"UpdatePATHKEEP",
                             "Wizard:NewURL",
                             "BrowseCategories",
                             "UpdateCategories",
                             "UpdateCategoriesNoMDI",
                             "UpdateCatHTML",
                             "SelectCategories",
                             "BrowseLocationByCategory"})
        QVERIFY2(ProcedureRegistry::instance().contains(QLatin1String(name)), name);
}

QTEST_MAIN(FormsWindowsTest)

void FormsWindowsTest::formsOpenWithTheFocusOnTheirFirstEntry()
{
    LocationFormDialog form(context(), FormRequest::Insert, {});
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), form.locationEdit());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("http://typed.test/"));
    QCOMPARE(form.locationEdit()->text(), QStringLiteral("http://typed.test/"));
    // Tab goes on along the row: the location's Analyze button, then the description.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("analyze"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.descriptionEdit());
    form.reject();

    CategoryFormDialog category(context(), FormRequest::Insert, CategoryForm::Variant::Tabbed, {});
    category.show();
    QVERIFY(QTest::qWaitForWindowActive(&category));
    QCOMPARE(QApplication::focusWidget(), category.categoryEdit());
    category.reject();

    CatHtmlDialog html(context(), FormRequest::Insert, QStringLiteral("News"), {});
    html.show();
    QVERIFY(QTest::qWaitForWindowActive(&html));
    QCOMPARE(QApplication::focusWidget(), html.htmlEdit());
    html.reject();

    NewLocationWizardDialog wizard(
        context(), {}, [] { return std::vector<TopLevelWindow>{}; }, nullptr, noSessions);
    wizard.show();
    QVERIFY(QTest::qWaitForWindowActive(&wizard));
    QCOMPARE(QApplication::focusWidget(), wizard.locationEdit());
    wizard.reject();
}

void FormsWindowsTest::acceleratorsAreUniqueAmongWhatAWindowShows()
{
    LocationFormDialog form(context(), FormRequest::Insert, {});
    form.show();
    for (int tab = 0; tab < form.tabs()->count(); ++tab) {
        form.tabs()->setCurrentIndex(tab);
        QVERIFY2(clashingAccelerators(&form).isEmpty(),
                 qPrintable(form.tabs()->tabText(tab) + QLatin1String(": ")
                            + clashingAccelerators(&form).join(u", ")));
    }

    NewLocationWizardDialog wizard(
        context(), {}, [] { return std::vector<TopLevelWindow>{}; }, nullptr, noSessions);
    wizard.show();
    for (int page = 0; page < wizard.pages()->count(); ++page) {
        wizard.pages()->setCurrentIndex(page);
        QVERIFY2(clashingAccelerators(&wizard).isEmpty(),
                 qPrintable(clashingAccelerators(&wizard).join(u", ")));
    }
    // Every prompt with an accelerator has an entry to go to, so its '&' never shows.
    for (QLabel *label : wizard.findChildren<QLabel *>()) {
        if (!mnemonic(label->text()).isNull())
            QVERIFY2(label->buddy(), qPrintable(label->text()));
    }

    CategoryFormDialog category(context(), FormRequest::Insert, CategoryForm::Variant::Tabbed, {});
    category.show();
    for (int tab = 0; tab < category.tabs()->count(); ++tab) {
        category.tabs()->setCurrentIndex(tab);
        QVERIFY2(clashingAccelerators(&category).isEmpty(),
                 qPrintable(clashingAccelerators(&category).join(u", ")));
    }
    CatHtmlDialog html(context(), FormRequest::Insert, QStringLiteral("News"), {});
    html.show();
    QVERIFY(clashingAccelerators(&html).isEmpty());
}

void FormsWindowsTest::ctrlTabAndCtrlPageKeysSwitchTheFormsTabs()
{
    LocationFormDialog form(context(), FormRequest::Insert, {});
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(form.tabs()->currentIndex(), 1);
    // The focus moved into the tab shown: the next key goes on from there.
    QVERIFY(form.tabs()->currentWidget()->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(form.tabs()->currentIndex(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(form.tabs()->currentIndex(), 1);
    QTest::keyClick(QApplication::focusWidget(),
                    Qt::Key_Backtab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form.tabs()->currentIndex(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(form.tabs()->currentIndex(), 3); // round to the last tab

    CategoryFormDialog category(context(),
                                FormRequest::Change,
                                CategoryForm::Variant::Tabbed,
                                QStringLiteral("News"));
    category.show();
    QVERIFY(QTest::qWaitForWindowActive(&category));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(category.tabs()->currentIndex(), 1);
}

void FormsWindowsTest::badEntriesAreRefusedAndKeptForCorrection()
{
    LocationFormDialog form(context(), FormRequest::Insert, {});
    form.show();
    form.locationEdit()->setText(QStringLiteral("http://d.test/"));
    form.categoryBox()->setEditText(QStringLiteral("News"));
    auto *pageSize = form.findChild<QLineEdit *>(QStringLiteral("pageSize"));
    auto *expires = form.findChild<QLineEdit *>(QStringLiteral("expires"));
    QVERIFY(pageSize && expires);

    const QString validDate
        = Picture::format(QStringLiteral("@d17"), DayNumber::fromDate(QDate(2024, 2, 29))).trimmed();
    const struct
    {
        QLineEdit *entry;
        QString typed;
        QString fixed;
    } cases[] = {
        {form.lastVisitEdit(), QStringLiteral("garbage"), validDate},
        {form.lastVisitEdit(), QStringLiteral("29 Feb 2023"), validDate},
        {expires, QStringLiteral("1700-01-01"), QString()},
        {expires, QStringLiteral("2100-01-01"), QString()},
        {pageSize, QStringLiteral("12abc"), QStringLiteral("12")},
        {pageSize, QStringLiteral("99999999999999"), QStringLiteral("1,234")},
    };
    for (const auto &c : cases) {
        c.entry->setText(c.typed);
        form.tabs()->setCurrentIndex(0);
        const int shown = int(m_ui->interactions().size());
        form.accept();
        QVERIFY2(form.isVisible(), qPrintable(c.typed));
        QCOMPARE(int(m_ui->interactions().size()), shown + 1);
        QCOMPARE(m_ui->last()->title, QStringLiteral("Invalid Entry"));
        QVERIFY(m_ui->last()->text.contains(c.typed));
        QCOMPARE(c.entry->text(), c.typed);       // kept for correction
        QCOMPARE(form.tabs()->currentIndex(), 1); // on the tab that holds it
        QVERIFY(!m_collection->locations().exists(QStringLiteral("http://d.test/")));
        c.entry->setText(c.fixed);
    }
    form.accept();
    QVERIFY(!form.isVisible());
    LocationRecord r;
    QVERIFY(m_collection->locations().get(QStringLiteral("http://d.test/"), r).ok());
    QCOMPARE(r.LastVisit, DayNumber::fromDate(QDate(2024, 2, 29)));
    QCOMPARE(r.PageSize, 1234);
    QCOMPARE(r.Expires, 0);
}

void FormsWindowsTest::pastedControlCharactersAreCleanedWithANoticeAndAddressesRefused()
{
    LocationFormDialog form(context(), FormRequest::Insert, {});
    form.show();
    // An address is never changed behind the user's back: refused as typed, with the reason.
    const QString tooLong = QStringLiteral("http://e.test/") + QString(2035, QLatin1Char('p'));
    for (const QString &address : {QStringLiteral("http://e.test/\u0007page"), tooLong}) {
        form.locationEdit()->setText(address);
        form.categoryBox()->setEditText(QStringLiteral("News"));
        form.accept();
        QVERIFY(form.isVisible());
        QCOMPARE(m_ui->last()->title, QStringLiteral("Invalid Entry"));
        QVERIFY(m_ui->last()->text.contains(QStringLiteral("It was not stored")));
        QCOMPARE(form.locationEdit()->text(), address);
    }
    QVERIFY(m_ui->last()->text.contains(QStringLiteral("2049 characters")));
    form.locationEdit()->setText(QStringLiteral("http://e.test/page"));
    form.keywordEdit()->setText(QStringLiteral("k").repeated(25));
    form.accept();
    QVERIFY(form.isVisible());
    QVERIFY(m_ui->last()->text.contains(QStringLiteral("20 characters")));
    QCOMPARE(form.keywordEdit()->text(), QStringLiteral("k").repeated(20));
    form.accept();
    QVERIFY(!form.isVisible());
    QVERIFY(m_collection->locations().exists(QStringLiteral("http://e.test/page")));
}

void FormsWindowsTest::wizardListsTheBrowsersPagesAndSaysWhyOthersAreMissing()
{
    const QString note = QStringLiteral("Firefox has no session file (it writes one within "
                                        "seconds of a change, unless session restore is turned "
                                        "off): its pages are not listed.");
    const auto sessions = [note] {
        return SessionCapture{{{QStringLiteral("Chromium"),
                                QStringLiteral("Grab Me Page"),
                                QStringLiteral("http://127.0.0.1:8791/page.html")},
                               {QStringLiteral("Chromium"),
                                QStringLiteral("Other Page"),
                                QStringLiteral("http://127.0.0.1:8791/other.html")}},
                              {note}};
    };
    const auto windows = [] {
        return std::vector<TopLevelWindow>{{1, QStringLiteral("Other Page - Chromium"), {}}};
    };
    NewLocationWizardDialog wizard(context(), QString(), windows, nullptr, sessions);
    QCOMPARE(wizard.pages()->currentIndex(), 0);
    QCOMPARE(wizard.notesLabel()->text(), note);
    QVERIFY(!wizard.notesLabel()->isHidden());
    const QAbstractItemModel *model = wizard.candidateTable()->model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("Other Page - Chromium"));
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("Grab Me Page"));
    QCOMPARE(model->index(1, 1).data().toString(),
             QStringLiteral("http://127.0.0.1:8791/page.html"));
    wizard.candidateTable()->selectRow(1);
    wizard.next();
    QCOMPARE(wizard.locationEdit()->text(), QStringLiteral("http://127.0.0.1:8791/page.html"));
    QCOMPARE(wizard.descriptionEdit()->text(), QStringLiteral("Grab Me Page"));
    wizard.reject();

    // A typed address reads no browser at all.
    bool read = false;
    NewLocationWizardDialog typed(context(),
                                  QStringLiteral("http://typed.test/"),
                                  windows,
                                  nullptr,
                                  [&read] {
                                      read = true;
                                      return SessionCapture{};
                                  });
    QVERIFY(!read);
}

void FormsWindowsTest::wizardRefusesABadExpiryDate()
{
    NewLocationWizardDialog wizard(
        context(),
        QStringLiteral("http://w.test/"),
        [] { return std::vector<TopLevelWindow>{}; },
        nullptr,
        noSessions);
    wizard.show();
    wizard.next();
    QCOMPARE(wizard.pages()->currentIndex(), 2);
    auto *expires = wizard.findChild<QLineEdit *>(QStringLiteral("expires"));
    QVERIFY(expires);
    expires->setText(QStringLiteral("garbage"));
    wizard.finish();
    QVERIFY(wizard.isVisible());
    QCOMPARE(m_ui->last()->title, QStringLiteral("Invalid Entry"));
    QCOMPARE(expires->text(), QStringLiteral("garbage"));
    QVERIFY(!m_collection->locations().exists(QStringLiteral("http://w.test/")));
    expires->clear();
    wizard.finish();
    QVERIFY(!wizard.isVisible());
    QVERIFY(m_collection->locations().exists(QStringLiteral("http://w.test/")));
}

void FormsWindowsTest::newLocationOfAnUnsavedCategoryOffersToSaveItFirst()
{
    CategoryFormDialog form(context(), FormRequest::Insert, CategoryForm::Variant::Tabbed, {});
    form.show();
    form.categoryEdit()->setText(QStringLiteral("Music"));
    auto *newLocation = form.findChild<QPushButton *>(QStringLiteral("location_new"));
    QVERIFY(newLocation);
    m_ui->push(false);
    newLocation->click();
    QVERIFY(m_starter->calls.empty());
    QVERIFY(!m_collection->categories().exists(QStringLiteral("Music")));

    m_ui->push(true);
    newLocation->click();
    QVERIFY(m_collection->categories().exists(QStringLiteral("Music")));
    QCOMPARE(m_starter->started(), QStringList{QLatin1String(Procedure::UpdateLocation)});
    const auto *request = m_starter->calls.front().as<LocationFormRequest>();
    QVERIFY(request);
    QCOMPARE(request->action, FormRequest::Insert);
    QCOMPARE(request->category, QStringLiteral("Music"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Edit Category"));
    // The category is saved: OK now changes it rather than adding it a second time.
    form.descriptionEdit()->setPlainText(QStringLiteral("Songs"));
    form.accept();
    QVERIFY(!form.isVisible());
    CategoryRecord c;
    QVERIFY(m_collection->categories().get(QStringLiteral("Music"), c).ok());
    QCOMPARE(c.Description, QStringLiteral("Songs"));
}

void FormsWindowsTest::categoryWindowsShowAnotherProgramsChangeAndRecallMineWithCtrlH()
{
    // Another program on the same collection changes what the open forms show.
    Collection other(m_temp->folder());
    QVERIFY(other.openAll(false).ok());
    QVERIFY(m_collection->catHtml().insert({u"News"_s, u"Replace Title"_s, u"<h1>"_s}).ok());

    CategoryFormDialog form(context(),
                            FormRequest::Change,
                            CategoryForm::Variant::NoMdi,
                            QStringLiteral("News"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(other.categories().change(u"News"_s, {u"News"_s, 0, u"Theirs"_s}).ok());
    form.descriptionEdit()->setPlainText(u"Mine"_s);
    form.accept();
    QVERIFY(form.isVisible());
    QCOMPARE(m_ui->last()->title, u"Record Was Not Updated"_s);
    QCOMPARE(form.descriptionEdit()->toPlainText(), u"Theirs"_s);
    QTest::keyClick(&form, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(form.descriptionEdit()->toPlainText(), u"Mine"_s);
    form.accept();
    QVERIFY(!form.isVisible());
    CategoryRecord category;
    QVERIFY(m_collection->categories().get(u"News"_s, category).ok());
    QCOMPARE(category.Description, u"Mine"_s);

    CatHtmlDialog snippet(context(), FormRequest::Change, u"News"_s, u"Replace Title"_s);
    snippet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&snippet));
    QVERIFY(other.catHtml()
                .change(u"News"_s, u"Replace Title"_s, {u"News"_s, u"After Category"_s, u"<b>"_s})
                .ok());
    snippet.htmlEdit()->setPlainText(u"<i>"_s);
    snippet.accept();
    QVERIFY(snippet.isVisible());
    QCOMPARE(m_ui->last()->title, u"Record Retrieval Error"_s);
    // Gone under its old type: nothing written, the user's text stays in the entry.
    QCOMPARE(snippet.htmlEdit()->toPlainText(), u"<i>"_s);
    CatHtmlRecord stored;
    QVERIFY(m_collection->catHtml().get(u"News"_s, u"After Category"_s, stored).ok());
    QCOMPARE(stored.HTMLtoAdd, u"<b>"_s);
}

#include "formswindows_test.moc"

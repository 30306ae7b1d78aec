#include "framework/scripteduserinterface.h"
#include "platform/appfolders.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/procedurerequests.h"
#include "shell/collectionfilecheck.h"
#include "shell/shell.h"
#include "shell/widgets/fontconversion.h"
#include "shell/widgets/helpwindow.h"
#include "shell/widgets/mainframe.h"
#include "shell/widgets/optionswindow.h"
#include "shell/widgets/procedurelauncher.h"
#include "shell/widgets/splashwindow.h"
#include "store/collection.h"
#include "store/configurationmanager.h"
#include "support/tempcollection.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QDir>
#include <QFile>
#include <QApplication>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QToolBar>

#include <memory>

#include "linkcheck/webchecksettings.h"
#include "platform/inifile.h"

using namespace pk;

class MainFrameTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void titleFollowsPreparation();
    void menuItemsCarryTextShortcutAndTip();
    void toolBarButtonsCarryTips();
    void undefinedProcedureReportsMessage27();
    void registeredProcedureOpensAsNumberedChildWindow();
    void windowStartedFromAWindowOpensInTheFrame();
    void menuCommandClosesSplashFirst();
    void openingAnotherCollectionClosesChildWindows();
    void optionsOkWritesSettings();
    void optionsRefuseProtectionWithoutAPassword();
    void optionsCancelRereadsSettings();
    void optionsTestingTabWritesTheIniSection();
    void statusBarShowsFolderAndDate();
    void themeChoiceIsStoredAndApplied();
    void screenFontConvertsBothWays();
    void helpOpensContentsAndIndex();
    void helpWindowOpensOverTheFrameAndClosesByKey();
    void progressWindowsStayAboveTheFrameAndAreNeverMaximised();

private:
    QAction *findAction(const QString &text) const;

    std::unique_ptr<test::TempCollection> m_temp;
    std::unique_ptr<ScriptedUserInterface> m_ui;
    std::unique_ptr<Shell> m_shell;
    std::unique_ptr<MainFrame> m_frame;
    QString m_oldDir;
};

void MainFrameTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    AppFolders::setDataFolder(QStringLiteral(PK_DATA_SOURCE_DIR));
    m_oldDir = QDir::currentPath();
}

void MainFrameTest::init()
{
    m_temp = std::make_unique<test::TempCollection>();
    QVERIFY(QDir::setCurrent(m_temp->folder()));
    m_ui = std::make_unique<ScriptedUserInterface>();
    m_shell = std::make_unique<Shell>(*m_ui);
    m_shell->setHaltHandler([](const QString &end) { QFAIL(qPrintable(end)); });
    m_frame = std::make_unique<MainFrame>(*m_shell);
    QVERIFY(m_shell->prepare());
}

void MainFrameTest::cleanup()
{
    m_frame.reset();
    m_shell.reset();
    m_ui.reset();
    QDir::setCurrent(m_oldDir);
    m_temp.reset();
    ProcedureRegistry::instance().remove(QStringLiteral("BrowsePATHKEEP"));
    ProcedureRegistry::instance().remove(QLatin1String(Procedure::UpdateLocation));
}

QAction *MainFrameTest::findAction(const QString &text) const
{
    const QList<QAction *> all = m_frame->menuBar()->findChildren<QAction *>();
    for (QAction *a : all) {
        if (a->text() == text && !a->menu())
            return a;
    }
    return nullptr;
}

void MainFrameTest::titleFollowsPreparation()
{
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("Pathkeep (Initializing...)"));
    m_frame->open();
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("Pathkeep 2005"));
}

void MainFrameTest::menuItemsCarryTextShortcutAndTip()
{
    struct Item
    {
        const char *text;
        const char *shortcut;
        const char *tip;
    };
    const Item items[] = {
        {"&New Database", "Ctrl+N", "Create new database"},
        {"&Open Database", "Ctrl+O", "Open existing database"},
        {"&Backup and Restore", "Ctrl+Shift+B", "Backup and restore data"},
        {"&Import", "Ctrl+Shift+I", ""},
        {"&Export", "Ctrl+Shift+E", "Export to HTML or  ASCII"},
        {"&Import from Pathkeep 1.x", "", "Import from Pathkeep 1.x database in another directory"},
        {"&Repair Databases", "", "Options that MAY repair damaged databases"},
        {"&Print Setup ...", "", "Setup printer"},
        {"Screen Font Setup...", "", ""},
        {"E&xit", "", "Exit this application"},
        {"&Locations", "Ctrl+Shift+L", "Browse URL (Internet locations)"},
        {"L&ocations by Category", "Ctrl+Shift+C", "Browse locations within each category"},
        {"Locations by Detail", "Ctrl+Shift+D", "Details and Locations"},
        {"Report &Wizard", "Ctrl+Shift+R", ""},
        {"Locations by &Description", "", "Print ordered by Description"},
        {"Locations by &Rating", "", "Print ordered by Rating key"},
        {"&Options", "", "Options"},
        {"Get URL from Browser", "Ctrl+Shift+U", ""},
        {"&Clipboard Monitor", "Ctrl+Shift+M", "Monitor clipboard for URLs..."},
        {"Analy&ze Multiple Links", "Ctrl+Shift+A", ""},
        {"&Validate Multiple Links", "", ""},
        {"Validate &Internet Explorer Links", "", ""},
        {"&Search and Replace", "", "Search and replace in multiple records"},
        {"&Remove Invalid Links", "", "Remove all invalid links"},
        {"&Query and remote", "", ""},
        {"&Themes", "", "Select an active theme"},
        {"T&ile", "", "Make all open windows visible"},
        {"&Cascade", "", "Stack all open windows"},
        {"&Arrange Icons", "", "Align all window icons"},
        {"&Contents", "", "View the contents of the help file"},
        {"&Pathkeep Home Page", "", ""},
        {"E-Mail for &Support", "", ""},
        {"&About", "", "About This Program"},
    };
    for (const Item &item : items) {
        const QString text = QString::fromUtf8(item.text);
        QAction *action = findAction(text);
        QVERIFY2(action, qPrintable(text));
        QCOMPARE(action->shortcut().toString(), QString::fromUtf8(item.shortcut));
        QCOMPARE(action->statusTip(), QString::fromUtf8(item.tip));
    }
}

void MainFrameTest::toolBarButtonsCarryTips()
{
    auto *bar = m_frame->findChild<QToolBar *>(QStringLiteral("mainToolBar"));
    QVERIFY(bar);
    QStringList tips;
    for (QAction *a : bar->actions()) {
        if (a->isSeparator())
            continue;
        tips << a->statusTip();
        // Every button shows a picture: the desktop theme's or the program's own drawing.
        QVERIFY2(!a->icon().pixmap(24, 24).isNull(), qPrintable(a->text()));
    }
    QCOMPARE(tips,
             (QStringList{QStringLiteral("Program options"),
                          QStringLiteral("Start clipboard monitor (add many URLs quickly)"),
                          QStringLiteral("Test all URLs"),
                          QString(),
                          QString(),
                          QString(),
                          QStringLiteral("Print list of locations"),
                          QStringLiteral("View all links"),
                          QStringLiteral("View links by category")}));
}

void MainFrameTest::undefinedProcedureReportsMessage27()
{
    QAction *import = findAction(QStringLiteral("&Import"));
    QVERIFY(import);
    import->trigger();
    QVERIFY(m_ui->last());
    QCOMPARE(m_ui->last()->title, QStringLiteral("Procedure not defined"));
    QCOMPARE(m_ui->last()->text,
             QStringLiteral("The Procedure Wizard:Import has not been defined."));
    QVERIFY(m_frame->mdiArea()->subWindowList().isEmpty());
}

void MainFrameTest::registeredProcedureOpensAsNumberedChildWindow()
{
    ProcedureRegistry::instance().add(QStringLiteral("BrowsePATHKEEP"), [](const ProcedureCall &) {
        auto *w = new QLabel(QStringLiteral("locations"));
        w->setWindowTitle(QStringLiteral("Browse Locations"));
        return w;
    });
    m_frame->open();
    m_frame->openStartupList();
    QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 1);
    QCOMPARE(m_shell->threads().find(QStringLiteral("BrowsePATHKEEP")), 2);
    QVERIFY(m_ui->interactions().isEmpty());

    QMdiSubWindow *sub = m_frame->launcher().window(2);
    QVERIFY(sub);
    sub->setGeometry(5, 6, 321, 222);
    QSignalSpy gone(sub, &QObject::destroyed);
    m_shell->threads().closeAll();
    QVERIFY(gone.wait(2000));
    QCOMPARE(m_shell->threads().count(), 0);
    QCOMPARE(m_shell->positionIni().intValue(QStringLiteral("BrowsePATHKEEP"),
                                             QStringLiteral("Width")),
             321);
}

void MainFrameTest::windowStartedFromAWindowOpensInTheFrame()
{
    // A list starts the form through the starter its call carries: the frame's launcher.
    ProcedureStarter *listStarter = nullptr;
    ProcedureRegistry::instance().add(QStringLiteral("BrowsePATHKEEP"),
                                      [&](const ProcedureCall &call) {
                                          listStarter = &call.starter;
                                          return new QLabel(QStringLiteral("locations"));
                                      });
    LocationFormRequest formRequest;
    ProcedureRegistry::instance().add<LocationFormRequest>(
        [&](const ProcedureCall &, const LocationFormRequest &request) {
            formRequest = request;
            return new QLabel(QStringLiteral("form"));
        });
    m_frame->open();
    m_frame->openStartupList();
    QVERIFY(listStarter);
    QCOMPARE(listStarter, static_cast<ProcedureStarter *>(&m_frame->launcher()));

    QVERIFY(listStarter->isDefined(QLatin1String(Procedure::UpdateLocation)));
    QVERIFY(listStarter->start(LocationFormRequest{.action = FormRequest::Delete,
                                                   .location = QStringLiteral("http://a/")}));
    QCOMPARE(formRequest.action, FormRequest::Delete);
    QCOMPARE(formRequest.location, QStringLiteral("http://a/"));
    QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 2);
    QCOMPARE(m_shell->threads().find(QLatin1String(Procedure::UpdateLocation)), 3);

    // A request of another type than the procedure takes reaches no procedure.
    QVERIFY(!listStarter->start(QLatin1String(Procedure::UpdateLocation),
                                CategoryFormRequest{FormRequest::Change, QStringLiteral("News")}));
    QCOMPARE(m_ui->last()->text,
             QStringLiteral("The Procedure UpdatePATHKEEP has not been defined."));
    QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 2);
    // Started by name alone, the procedure gets its default request.
    QVERIFY(listStarter->start(QLatin1String(Procedure::UpdateLocation)));
    QCOMPARE(formRequest.action, FormRequest::Insert);
    QVERIFY(formRequest.location.isEmpty());
    QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 3);

    QVERIFY(!listStarter->isDefined(QLatin1String(Procedure::ReportWizard)));
    QVERIFY(!listStarter->start(QLatin1String(Procedure::ReportWizard)));
    QCOMPARE(m_ui->last()->text, QStringLiteral("The Procedure ReportWizard has not been defined."));
    QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 3);
}

void MainFrameTest::menuCommandClosesSplashFirst()
{
    m_frame->open();
    m_frame->showSplash(0);
    QPointer<SplashWindow> splash = m_frame->splash();
    QVERIFY(splash);
    auto *version = splash->findChild<QLabel *>(QStringLiteral("version"));
    QVERIFY(version);
    QCOMPARE(version->text(), QStringLiteral("Version 2.67"));

    findAction(QStringLiteral("&Validate Multiple Links"))->trigger();
    QVERIFY(!splash || splash->isFinished());
    // The command ran, then the start-up list was asked for once the splash had gone.
    QCOMPARE(m_ui->last()->text,
             QStringLiteral("The Procedure ValidateAllLinks has not been defined."));
    QTRY_COMPARE(m_ui->last()->text,
                 QStringLiteral("The Procedure BrowsePATHKEEP has not been defined."));
}

void MainFrameTest::openingAnotherCollectionClosesChildWindows()
{
    ProcedureRegistry::instance().add(QStringLiteral("BrowsePATHKEEP"), [](const ProcedureCall &) {
        return new QLabel(QStringLiteral("locations"));
    });
    m_frame->open();
    m_frame->openStartupList();
    m_frame->openStartupList();
    QCOMPARE(m_shell->threads().count(), 2);
    QPointer<QMdiSubWindow> first = m_frame->launcher().window(2);

    const QString other = m_temp->root() + QStringLiteral("/other");
    QDir().mkpath(other);
    m_ui->push(QString(other + QStringLiteral("/URLDATA.TPS")));
    findAction(QStringLiteral("&Open Database"))->trigger();
    QVERIFY(first.isNull()); // deleted before the old collection was released
    QCOMPARE(QDir::currentPath(), other);
    QVERIFY(m_frame->folderZone().endsWith(QStringLiteral("/other")));
    // The start-up list of the opened collection is the only child window now.
    QCOMPARE(m_shell->threads().count(), 1);
    QCOMPARE(m_shell->threads().find(QStringLiteral("BrowsePATHKEEP")), 2);
}

void MainFrameTest::optionsOkWritesSettings()
{
    OptionsWindow window(m_shell->settings(), *m_ui);
    QSignalSpy tray(&window, &OptionsWindow::traySettingChanged);
    auto radio = [&](const char *text) {
        for (auto *r : window.findChildren<QRadioButton *>())
            if (r->text() == QLatin1String(text))
                return r;
        return static_cast<QRadioButton *>(nullptr);
    };
    radio("Category")->setChecked(true);
    radio("Edit Record")->setChecked(true);
    for (auto *c : window.findChildren<QCheckBox *>()) {
        if (c->text() == QStringLiteral("Do not place in tray when minimized "))
            c->setChecked(true);
    }
    m_ui->push(QStringLiteral("/srv/favs"));
    window.findChild<QPushButton *>(QStringLiteral("chooseFolder"))->click();
    QCOMPARE(m_ui->last()->title, QStringLiteral("Select Folder"));
    window.accept();

    QCOMPARE(tray.count(), 1);
    QCOMPARE(tray.first().first().toBool(), true);
    ConfigurationRecord r;
    QVERIFY(m_shell->collection().configuration().get(QStringLiteral("StartupBrowse"), r).ok());
    QCOMPARE(r.DataValue, QStringLiteral("Category"));
    QVERIFY(m_shell->collection().configuration().get(QStringLiteral("FavoritesPath"), r).ok());
    QCOMPARE(r.DataValue, QStringLiteral("/srv/favs"));
    QVERIFY(m_shell->collection().configuration().get(QStringLiteral("DoubleClickAction"), r).ok());
    QCOMPARE(r.DataValue, QStringLiteral("Edit Record"));
    QCOMPARE(m_shell->settings().values().noTray, true);
}

void MainFrameTest::optionsRefuseProtectionWithoutAPassword()
{
    OptionsWindow window(m_shell->settings(), *m_ui);
    QCheckBox *secure = nullptr;
    for (auto *c : window.findChildren<QCheckBox *>()) {
        if (c->text() == QStringLiteral("Restrict using password"))
            secure = c;
    }
    QVERIFY(secure);
    secure->setChecked(true);
    window.show();
    window.accept();
    QVERIFY(window.isVisible());
    QVERIFY(m_ui->last()->text.contains(QStringLiteral("Enter a password")));
    QCOMPARE(m_shell->settings().values().secure, false);
    window.close();
}

void MainFrameTest::optionsTestingTabWritesTheIniSection()
{
    IniFile ini(QDir::current().filePath(QStringLiteral("TESTING-OPTIONS.INI")));
    QVERIFY(ini.load());
    {
        // Without the INI file there is no Testing tab.
        OptionsWindow plain(m_shell->settings(), *m_ui);
        QVERIFY(!plain.findChild<QWidget *>(QStringLiteral("testing")));
        QVERIFY(!plain.checkFilesBox());
    }
    OptionsWindow window(m_shell->settings(), *m_ui, nullptr, &ini);
    auto *page = window.findChild<QWidget *>(QStringLiteral("testing"));
    QVERIFY(page);
    QCOMPARE(window.editedTesting(), WebCheckSettings());
    for (auto *c : page->findChildren<QCheckBox *>()) {
        if (c->text().startsWith(QStringLiteral("Test secure")))
            c->setChecked(false);
    }
    const auto spins = page->findChildren<QSpinBox *>();
    QCOMPARE(spins.size(), 2);
    spins[0]->setValue(4);
    spins[1]->setValue(0);
    // The file check is on until switched off, and the switch is kept in the same file.
    QVERIFY(window.checkFilesBox()->isChecked());
    window.checkFilesBox()->setChecked(false);
    window.accept();

    IniFile stored(ini.path());
    QVERIFY(stored.load());
    const WebCheckSettings v = WebCheckSettings::load(stored);
    QCOMPARE(v.testSecure, false);
    QCOMPARE(v.perHost, 4);
    QCOMPARE(v.requestSeconds, 0);
    QCOMPARE(v.getFallback, true);
    QVERIFY(!CollectionFileCheck::isEnabled(stored));
    QFile::remove(ini.path());
}

void MainFrameTest::optionsCancelRereadsSettings()
{
    const AppSettings before = m_shell->settings().values();
    OptionsWindow window(m_shell->settings(), *m_ui);
    for (auto *r : window.findChildren<QRadioButton *>())
        if (r->text() == QStringLiteral("Category"))
            r->setChecked(true);
    for (auto *e : window.findChildren<QLineEdit *>())
        e->setText(QStringLiteral("changed"));
    window.reject();
    QCOMPARE(m_shell->settings().values().startupBrowse, before.startupBrowse);
    QCOMPARE(m_shell->settings().values().password, before.password);
    ConfigurationRecord r;
    QVERIFY(m_shell->collection().configuration().get(QStringLiteral("StartupBrowse"), r).ok());
    QCOMPARE(r.DataValue, QStringLiteral("Location"));
    // The password typed before Cancel must not reach the collection.
    QCOMPARE(m_shell->collection().configuration().get(QStringLiteral("Password"), r).error,
             StoreError::RecordNotFound);
}

void MainFrameTest::statusBarShowsFolderAndDate()
{
    m_frame->open();
    const QString folder = QDir::currentPath();
    if (folder.size() > 30)
        QVERIFY(m_frame->folderZone().startsWith(folder.left(3) + QStringLiteral("...")));
    else
        QCOMPARE(m_frame->folderZone(), folder);
    QVERIFY(m_frame->dateZone().contains(QStringLiteral(", ")));
    QVERIFY(!m_frame->timeZone().isEmpty());
}

void MainFrameTest::themeChoiceIsStoredAndApplied()
{
    const QStringList themes = QStyleFactory::keys();
    const int fusion = themes.indexOf(QStringLiteral("Fusion"));
    QVERIFY(fusion >= 0);
    m_ui->push(fusion);
    findAction(QStringLiteral("&Themes"))->trigger();
    QCOMPARE(m_ui->last()->title, QStringLiteral("Themes"));
    QCOMPARE(m_shell->settings().values().theme, QStringLiteral("Fusion"));
    QCOMPARE(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    ConfigurationRecord r;
    QVERIFY(m_shell->collection().configuration().get(QStringLiteral("Theme"), r).ok());
    QCOMPARE(r.DataValue, QStringLiteral("Fusion"));

    // The last button cancels and changes nothing.
    m_ui->push(int(themes.size()));
    findAction(QStringLiteral("&Themes"))->trigger();
    QCOMPARE(m_shell->settings().values().theme, QStringLiteral("Fusion"));
}

void MainFrameTest::screenFontConvertsBothWays()
{
    ScreenFont stored{QStringLiteral("DejaVu Serif"),
                      13,
                      0x336699,
                      700 | ScreenFont::Italic | ScreenFont::Underline,
                      0};
    const QFont font = toQFont(stored);
    QCOMPARE(font.family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(font.pointSize(), 13);
    QVERIFY(font.bold());
    QVERIFY(font.italic());
    QVERIFY(font.underline());
    QVERIFY(!font.strikeOut());
    const ScreenFont back = fromQFont(font, QColor(0x33, 0x66, 0x99));
    QCOMPARE(back, stored);
    // The system's style (-1) leaves weight and slant as they are.
    QFont base;
    base.setItalic(true);
    QVERIFY(toQFont(ScreenFont{}, base).italic());
}

void MainFrameTest::helpOpensContentsAndIndex()
{
    findAction(QStringLiteral("&Contents"))->trigger();
    HelpWindow *help = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *h = qobject_cast<HelpWindow *>(w))
            help = h;
    }
    QVERIFY(help);
    QCOMPARE(help->currentPage(), QStringLiteral("index.html"));
    QVERIFY(help->windowTitle().endsWith(QStringLiteral("Contents")));
    findAction(QStringLiteral("&Index"))->trigger();
    QCOMPARE(help->currentPage(), QStringLiteral("keywords.html"));
    QVERIFY(help->windowTitle().endsWith(QStringLiteral("Index")));
}

void MainFrameTest::helpWindowOpensOverTheFrameAndClosesByKey()
{
    m_frame->setGeometry(200, 150, 900, 640);
    m_frame->open();
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
        findAction(QStringLiteral("&Contents"))->trigger();
        QPointer<HelpWindow> help = m_frame->findChild<HelpWindow *>();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QVERIFY(help->isWindow());
        // Centred over the frame, within a few pixels of rounding.
        const QPoint offset = help->frameGeometry().center() - m_frame->frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        QApplication::setActiveWindow(help);
        QVERIFY(QTest::qWaitForWindowActive(help));
        QTest::keyPress(help, key.key(), key.keyboardModifiers()); // the window goes on the press
        QTRY_VERIFY(help.isNull());
    }
}

void MainFrameTest::progressWindowsStayAboveTheFrameAndAreNeverMaximised()
{
    ProcedureRegistry::instance().add(QStringLiteral("BrowsePATHKEEP"), [](const ProcedureCall &) {
        return new QLabel(QStringLiteral("locations"));
    });
    ProcedureRegistry::instance().add(QStringLiteral("ProgressForTest"), [](const ProcedureCall &) {
        auto *progress = new QLabel(QStringLiteral("Processing Records"));
        progress->setWindowFlags(Qt::Dialog);
        return progress;
    });
    m_frame->setGeometry(100, 100, 900, 640);
    m_frame->open();
    m_frame->openStartupList();
    QMdiSubWindow *list = m_frame->launcher().window(2);
    QVERIFY(list);
    list->showMaximized();

    QVERIFY(m_frame->launcher().start(QStringLiteral("ProgressForTest")));
    QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 1); // not among the child windows
    QPointer<QLabel> progress;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *label = qobject_cast<QLabel *>(w);
            label && label->text() == QStringLiteral("Processing Records"))
            progress = label;
    }
    QVERIFY(progress);
    QCOMPARE(progress->parentWidget(), m_frame.get()); // owned by the frame, kept above it
    QVERIFY(progress->isVisible());
    QVERIFY(!progress->isMaximized());
    QVERIFY(m_frame->frameGeometry().contains(progress->frameGeometry().center()));
    QCOMPARE(m_shell->threads().count(), 2);

    // A collection switch closes it with the other windows.
    m_shell->threads().closeAll();
    QTRY_VERIFY(progress.isNull());
    QTRY_COMPARE(m_shell->threads().count(), 0);
    ProcedureRegistry::instance().remove(QStringLiteral("ProgressForTest"));
}

QTEST_MAIN(MainFrameTest)
#include "mainframe_test.moc"

#include "procedures.h"
#include "windowinspector.h"

#include "framework/widgets/widgetuserinterface.h"
#include "platform/appfolders.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/procedurerequests.h"
#include "shell/shell.h"
#include "shell/widgets/mainframe.h"
#include "shell/widgets/procedurelauncher.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "support/tempcollection.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <memory>
#include <tuple>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

/**
 * Faults other open work is mending, each as the start of a window's title and a piece of the
 * finding. A finding matching one is reported, not failed. Remove an entry once its fix has
 * landed on main.
 */
struct KnownFault
{
    const char *window;
    const char *finding;
};
const KnownFault knownFaults[] = {
    // Import and export windows: letters used twice within the Export Wizard, and the Import
    // Wizard and the previous-version import (child windows of the frame) taking the frame's
    // menu letters B and F.
    {"Export Wizard", "accelerator Alt+"},
    {"Import Wizard", "accelerator Alt+"},
    {"Import from Pathkeep Database", "accelerator Alt+"},
};

bool isKnown(const QString &finding)
{
    for (const KnownFault &known : knownFaults) {
        if (finding.contains(u" / "_s + QString::fromUtf8(known.window))
            && finding.contains(QString::fromUtf8(known.finding)))
            return true;
    }
    return false;
}

bool isDialog(const QWidget *w)
{
    return qobject_cast<const QDialog *>(w) || w->windowType() == Qt::Dialog;
}

bool holdsFocus(const QWidget *root)
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == root || root->isAncestorOf(focus));
}

void pressEscape(QWidget *window)
{
    QWidget *target = QApplication::focusWidget();
    if (!target || !(target == window || window->isAncestorOf(target)))
        target = window;
    QTest::keyClick(target, Qt::Key_Escape);
}

void forceClose(QWidget *window)
{
    if (auto *dialog = qobject_cast<QDialog *>(window))
        dialog->reject();
    if (window->isVisible())
        window->close();
    if (window->isVisible())
        window->hide();
}

/**
 * Deals with the modal windows a procedure opens while it runs, from inside their own event
 * loops: inspects each once it has settled, then presses Escape, or in "go along" mode the
 * default button of a question box, and notes a window Escape did not close.
 */
class ModalWatcher final : public QObject
{
public:
    enum class Mode { Escape, GoAlong };

    explicit ModalWatcher(QStringList &findings)
        : m_findings(findings)
    {
        m_timer.setInterval(25);
        connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::tick);
    }

    void begin(const QString &where, Mode mode)
    {
        m_where = where;
        m_mode = mode;
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    int inspected() const { return m_inspected; }

private:
    void note(const QWidget *window, const QString &finding)
    {
        m_findings << m_where + u" / "_s + window->windowTitle() + u": "_s + finding;
    }

    void tick()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (modal != m_current) {
            m_current = modal;
            m_age = 0;
            m_pressed = false;
            return;
        }
        ++m_age;
        if (!m_pressed) {
            // A window manager gives a new window the keyboard; the offscreen platform does
            // not always, so the watcher does.
            if (m_age == 1 && !modal->isActiveWindow())
                QApplication::setActiveWindow(modal);
            if (m_age < 3)
                return; // let it take the focus first
            ++m_inspected;
            for (const QString &problem : test::WindowInspector::problems(modal))
                note(modal, problem);
            if (!holdsFocus(modal))
                note(modal, u"no focus widget on opening"_s);
            auto *box = qobject_cast<QMessageBox *>(modal);
            m_wentAlong = m_mode == Mode::GoAlong && box && box->defaultButton();
            if (m_wentAlong)
                box->defaultButton()->click();
            else
                pressEscape(modal);
            m_pressed = true;
            m_sincePress = 0;
            return;
        }
        // Still the top modal window a second after Escape (a question it asked has gone).
        if (++m_sincePress == 40) {
            if (!m_wentAlong)
                note(modal, u"Escape does not close it"_s);
            forceClose(modal);
        }
    }

    QStringList &m_findings;
    QTimer m_timer;
    QString m_where;
    Mode m_mode = Mode::Escape;
    QPointer<QWidget> m_current;
    int m_age = 0;
    int m_sincePress = 0;
    int m_inspected = 0;
    bool m_pressed = false;
    bool m_wentAlong = false;
};

/// Starts `procedure` with the inputs its callers hand it: the location `location`, the
/// category "News", a new record (`insert`) or a change; a procedure without inputs by name.
bool startWithRequest(ProcedureStarter &starter,
                      const QString &procedure,
                      bool insert,
                      const QString &location)
{
    const FormRequest action = insert ? FormRequest::Insert : FormRequest::Change;
    const QString news = u"News"_s;
    const auto is = [&procedure](const char *name) { return procedure == QLatin1String(name); };
    if (is(LocationFormRequest::procedure))
        return starter.start(LocationFormRequest{action, location, news});
    if (is(NewLocationRequest::procedure))
        return starter.start(NewLocationRequest{location});
    if (is(Procedure::UpdateCategory) || is(Procedure::UpdateCategoryNoMdi))
        return starter.start(procedure, CategoryFormRequest{action, news});
    if (is(CatHtmlFormRequest::procedure))
        return starter.start(CatHtmlFormRequest{action, news, u"Before Category"_s});
    if (is(SelectCategoryRequest::procedure))
        return starter.start(SelectCategoryRequest{news});
    if (is(CategoryLocationsRequest::procedure))
        return starter.start(CategoryLocationsRequest{news});
    if (is(AnalyzeUrlRequest::procedure))
        return starter.start(AnalyzeUrlRequest{.location = location});
    if (is(RetrieveAndTestRequest::procedure))
        return starter.start(RetrieveAndTestRequest{.location = location});
    if (is(DownloadUrlsRequest::procedure))
        return starter.start(DownloadUrlsRequest{u"URL:Category = 'News'"_s});
    return starter.start(procedure);
}

} // namespace

/// Opens every window the program registers, as it does at start-up, and looks at each.
class AllWindowsTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void everyRegisteredWindow_data();
    void everyRegisteredWindow();
    void everyFrameCommand();
    void theFrameAndItsMenus();
    void windowsOpenedFromTheLists();
    void removalQuestionsCloseAndKeepEveryLocation();

private:
    QList<QWidget *> ownWindows() const;
    /// Lets what the last step started from zero timers run.
    void settle();
    void inspectPlacedWindows(const QString &where, const QList<QWidget *> &before);
    void closeEverything();
    void expectNoNewFindings();

    std::unique_ptr<test::TempCollection> m_temp;
    std::unique_ptr<WidgetUserInterface> m_ui;
    std::unique_ptr<Shell> m_shell;
    std::unique_ptr<MainFrame> m_frame;
    std::unique_ptr<ModalWatcher> m_watcher;
    QStringList m_findings;
    QString m_oldDir;
    QString m_firstLocation;
};

void AllWindowsTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    AppFolders::setDataFolder(QStringLiteral(PK_DATA_SOURCE_DIR));
    m_oldDir = QDir::currentPath();
    registerProcedures();
    prepareComponents();
}

void AllWindowsTest::init()
{
    m_findings.clear();
    m_temp = std::make_unique<test::TempCollection>();
    QVERIFY(QDir().mkpath(m_temp->folder()));
    QVERIFY(QDir::setCurrent(m_temp->folder()));
    m_ui = std::make_unique<WidgetUserInterface>();
    m_shell = std::make_unique<Shell>(*m_ui);
    m_shell->setHaltHandler([](const QString &end) { QFAIL(qPrintable(end)); });
    m_frame = std::make_unique<MainFrame>(*m_shell);
    m_ui->setParentWidget(m_frame.get());
    QVERIFY(m_shell->prepare());
    m_shell->settings().values().favoritesPath = m_temp->root() + u"/Favorites"_s;

    // A few records; the addresses answer on no port, so checks fail at once and stay local.
    Collection &collection = m_shell->collection();
    for (const char *name : {"News", "Tools"}) {
        CategoryRecord category;
        category.Category = QString::fromLatin1(name);
        category.Description = category.Category + u" sites"_s;
        QVERIFY(collection.categories().insert(category).ok());
    }
    for (int i = 0; i < 4; ++i) {
        LocationRecord r;
        r.Location = u"http://127.0.0.1:9/page%1.html"_s.arg(i);
        r.Description = u"Page %1"_s.arg(i);
        r.Category = i % 2 == 0 ? u"News"_s : u"Tools"_s;
        r.Rating = i + 1;
        r.Keyword = u"kw%1"_s.arg(i);
        r.Validated = quint8(i % 3);
        QVERIFY(collection.locations().insert(r).ok());
    }
    m_firstLocation = u"http://127.0.0.1:9/page0.html"_s;

    m_frame->setGeometry(40, 40, 1100, 800);
    m_frame->open();
    QApplication::setActiveWindow(m_frame.get());
    QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
    m_watcher = std::make_unique<ModalWatcher>(m_findings);
}

void AllWindowsTest::cleanup()
{
    if (m_frame)
        closeEverything();
    if (m_watcher)
        m_watcher->stop();
    m_watcher.reset();
    m_frame.reset();
    m_shell.reset();
    m_ui.reset();
    QDir::setCurrent(m_oldDir);
    m_temp.reset();
}

QList<QWidget *> AllWindowsTest::ownWindows() const
{
    QList<QWidget *> windows;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != m_frame.get() && w->isVisible() && w->windowType() != Qt::Popup
            && w->windowType() != Qt::ToolTip)
            windows << w;
    }
    return windows;
}

void AllWindowsTest::closeEverything()
{
    m_frame->mdiArea()->closeAllSubWindows();
    for (QWidget *w : ownWindows())
        w->close();
    // A batch window goes once the record in hand is finished.
    QTRY_COMPARE_WITH_TIMEOUT(m_shell->threads().count(), 0, 20000);
    for (QWidget *w : ownWindows())
        forceClose(w);
}

void AllWindowsTest::settle()
{
    // Zero timers run in the order they were started: once two rounds of them have run after
    // this point, whatever the last step set going from a zero timer (and what that started in
    // turn) has run too.
    for (int round = 0; round < 2; ++round) {
        bool ran = false;
        QTimer::singleShot(0, [&ran] { ran = true; });
        std::ignore = QTest::qWaitFor([&ran] { return ran; }, 5000);
    }
}

void AllWindowsTest::inspectPlacedWindows(const QString &where, const QList<QWidget *> &before)
{
    settle(); // windows started from a zero timer come up
    const QStringList frameLetters = test::WindowInspector::menuLetters(m_frame->menuBar());
    auto note = [&](const QWidget *w, const QString &finding) {
        m_findings << where + u" / "_s + w->windowTitle() + u": "_s + finding;
    };

    // Once a question has gone the window manager gives the frame the keyboard again; the
    // offscreen platform does not, so the test does.
    std::ignore = QTest::qWaitFor([] { return !QApplication::activeModalWidget(); }, 8000);
    QApplication::setActiveWindow(m_frame.get());
    std::ignore = QTest::qWaitFor([this] { return m_frame->isActiveWindow(); }, 1000);
    const QList<QMdiSubWindow *> subs = m_frame->mdiArea()->subWindowList();
    for (QMdiSubWindow *sub : subs) {
        m_frame->mdiArea()->setActiveSubWindow(sub);
        std::ignore = QTest::qWaitFor([&] { return m_frame->mdiArea()->activeSubWindow() == sub; },
                                      1000);
        settle();
        // A child window shares the frame's keyboard: its letters must differ from the menus'.
        for (const QString &problem : test::WindowInspector::problems(sub, frameLetters))
            note(sub, problem);
        if (!holdsFocus(sub))
            note(sub, u"no focus widget on opening"_s);
    }

    const QList<QWidget *> windows = ownWindows();
    QList<QPointer<QWidget>> guarded;
    for (QWidget *w : windows)
        guarded << w;
    for (const QPointer<QWidget> &window : guarded) {
        QWidget *w = window.data();
        if (!w || before.contains(w) || !w->isVisible() || w->isModal()
            || QApplication::activeModalWidget())
            continue;
        QApplication::setActiveWindow(w);
        std::ignore = QTest::qWaitFor([&] { return !window || window->isActiveWindow(); }, 1000);
        if (!window || !window->isVisible())
            continue; // went by itself (a finished link test)
        settle();
        for (const QString &problem : test::WindowInspector::problems(w))
            note(w, problem);
        if (!holdsFocus(w))
            note(w, u"no focus widget on opening"_s);
        if (!isDialog(w))
            continue;
        const QString title = w->windowTitle();
        pressEscape(w);
        std::ignore = QTest::qWaitFor([&] { return !window || !window->isVisible(); }, 8000);
        if (window && window->isVisible()) {
            m_findings << where + u" / "_s + title + u": Escape does not close it"_s;
            forceClose(window);
        }
    }
}

void AllWindowsTest::expectNoNewFindings()
{
    QStringList faults;
    for (const QString &finding : std::as_const(m_findings)) {
        if (isKnown(finding))
            qInfo("known, being fixed elsewhere: %s", qPrintable(finding));
        else
            faults << finding;
    }
    QVERIFY2(faults.isEmpty(), qPrintable(u"\n"_s + faults.join(u"\n"_s)));
}

void AllWindowsTest::everyRegisteredWindow_data()
{
    QTest::addColumn<QString>("procedure");
    QTest::addColumn<bool>("goAlong");
    // The program's own registration, as at start-up; every name it registered.
    const QStringList names = ProcedureRegistry::instance().names();
    QVERIFY(names.size() >= 10);
    for (const QString &name : names) {
        QTest::newRow(qPrintable(name + u", Escape"_s)) << name << false;
        QTest::newRow(qPrintable(name + u", going along"_s)) << name << true;
    }
}

void AllWindowsTest::everyRegisteredWindow()
{
    QFETCH(QString, procedure);
    QFETCH(bool, goAlong);
    const QList<QWidget *> before = ownWindows();
    m_watcher->begin(procedure, goAlong ? ModalWatcher::Mode::GoAlong : ModalWatcher::Mode::Escape);
    QVERIFY(startWithRequest(m_frame->launcher(), procedure, goAlong, m_firstLocation));
    inspectPlacedWindows(procedure, before);
    closeEverything();
    m_watcher->stop();
    expectNoNewFindings();
}

void AllWindowsTest::everyFrameCommand()
{
    // Every menu command that stays inside the program; Exit, the backup program, the home
    // page and the mail address start something outside it.
    const QStringList outside{u"E&xit"_s,
                              u"&Backup and Restore"_s,
                              u"&Pathkeep Home Page"_s,
                              u"E-Mail for &Support"_s,
                              u"&Print Setup ..."_s,
                              u"Screen Font Setup..."_s};
    QList<QAction *> commands;
    for (QAction *menu : m_frame->menuBar()->actions()) {
        QList<QMenu *> menus{menu->menu()};
        while (!menus.isEmpty()) {
            QMenu *m = menus.takeFirst();
            for (QAction *a : m->actions()) {
                if (a->menu())
                    menus << a->menu();
                else if (!a->isSeparator() && !outside.contains(a->text()))
                    commands << a;
            }
        }
    }
    QVERIFY(commands.size() > 30);
    for (QAction *command : std::as_const(commands)) {
        const QString where = command->text();
        const QList<QWidget *> before = ownWindows();
        m_watcher->begin(where, ModalWatcher::Mode::Escape);
        command->trigger();
        inspectPlacedWindows(where, before);
        closeEverything();
    }
    m_watcher->stop();
    expectNoNewFindings();
}

void AllWindowsTest::theFrameAndItsMenus()
{
    const QStringList problems = test::WindowInspector::problems(m_frame.get());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"\n"_s)));
    QVERIFY(holdsFocus(m_frame.get()) || QApplication::activeWindow() == m_frame.get());
    // The menu titles leave the list windows' button letters free.
    const QStringList letters = test::WindowInspector::menuLetters(m_frame->menuBar());
    for (const char *taken : {"Q", "R", "N", "E", "D", "T", "P", "O", "A"})
        QVERIFY2(!letters.contains(QString::fromLatin1(taken)), taken);
}

void AllWindowsTest::windowsOpenedFromTheLists()
{
    // Find (Ctrl+F) and the query wizard (Query's letter) of the location list, and Find of
    // the category list: each opens as a modal window the watcher looks at and escapes.
    for (const char *list : {Procedure::BrowseLocations, Procedure::BrowseCategories}) {
        const QString where = QString::fromLatin1(list);
        m_watcher->begin(where, ModalWatcher::Mode::Escape);
        QVERIFY(m_frame->launcher().start(where));
        QMdiSubWindow *sub = m_frame->mdiArea()->activeSubWindow();
        QVERIFY(sub);
        QApplication::setActiveWindow(m_frame.get());
        QTRY_VERIFY(holdsFocus(sub));
        const int before = m_watcher->inspected();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(m_watcher->inspected(), before + 1);
        if (list == Procedure::BrowseLocations) {
            QApplication::setActiveWindow(m_frame.get());
            QTRY_VERIFY(holdsFocus(sub));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::AltModifier);
            QTRY_COMPARE(m_watcher->inspected(), before + 2);
        }
        closeEverything();
    }
    m_watcher->stop();
    expectNoNewFindings();
}

void AllWindowsTest::removalQuestionsCloseAndKeepEveryLocation()
{
    QVERIFY(m_frame->launcher().start(QString::fromLatin1(Procedure::BrowseLocations)));
    QMdiSubWindow *sub = m_frame->mdiArea()->activeSubWindow();
    QVERIFY(sub);
    const qint64 count = m_shell->collection().locations().count();
    for (const char *name : {"removeDisplayedButton", "removeInvalidButton"}) {
        auto *button = sub->findChild<QPushButton *>(QString::fromLatin1(name));
        QVERIFY(button);
        // Escape, then Enter (the default button) on the same question: nothing goes.
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            bool asked = false;
            bool closedByKey = false;
            QObject guard;
            QTimer::singleShot(50, &guard, [&asked, &closedByKey, key] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    asked = true;
                    QTest::keyClick(box, key);
                    closedByKey = !box->isVisible();
                }
            });
            QTimer::singleShot(1500, &guard, [] {
                if (QWidget *left = QApplication::activeModalWidget())
                    forceClose(left);
            });
            button->click();
            QVERIFY2(asked, name);
            QVERIFY2(closedByKey, name);
            QCOMPARE(m_shell->collection().locations().count(), count);
        }
    }
}

QTEST_MAIN(AllWindowsTest)
#include "allwindows_test.moc"

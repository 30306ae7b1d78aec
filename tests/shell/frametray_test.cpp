#include "framework/scripteduserinterface.h"
#include "platform/appfolders.h"
#include "platform/hotkeygrabber.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"
#include "shell/widgets/framehotkeys.h"
#include "shell/widgets/frametray.h"
#include "shell/widgets/mainframe.h"
#include "support/tempcollection.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

class AcceptingGrabber final : public HotKeyGrabber
{
public:
    bool grab(int, quint16) override { return true; }
    bool release(int) override { return true; }
};

} // namespace

/// The tray icon's menu and the frame's hot keys, on the offscreen platform (no tray there).
class FrameTrayTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void menuListsItsEntriesAndRestoreFollowsTheFrame();
    void withoutATrayTheMinimisedFrameStaysOnTheTaskBar();
    void hotKeysRestoreAndGetTheAddress();

private:
    std::unique_ptr<test::TempCollection> m_temp;
    std::unique_ptr<ScriptedUserInterface> m_ui;
    std::unique_ptr<Shell> m_shell;
    std::unique_ptr<MainFrame> m_frame;
    QString m_oldDir;
    int m_wizards = 0;
};

void FrameTrayTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    AppFolders::setDataFolder(QStringLiteral(PK_DATA_SOURCE_DIR));
    m_oldDir = QDir::currentPath();
    ProcedureRegistry::instance().add(QLatin1String(Procedure::NewUrlWizard),
                                      [this](const ProcedureCall &) -> QWidget * {
                                          ++m_wizards;
                                          return nullptr;
                                      });
}

void FrameTrayTest::init()
{
    m_temp = std::make_unique<test::TempCollection>();
    QVERIFY(QDir::setCurrent(m_temp->folder()));
    m_ui = std::make_unique<ScriptedUserInterface>();
    m_shell = std::make_unique<Shell>(*m_ui);
    m_frame = std::make_unique<MainFrame>(*m_shell);
    QVERIFY(m_shell->prepare());
    m_frame->open();
    m_wizards = 0;
}

void FrameTrayTest::cleanup()
{
    m_frame.reset();
    m_shell.reset();
    QDir::setCurrent(m_oldDir);
    m_temp.reset();
}

void FrameTrayTest::menuListsItsEntriesAndRestoreFollowsTheFrame()
{
    FrameTray tray(*m_frame);
    tray.attach(false);
    QVERIFY(tray.icon());
    QCOMPARE(tray.icon()->toolTip(), u"Pathkeep 2005"_s);
    QStringList texts;
    for (QAction *a : tray.menu()->actions())
        texts << (a->isSeparator() ? u"-"_s : a->text());
    QCOMPARE(texts,
             (QStringList{
                 u"Add New URL..."_s, u"-"_s, u"Restore"_s, u"-"_s, u"Help"_s, u"-"_s, u"Exit"_s}));
    for (QAction *a : tray.menu()->actions())
        QVERIFY(a->isSeparator() || !a->icon().isNull());

    emit tray.menu()->aboutToShow();
    QVERIFY(!tray.restoreAction()->isEnabled());
    m_frame->hide();
    emit tray.menu()->aboutToShow();
    QVERIFY(tray.restoreAction()->isEnabled());
    tray.restoreAction()->trigger();
    QVERIFY(m_frame->isVisible());
    QVERIFY(!m_frame->isMinimized());

    // "Add New URL..." brings the frame back and starts the wizard.
    m_frame->hide();
    tray.menu()->actions().first()->trigger();
    QVERIFY(m_frame->isVisible());
    QCOMPARE(m_wizards, 1);
}

void FrameTrayTest::withoutATrayTheMinimisedFrameStaysOnTheTaskBar()
{
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    FrameTray tray(*m_frame);
    tray.attach(false);
    QVERIFY(tray.hidesOnMinimise());
    m_frame->showMinimized();
    QTest::qWait(20);
    QVERIFY(m_frame->isVisible());
    // "NoTray" applied at once; a frame hidden meanwhile comes back minimised.
    m_frame->hide();
    tray.setNoTray(true);
    QVERIFY(!tray.hidesOnMinimise());
    QVERIFY(m_frame->isVisible());
}

void FrameTrayTest::hotKeysRestoreAndGetTheAddress()
{
    int restored = 0;
    FrameHotKeys hotKeys(
        *m_frame, [&] { ++restored; }, std::make_unique<AcceptingGrabber>());
    hotKeys.attach();
    QCOMPARE(hotKeys.keys().registered().size(), 2);
    QVERIFY(hotKeys.keys().failed().isEmpty());

    hotKeys.keys().fire(1); // Win+U
    QTRY_COMPARE(restored, 1);
    QCOMPARE(m_wizards, 0);
    hotKeys.keys().fire(2); // Win+G
    QTRY_COMPARE(m_wizards, 1);
    QCOMPARE(restored, 2);
    hotKeys.keys().fire(9);
    QTRY_COMPARE(hotKeys.lastHandled(), u"Unknown: 9"_s);
    QTest::qWait(20);
    QCOMPARE(restored, 2);
    QCOMPARE(m_wizards, 1);
}

QTEST_MAIN(FrameTrayTest)
#include "frametray_test.moc"

#include "browse/forms/widgets/newlocationwizarddialog.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "platform/x11windowlist.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "support/tempcollection.h"

#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace pk;

/// The wizard reading addresses from real X11 windows of another process (run under Xvfb).
class X11CaptureTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void capturesTheAddressInAWindowTitle();
    void readsOddWindowNamesAndChildWindows();

private:
    void startWindows(const QStringList &arguments);

    std::unique_ptr<test::TempCollection> m_temp;
    std::unique_ptr<Collection> m_collection;
    ScriptedUserInterface m_ui;
    std::unique_ptr<ErrorManager> m_errors;
    QProcess m_helper;
};

void X11CaptureTest::init()
{
    m_temp = std::make_unique<test::TempCollection>();
    QDir().mkpath(m_temp->folder());
    m_collection = std::make_unique<Collection>(m_temp->folder());
    QVERIFY(m_collection->openAll(true).ok());
    CategoryRecord c;
    c.Category = QStringLiteral("Web");
    QVERIFY(m_collection->categories().insert(c).ok());
    m_errors = std::make_unique<ErrorManager>(m_ui);
}

void X11CaptureTest::cleanup()
{
    if (m_helper.state() != QProcess::NotRunning) {
        m_helper.closeWriteChannel();
        if (!m_helper.waitForFinished(5000))
            m_helper.kill();
    }
    m_collection.reset();
    m_temp.reset();
}

void X11CaptureTest::startWindows(const QStringList &arguments)
{
    const QString helper = qEnvironmentVariable("PK_X11_HELPER");
    QVERIFY2(!helper.isEmpty(), "PK_X11_HELPER names the window helper");
    m_helper.start(helper, arguments);
    QVERIFY(m_helper.waitForStarted(5000));
    QVERIFY(m_helper.waitForReadyRead(10000));
    QCOMPARE(m_helper.readLine().trimmed(), QByteArray("ready"));
}

void X11CaptureTest::capturesTheAddressInAWindowTitle()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (run through xvfb-run)");
    startWindows({QStringLiteral("Example - http://example.test/page")});

    FormsContext context{*m_collection, m_ui, *m_errors, nullptr, {}, {}};
    NewLocationWizardDialog wizard(context, QString());
    // One candidate: no PickURL page, the address and title are taken at once.
    QCOMPARE(wizard.wizard().candidates().size(), std::size_t(1));
    QCOMPARE(wizard.pages()->currentIndex(), 1);
    QCOMPARE(wizard.locationEdit()->text(), QStringLiteral("http://example.test/page"));
    QCOMPARE(wizard.descriptionEdit()->text(), QStringLiteral("Example - http://example.test/page"));
    wizard.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wizard));
    wizard.finish();
    QVERIFY(m_collection->locations().exists(QStringLiteral("http://example.test/page")));
}

void X11CaptureTest::readsOddWindowNamesAndChildWindows()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (run through xvfb-run)");
    startWindows({QStringLiteral("--odd-names"),
                  QStringLiteral("Browser|www.child.test/index"),
                  QStringLiteral("Pathkeep 2005|http://frame.test/")});

    const std::vector<TopLevelWindow> windows = X11WindowList::list();
    QStringList titles;
    for (const TopLevelWindow &w : windows)
        titles << w.title;
    QVERIFY2(titles.contains(QStringLiteral("café http://latin.test/")),
             qPrintable(titles.join(QLatin1Char('|'))));
    bool broken = false;
    for (const QString &title : titles)
        broken = broken
                 || (title.contains(QChar::ReplacementCharacter)
                     && title.contains(QStringLiteral("http://broken.test/")));
    QVERIFY(broken);

    FormsContext context{*m_collection, m_ui, *m_errors, nullptr, {}, {}};
    NewLocationWizardDialog wizard(context, QString());
    QStringList addresses;
    for (const WindowCandidate &c : wizard.wizard().candidates())
        addresses << c.address;
    addresses.sort();
    QCOMPARE(addresses,
             QStringList(
                 {u"http://broken.test/"_s, u"http://latin.test/"_s, u"www.child.test/index"_s}));
    QCOMPARE(wizard.pages()->currentIndex(), 0);
    wizard.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wizard));
    if (qEnvironmentVariableIsSet("PK_SCREENSHOT"))
        QTest::qWait(1500); // time for a screenshot of the PickURL page
}

QTEST_MAIN(X11CaptureTest)
#include "x11capture_test.moc"

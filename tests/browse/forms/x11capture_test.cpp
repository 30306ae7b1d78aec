#include "browse/capture/browsersessions.h"
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
#include <QScopeGuard>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

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
    void capturesThePageChromiumShows();

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

    FormsContext context{*m_collection, m_ui, *m_errors, nullptr, {}, {}, {}};
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

    FormsContext context{*m_collection, m_ui, *m_errors, nullptr, {}, {}, {}};
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

void X11CaptureTest::capturesThePageChromiumShows()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (run through xvfb-run)");
    const QString chromium = QStandardPaths::findExecutable(u"chromium"_s);
    if (chromium.isEmpty())
        QSKIP("chromium is not installed (Debian package chromium)");

    // A loopback server with one page.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                if (!socket->readAll().contains("\r\n\r\n"))
                    return;
                const QByteArray page = "<html><head><title>Grab Me Page</title></head>"
                                        "<body>Grab me</body></html>";
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
                              + QByteArray::number(page.size()) + "\r\nConnection: close\r\n\r\n"
                              + page);
                socket->disconnectFromHost();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    const QString address = u"http://127.0.0.1:%1/page.html"_s.arg(server.serverPort());

    // The browser in a home folder of the test's own, which the wizard reads too.
    QTemporaryDir home;
    const QString config = QDir(home.path()).filePath(u"config"_s);
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", oldHome);
        if (oldConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", oldConfig);
    });
    QProcess browser;
    browser.setProcessChannelMode(QProcess::MergedChannels);
    browser.setStandardOutputFile(QProcess::nullDevice());
    QStringList arguments{u"--no-first-run"_s,
                          u"--no-default-browser-check"_s,
                          u"--disable-gpu"_s,
                          u"--password-store=basic"_s,
                          address};
    if (::getuid() == 0)
        arguments.prepend(u"--no-sandbox"_s);
    browser.start(chromium, arguments);
    QVERIFY(browser.waitForStarted(20000));
    const auto stop = qScopeGuard([&browser] {
        browser.terminate();
        if (!browser.waitForFinished(20000))
            browser.kill();
    });

    // The browser writes its session a moment after showing the page.
    const auto shown = [&] {
        for (const SessionPage &p : BrowserSessions::read(home.path(), config).pages) {
            if (p.address == address)
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(shown(), 120000);
    const auto titled = [] {
        for (const TopLevelWindow &w : X11WindowList::list()) {
            if (w.title == u"Grab Me Page - Chromium"_s)
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(titled(), 60000);

    FormsContext context{*m_collection, m_ui, *m_errors, nullptr, {}, {}, {}};
    NewLocationWizardDialog wizard(context, QString());
    QVERIFY2(wizard.wizard().notes().isEmpty(), qPrintable(wizard.wizard().notes().join(u'\n')));
    QCOMPARE(wizard.wizard().candidates().size(), std::size_t(1));
    QCOMPARE(wizard.pages()->currentIndex(), 1);
    QCOMPARE(wizard.locationEdit()->text(), address);
    QCOMPARE(wizard.descriptionEdit()->text(), u"Grab Me Page - Chromium"_s);
}

QTEST_MAIN(X11CaptureTest)
#include "x11capture_test.moc"

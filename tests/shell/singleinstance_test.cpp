#include "shell/singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pk;
using namespace Qt::StringLiterals;

/// A second start handing its request to the running program, with two processes.
class SingleInstanceTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void aRequestReachesTheRunningProgramAndTheSecondStartEnds();
    void withNoProgramRunningTheSecondStartGoesOn();
    void oneProgramPerFolderAndALeftOverSocketIsTakenOver();
    void aRequestFromAnotherFolderReachesTheUsersFirstProgram();
    void anUnknownRequestIsRefused();

private:
    /// Runs the peer with `arguments`; its exit code.
    int peer(const QStringList &arguments);

    std::unique_ptr<QTemporaryDir> m_runtime;
    std::unique_ptr<QTemporaryDir> m_collection;
};

void SingleInstanceTest::init()
{
    // Sockets of the test's own, not those of a program the user runs.
    m_runtime = std::make_unique<QTemporaryDir>();
    m_collection = std::make_unique<QTemporaryDir>();
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
}

void SingleInstanceTest::cleanup()
{
    m_collection.reset();
    m_runtime.reset();
}

int SingleInstanceTest::peer(const QStringList &arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("PK_SINGLE_INSTANCE_PEER"), arguments);
    if (!process.waitForStarted(10000))
        return -1;
    // The running program answers from its event loop: keep it turning while the peer waits.
    const QDeadlineTimer deadline(20000);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
        QTest::qWait(20);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void SingleInstanceTest::aRequestReachesTheRunningProgramAndTheSecondStartEnds()
{
    SingleInstance running;
    QVERIFY(running.listen(m_collection->path()));
    QSignalSpy requests(&running, &SingleInstance::requested);
    QCOMPARE(peer({m_collection->path(), u"--get-url"_s}), 0);
    QCOMPARE(peer({m_collection->path() + u"/."_s, u"--restore"_s}), 0);
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests.at(0).at(0).value<SingleInstance::Request>(), SingleInstance::Request::GetUrl);
    QCOMPARE(requests.at(1).at(0).value<SingleInstance::Request>(),
             SingleInstance::Request::Restore);
}

void SingleInstanceTest::withNoProgramRunningTheSecondStartGoesOn()
{
    QCOMPARE(peer({m_collection->path(), u"--get-url"_s}), 3);
    QCOMPARE(SingleInstance::requestIn({u"pathkeep"_s}), std::nullopt);
    QCOMPARE(SingleInstance::requestIn({u"pathkeep"_s, u"--restore"_s}),
             SingleInstance::Request::Restore);
}

void SingleInstanceTest::oneProgramPerFolderAndALeftOverSocketIsTakenOver()
{
    // A socket file left behind by a program that ended.
    const QString name = SingleInstance::serverName(m_collection->path());
    QVERIFY(name.startsWith(m_runtime->path()));
    {
        QFile left(name);
        QVERIFY(left.open(QIODevice::WriteOnly));
    }
    auto first = std::make_unique<SingleInstance>();
    QVERIFY(first->listen(m_collection->path()));
    SingleInstance second;
    QVERIFY(!second.listen(m_collection->path()));
    QVERIFY(!second.isListening());
    QSignalSpy requests(first.get(), &SingleInstance::requested);
    QCOMPARE(peer({m_collection->path(), u"--restore"_s}), 0);
    QCOMPARE(requests.size(), 1);
    // Once the first has ended, the folder is free again.
    first.reset();
    QVERIFY(second.listen(m_collection->path()));
}

void SingleInstanceTest::aRequestFromAnotherFolderReachesTheUsersFirstProgram()
{
    // A key bound in the desktop's settings starts the command in the home folder.
    SingleInstance running;
    QVERIFY(running.listen(m_collection->path()));
    QSignalSpy requests(&running, &SingleInstance::requested);
    QTemporaryDir home;
    QCOMPARE(peer({home.path(), u"--get-url"_s}), 0);
    QCOMPARE(requests.size(), 1);

    // A second program on another folder has its own socket; the user's stays with the first.
    SingleInstance other;
    QVERIFY(other.listen(home.path()));
    QSignalSpy otherRequests(&other, &SingleInstance::requested);
    QCOMPARE(peer({home.path(), u"--restore"_s}), 0);
    QCOMPARE(otherRequests.size(), 1);
    QCOMPARE(requests.size(), 1);
}

void SingleInstanceTest::anUnknownRequestIsRefused()
{
    SingleInstance running;
    QVERIFY(running.listen(m_collection->path()));
    QSignalSpy requests(&running, &SingleInstance::requested);
    QLocalSocket socket;
    socket.connectToServer(SingleInstance::serverName(m_collection->path()));
    QVERIFY(socket.waitForConnected(5000));
    socket.write("--delete-everything\n");
    QTRY_VERIFY(socket.canReadLine());
    QCOMPARE(socket.readLine(), QByteArray("unknown\n"));
    QCOMPARE(requests.size(), 0);
}

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "singleinstance_test.moc"

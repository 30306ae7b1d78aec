#include "shell/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr qint64 kMaxRequest = 64;

QString socketFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    return QDir::tempPath();
}

QString socketPath(const QString &suffix)
{
    return QDir(socketFolder()).filePath(u"pathkeep-%1%2"_s.arg(QString::number(::getuid()), suffix));
}

bool sendTo(const QString &name, SingleInstance::Request request, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(QByteArray(SingleInstance::argument(request).toLatin1() + '\n'));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine().trimmed() == "ok";
}

} // namespace

std::optional<SingleInstance::Request> SingleInstance::requestIn(const QStringList &arguments)
{
    if (arguments.contains(argument(Request::GetUrl)))
        return Request::GetUrl;
    if (arguments.contains(argument(Request::Restore)))
        return Request::Restore;
    return std::nullopt;
}

QString SingleInstance::argument(Request request)
{
    return request == Request::GetUrl ? u"--get-url"_s : u"--restore"_s;
}

QString SingleInstance::serverName(const QString &collectionFolder)
{
    QString folder = QFileInfo(collectionFolder).canonicalFilePath();
    if (folder.isEmpty())
        folder = QDir::cleanPath(QDir(collectionFolder).absolutePath());
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1);
    return socketPath(u"-"_s + QString::fromLatin1(hash.toHex().left(16)));
}

QString SingleInstance::userServerName()
{
    return socketPath({});
}

bool SingleInstance::handOver(const QString &collectionFolder, Request request, int timeoutMs)
{
    return sendTo(serverName(collectionFolder), request, timeoutMs)
           || sendTo(userServerName(), request, timeoutMs);
}

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
{}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::listen(const QString &collectionFolder)
{
    if (!m_folder)
        m_folder = take(serverName(collectionFolder));
    if (m_folder && !m_user)
        m_user = take(userServerName());
    return m_folder != nullptr;
}

bool SingleInstance::isListening() const
{
    return m_folder != nullptr;
}

QLocalServer *SingleInstance::take(const QString &name)
{
    // A live program answers there; a socket left by a program that ended is taken over. (The
    // server replaces whatever file is in its place, so this has to be asked first.)
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(1000))
        return nullptr;
    QLocalServer::removeServer(name);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        delete server;
        return nullptr;
    }
    connect(server, &QLocalServer::newConnection, this, [this, server] { accept(server); });
    return server;
}

void SingleInstance::accept(QLocalServer *server)
{
    while (QLocalSocket *socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequest)
                    socket->abort();
                return;
            }
            const QString line = QString::fromLatin1(socket->readLine(kMaxRequest)).trimmed();
            const auto request = requestIn({line});
            socket->write(request ? "ok\n" : "unknown\n");
            socket->flush();
            socket->disconnectFromServer();
            if (request)
                emit requested(*request);
        });
    }
}

} // namespace pk

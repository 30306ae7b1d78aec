#pragma once

#include <QObject>
#include <QString>

#include <optional>

class QLocalServer;

namespace pk {

/**
 * @brief One running program per user and collection folder: a second start with a request
 * ("--restore", "--get-url") hands it to the running one over a local socket and ends.
 *
 * The running program listens on a socket named after the user and its collection folder, and
 * on one named after the user alone while no other program holds that, so that a command bound
 * in the desktop's settings (started in the home folder) reaches it too. The sockets live in
 * $XDG_RUNTIME_DIR, else in the temporary folder, open to their user only.
 */
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    enum class Request { Restore, GetUrl };
    Q_ENUM(Request)

    /// The request on a command line: "--restore" or "--get-url"; none without either.
    static std::optional<Request> requestIn(const QStringList &arguments);
    static QString argument(Request request);

    /// The socket of the program running on `collectionFolder`.
    static QString serverName(const QString &collectionFolder);
    /// The socket of the first program the user started.
    static QString userServerName();

    /// Hands `request` to the program running on `collectionFolder`, else to the user's first
    /// one; true when one took it. Waits at most `timeoutMs` for each.
    static bool handOver(const QString &collectionFolder, Request request, int timeoutMs = 5000);

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    /// Starts listening for requests for `collectionFolder`; false when another program
    /// already listens for it.
    bool listen(const QString &collectionFolder);
    bool isListening() const;

signals:
    void requested(pk::SingleInstance::Request request);

private:
    QLocalServer *take(const QString &name);
    void accept(QLocalServer *server);

    QLocalServer *m_folder = nullptr;
    QLocalServer *m_user = nullptr;
};

} // namespace pk

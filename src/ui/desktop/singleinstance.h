#pragma once
// One running instance per user. The lock file says whether one runs; a local socket beside it
// carries the files of a later start to it, so that a second start opens them there instead of
// vanishing.

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// The socket that belongs to a lock: the same folder and name, ".socket" for ".lock".
QString instanceSocketPath(const QString &lockPath);

enum class HandOverResult { Delivered, NotListening, NoAnswer };

// Sends files (absolute paths; none: just raise the window) to the instance listening at
// socketPath and waits up to timeoutMs for each step. why says what failed.
HandOverResult handOverFiles(const QString &socketPath, const QStringList &files, int timeoutMs,
                             QString *why);

struct InstanceClaim
{
    // Set: this process holds the lock and is the running instance.
    std::unique_ptr<QLockFile> lock;
    // The running instance took the files: this start ends with success.
    bool handedOver = false;
    // Neither: why, for standard error.
    QString error;
};

// Takes the lock, or hands files to its holder. A holder that is still starting and not yet
// listening is retried for patienceMs; a holder that ends meanwhile leaves the lock to this
// start.
InstanceClaim claimInstance(const QString &lockPath, const QStringList &files, int patienceMs);

// The running instance's end of the socket.
class InstanceListener : public QObject
{
    Q_OBJECT
public:
    explicit InstanceListener(QObject *parent = nullptr);
    ~InstanceListener() override;

    // Only the lock holder listens, so a socket file left by a holder that died is removed.
    bool listen(const QString &socketPath);
    QString errorString() const;

Q_SIGNALS:
    // After the sender has been answered; empty when it only asked to be shown.
    void filesReceived(const QStringList &files);

private:
    void acceptConnection();
    void readFrom(QLocalSocket *socket);

    QLocalServer *m_server = nullptr;
};

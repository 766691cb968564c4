#include "ui/desktop/singleinstance.h"

#include "core/system/handovermessage.h"
#include "ui/desktop/windowtools.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <algorithm>

namespace {

// How long one connection may take to deliver its frame before it is dropped.
constexpr int ConnectionLifetimeMs = 10000;
constexpr int RetryPauseMs = 100;

const char BufferProperty[] = "kirrelHandOverBuffer";

} // namespace

QString instanceSocketPath(const QString &lockPath)
{
    const QString suffix = QStringLiteral(".lock");
    const QString base = lockPath.endsWith(suffix) ? lockPath.chopped(suffix.size()) : lockPath;
    return base + QStringLiteral(".socket");
}

HandOverResult handOverFiles(const QString &socketPath, const QStringList &files, int timeoutMs,
                             QString *why)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs)) {
        *why = socket.errorString();
        return HandOverResult::NotListening;
    }
    socket.write(encodeHandOver(files));
    QDeadlineTimer deadline(timeoutMs);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(deadline.remainingTime()))) {
            *why = socket.errorString();
            return HandOverResult::NoAnswer;
        }
    }
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime()))) {
            *why = socket.state() == QLocalSocket::UnconnectedState
                       ? QStringLiteral("the connection was closed without an answer")
                       : socket.errorString();
            return HandOverResult::NoAnswer;
        }
    }
    char answer = 0;
    socket.getChar(&answer);
    if (answer != HandOverAck) {
        *why = QStringLiteral("an unexpected answer");
        return HandOverResult::NoAnswer;
    }
    return HandOverResult::Delivered;
}

InstanceClaim claimInstance(const QString &lockPath, const QStringList &files, int patienceMs)
{
    const QString socketPath = instanceSocketPath(lockPath);
    QDeadlineTimer deadline(patienceMs);
    QString why;
    for (;;) {
        InstanceClaim claim;
        claim.lock = lockSingleInstance(lockPath);
        if (claim.lock)
            return claim;
        const int wait = int(std::clamp<qint64>(deadline.remainingTime(), 1, 2000));
        switch (handOverFiles(socketPath, files, wait, &why)) {
        case HandOverResult::Delivered:
            claim.handedOver = true;
            return claim;
        case HandOverResult::NoAnswer:
            // It listens but does not answer: sending the files again could open them twice.
            claim.error = QStringLiteral("the running instance (lock %1) does not answer at %2: %3")
                              .arg(lockPath, socketPath, why);
            return claim;
        case HandOverResult::NotListening:
            break;
        }
        if (deadline.hasExpired()) {
            claim.error = QStringLiteral("another instance holds %1 but does not listen at %2 (%3)")
                              .arg(lockPath, socketPath, why);
            return claim;
        }
        QThread::msleep(RetryPauseMs);
    }
}

InstanceListener::InstanceListener(QObject *parent)
    : QObject(parent), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceListener::acceptConnection);
}

InstanceListener::~InstanceListener() = default;

bool InstanceListener::listen(const QString &socketPath)
{
    QLocalServer::removeServer(socketPath);
    return m_server->listen(socketPath);
}

QString InstanceListener::errorString() const
{
    return m_server->errorString();
}

void InstanceListener::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A sender that stalls must not hold a connection for the rest of the run.
        QTimer::singleShot(ConnectionLifetimeMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        readFrom(socket);
    }
}

void InstanceListener::readFrom(QLocalSocket *socket)
{
    QByteArray buffer = socket->property(BufferProperty).toByteArray();
    buffer += socket->readAll();
    QStringList files;
    switch (parseHandOver(buffer, &files)) {
    case HandOverParse::Incomplete:
        socket->setProperty(BufferProperty, buffer);
        return;
    case HandOverParse::Invalid:
        socket->abort();
        socket->deleteLater();
        return;
    case HandOverParse::Complete:
        break;
    }
    socket->setProperty(BufferProperty, QVariant());
    socket->putChar(HandOverAck);
    socket->flush();
    socket->disconnectFromServer();
    // Opening may show dialogs: the sender has its answer first.
    QMetaObject::invokeMethod(
        this, [this, files] { Q_EMIT filesReceived(files); }, Qt::QueuedConnection);
}

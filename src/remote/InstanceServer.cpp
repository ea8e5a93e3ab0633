#include "remote/InstanceServer.h"

#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QVariant>

InstanceServer::InstanceServer(Handler handler, QObject* parent)
    : QObject(parent)
    , m_handler(std::move(handler))
{
    // Only this user may connect: the socket plays macros into their windows.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceServer::accept);
}

InstanceServer::~InstanceServer()
{
    m_server.close();
}

InstanceServer::Start InstanceServer::listen()
{
    const QString path = InstanceChannel::socketPath();
    QLockFile lock(path + QStringLiteral(".lock"));
    // A lock left by a crashed copy is taken over once its process is gone.
    if (!lock.tryLock(InstanceChannel::kAcceptMs)) {
        m_error = QStringLiteral("%1.lock is held by another program").arg(path);
        return Start::Failed;
    }
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(InstanceChannel::kAcceptMs))
        return Start::OtherCopyRuns;
    // Nobody answers: a socket file there was left by a copy that ended, and listen() takes its
    // place.
    if (!m_server.listen(path)) {
        m_error = QStringLiteral("%1: %2").arg(path, m_server.errorString());
        return Start::Failed;
    }
    return Start::Listening;
}

void InstanceServer::accept()
{
    while (QLocalSocket* connection = m_server.nextPendingConnection()) {
        connection->setParent(this);
        connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        connect(connection, &QLocalSocket::readyRead, this, [this, connection] {
            if (!connection->canReadLine() || connection->property("taken").toBool())
                return;
            connection->setProperty("taken", true);
            const QStringList words = InstanceChannel::decodeRequest(connection->readLine());
            connection->write(InstanceChannel::kAccepted);
            connection->flush();
            // The handler may process events: the client can go away meanwhile.
            const QPointer<QLocalSocket> alive(connection);
            const InstanceChannel::Reply reply = m_handler(words);
            if (!alive)
                return;
            connection->write(InstanceChannel::encodeReply(reply));
            connection->flush();
            connection->disconnectFromServer();
        });
    }
}

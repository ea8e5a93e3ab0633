#include "remote/InstanceChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace InstanceChannel {

QString socketPath()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(folder).filePath(QStringLiteral("moxeno-trellin.socket"));
}

QByteArray encodeRequest(const QStringList& words)
{
    QByteArrayList parts;
    for (const QString& word : words)
        parts.append(word.toUtf8().toBase64());
    return parts.join(' ') + '\n';
}

QStringList decodeRequest(const QByteArray& line)
{
    QStringList words;
    for (const QByteArray& part : line.trimmed().split(' ')) {
        if (!part.isEmpty())
            words.append(QString::fromUtf8(QByteArray::fromBase64(part)));
    }
    return words;
}

QByteArray encodeReply(const Reply& reply)
{
    return QByteArray::number(reply.status) + ' ' + reply.out.toUtf8().toBase64() + ' '
        + reply.err.toUtf8().toBase64() + '\n';
}

Reply decodeReply(const QByteArray& line)
{
    const QByteArrayList parts = (line.endsWith('\n') ? line.chopped(1) : line).split(' ');
    bool ok = false;
    const int status = parts.value(0).toInt(&ok);
    if (!ok || parts.size() != 3)
        return {1, {}, QStringLiteral("the running Moxeno Trellin gave an answer that cannot be read")};
    return {status, QString::fromUtf8(QByteArray::fromBase64(parts[1])),
        QString::fromUtf8(QByteArray::fromBase64(parts[2]))};
}

namespace {

// The next line from the socket within the deadline; empty when none came.
QByteArray readLine(QLocalSocket& socket, const QDeadlineTimer& deadline)
{
    while (!socket.canReadLine()) {
        if (socket.state() != QLocalSocket::ConnectedState
            || !socket.waitForReadyRead(deadline.isForever() ? -1 : int(deadline.remainingTime())))
            break;
    }
    return socket.canReadLine() ? socket.readLine() : QByteArray();
}

} // namespace

std::optional<Reply> send(const QStringList& words, int replyTimeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    // A socket file left by a crashed copy refuses the connection at once.
    if (!socket.waitForConnected(kAcceptMs))
        return std::nullopt;
    socket.write(encodeRequest(words));
    if (!socket.waitForBytesWritten(kAcceptMs) || readLine(socket, QDeadlineTimer(kAcceptMs)) != kAccepted)
        return Reply {1, {}, QStringLiteral("the running Moxeno Trellin does not answer")};
    const QByteArray reply = readLine(socket, QDeadlineTimer(replyTimeoutMs < 0 ? -1 : replyTimeoutMs));
    if (reply.isEmpty())
        return Reply {1, {}, QStringLiteral("the running Moxeno Trellin ended before it answered")};
    return decodeReply(reply);
}

} // namespace InstanceChannel

#include "remote/InstanceChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

// The client's end of the socket on plain system calls: trellinctl and a second start only send
// one line and read two, and loading Qt Network for that would cost more than the request.
class ClientSocket
{
public:
    ClientSocket() = default;
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;
    ~ClientSocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    // False when nobody listens there: no socket file, or one left by a copy that ended.
    bool connectTo(const QString& path, const QDeadlineTimer& deadline)
    {
        sockaddr_un address;
        if (!socketAddress(QFile::encodeName(path), address))
            return false;
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (m_fd < 0)
            return false;
        for (;;) {
            if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
                return true;
            if (errno == EINTR)
                continue;
            // A listener whose queue is full: try again until the deadline.
            if (errno != EAGAIN || deadline.hasExpired())
                return false;
            ::poll(nullptr, 0, 10);
        }
    }

    bool writeAll(const QByteArray& bytes, const QDeadlineTimer& deadline)
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t sent
                = ::send(m_fd, bytes.constData() + done, std::size_t(bytes.size() - done), MSG_NOSIGNAL);
            if (sent > 0)
                done += sent;
            else if (sent < 0 && errno != EINTR && (errno != EAGAIN || !wait(POLLOUT, deadline)))
                return false;
        }
        return true;
    }

    // The next whole line, its line end included; empty when none came before the deadline or
    // the other end closed (then closed() is true).
    QByteArray readLine(const QDeadlineTimer& deadline)
    {
        for (;;) {
            if (const qsizetype end = m_received.indexOf('\n'); end >= 0) {
                const QByteArray line = m_received.left(end + 1);
                m_received.remove(0, end + 1);
                return line;
            }
            char chunk[4096];
            const ssize_t got = ::recv(m_fd, chunk, sizeof(chunk), 0);
            if (got > 0) {
                m_received.append(chunk, got);
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                // Closed, or reset when it ended with the request still unread.
                m_closed = true;
                return {};
            } else if (errno == EAGAIN && !wait(POLLIN, deadline)) {
                return {};
            }
        }
    }

    bool closed() const { return m_closed; }

private:
    bool wait(short events, const QDeadlineTimer& deadline)
    {
        for (;;) {
            pollfd watched {m_fd, events, 0};
            const int ready = ::poll(&watched, 1, deadline.isForever() ? -1 : int(deadline.remainingTime()));
            if (ready > 0)
                return true;
            if (ready == 0 || errno != EINTR)
                return false;
        }
    }

    int m_fd = -1;
    QByteArray m_received;
    bool m_closed = false;
};

} // namespace

bool socketAddress(const QByteArray& path, sockaddr_un& out)
{
    out = {};
    out.sun_family = AF_UNIX;
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof(out.sun_path))
        return false;
    std::memcpy(out.sun_path, path.constData(), std::size_t(path.size()));
    return true;
}

std::optional<Reply> send(const QStringList& words, int replyTimeoutMs)
{
    ClientSocket socket;
    if (!socket.connectTo(socketPath(), QDeadlineTimer(kAcceptMs)))
        return std::nullopt;
    if (!socket.writeAll(encodeRequest(words), QDeadlineTimer(kAcceptMs))
        || socket.readLine(QDeadlineTimer(kAcceptMs)) != kAccepted)
        return Reply {1, {}, QStringLiteral("the running Moxeno Trellin does not answer")};
    const QByteArray reply = socket.readLine(QDeadlineTimer(replyTimeoutMs < 0 ? -1 : replyTimeoutMs));
    if (reply.isEmpty() && socket.closed())
        return Reply {1, {}, QStringLiteral("the running Moxeno Trellin ended before it answered")};
    if (reply.isEmpty())
        return Reply {1, {}, QStringLiteral("the running Moxeno Trellin did not answer in time")};
    return decodeReply(reply);
}

} // namespace InstanceChannel

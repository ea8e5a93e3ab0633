#include "remote/InstanceServer.h"

#include <QFile>
#include <QLockFile>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// True when a program accepts connections at path.
bool answers(const QByteArray& path)
{
    sockaddr_un where;
    if (!InstanceChannel::socketAddress(path, where))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    int result;
    do
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&where), sizeof(where));
    while (result < 0 && errno == EINTR);
    ::close(fd);
    // A full queue (EAGAIN) is a copy that runs but is busy.
    return result == 0 || errno == EAGAIN;
}

// Writes all of bytes; a client that went away meanwhile is no error of ours.
void sendAll(int fd, const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t sent
            = ::send(fd, bytes.constData() + done, std::size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (sent > 0)
            done += sent;
        else if (sent < 0 && errno != EINTR)
            return;
    }
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

InstanceServer::InstanceServer(Handler handler, QObject* parent)
    : QObject(parent)
    , m_handler(std::move(handler))
{ }

InstanceServer::~InstanceServer()
{
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it)
        ::close(it.key());
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(QFile::encodeName(m_path).constData());
    }
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
    const QByteArray name = QFile::encodeName(path);
    if (answers(name))
        return Start::OtherCopyRuns;
    // Nobody answers: a socket file there was left by a copy that ended. The new socket is made
    // under another name and readable by this user only before it takes that place, so nobody
    // else can connect in between (the socket plays macros into this user's windows).
    const QByteArray fresh = name + ".new";
    sockaddr_un where;
    if (!InstanceChannel::socketAddress(fresh, where)) {
        m_error = QStringLiteral("%1: the path is too long for a socket").arg(path);
        return Start::Failed;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ::unlink(fresh.constData());
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof(where)) != 0
        || ::chmod(fresh.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, 16) != 0
        || ::rename(fresh.constData(), name.constData()) != 0) {
        m_error = QStringLiteral("%1: %2").arg(path, systemError());
        if (fd >= 0)
            ::close(fd);
        ::unlink(fresh.constData());
        return Start::Failed;
    }
    m_fd = fd;
    m_path = path;
    m_notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InstanceServer::accept);
    return Start::Listening;
}

void InstanceServer::accept()
{
    for (;;) {
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        auto* notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
        m_connections.insert(fd, {notifier, {}});
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { read(fd); });
    }
}

void InstanceServer::read(int fd)
{
    auto it = m_connections.find(fd);
    if (it == m_connections.end())
        return;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::recv(fd, chunk, sizeof(chunk), 0);
        if (got > 0) {
            it->received.append(chunk, got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0 || errno != EAGAIN) {
            // The client went away before its request was whole.
            if (!it->received.contains('\n')) {
                drop(fd);
                return;
            }
        }
        break;
    }
    const qsizetype end = it->received.indexOf('\n');
    if (end < 0)
        return;
    // One request per connection: the rest is not read.
    const QStringList words = InstanceChannel::decodeRequest(it->received.left(end + 1));
    it->notifier->setEnabled(false);
    sendAll(fd, InstanceChannel::kAccepted);
    // The handler may process events, and a reply to another connection may come first.
    const QPointer<InstanceServer> alive(this);
    const InstanceChannel::Reply reply = m_handler(words);
    if (!alive)
        return;
    // Blocking from here: the reply goes out whole, and the client reads it.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    sendAll(fd, InstanceChannel::encodeReply(reply));
    drop(fd);
}

void InstanceServer::drop(int fd)
{
    const auto it = m_connections.find(fd);
    if (it == m_connections.end())
        return;
    it->notifier->setEnabled(false);
    it->notifier->deleteLater();
    m_connections.erase(it);
    ::close(fd);
}

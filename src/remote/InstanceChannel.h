#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct sockaddr_un;

// How a second start and trellinctl talk to the running copy of the program: one request (a
// few words, such as "play 3 5") on a local socket in $XDG_RUNTIME_DIR, answered with an exit
// status and the texts for standard output and standard error.
namespace InstanceChannel {

struct Reply
{
    int status = 0;
    QString out;
    QString err;
};

// $XDG_RUNTIME_DIR/moxeno-trellin.socket; Qt's runtime folder when the variable is not set.
QString socketPath();

// The request line and its reply line on the wire.
QByteArray encodeRequest(const QStringList& words);
QStringList decodeRequest(const QByteArray& line);
QByteArray encodeReply(const Reply& reply);
Reply decodeReply(const QByteArray& line);

// The server's first line, sent as soon as it has read a request: a copy that takes the
// connection but never says this is hung, and the client stops waiting for it.
inline constexpr char kAccepted[] = "accepted\n";
// How long a request may wait for kAccepted. The reply itself may take as long as the request
// needs (a macro can wait for the user), unless a limit is given.
inline constexpr int kAcceptMs = 5000;

// Sends one request to the running copy and waits for its reply; nothing when no copy listens
// on the socket. A copy that takes the request but ends or hangs before answering gives a
// failure that says so. replyTimeoutMs < 0 waits for the reply as long as the copy runs.
// The socket address of path (a file name in the local encoding); false when it does not fit.
bool socketAddress(const QByteArray& path, sockaddr_un& out);

std::optional<Reply> send(const QStringList& words, int replyTimeoutMs = -1);

} // namespace InstanceChannel

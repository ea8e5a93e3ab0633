#pragma once

#include "remote/InstanceChannel.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

// The running copy's end of the instance socket. Each connection brings one request, which the
// handler answers; the handler may keep events going meanwhile (a macro playing), and further
// requests are answered in between. Plain system calls under socket notifiers: the program then
// loads no Qt Network (and no library that comes with it) at its start.
class InstanceServer : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<InstanceChannel::Reply(const QStringList& words)>;

    explicit InstanceServer(Handler handler, QObject* parent = nullptr);
    ~InstanceServer() override;

    enum class Start
    {
        Listening,
        OtherCopyRuns, // another copy answers on the socket: it stays there
        Failed, // see errorString()
    };
    // Takes the socket unless another copy answers on it. A socket file nobody answers on was
    // left by a copy that crashed: it is replaced, so it never stops a start. Checking and
    // taking the socket happen under a lock file, so two copies started at once cannot both
    // take it.
    Start listen();
    QString errorString() const { return m_error; }

private:
    void accept();
    void read(int fd);
    void drop(int fd);

    Handler m_handler;
    QString m_path;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    // Open connections: what each has sent so far, until its request line is whole.
    struct Connection
    {
        QSocketNotifier* notifier = nullptr;
        QByteArray received;
    };
    QHash<int, Connection> m_connections;
    QString m_error;
};

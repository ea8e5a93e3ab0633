#pragma once

#include "remote/InstanceChannel.h"

#include <QLocalServer>
#include <QObject>

#include <functional>

// The running copy's end of the instance socket. Each connection brings one request, which the
// handler answers; the handler may keep events going meanwhile (a macro playing), and further
// requests are answered in between.
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

    Handler m_handler;
    QLocalServer m_server;
    QString m_error;
};

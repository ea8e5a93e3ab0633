#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

// Drives a TypingTarget window in its own process: a window of another program, as far as
// the window tracker and the key sender can tell.
class TargetProcess
{
public:
    ~TargetProcess() { stop(); }

    // Starts the target and waits until its window is active. False on timeout.
    bool start(const QString& title, int timeoutMs = 10000)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(TRELLIN_TYPING_TARGET), {title});
        const QByteArray line = readLine(timeoutMs);
        m_window = line.startsWith("ready ") ? line.mid(6).toULongLong() : 0;
        return m_window != 0;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.write("quit\n");
        if (!m_process.waitForFinished(2000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    unsigned long window() const { return m_window; }

    // The target's text, and when it last changed (steady clock, nanoseconds).
    QString text(qint64* lastChangeNs = nullptr)
    {
        const QList<QByteArray> parts = command("text").split(' ');
        if (lastChangeNs)
            *lastChangeNs = parts.value(1).toLongLong();
        return QString::fromUtf8(QByteArray::fromBase64(parts.value(2)));
    }

    // The non-modifier keys it received, as Qt names them ("Ctrl+A", "F5").
    QStringList keys()
    {
        const QString joined = QString::fromUtf8(QByteArray::fromBase64(command("keys").mid(5)));
        return joined.isEmpty() ? QStringList() : joined.split(u' ');
    }

    bool clear() { return command("clear") == "ok"; }

    // Polls until the text equals expected, or until it stopped changing for quietMs.
    QString waitForText(const QString& expected, int timeoutMs = 10000, int quietMs = 500)
    {
        QDeadlineTimer deadline(timeoutMs);
        QDeadlineTimer quiet(quietMs);
        QString current = text();
        while (current != expected && !deadline.hasExpired() && !quiet.hasExpired()) {
            QThread::msleep(10);
            const QString next = text();
            if (next != current)
                quiet.setRemainingTime(quietMs);
            current = next;
        }
        return current;
    }

private:
    QByteArray command(const QByteArray& name)
    {
        m_process.write(name + '\n');
        return readLine(5000);
    }

    QByteArray readLine(int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_process.canReadLine()) {
            if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
                return QByteArray();
        }
        return m_process.readLine().trimmed();
    }

    QProcess m_process;
    unsigned long m_window = 0;
};

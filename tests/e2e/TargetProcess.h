#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
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
        m_process.setProgram(QStringLiteral(TRELLIN_TYPING_TARGET));
        m_process.setArguments({title});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        const QByteArray line = readLine(timeoutMs);
        if (!line.startsWith("ready "))
            return false;
        m_window = line.mid(6).toULongLong();
        return true;
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
        if (parts.size() < 2)
            return QString();
        if (lastChangeNs)
            *lastChangeNs = parts.at(1).toLongLong();
        return parts.size() > 2 ? QString::fromUtf8(QByteArray::fromBase64(parts.at(2))) : QString();
    }

    // The non-modifier keys it received, as Qt names them ("Ctrl+A", "F5").
    QStringList keys()
    {
        const QByteArray reply = command("keys");
        const QString joined = QString::fromUtf8(QByteArray::fromBase64(reply.mid(5)));
        return joined.isEmpty() ? QStringList() : joined.split(u' ');
    }

    bool clear() { return command("clear") == "ok"; }

    // Polls until the text equals expected, or until it stopped changing for quietMs.
    QString waitForText(const QString& expected, int timeoutMs = 10000, int quietMs = 500)
    {
        QDeadlineTimer deadline(timeoutMs);
        QString current = text();
        QDeadlineTimer quiet(quietMs);
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

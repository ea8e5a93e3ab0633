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
    bool start(const QString& title)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(TRELLIN_TYPING_TARGET), {title});
        const QByteArray line = readLine(10000);
        m_window = line.startsWith("ready ") ? line.mid(6).toULongLong() : 0;
        return m_window != 0;
    }

    void stop()
    {
        m_process.closeWriteChannel(); // the target quits at the end of its input
        if (!m_process.waitForFinished(2000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    unsigned long window() const { return m_window; }

    // The target's text, and when it last changed (steady clock, nanoseconds).
    QString text(qint64* lastChangeNs = nullptr) { return state(2, lastChangeNs); }
    // The non-modifier keys it received, as Qt names them ("Ctrl+A", "F5").
    QStringList keys() { return state(3).split(u' ', Qt::SkipEmptyParts); }

    bool clear() { return m_process.write("clear\n") > 0 && readLine(5000) == "ok"; }

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
    // A field of the reply "state <ns of the last change> <base64 text> <base64 keys>".
    QString state(int field, qint64* lastChangeNs = nullptr)
    {
        m_process.write("state\n");
        const QList<QByteArray> parts = readLine(5000).split(' ');
        if (lastChangeNs)
            *lastChangeNs = parts.value(1).toLongLong();
        return QString::fromUtf8(QByteArray::fromBase64(parts.value(field)));
    }

    QByteArray readLine(int timeoutMs)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!m_process.canReadLine() && m_process.waitForReadyRead(int(deadline.remainingTime()))) { }
        return m_process.canReadLine() ? m_process.readLine().trimmed() : QByteArray();
    }

    QProcess m_process;
    unsigned long m_window = 0;
};

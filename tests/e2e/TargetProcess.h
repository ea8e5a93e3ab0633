#pragma once

// By path: the typing benchmark includes this file without the tests' include folders.
#include "../common/SlowMachine.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QtCore/qtestsupport_core.h>

// Drives a TypingTarget window in its own process: a window of another program, as far as the
// window tracker and the key sender can tell. Every wait ends after kSlowMachineMs at the latest.
class TargetProcess
{
public:
    ~TargetProcess() { stop(); }

    // Starts the target and waits until its window is active. False on timeout.
    bool start(const QString& title)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(TRELLIN_TYPING_TARGET), {title});
        const QByteArray line = readLine();
        m_window = line.startsWith("ready ") ? line.mid(6).toULongLong() : 0;
        return m_window != 0;
    }

    // Ends the target, which quits at the end of its input; killed if it does not.
    void stop()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(kSlowMachineMs))
            m_process.kill();
    }

    unsigned long window() const { return m_window; }

    // The target's text, and when it last changed (steady clock, nanoseconds).
    QString text(qint64* lastChangeNs = nullptr) { return state(2, lastChangeNs); }
    // The non-modifier keys it received, as Qt names them ("Ctrl+A", "F5").
    QStringList keys() { return state(3).split(u' ', Qt::SkipEmptyParts); }

    bool clear() { return m_process.write("clear\n") > 0 && readLine() == "ok"; }

    // Asks for the text, keeping this process's events going, until it equals expected; with
    // quietMs, also once it has not changed for that long (the benchmark's end of typing).
    QString waitForText(const QString& expected, int timeoutMs = kSlowMachineMs, int quietMs = 0)
    {
        QString current = text();
        QDeadlineTimer quiet(quietMs > 0 ? quietMs : -1);
        (void)QTest::qWaitFor(
            [&] {
                const QString next = text();
                if (next != current && quietMs > 0)
                    quiet.setRemainingTime(quietMs);
                current = next;
                return current == expected || quiet.hasExpired();
            },
            timeoutMs);
        return current;
    }

private:
    // A field of the reply "state <ns of the last change> <base64 text> <base64 keys>".
    QString state(int field, qint64* lastChangeNs = nullptr)
    {
        m_process.write("state\n");
        const QList<QByteArray> parts = readLine().split(' ');
        if (lastChangeNs)
            *lastChangeNs = parts.value(1).toLongLong();
        return QString::fromUtf8(QByteArray::fromBase64(parts.value(field)));
    }

    QByteArray readLine()
    {
        const QDeadlineTimer deadline(kSlowMachineMs);
        while (!m_process.canReadLine() && m_process.waitForReadyRead(int(deadline.remainingTime()))) { }
        return m_process.canReadLine() ? m_process.readLine().trimmed() : QByteArray();
    }

    QProcess m_process;
    unsigned long m_window = 0;
};

#pragma once

// By path: the typing benchmark includes this file without the tests' include folders.
#include "../common/SlowMachine.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QTemporaryFile>
#include <QtCore/qtestsupport_core.h>

// Drives a TypingTarget window in its own process: a window of another program, as far as the
// window tracker and the key sender can tell. Every wait ends after kSlowMachineMs at the latest.
class TargetProcess
{
public:
    enum class Toolkit
    {
        Qt,
        Tk
    };

    ~TargetProcess() { stop(); }

    // Starts the target and waits until its window is active. False on timeout. The Tk target
    // is a text window that, unlike Qt's, does not answer _NET_WM_PING; it reports no keys.
    bool start(const QString& title, Toolkit toolkit = Toolkit::Qt)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (toolkit == Toolkit::Tk) {
            if (!m_script.open() || m_script.write(kTkTarget) != qint64(sizeof kTkTarget) - 1
                || !m_script.flush())
                return false;
            m_process.start(QStringLiteral("wish"), {m_script.fileName(), title});
        } else {
            m_process.start(QStringLiteral(TRELLIN_TYPING_TARGET), {title});
        }
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

    // The target's text, and when it last changed (wall clock, nanoseconds).
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
    // TypingTarget's protocol in Tcl; the text's last change in wall-clock nanoseconds.
    static constexpr char kTkTarget[] = R"tcl(
wm title . [lindex $argv 0]
text .text -width 80 -height 25
pack .text -fill both -expand 1
set lastChange 0
bind .text <<Modified>> {
    if {[.text edit modified]} {
        set lastChange [expr {[clock microseconds] * 1000}]
        .text edit modified 0
    }
}
proc announce {} {
    if {[focus] ne ".text"} {
        focus -force .text
        after 200 announce
        return
    }
    puts "ready [expr {[winfo id .]}]"
}
proc command {} {
    if {[gets stdin line] < 0} {
        if {[eof stdin]} { exit }
        return
    }
    if {$line eq "state"} {
        set text [binary encode base64 [encoding convertto utf-8 [.text get 1.0 end-1c]]]
        puts "state $::lastChange $text "
    } elseif {$line eq "clear"} {
        .text delete 1.0 end
        puts ok
    }
}
fconfigure stdin -blocking 0
fconfigure stdout -buffering line
fileevent stdin readable command
after 200 announce
)tcl";

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
    QTemporaryFile m_script;
    unsigned long m_window = 0;
};

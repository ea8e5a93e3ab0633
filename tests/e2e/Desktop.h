#pragma once

#include "ChildProcess.h"

// The other programs of an end-to-end test's X session: xdotool, xclip, trellinctl and the
// program itself. Every wait ends after kSlowMachineMs at the latest.
namespace Desktop {

using ChildProcess::Outcome;
using ChildProcess::run;

inline QString xdotool(const QStringList& arguments)
{
    return QString::fromUtf8(run(QStringLiteral("xdotool"), arguments).out).trimmed();
}
inline QString activeWindow()
{
    return xdotool({"getactivewindow"});
}
// The first visible window whose name matches; with wait, once one shows.
inline QString visibleWindow(const QString& title, bool wait = false)
{
    return xdotool(wait ? QStringList {"search", "--sync", "--onlyvisible", "--name", title}
                        : QStringList {"search", "--onlyvisible", "--name", title})
        .section(u'\n', 0, 0);
}
// Clicks a point given in a window's twips (15 to a pixel at 96 DPI).
inline void click(const QString& window, int xTwips, int yTwips, int button = 1)
{
    xdotool({"mousemove", "--window", window, QString::number(xTwips / 15), QString::number(yTwips / 15),
        "click", QString::number(button)});
}
inline QString clipboard()
{
    return QString::fromUtf8(run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}).out);
}

// Starts a program and waits until its main window is the active one (a click is sure to reach
// it only then); the window, or nothing when it did not show.
inline QString startProgram(QProcess& program, const QString& path)
{
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(path, {});
    const QString window
        = program.waitForStarted() ? visibleWindow(QStringLiteral("^Moxeno Trellin$"), true) : QString();
    if (!window.isEmpty() && QTest::qWaitFor([&] { return activeWindow() == window; }, kSlowMachineMs))
        return window;
    qWarning("the main window did not appear or never became active; the program %s",
        program.state() == QProcess::Running
            ? "runs"
            : qPrintable(QStringLiteral("ended with exit code %1").arg(program.exitCode())));
    return {};
}

} // namespace Desktop

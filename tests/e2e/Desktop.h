#pragma once

#include "ChildProcess.h"
#include "TestFiles.h"

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

// A window of the program once it shows and is the active window; nothing when it did not.
inline QString activeDialog(const QString& title)
{
    const QString dialog = visibleWindow(title, true);
    return !dialog.isEmpty() && QTest::qWaitFor([&] { return activeWindow() == dialog; }, kSlowMachineMs)
        ? dialog
        : QString();
}

// Where the program keeps its settings, and its data files unless the settings name another folder.
inline QString settingsFile()
{
    return QDir::homePath() + QStringLiteral("/.config/MoxenoTrellin/MoxenoTrellin.ini");
}
inline QString dataFolder()
{
    return QDir::homePath() + QStringLiteral("/.local/share/MoxenoTrellin/");
}
// Writes the settings (played macros neither ask nor tell, and type fast, before "more") and the
// data files, given by name, "|" standing for the record marker; false when a write fails.
inline bool writeFiles(const QList<std::pair<const char*, QByteArray>>& data, const QByteArray& more = {})
{
    bool written = TestFiles::write(settingsFile(),
        "[Settings]\r\nMacroPromptBefore=0\r\nMacroInformAfter=0\r\nMacroDelay=0.001\r\n" + more);
    for (const auto& [name, records] : data)
        written = TestFiles::write(dataFolder() + QLatin1String(name), TestFiles::marked(records)) && written;
    return written;
}

// Opens "About..." from the main window's menu (its third item); the dialog, or nothing.
inline QString openAbout(const QString& mainWindow)
{
    click(mainWindow, 9240 + 900, 9120 + 165); // the menu's list
    xdotool({"key", "--delay", "50", "Home", "Down", "Down", "Return"});
    return visibleWindow(QStringLiteral("^About...$"), true);
}
inline void closeAbout(const QString& about)
{
    click(about, 4680 + 600, 3240 + 150);
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(QStringLiteral("^About...$")).isEmpty(), kSlowMachineMs);
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

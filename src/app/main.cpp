#include "app/CommandLine.h"
#include "app/PlatformServices.h"
#include "app/TrellinApp.h"
#include "gui/widgets/GroupFrameStyle.h"
#include "macros/TypeNotation.h"
#include "platform/x11/X11Connection.h"
#include "remote/InstanceServer.h"

#include <QApplication>
#include <QClipboard>

#include <cstdio>
#include <thread>

#include <fontconfig/fontconfig.h>

namespace {

int finish(const CommandLine::Outcome& outcome)
{
    std::fputs(
        outcome.text.toLocal8Bit().constData(), outcome.status == CommandLine::Success ? stdout : stderr);
    return outcome.status;
}

// Without an X server Qt's xcb plug-in aborts the process with a core dump; this says in one
// line what is missing instead.
bool checkX11(const QStringList& arguments)
{
    if (CommandLine::platform(arguments) != QLatin1String("xcb"))
        return true;
    // In a Wayland session the windows go through XWayland: typing into other windows and
    // following the active window work only there.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    const X11Connection display;
    if (display.isOpen())
        return true;
    std::fprintf(stderr, "moxeno-trellin: needs an X11 session (or XWayland): %s\n",
        display.failure().toLocal8Bit().constData());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    TrellinApp::keepFreedMemory();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (const CommandLine::Outcome early = CommandLine::beforeDisplay(arguments); !early.start)
        return finish(early);
    if (!checkX11(arguments))
        return CommandLine::Failure;
    // fontconfig reads its configuration and font caches when the window measures its first
    // text: about a fifth of the start's instructions. It reads them on a thread of its own
    // while the display is connected and the application is set up, which wait on the X server
    // as much as they work, and is done by the time the window is built.
    std::jthread fontConfiguration([] { FcInit(); });

    QApplication application(argc, argv);
    // QApplication has taken its own options (-platform, -display ...) out of the list.
    if (const CommandLine::Outcome rest = CommandLine::afterDisplay(QApplication::arguments()); !rest.start)
        return finish(rest);
    QApplication::setStyle(new GroupFrameStyle);
    QApplication::setApplicationName(QStringLiteral("Moxeno Trellin"));
    QApplication::setApplicationVersion(QStringLiteral(TRELLIN_VERSION));
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TRELLIN_APP_ID));

    // One running copy: a start while it runs brings its window to the front instead. The socket
    // is taken before the window is built, so trellinctl finds this copy from the start on.
    TrellinApp* running = nullptr;
    InstanceServer server([&running](const QStringList& words) {
        return running ? running->answer(words)
                       : InstanceChannel::Reply {1, {}, QStringLiteral("Moxeno Trellin is still starting")};
    });
    switch (server.listen()) {
    case InstanceServer::Start::Listening:
        break;
    case InstanceServer::Start::OtherCopyRuns:
        if (!CommandLine::newInstance(QApplication::arguments())) {
            const auto reply = InstanceChannel::send({QStringLiteral("show")}, 10000);
            if (reply && reply->status == 0)
                return CommandLine::Success;
            return finish({false, CommandLine::Failure,
                QStringLiteral(
                    "moxeno-trellin: a copy is running but %1; --new-instance starts another one\n")
                    .arg(reply ? reply->err : QStringLiteral("it went away"))});
        }
        break;
    case InstanceServer::Start::Failed:
        std::fprintf(stderr, "moxeno-trellin: trellinctl cannot reach this copy: %s\n",
            server.errorString().toLocal8Bit().constData());
        break;
    }

    PlatformServices platform;
    // Two threads setting up fontconfig would each read it all.
    fontConfiguration.join();
    TrellinApp::Platform services;
    // Keys for the program's own widgets ({F1} for the help) go out as Qt key events.
    services.sendKeys
        = [&platform](const QString& keys) { (void)typeNotation(platform.ownKeySender(), keys, false); };
    services.setNumLockOn = [&platform] { platform.keyboardLocks().setNumLockOn(); };
    services.keySender = &platform.keySender();
    services.windowSwitcher = &platform.windowSwitcher();
    services.textInserter = &platform.textInserter();
    services.shortcuts = &platform.globalShortcuts();
    TrellinApp trellin(platform.clipboard(), services);
    platform.setInsertRules([&trellin] { return InsertRules::fromSettings(trellin.context().settings()); });
    if (!trellin.start())
        return 1;
    running = &trellin;
    const int status = QApplication::exec();
    // At exit Qt hands what this program owns on the clipboard to a clipboard manager and waits
    // for it. That keeps the user's last copy after the program has gone; text that was merely
    // selected in one of our fields is not worth the wait, so that selection is given up first.
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard->ownsSelection() && !clipboard->ownsClipboard())
        clipboard->clear(QClipboard::Selection);
    return status;
}

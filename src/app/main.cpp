#include "app/PlatformServices.h"
#include "app/TrellinApp.h"

#include <QApplication>
#include <QClipboard>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moxeno Trellin"));
    QApplication::setApplicationVersion(QStringLiteral(TRELLIN_VERSION));

    PlatformServices platform;
    TrellinApp::Platform services;
    // Keys for the program's own widgets ({F1} for the help) go out as Qt key events.
    services.sendKeys
        = [&platform](const QString& keys) { (void)platform.ownKeySender().sendKeys(keys, false); };
    services.setNumLockOn = [&platform] { platform.keyboardLocks().setNumLockOn(); };
    services.keySender = &platform.keySender();
    services.windowSwitcher = &platform.windowSwitcher();
    TrellinApp trellin(platform.clipboard(), services);
    if (!trellin.start())
        return 1;
    const int status = QApplication::exec();
    // At exit Qt hands what this program owns on the clipboard to a clipboard manager and waits
    // for it. That keeps the user's last copy after the program has gone; text that was merely
    // selected in one of our fields is not worth the wait, so that selection is given up first.
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard->ownsSelection() && !clipboard->ownsClipboard())
        clipboard->clear(QClipboard::Selection);
    return status;
}

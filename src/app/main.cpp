#include "app/TrellinApp.h"
#include "app/PlatformServices.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moxeno Trellin"));
    QApplication::setApplicationVersion(QStringLiteral(TRELLIN_VERSION));

    PlatformServices platform;
    TrellinApp::Platform services;
    // Keys for the program's own widgets ({F1} for the help) go out as Qt key events.
    services.sendKeys = [&platform](const QString& keys) { platform.ownKeySender().sendKeys(keys, false); };
    services.setNumLockOn = [&platform] { platform.keyboardLocks().setNumLockOn(); };
    TrellinApp trellin(platform.clipboard(), services);
    if (!trellin.start())
        return 1;
    return QApplication::exec();
}

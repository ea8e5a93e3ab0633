#include "app/TrellinApp.h"
#include "platform/QtClipboard.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moxeno Trellin"));
    QApplication::setApplicationVersion(QStringLiteral(TRELLIN_VERSION));

    QtClipboard clipboard;
    TrellinApp trellin(clipboard, TrellinApp::Platform {});
    if (!trellin.start())
        return 1;
    return QApplication::exec();
}

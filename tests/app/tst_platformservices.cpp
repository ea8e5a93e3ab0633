#include "GuiTestMain.h"
#include "app/PlatformServices.h"
#include "macros/TypeNotation.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyboardLocks.h"
#include "platform/x11/X11WindowTracker.h"

// Where there is no X server to talk to, every service says so instead of crashing.
class TestPlatformServices : public QObject
{
    Q_OBJECT
private slots:
    void offscreenPlatformTypesNothing()
    {
        PlatformServices services;
        QVERIFY(!services.usesX11());
        QVERIFY(services.unavailableReason().contains(QStringLiteral("offscreen")));
        QVERIFY(
            typeNotation(services.keySender(), QStringLiteral("abc"), true).error().contains(u"offscreen"));
        // Unreadable text is still reported as such.
        QVERIFY(typeNotation(services.keySender(), QStringLiteral("{NOPE}"), true).error().contains(u"NOPE"));
        QVERIFY(!services.windowSwitcher().switchToLastWindow()
            && !services.windowSwitcher().switchPastProgressWindow()
            && !services.keyboardLocks().setNumLockOn());
    }

    // No X server there, and a malformed display name.
    void unreachableDisplay()
    {
        for (const QByteArray& display : {QByteArray(":4711"), QByteArray("no-such-host-name:0.0x")}) {
            X11KeySender sender(display);
            QVERIFY(!sender.isAvailable());
            const QString error = typeNotation(sender, QStringLiteral("abc"), true).error();
            QVERIFY2(error.startsWith(QStringLiteral("cannot type keys: no X11 display")), qPrintable(error));
            X11WindowTracker tracker(display);
            QVERIFY(!tracker.isAvailable() && !tracker.switchToLastWindow()
                && !tracker.switchPastProgressWindow());
            X11KeyboardLocks locks(display);
            QVERIFY(!locks.setNumLockOn() && !locks.state());
        }
    }
};

TRELLIN_GUI_TEST_MAIN(TestPlatformServices)
#include "tst_platformservices.moc"

#include "TestEnvironment.h"
#include "platform/PlatformServices.h"
#include "platform/X11KeySender.h"
#include "platform/X11KeyboardLocks.h"
#include "platform/X11WindowTracker.h"

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
        QVERIFY(services.keySender().SendKeys(QStringLiteral("abc"), true).error.contains(u"offscreen"));
        // Unreadable text is still reported as such.
        QVERIFY(services.keySender().SendKeys(QStringLiteral("{NOPE}"), true).error.contains(u"NOPE"));
        QVERIFY(!services.windowSwitcher().SwitchToLastWindow());
        QVERIFY(!services.windowSwitcher().SwitchPastProgressWindow());
        QVERIFY(!services.keyboardLocks().SetNumLockOn());
    }

    // No X server there, and a malformed display name.
    void unreachableDisplay()
    {
        for (const QByteArray& display : {QByteArray(":4711"), QByteArray("no-such-host-name:0.0x")}) {
            X11KeySender sender(display);
            QVERIFY(!sender.isAvailable());
            const QString error = sender.SendKeys(QStringLiteral("abc"), true).error;
            QVERIFY2(error.startsWith(QStringLiteral("cannot type keys: no X11 display")), qPrintable(error));
            X11WindowTracker tracker(display);
            QVERIFY(!tracker.isAvailable() && !tracker.SwitchToLastWindow()
                && !tracker.SwitchPastProgressWindow());
            X11KeyboardLocks locks(display);
            QVERIFY(!locks.SetNumLockOn() && !locks.state());
        }
    }
};

TRELLIN_GUI_TEST_MAIN(TestPlatformServices)
#include "tst_platformservices.moc"

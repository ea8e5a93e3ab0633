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
        const auto result = services.keySender().SendKeys(QStringLiteral("abc"), true);
        QVERIFY(!result.ok());
        QVERIFY(result.error.contains(QStringLiteral("offscreen")));
        QVERIFY(!services.windowSwitcher().SwitchToLastWindow());
        QVERIFY(!services.windowSwitcher().SwitchPastProgressWindow());
        QVERIFY(!services.keyboardLocks().SetNumLockOn());
        // Unreadable text is still reported as such.
        QVERIFY(services.keySender()
                    .SendKeys(QStringLiteral("{NOPE}"), true)
                    .error.contains(QStringLiteral("NOPE")));
    }

    // No X server there, and a malformed display name.
    void unreachableDisplay()
    {
        for (const QByteArray& display : {QByteArray(":4711"), QByteArray("no-such-host-name:0.0x")}) {
            X11KeySender sender(display);
            QVERIFY(!sender.isAvailable());
            const auto result = sender.SendKeys(QStringLiteral("abc"), true);
            QVERIFY2(result.error.startsWith(QStringLiteral("cannot type keys: no X11 display")),
                qPrintable(result.error));

            X11WindowTracker tracker(display);
            QVERIFY(!tracker.isAvailable());
            QVERIFY(!tracker.SwitchToLastWindow());
            QVERIFY(!tracker.SwitchPastProgressWindow());
            QCOMPARE(tracker.lastWindowTarget(), 0ul);

            X11KeyboardLocks locks(display);
            QVERIFY(!locks.SetNumLockOn());
            QVERIFY(!locks.state());
        }
    }
};

TRELLIN_GUI_TEST_MAIN(TestPlatformServices)
#include "tst_platformservices.moc"

#include "RecordingKeySender.h"
#include "TestEnvironment.h"
#include "platform/PlatformServices.h"
#include "platform/X11KeySender.h"
#include "platform/X11KeyboardLocks.h"
#include "platform/X11WindowTracker.h"

// Where there is no X server to talk to, every service says so instead of crashing; and every
// key sender reads the notation the same way before it types.
class TestPlatformServices : public QObject
{
    Q_OBJECT
private slots:
    void keySenderReadsNotationFirst_data();
    void keySenderReadsNotationFirst();
    void offscreenPlatformTypesNothing();
    void unreachableDisplay_data();
    void unreachableDisplay();
};

void TestPlatformServices::keySenderReadsNotationFirst_data()
{
    QTest::addColumn<QString>("notation");
    QTest::addColumn<QString>("backendFailure");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("typed");
    QTest::newRow("typed") << "ab~{TAB}{F1}"
                           << ""
                           << ""
                           << "ab\n\t{F1}";
    QTest::newRow("empty text types nothing") << ""
                                              << ""
                                              << ""
                                              << "";
    QTest::newRow("unreadable text never reaches the backend")
        << "ab{TAB"
        << ""
        << "cannot read the keystroke text, character 3: '{' is never closed by '}'"
        << "";
    QTest::newRow("backend failure") << "ab"
                                     << "window gone"
                                     << "window gone"
                                     << "";
}

void TestPlatformServices::keySenderReadsNotationFirst()
{
    QFETCH(QString, notation);
    QFETCH(QString, backendFailure);
    QFETCH(QString, error);
    QFETCH(QString, typed);
    RecordingKeySender sender;
    sender.failure = backendFailure;
    const auto result = sender.SendKeys(notation, true);
    QCOMPARE(result.error, error);
    QCOMPARE(sender.notations, QStringList {notation});
    QCOMPARE(sender.typedText(), typed);
}

void TestPlatformServices::offscreenPlatformTypesNothing()
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
    QVERIFY(
        services.keySender().SendKeys(QStringLiteral("{NOPE}"), true).error.contains(QStringLiteral("NOPE")));
}

void TestPlatformServices::unreachableDisplay_data()
{
    QTest::addColumn<QByteArray>("display");
    QTest::newRow("no X server there") << QByteArray(":4711");
    QTest::newRow("malformed name") << QByteArray("no-such-host-name:0.0x");
}

void TestPlatformServices::unreachableDisplay()
{
    QFETCH(QByteArray, display);
    X11KeySender sender(display);
    QVERIFY(!sender.isAvailable());
    const auto result = sender.SendKeys(QStringLiteral("abc"), true);
    QVERIFY(!result.ok());
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

TRELLIN_GUI_TEST_MAIN(TestPlatformServices)
#include "tst_platformservices.moc"

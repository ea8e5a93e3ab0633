#include "GuiTestMain.h"
#include "TargetProcess.h"
#include "TestFiles.h"
#include "platform/x11/X11GlobalShortcuts.h"
#include "platform/x11/X11KeyboardLocks.h"
#include "remote/InstanceChannel.h"

#include <QProcess>

// Reaching the running program from other windows: a second start, trellinctl through the
// instance socket, global shortcuts whatever lock keys are on, and a start after a crash.
class TestReachE2E : public QObject
{
    Q_OBJECT

    QProcess m_program;
    X11KeyboardLocks m_locks;

    struct Outcome
    {
        int code = -1;
        QString out, err;
    };
    static Outcome run(const QString& program, const QStringList& arguments)
    {
        QProcess process; // killed on destruction when it does not finish
        process.start(program, arguments);
        if (!process.waitForFinished(kSlowMachineMs))
            return {};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
    }
    static Outcome ctl(const QStringList& arguments) { return run(QStringLiteral(TRELLINCTL), arguments); }
    static QString xdotool(const QStringList& arguments)
    {
        return run(QStringLiteral("xdotool"), arguments).out.trimmed();
    }
    static QString mainWindows()
    {
        return xdotool({"search", "--onlyvisible", "--name", "^Moxeno Trellin$"});
    }

    // Starts the program and waits until its window is the active one.
    void startProgram()
    {
        m_program.setProcessChannelMode(QProcess::ForwardedChannels);
        m_program.start(QStringLiteral(TRELLIN_PROGRAM), {});
        QVERIFY(m_program.waitForStarted());
        const QString window = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Moxeno Trellin$"});
        QVERIFY2(!window.isEmpty(), "the main window did not appear");
        QTRY_COMPARE_WITH_TIMEOUT(xdotool({"getactivewindow"}), window, kSlowMachineMs);
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X session of scripts/x11-session.sh");
        const QString data = QDir::homePath() + QStringLiteral("/.local/share/MoxenoTrellin/");
        QVERIFY(TestFiles::write(data + QStringLiteral("MoxenoTrellin1.txt"), "01!\xac:Hello\r\n"));
        QVERIFY(TestFiles::write(data + QStringLiteral("MoxenoTrellinMacros1.txt"),
            "01!\xac:Greet>hi{TAB}there\r\n02!\xac:Two>second\r\n"));
        QVERIFY(
            TestFiles::write(QDir::homePath() + QStringLiteral("/.config/MoxenoTrellin/MoxenoTrellin.ini"),
                "[Settings]\r\nMacroPromptBefore=0\r\nMacroInformAfter=0\r\nMacroDelay=0.001\r\n"
                "[Shortcuts]\r\nMacro2=Ctrl+Alt+2\r\n"));
        startProgram();
    }

    void cleanupTestCase()
    {
        (void)m_locks.setLocks({false, false, false});
        m_program.kill();
        m_program.waitForFinished(kSlowMachineMs);
    }

    // Started again while it runs, the program brings its window to the front and ends with 0.
    void secondStartRaisesTheFirst()
    {
        const QString window = mainWindows();
        TargetProcess target;
        QVERIFY(target.start(QStringLiteral("Target")));
        const Outcome second = run(QStringLiteral(TRELLIN_PROGRAM), {});
        QCOMPARE(second.code, 0);
        QTRY_COMPARE_WITH_TIMEOUT(xdotool({"getactivewindow"}), window, kSlowMachineMs);
        QCOMPARE(mainWindows(), window);
    }

    // trellinctl plays through the running copy into the window that was active, and copies to
    // the clipboard the running copy holds.
    void trellinctlReachesTheRunningCopy()
    {
        TargetProcess target;
        QVERIFY(target.start(QStringLiteral("Target")));
        const Outcome played = ctl({"play", "1", "1"});
        QVERIFY2(played.code == 0, qPrintable(played.err));
        QCOMPARE(target.waitForText(QStringLiteral("hi\tthere")), QStringLiteral("hi\tthere"));
        QTRY_COMPARE_WITH_TIMEOUT(
            xdotool({"getactivewindow"}), QString::number(target.window()), kSlowMachineMs);

        const Outcome copied = ctl({"copy", "1", "1"});
        QVERIFY2(copied.code == 0, qPrintable(copied.err));
        QCOMPARE(
            run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}).out, QStringLiteral("Hello"));
        const Outcome empty = ctl({"copy", "1", "2"});
        QCOMPARE(empty.code, 1);
    }

    // The shortcut of macro 2 plays it into the active window with a lock key on.
    void shortcutPlaysWithLocksOn_data()
    {
        QTest::addColumn<bool>("capsLock");
        QTest::addColumn<bool>("numLock");
        QTest::newRow("Num Lock") << false << true;
        QTest::newRow("Caps Lock") << true << false;
    }
    void shortcutPlaysWithLocksOn()
    {
        QFETCH(bool, capsLock);
        QFETCH(bool, numLock);
        TargetProcess target;
        QVERIFY(target.start(QStringLiteral("Target")));
        // A user presses the shortcut in a window the window manager has made active; it
        // announces that a little after the window has the focus.
        QTRY_COMPARE_WITH_TIMEOUT(
            xdotool({"getactivewindow"}), QString::number(target.window()), kSlowMachineMs);
        QVERIFY(m_locks.setLocks({capsLock, numLock, false}));
        xdotool({"key", "ctrl+alt+2"});
        QCOMPARE(target.waitForText(QStringLiteral("second")), QStringLiteral("second"));
        QCOMPARE(target.keys().join(u' ').contains(QLatin1String("Ctrl")), false);
        QVERIFY(m_locks.setLocks({false, false, false}));
    }

    // A combination another client holds is refused, naming its keys.
    void shortcutHeldByAnotherClientIsReported()
    {
        X11GlobalShortcuts other;
        QVERIFY(other.grab(1, QStringLiteral("Ctrl+Alt+F9")));
        X11GlobalShortcuts ours;
        const Result<> grabbed = ours.grab(1, QStringLiteral("Ctrl+Alt+F9"));
        QVERIFY(!grabbed);
        QCOMPARE(grabbed.error(), QStringLiteral("Ctrl+Alt+F9 is already taken by another program"));
        QVERIFY(ours.grab(2, QStringLiteral("Ctrl+Alt+F10")));
    }

    // A crashed copy leaves its socket behind; the next start takes it over and answers there.
    void crashedCopyDoesNotBlockTheNextStart()
    {
        m_program.kill();
        QVERIFY(m_program.waitForFinished(kSlowMachineMs));
        QVERIFY(QFileInfo::exists(InstanceChannel::socketPath()));
        QTRY_VERIFY_WITH_TIMEOUT(mainWindows().isEmpty(), kSlowMachineMs);
        startProgram();
        const auto shown = InstanceChannel::send({QStringLiteral("show")}, kSlowMachineMs);
        QVERIFY2(
            shown && shown->status == 0, shown ? qPrintable(shown->err) : "nobody answers on the socket");
    }
};

TRELLIN_GUI_TEST_MAIN(TestReachE2E)
#include "tst_reache2e.moc"

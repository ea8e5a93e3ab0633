#include "DataColumns.h"
#include "Desktop.h"
#include "GuiTestMain.h"
#include "TargetProcess.h"
#include "TestFiles.h"
#include "platform/x11/X11GlobalShortcuts.h"
#include "platform/x11/X11KeyboardLocks.h"
#include "remote/InstanceChannel.h"

#include <QProcess>
#include <QScopeGuard>

using namespace Desktop;

// Reaching the running program from other windows: a second start, trellinctl through the
// instance socket, global shortcuts whatever lock keys are on, and a start after a crash.
class TestReachE2E : public QObject
{
    Q_OBJECT

    QProcess m_program;
    X11KeyboardLocks m_locks;

    static Outcome ctl(const QStringList& arguments) { return run(QStringLiteral(TRELLINCTL), arguments); }
    static QString mainWindows()
    {
        return xdotool({"search", "--onlyvisible", "--name", "^Moxeno Trellin$"});
    }
    // The menu, "About...", "Advanced", "Shortcuts"; the windows on the way, shortcuts last.
    void openShortcutsDialog(QStringList& windows)
    {
        const QString main = mainWindows();
        xdotool({"windowactivate", "--sync", main});
        openAbout(main);
        for (const char* title : {"^About...$", "advanced options$", "trellin - shortcuts$"}) {
            if (windows.size() == 1)
                click(windows.last(), 120 + 120 + 600, 1380 + 1200 + 150); // Advanced
            else if (windows.size() == 2)
                click(windows.last(), 2820 + 550, 4740 + 150); // Shortcuts
            // A click reaches a new window only once the window manager has taken it in.
            windows << activeDialog(QString::fromLatin1(title));
        }
    }

    // Presses keys in the quick pick's field of the shortcuts dialog, then Enter unless the last
    // is Escape; the setting holds stored afterwards. takenBy takes the combination after it
    // was typed into the field, before Enter.
    void setPickShortcut(const QStringList& pressed, const QString& stored, X11GlobalShortcuts* takenBy)
    {
        QStringList windows;
        openShortcutsDialog(windows);
        QVERIFY2(!windows.contains(QString()), "a window on the way to the shortcuts did not open");
        click(windows[2], 283 * 15, 50 * 15); // the field of "Open the quick pick"
        xdotool(QStringList {"key"} + pressed);
        QVERIFY(!takenBy || takenBy->grab(1, stored));
        if (pressed.last() != u"Escape")
            xdotool({"key", "Return"});
        if (takenBy) {
            QTRY_COMPARE_WITH_TIMEOUT(mainWindows().count(u'\n'), 1, kSlowMachineMs); // the message
            xdotool({"key", "Return"});
        }
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"trellin - shortcuts$"_s).isEmpty(), kSlowMachineMs);
        QVERIFY(TestFiles::read(settingsFile()).contains("Pick=" + stored.toLatin1() + "\r\n"));
        click(windows[1], 3960 + 570, 4740 + 150); // Cancel
        closeAbout(windows[0]);
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X session of scripts/x11-session.sh");
        QVERIFY(
            writeFiles({{"MoxenoTrellin1.txt", "01|Hello\r\n"}, {"MoxenoTrellin3.txt", "05|World peace\r\n"},
                           {"MoxenoTrellinMacros1.txt", "01|Greet>hi{TAB}there\r\n02|Two>second\r\n"}},
                "[Shortcuts]\r\nMacro2=Ctrl+Alt+2\r\nPick=Ctrl+Alt+P\r\n"));
        QVERIFY(!Desktop::startProgram(m_program, QStringLiteral(TRELLIN_PROGRAM)).isEmpty());
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
        QVERIFY(target.start(u"Target"_s));
        const Outcome second = run(QStringLiteral(TRELLIN_PROGRAM), {});
        QCOMPARE(second.code, 0);
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), window, kSlowMachineMs);
        QCOMPARE(mainWindows(), window);
    }

    // trellinctl plays through the running copy into the window that was active, and copies to
    // the clipboard the running copy holds. While a dialog of the program is open, a macro is
    // refused at once and the dialog comes forward.
    void trellinctlReachesTheRunningCopy()
    {
        xdotool({"windowactivate", "--sync", mainWindows()});
        const QString about = openAbout(mainWindows());
        TargetProcess target;
        QVERIFY(target.start(u"Target"_s));
        const Outcome refused = ctl({"play", "1", "1"});
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains("\"About...\" is open"), refused.err.constData());
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), about, kSlowMachineMs);
        closeAbout(about);
        xdotool({"windowactivate", "--sync", QString::number(target.window())});
        const Outcome played = ctl({"play", "1", "1"});
        QVERIFY2(played.code == 0, played.err.constData());
        QCOMPARE(target.waitForText(u"hi\tthere"_s), u"hi\tthere"_s);
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), QString::number(target.window()), kSlowMachineMs);

        const Outcome copied = ctl({"copy", "1", "1"});
        QVERIFY2(copied.code == 0, copied.err.constData());
        QCOMPARE(clipboard(), u"Hello"_s);
        const Outcome empty = ctl({"copy", "1", "2"});
        QCOMPARE(empty.code, 1);
    }

    // The shortcut of macro 2 plays it into the active window with a lock key on, also after
    // the question before playing has taken the focus.
    void shortcutPlaysWithLocksOn_data()
    {
        const DataTable<bool, bool, bool> row({"capsLock", "numLock", "asked"});
        row("Num Lock", false, true, false);
        row("Caps Lock, asked first", true, false, true);
    }
    void shortcutPlaysWithLocksOn()
    {
        auto [capsLock, numLock, asked] = fetchColumns<bool, bool, bool>({"capsLock", "numLock", "asked"});
        const QByteArray settings = TestFiles::read(settingsFile());
        const auto restore = qScopeGuard([&] { TestFiles::write(settingsFile(), settings); });
        if (asked)
            QVERIFY(TestFiles::write(
                settingsFile(), QByteArray(settings).replace("PromptBefore=0", "PromptBefore=1")));
        TargetProcess target;
        QVERIFY(target.start(u"Target"_s));
        // A user presses the shortcut in a window the window manager has made active; it
        // announces that a little after the window has the focus.
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), QString::number(target.window()), kSlowMachineMs);
        QVERIFY(m_locks.setLocks({capsLock, numLock, false}));
        const QString main = mainWindows();
        xdotool({"key", "ctrl+alt+2"});
        if (asked) {
            // The question has the program's name too; Enter answers it once it has the focus.
            QTRY_COMPARE_WITH_TIMEOUT(mainWindows().count(u'\n'), 1, kSlowMachineMs);
            QStringList windows = mainWindows().split(u'\n');
            windows.removeAll(main);
            const QString question = windows.value(0);
            QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), question, kSlowMachineMs);
            xdotool({"key", "Return"});
        }
        QCOMPARE(target.waitForText(u"second"_s), u"second"_s);
        QCOMPARE(target.keys().join(u' ').contains(QLatin1String("Ctrl")), false);
        QVERIFY(m_locks.setLocks({false, false, false}));
    }

    // The quick pick, opened over the target by its shortcut or by trellinctl: three letters
    // find a text of another box; Enter types it into the target, Ctrl+Enter only copies it,
    // Escape types nothing; each time the target has the keyboard again.
    void quickPickInsertsIntoTheWindowLeft_data()
    {
        const DataTable<QStringList, QString, QString, QString> row({"opener", "keys", "typed", "clipboard"});
        const QStringList shortcut {"xdotool", "key", "ctrl+alt+p"};
        row("Enter", shortcut, QString("Return"), QString("World peace"), QString());
        row("Ctrl+Enter", QStringList {TRELLINCTL, "pick"}, QString("ctrl+Return"), QString(),
            QString("World peace"));
        row("Escape", shortcut, QString("Escape"), QString(), QString());
    }
    void quickPickInsertsIntoTheWindowLeft()
    {
        auto [opener, keys, typed, clipboard]
            = fetchColumns<QStringList, QString, QString, QString>({"opener", "keys", "typed", "clipboard"});
        run(u"xclip"_s, {"-selection", "clipboard", "-i", "/dev/null"});
        TargetProcess target;
        QVERIFY(target.start(u"Target"_s));
        const Outcome opened = run(opener.first(), opener.mid(1));
        QVERIFY2(opened.code == 0, opened.err.constData());
        QTRY_VERIFY_WITH_TIMEOUT(!visibleWindow(u"quick pick$"_s).isEmpty(), kSlowMachineMs);
        xdotool({"type", "wOr"});
        xdotool({"key", keys});
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"quick pick$"_s).isEmpty(), kSlowMachineMs);
        QCOMPARE(activeWindow(), QString::number(target.window()));
        xdotool({"type", "!"});
        QCOMPARE(target.waitForText(typed + u'!'), typed + u'!');
        QCOMPARE(Desktop::clipboard(), clipboard);
    }

    // A combination another client holds is refused, naming its keys.
    void shortcutHeldByAnotherClientIsReported()
    {
        X11GlobalShortcuts other;
        QVERIFY(other.grab(1, u"Ctrl+Alt+F9"_s));
        X11GlobalShortcuts ours;
        const Result<> grabbed = ours.grab(1, u"Ctrl+Alt+F9"_s);
        QVERIFY(!grabbed);
        QCOMPARE(grabbed.error(), u"Ctrl+Alt+F9 is already taken by another program"_s);
        QVERIFY(ours.grab(2, u"Ctrl+Alt+F10"_s));
    }

    // Set in the shortcuts dialog, the quick pick's shortcut is stored and works at once; one
    // that another client took meanwhile is stored, and a message reports it; Escape
    // stores nothing.
    void shortcutsDialogStoresGrabsAndReports()
    {
        setPickShortcut({"ctrl+alt+k", "Escape"}, u"Ctrl+Alt+P"_s, nullptr);
        setPickShortcut({"ctrl+alt+o"}, u"Ctrl+Alt+O"_s, nullptr);
        if (QTest::currentTestFailed())
            return;
        TargetProcess target;
        QVERIFY(target.start(u"Target"_s));
        xdotool({"key", "ctrl+alt+o"});
        QTRY_VERIFY_WITH_TIMEOUT(!visibleWindow(u"quick pick$"_s).isEmpty(), kSlowMachineMs);
        xdotool({"key", "Escape"});
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"quick pick$"_s).isEmpty(), kSlowMachineMs);
        X11GlobalShortcuts other;
        setPickShortcut({"ctrl+alt+j"}, u"Ctrl+Alt+J"_s, &other);
    }

    // A crashed copy leaves its socket behind; the next start takes it over and answers there.
    void crashedCopyDoesNotBlockTheNextStart()
    {
        m_program.kill();
        QVERIFY(m_program.waitForFinished(kSlowMachineMs));
        QVERIFY(QFileInfo::exists(InstanceChannel::socketPath()));
        QTRY_VERIFY_WITH_TIMEOUT(mainWindows().isEmpty(), kSlowMachineMs);
        QVERIFY(!Desktop::startProgram(m_program, QStringLiteral(TRELLIN_PROGRAM)).isEmpty());
        const auto shown = InstanceChannel::send({u"show"_s}, kSlowMachineMs);
        QVERIFY2(
            shown && shown->status == 0, shown ? qPrintable(shown->err) : "nobody answers on the socket");
    }
};

TRELLIN_GUI_TEST_MAIN(TestReachE2E)
#include "tst_reache2e.moc"

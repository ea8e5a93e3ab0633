#include "DataColumns.h"
#include "Desktop.h"
#include "GuiTestMain.h"
#include "TargetProcess.h"
#include "TestFiles.h"

#include <QDate>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>

using namespace Desktop;

// The real program in a real X session: a real mouse click copies a stored text to the
// clipboard, where another program (xclip) reads it; a right click stores what xclip put there,
// with CR LF line ends.
// Play types a macro into the window the user left last, and Cancel stops it.
class TestProgramE2E : public QObject
{
    Q_OBJECT

    QString m_data;
    QProcess m_program;
    QString m_window;

    void click(int xTwips, int yTwips, int button) { Desktop::click(m_window, xTwips, yTwips, button); }
    static QString activeWindowName() { return xdotool({"getactivewindow", "getwindowname"}); }
    // The progress window exists from Play until the playback has switched back to the target.
    static bool progressWindowExists() { return !visibleWindow(u"^Moxeno Trellin Macros$"_s).isEmpty(); }
    // Once the step dialog is the active window: types keys into it, then leaves it by Enter or
    // a click on Continue, Miss or Abort.
    static void answerStep(const QString& keys, const QString& answer)
    {
        QTRY_COMPARE_WITH_TIMEOUT(
            activeWindowName(), u"Moxeno Trellin - macro playing ..."_s, kSlowMachineMs);
        if (!keys.isEmpty())
            xdotool({"type", "--delay", "20", keys});
        if (answer == u"Enter"_s)
            return (void)xdotool({"key", "Return"});
        const int x = answer == u"Continue"_s ? 4680 : answer == u"Miss"_s ? 2400 : 120;
        Desktop::click(activeWindow(), x + 600, 1950);
    }
    // Presses Enter in the next message box over the main window (Yes is its default button),
    // one other than previous; returns its window, or nothing when none showed. The name is read
    // of that same window: while one box closes and the next shows, no window or another may be
    // active.
    QString answerBox(const QString& previous = QString())
    {
        QString shown;
        if (!QTest::qWaitFor(
                [&] {
                    shown = activeWindow();
                    return !shown.isEmpty() && shown != m_window && shown != previous
                        && xdotool({"getwindowname", shown}) == u"Moxeno Trellin"_s;
                },
                kSlowMachineMs))
            return QString();
        xdotool({"key", "Return"});
        return shown;
    }
    // The playback has ended with the focus on the target, which holds exactly the text typed.
    // Called once the target shows text typed by the playback, which is sure to have begun then.
    static void checkEnd(TargetProcess& target, const QString& expected)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!progressWindowExists(), kSlowMachineMs);
        QCOMPARE(activeWindow(), QString::number(target.window()));
        QCOMPARE(target.text(), expected);
        QVERIFY(!visibleWindow(u"^Moxeno Trellin$"_s).isEmpty());
    }
    // The user types in a window before going to another one.
    static bool workIn(TargetProcess& target)
    {
        xdotool({"type", "w"});
        return target.waitForText(u"w"_s) == u"w"_s && target.clear();
    }
    static void activate(const QString& window)
    {
        xdotool({"windowactivate", "--sync", window});
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), window, kSlowMachineMs);
    }
    // A target the user worked in, then the main window active again.
    bool startTarget(TargetProcess& target)
    {
        const bool started = target.start(u"Target"_s) && workIn(target);
        activate(m_window);
        return started;
    }
    static Desktop::Outcome moveDataFolder()
    {
        return run(QStringLiteral(TRELLINCTL), {"data-folder", QDir::homePath() + u"/moved"_s});
    }
    // Through the up-down control beside the macro list: a right click goes to the first macro,
    // each click on its lower half one further (a click on the list would open its popup).
    void selectMacro(int number)
    {
        click(kUpDownX, kUpDownY, 3);
        for (int i = 1; i < number; ++i)
            click(kUpDownX, kUpDownY + 85, 1);
    }
    // Play and the up-down control: the macro frame stands at 240/3120 twips.
    static constexpr int kPlayX = 240 + 120 + 150, kPlayY = 3120 + 690 + 150;
    static constexpr int kUpDownX = 240 + 2910 + 127, kUpDownY = 3120 + 240 + 165;
    // The calculator's display and Send: the frame stands at 120/4560 twips.
    static constexpr int kDisplayX = 120 + 120 + 1500, kDisplayY = 4560 + 240 + 165;
    static constexpr int kSendX = 120 + 420 + 180, kSendY = 4560 + 630 + 126;
    // The centre of position button 1 or 2: the frames stand at 240/600 and 120/240 twips.
    static constexpr int kPosition1X = 240 + 120 + 126, kPosition2X = kPosition1X + 240,
                         kPositionY = 600 + 240 + 126;

    void startProgram()
    {
        // Why a key or a switch failed shows in the test's output.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_LOGGING_RULES"_s, u"trellin.*.info=true"_s);
        m_program.setProcessEnvironment(environment);
        QVERIFY(!(m_window = Desktop::startProgram(m_program, QStringLiteral(TRELLIN_PROGRAM))).isEmpty());
    }
    // Runs trellinctl with a text on its standard input; true when it succeeded.
    static bool ctl(const QStringList& arguments, const QByteArray& input)
    {
        return run(QStringLiteral(TRELLINCTL), arguments, input).code == 0;
    }
    // The pixels of a small square of the main window around a point in twips.
    QImage grab(int xTwips, int yTwips, int size = 10) const
    {
        return QGuiApplication::primaryScreen()
            ->grabWindow(m_window.toULongLong(), xTwips / 15 - size / 2, yTwips / 15 - size / 2, size, size)
            .toImage();
    }
    // Puts a text on the clipboard through xclip; printf reads "\\n" in it as a line feed.
    static void setClipboard(const QString& text)
    {
        run(u"sh"_s, {"-c", "printf '" + text + "' | xclip -i -selection clipboard"});
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), QString(text).replace(u"\\n"_s, u"\n"_s), kSlowMachineMs);
    }
    static void keys(const QStringList& names) { xdotool(QStringList {"key", "--delay", "50"} + names); }
private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X session of scripts/x11-session.sh");
        m_data = dataFolder();
        QVERIFY(writeFiles({{"MoxenoTrellin1.txt", "01|Hello from box one\r\n04|Edit me\r\n"},
            {"MoxenoTrellinMacros1.txt",
                "01|Greeting>ab{TAB}c~{CNT 1}{RPT 2}{CNT},{RPT}{DATE yyyy}\r\n02|Long>"
                    + QByteArray(4000, 'x')
                    + "\r\n03|Msg>X{MSG hello}Y\r\n04|Get>[{GET Your name~Bob}]\r\n"
                      "05|First>{GET Name~Ann}!\r\n06|Wait>a{WAIT 0.3}b\r\n"},
            {"MoxenoTrellin2.txt", "01|Text of box two\r\n"},
            {"MoxenoTrellinMacros2.txt", "01|Found>a needle in the haystack\r\n"}}));
        startProgram();
    }

    // A failed test may leave a dialog, a playback or a menu behind in the program: the next
    // test starts from a fresh program on the same files, so one failure never causes another.
    void cleanup()
    {
        if (!QTest::currentTestFailed() || m_program.state() == QProcess::NotRunning)
            return;
        m_program.kill();
        m_program.waitForFinished(kSlowMachineMs);
        startProgram();
    }

    // The keyboard alone, from position 1 where the focus starts: Enter copies, Right moves on,
    // the menu key pastes, Alt+menu key cuts, and Tab after the last position (End) reaches the
    // undo label, whose Enter copies the text just cut.
    void keyboardDrivesTheCommands()
    {
        keys({"Return"});
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), u"Hello from box one"_s, kSlowMachineMs);
        setClipboard(u"typed by keys"_s);
        keys({"Right", "Right", "Menu"});
        const QString file = m_data + u"MoxenoTrellin1.txt"_s;
        QTRY_VERIFY_WITH_TIMEOUT(TestFiles::read(file).contains("03!\xac:typed by keys\r\n"), kSlowMachineMs);
        setClipboard(u"other"_s);
        keys({"alt+Menu"});
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), u"typed by keys"_s, kSlowMachineMs);
        QTRY_VERIFY_WITH_TIMEOUT(!TestFiles::read(file).contains("03!"), kSlowMachineMs);
        setClipboard(u"other"_s);
        keys({"End", "Tab", "Return"});
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), u"typed by keys"_s, kSlowMachineMs);
    }

    // trellinctl writes into the box on show: the position's caption and the macro list show it
    // within a second, and a save from the window afterwards keeps it.
    void otherWritersShowAtOnce()
    {
        activate(m_window);
        selectMacro(7);
        constexpr int kPosition5X = kPosition1X + 1080;
        constexpr int kMacroNameX = 240 + 120 + 600, kMacroNameY = 3120 + 240 + 165;
        const QImage position = grab(kPosition5X, kPositionY);
        const QImage macroName = grab(kMacroNameX, kMacroNameY, 16);
        QVERIFY(ctl({"set", "--force", "1", "5"}, "Written by trellinctl"));
        QTRY_VERIFY_WITH_TIMEOUT(grab(kPosition5X, kPositionY) != position, 1000);
        QVERIFY(ctl({"macro", "set", "--force", "1", "7"}, "Renamed>x"));
        QTRY_VERIFY_WITH_TIMEOUT(grab(kMacroNameX, kMacroNameY, 16) != macroName, 1000);

        setClipboard(u"saved by the window"_s);
        click(kPosition1X + 1320, kPositionY, 3); // position 6
        const QString file = m_data + u"MoxenoTrellin1.txt"_s;
        QTRY_VERIFY2_WITH_TIMEOUT(TestFiles::read(file).contains("06!\xac:saved by the window\r\n"),
            TestFiles::read(file).toPercentEncoding().constData(), kSlowMachineMs);
        QVERIFY(TestFiles::read(file).contains("05!\xac:Written by trellinctl\r\n"));
        QVERIFY(TestFiles::read(m_data + u"MoxenoTrellinMacros1.txt"_s).contains("07!\xac:Renamed>x\r\n"));
    }

    void clicksCopyAndStoreTheSystemClipboard()
    {
        click(kPosition1X, kPositionY, 1);
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), u"Hello from box one"_s, kSlowMachineMs);

        // Two lines with LF, as programs here put them; stored with CR LF like every text.
        const QString other = u"From another program: \u00DF \u20AC \u65E5\u672C"_s;
        setClipboard(other + "\\nline 2");

        click(kPosition2X, kPositionY, 3);
        QTRY_VERIFY_WITH_TIMEOUT(TestFiles::read(m_data + u"MoxenoTrellin1.txt"_s)
                                     .contains(("02!\u00AC:" + other + "\r\nline 2\r\n").toUtf8()),
            kSlowMachineMs);
    }

    // Shift + right click edits a stored text. Cancel and Escape keep it (the next edit starts
    // from it), keys typed and Save store the new text with CR LF line ends. A Save that fails
    // (the folder's lock is blocked) is told and the dialog opens again on the typed text.
    void editDialogStoresTypedText()
    {
        constexpr int kPosition4X = kPosition1X + 720;
        const QString lock = m_data + u".MoxenoTrellin.lock"_s;
        const auto unblock = qScopeGuard([&] { QDir().rmdir(lock); });
        for (const QString leave : {"Cancel", "Escape", "Save"}) {
            activate(m_window);
            xdotool({"mousemove", "--window", m_window, QString::number(kPosition4X / 15),
                QString::number(kPositionY / 15), "keydown", "shift", "click", "3", "keyup", "shift"});
            const QString edit = activeDialog(u"^Moxeno Trellin - edit text$"_s);
            QVERIFY2(!edit.isEmpty(), "the edit dialog did not open");
            keys({"ctrl+End", "Return"});
            xdotool({"type", "--delay", "20", leave});
            if (leave == u"Escape"_s)
                keys({"Escape"});
            else if (leave == u"Cancel"_s)
                Desktop::click(edit, 7260 + 540, 6300 + 165);
            else {
                QFile::remove(lock);
                QVERIFY(QDir().mkpath(lock));
                Desktop::click(edit, 8460 + 540, 6300 + 165);
                QVERIFY2(!answerBox(edit).isEmpty(), "the failed save was not told");
                QVERIFY(QDir().rmdir(lock));
                const QString again = activeDialog(u"^Moxeno Trellin - edit text$"_s);
                QVERIFY2(!again.isEmpty(), "the edit dialog did not open again");
                Desktop::click(again, 8460 + 540, 6300 + 165);
            }
            QTRY_VERIFY_WITH_TIMEOUT(
                visibleWindow(u"^Moxeno Trellin - edit text$"_s).isEmpty(), kSlowMachineMs);
        }
        const QString file = m_data + u"MoxenoTrellin1.txt"_s;
        QTRY_VERIFY2_WITH_TIMEOUT(TestFiles::read(file).contains(":Edit me\r\nSave\r\n"),
            TestFiles::read(file).toPercentEncoding().constData(), kSlowMachineMs);
    }

    // Search all finds a word stored only in a macro of box 2, and Go to shows that box: a click
    // on position 1 copies its text. A click on the first tab goes back to box 1.
    void searchGoesToTheBoxOfTheHit()
    {
        activate(m_window);
        click(5040 + 300, 480 + 90 + 127, 1); // Search all
        const QString search = activeDialog(u"^Moxeno Trellin - search$"_s);
        QVERIFY2(!search.isEmpty(), "the search dialog did not open");
        xdotool({"type", "--delay", "20", "HAYSTACK"});
        Desktop::click(search, 6960 + 660, 120 + 165); // Find
        Desktop::click(search, 2652 + 840, 4890 + 165); // Copy to clipboard
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), u"a needle in the haystack"_s, kSlowMachineMs);
        Desktop::click(search, 1848 + 330, 4890 + 165); // Go to
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"^Moxeno Trellin - search$"_s).isEmpty(), kSlowMachineMs);
        for (const QString expected : {"Text of box two", "Hello from box one"}) {
            activate(m_window);
            click(kPosition1X, kPositionY, 1);
            QTRY_COMPARE_WITH_TIMEOUT(clipboard(), expected, kSlowMachineMs);
            click(120 + 150, 120 + 180, 1); // the first tab
        }
    }

    // Three windows: another program's, then the one the user works in, then ours. The keys
    // land in the one the user left last, and the main window comes back.
    void playTypesIntoTheWindowLeftLast()
    {
        TargetProcess other;
        TargetProcess target;
        QVERIFY(other.start(u"Other"_s) && workIn(other) && startTarget(target));
        selectMacro(1);
        click(kPlayX, kPlayY, 1);
        const QString expected = u"ab\tc\n1,2,%1"_s.arg(QDate::currentDate().year());
        QCOMPARE(target.waitForText(expected), expected);
        checkEnd(target, expected);
        QCOMPARE(other.text(), QString());
    }

    // A calculation typed into the calculator's display, then Send: the result is typed into
    // the window the user left last.
    void calculatorSendsItsDisplay()
    {
        TargetProcess target;
        QVERIFY(startTarget(target));
        click(kDisplayX, kDisplayY, 1);
        xdotool({"type", "--delay", "20", "1200*3/8="});
        click(kSendX, kSendY, 1);
        QCOMPARE(target.waitForText(u"450."_s), u"450."_s);
    }

    // Each notepad keeps its own text: one chosen by the mouse wheel over the tabs takes the
    // focus and the keys typed, and Copy all copies the notepad shown.
    void notepadsKeepTheirOwnTexts()
    {
        // The notepads frame stands at 5040/4560 twips: its tabs at 120/540, its editors at
        // 120/840, "Copy all" in the row of commands at 240.
        constexpr int kTabsX = 5040 + 270, kTabsY = 4560 + 690;
        constexpr int kCopyAllX = 5040 + 1875, kCopyAllY = 4560 + 366;
        activate(m_window);
        click(5040 + 1620, 4560 + 2340, 1);
        xdotool({"type", "--delay", "20", "one"});
        for (const auto& [wheel, text] : {std::pair {5, u"three"_s}, {4, u"one"_s}}) {
            click(kTabsX, kTabsY, wheel);
            click(kTabsX, kTabsY, wheel);
            if (wheel == 5)
                xdotool({"type", "--delay", "20", text});
            click(kCopyAllX, kCopyAllY, 1);
            QTRY_COMPARE_WITH_TIMEOUT(clipboard(), text, kSlowMachineMs);
        }
    }

    // Every step that takes the focus from the target gives it back: the step dialog, answered
    // with the keyboard or the mouse, a wait, and Cancel in the progress window.
    void stepsThatLeaveTheTargetReturnToIt_data()
    {
        // "keys" are typed into the step dialog; "answer" leaves it; empty: no dialog.
        const DataTable<int, QString, QString, QString, bool> row(
            {"macro", "keys", "answer", "expected", "aborted"});
        row("message, Enter", 3, "", "Enter", "XY", false);
        row("message, Abort", 3, "", "Abort", "X", true);
        row("input, Continue", 4, "by", "Continue", "[Bobby]", false);
        row("input, Miss", 4, "by", "Miss", "[]", false);
        row("input, Abort", 4, "by", "Abort", "[", true);
        row("input first, Enter", 5, "", "Enter", "Ann!", false);
        row("wait", 6, "", "", "ab", false);
    }

    void stepsThatLeaveTheTargetReturnToIt()
    {
        auto [macro, keys, answer, expected, aborted] = fetchColumns<int, QString, QString, QString, bool>(
            {"macro", "keys", "answer", "expected", "aborted"});
        TargetProcess target;
        QVERIFY(startTarget(target));
        selectMacro(macro);
        click(kPlayX, kPlayY, 1);
        if (!answer.isEmpty()) {
            answerStep(keys, answer);
            if (QTest::currentTestFailed())
                return;
        }
        if (aborted)
            QVERIFY2(!answerBox().isEmpty(), "the aborted report did not show");
        QCOMPARE(target.waitForText(expected), expected);
        checkEnd(target, expected);
    }

    // Cancel in the progress window stops a long macro at its next step: typing stops short of
    // the end, and the main window comes back with the aborted report.
    void cancelStopsTypingAndBringsTheWindowBack()
    {
        TargetProcess target;
        QVERIFY(startTarget(target));
        selectMacro(2);
        click(kPlayX, kPlayY, 1);
        QVERIFY(QTest::qWaitFor([&] { return target.text().size() >= 16; }, kSlowMachineMs));
        const QString progress = visibleWindow(u"^Moxeno Trellin Macros$"_s);
        QVERIFY2(!progress.isEmpty(), "the progress window is not shown");
        Desktop::click(progress, 2040, 727);
        QVERIFY2(!answerBox().isEmpty(), "the aborted report did not show");
        QTRY_VERIFY_WITH_TIMEOUT(!progressWindowExists(), kSlowMachineMs);
        const QString typed = target.text();
        QVERIFY2(typed.size() < 4000 && typed == QString(typed.size(), u'x'), qPrintable(typed));
        checkEnd(target, typed);
    }

    // Clear box with its three questions answered Yes, then Undo clear: the confirmation names
    // what it replaces, the box's texts and macros come back, and a second Undo clear swaps the
    // cleared state back in.
    void undoClearBringsTheBoxBack()
    {
        const QString texts = m_data + u"MoxenoTrellin1.txt"_s;
        const QString macros = m_data + u"MoxenoTrellinMacros1.txt"_s;
        const QByteArray before = TestFiles::read(texts);
        const QByteArray macrosBefore = TestFiles::read(macros);
        QVERIFY(before.contains("Hello from box one"));
        // The later tests find box 1 as it was, also when this one fails.
        const auto putBack = qScopeGuard([&] {
            (void)TestFiles::write(texts, before);
            (void)TestFiles::write(macros, macrosBefore);
            QFile::remove(m_data + u"MoxenoTrellin1.bak"_s);
            QFile::remove(m_data + u"MoxenoTrellinMacros1.bak"_s);
        });
        activate(m_window);
        click(5040 + 4060 + 400, 480 + 90 + 127, 1); // Clear box
        QString box;
        for (int question = 0; question < 3; ++question) {
            box = answerBox(box);
            QVERIFY2(!box.isEmpty(), "a question of Clear box did not show");
        }
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(texts), kSlowMachineMs);
        for (const QByteArray& expected : {before, QByteArray()}) {
            activate(m_window);
            click(5040 + 4860 - 350, 480 + 90 + 127, 1); // Undo clear, last in the row
            QVERIFY2(!answerBox().isEmpty(), "the confirmation of Undo clear did not show");
            QTRY_COMPARE_WITH_TIMEOUT(TestFiles::read(texts), expected, kSlowMachineMs);
        }
        QCOMPARE(TestFiles::read(m_data + u"MoxenoTrellin1.bak"_s), before);
        QCOMPARE(TestFiles::read(m_data + u"MoxenoTrellinMacros1.bak"_s), macrosBefore);
    }
    // trellinctl moves no data folder from under the running window: it says why and how to do
    // it from the window, and changes nothing.
    void dataFolderStaysWhileTheWindowRuns()
    {
        const QByteArray settings = TestFiles::read(settingsFile());
        const auto [code, out, err] = moveDataFolder();
        QVERIFY2(code == 1 && err.contains("window is running") && err.contains("advanced options"),
            err.constData());
        QCOMPARE(TestFiles::read(settingsFile()), settings);
        QVERIFY(QFileInfo::exists(m_data + u"MoxenoTrellin1.txt"_s));
    }

    // "Start Moxeno Trellin when I log in" in the advanced options, reached through the menu and
    // "About...": ticked and saved, it writes the autostart entry that starts this program; the
    // next time it shows ticked, and cleared and saved it removes the entry.
    void startWithSessionOption()
    {
        const QString entry
            = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/autostart/example.moxeno.Trellin.desktop"_s;
        for (const bool enable : {true, false}) {
            activate(m_window);
            const QString about = openAbout(m_window);
            QVERIFY2(!about.isEmpty(), "About... did not open");
            // "Advanced" in the Options frame, at 120/1380 twips.
            Desktop::click(about, 120 + 120 + 600, 1380 + 1200 + 150);
            const QString advanced = visibleWindow(u"^Moxeno Trellin - advanced options$"_s, true);
            QVERIFY2(!advanced.isEmpty(), "the advanced options did not open");
            Desktop::click(advanced, 120 + 150, 1140 + 142); // the tick box
            Desktop::click(advanced, 5220 + 570, 4740 + 150); // Save
            QTRY_COMPARE_WITH_TIMEOUT(QFileInfo::exists(entry), enable, kSlowMachineMs);
            closeAbout(about);
            if (enable)
                QVERIFY(TestFiles::read(entry).contains("\nExec=\"" + QByteArray(TRELLIN_PROGRAM) + "\"\n"));
        }
    }

    void closeLabelEndsTheProgramAndStoresTheBox()
    {
        activate(m_window);
        click(10320 + 200, 9570 + 120, 1);
        // Nothing holds the exit up: not the clipboard, the X connections nor a timer.
        QElapsedTimer closing;
        closing.start();
        // The click's xdotool run keeps events going, so the end may have been seen already.
        QVERIFY(m_program.state() == QProcess::NotRunning || m_program.waitForFinished(kSlowMachineMs));
        QVERIFY2(closing.elapsed() < 1000, qPrintable(QString::number(closing.elapsed())));
        QCOMPARE(m_program.exitCode(), 0);
        QVERIFY(TestFiles::read(settingsFile()).contains("BoxNo=1"));
    }

    // The window's lock went with it.
    void dataFolderMovesOnceTheWindowHasClosed()
    {
        const auto [code, out, err] = moveDataFolder();
        QVERIFY2(code == 0, err.constData());
        QVERIFY(QFileInfo::exists(QDir::homePath() + u"/moved/MoxenoTrellin1.txt"_s));
    }
};

TRELLIN_GUI_TEST_MAIN(TestProgramE2E)
#include "tst_programe2e.moc"

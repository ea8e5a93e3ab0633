#include "ChildProcess.h"
#include "DataColumns.h"
#include "Desktop.h"
#include "GuiTestMain.h"
#include "TargetProcess.h"
#include "TestFiles.h"
#include "macros/TypeNotation.h"
#include "macros/TypingInserter.h"
#include "platform/ChoosingInserter.h"
#include "platform/qt/QtClipboard.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11Paster.h"
#include "platform/x11/X11WindowTracker.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <filesystem>
#include <memory>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

// Sends no keys: calls onSend, once, where the paste keys would go out.
class HookKeys final : public KeySender
{
public:
    Result sendActions(const QList<KeyAction>&, bool) override
    {
        ++sends;
        if (const std::function<void()> hook = std::exchange(onSend, nullptr))
            hook();
        return Result::success();
    }
    std::function<void()> onSend;
    int sends = 0;
};

// A client of its own that plays the window getting the paste keys, read by this process's
// event loop (which the paster keeps going while it waits): reads each step's selection once
// the answer to the step before came, as a target asking again does, or takes the selection,
// as a copy made meanwhile does. It never answers requests for a selection it owns.
class Requestor
{
public:
    Requestor()
        : m_display(XOpenDisplay(nullptr))
        , m_window(XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0))
        , m_notifier(ConnectionNumber(m_display), QSocketNotifier::Read)
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &m_notifier, [this] { readEvents(); });
    }
    ~Requestor() { XCloseDisplay(m_display); }

    unsigned long window() const { return m_window; }
    unsigned long owner(const char* selection) { return XGetSelectionOwner(m_display, atom(selection)); }
    void take(const char* selection)
    {
        XSetSelectionOwner(m_display, atom(selection), m_window, CurrentTime);
        XSync(m_display, False);
    }
    void start(const QStringList& steps)
    {
        m_steps = steps;
        next();
    }
    QStringList read;

private:
    unsigned long atom(const char* name) { return XInternAtom(m_display, name, False); }
    void next()
    {
        if (m_steps.isEmpty())
            return;
        const QList<QByteArray> step = m_steps.takeFirst().toLatin1().split(' ');
        if (step[1] == "take") {
            take(step[0]);
            return next();
        }
        XConvertSelection(m_display, atom(step[0]), atom(step[1]), atom("_READ"), m_window, CurrentTime);
        XFlush(m_display);
    }
    void readEvents()
    {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type != SelectionNotify)
                continue;
            Atom type = None;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            XGetWindowProperty(m_display, m_window, atom("_READ"), 0, 1 << 20, True, AnyPropertyType, &type,
                &format, &items, &after, &data);
            read.append(QString::fromUtf8(reinterpret_cast<const char*>(data), int(items)));
            XFree(data);
            next();
        }
    }

    Display* m_display;
    Window m_window;
    QSocketNotifier m_notifier;
    QStringList m_steps;
};

// Pasting into another program's window, chosen by its window class: a Qt window (Ctrl+V) and
// an xterm (Shift+Insert, which reads the primary selection). The target gets the text, and
// afterwards the clipboard holds what it held before, byte for byte, as xclip reads it: a text,
// or an image large enough to come in pieces (INCR); a clipboard nobody owned is free again.
// The clipboard as another program (xclip) sees it, filled by the window's clipboard or by
// trellinctl without a running program: non-Latin text passes unchanged, line breaks arrive as
// LF, and a text too large for one piece arrives whole. First the window tracker, with two
// windows of other programs (Alpha, then Beta) and windows of this process standing in for the
// main and progress windows: those cases run in order, each starting with Beta active.
class TestX11Paste : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QtClipboard m_clipboard;

    // xclip's output; it may ask this process for the text, so the event loop keeps running.
    static QString xclipOut()
    {
        const ChildProcess::Outcome xclip = ChildProcess::run(u"xclip"_s, {"-o", "-selection", "clipboard"});
        return xclip.code == 0 ? QString::fromUtf8(xclip.out) : u"(xclip failed)"_s;
    }
    // Stores text at box 1, position 1 and runs "trellinctl copy 1 POS"; its exit status.
    static int ctlCopy(const QString& text, const char* position = "1")
    {
        const QString box = Desktop::dataFolder() + u"MoxenoTrellin1.txt"_s;
        if (!TestFiles::write(box,
                "\xEF\xBB\xBF"
                "01!\xC2\xAC:"
                    + text.toUtf8() + "\r\n"))
            return -1;
        return ChildProcess::run(QStringLiteral(TRELLINCTL), {"copy", "1", position}).code;
    }
    static QString mixedText() { return u"héllo € ł 日本\r\nsecond line"_s; }

    // Runs xclip to its end while this process answers its requests; its status and output.
    static std::pair<int, QByteArray> xclip(const QStringList& arguments)
    {
        const Desktop::Outcome done = Desktop::run(u"xclip"_s, arguments);
        return {done.code, done.out};
    }

    X11WindowTracker m_tracker;
    X11KeySender m_sender;
    TargetProcess m_alpha;
    TargetProcess m_beta;
    std::vector<std::unique_ptr<QWidget>> m_own; // this process's windows, closed after each case

    // Shows a window of this process and waits until the window manager made it active.
    bool showOwnWindow(const QString& title)
    {
        const auto& window = m_own.emplace_back(std::make_unique<QPlainTextEdit>());
        window->setWindowTitle(title);
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get(), kSlowMachineMs);
    }
    // The active window after switchToLastWindow, or 0 when it failed.
    unsigned long switchToLast() { return m_tracker.switchToLastWindow() ? m_tracker.activeWindow() : 0; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tracker.isAvailable());
        // Each start blocks this process; the tracker sees each window once it reads events again.
        QVERIFY(m_alpha.start(u"Alpha"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_tracker.activeWindow(), m_alpha.window(), kSlowMachineMs);
        QVERIFY(m_beta.start(u"Beta"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_tracker.activeWindow(), m_beta.window(), kSlowMachineMs);
    }
    void cleanup() { m_own.clear(); }

    // Windows that were active while this process did not read its events keep their order:
    // Alpha, active only in between, comes before Gamma, which was active before it.
    void switchesWhileBusyKeepTheirOrder()
    {
        TargetProcess gamma;
        QVERIFY(gamma.start(u"Gamma"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_tracker.activeWindow(), gamma.window(), kSlowMachineMs);
        for (const unsigned long window : {m_alpha.window(), m_beta.window()})
            QProcess::execute(u"xdotool"_s, {"windowactivate", "--sync", QString::number(window)});
        QCOMPARE(m_tracker.history().mid(0, 3),
            (QList<unsigned long> {m_beta.window(), m_alpha.window(), gamma.window()}));
    }

    void switchToLastWindowGoesBackAndForth()
    {
        QCOMPARE(switchToLast(), m_alpha.window());
        QVERIFY(typeNotation(m_sender, u"to alpha"_s, true).ok());
        QCOMPARE(m_alpha.waitForText(u"to alpha"_s), u"to alpha"_s);
        QCOMPARE(switchToLast(), m_beta.window());
    }

    // The window manager announces a newly focused window a little later. Until then the stale
    // announcement naming Beta must not pass for Beta being active, or the keys go astray.
    void staleAnnouncementIsNotTakenForActive()
    {
        QVERIFY(showOwnWindow(u"Dialog"_s));
        Display* display = XOpenDisplay(nullptr);
        QVERIFY(display);
        const Window beta = m_beta.window();
        XChangeProperty(display, DefaultRootWindow(display),
            XInternAtom(display, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32, PropModeReplace,
            reinterpret_cast<const unsigned char*>(&beta), 1);
        XCloseDisplay(display);
        QVERIFY(m_beta.clear());
        QVERIFY(m_tracker.switchToLastWindow());
        QVERIFY(typeNotation(m_sender, u"to beta"_s, true).ok());
        QCOMPARE(m_beta.waitForText(u"to beta"_s), u"to beta"_s);
    }

    void closedWindowIsSkipped()
    {
        QVERIFY(showOwnWindow(u"Main"_s));
        QCOMPARE(m_tracker.lastWindowTarget(), m_beta.window());
        // Beta closes while the program is active: its id is remembered but invalid now.
        m_beta.stop();
        QTRY_COMPARE_WITH_TIMEOUT(m_tracker.lastWindowTarget(), m_alpha.window(), kSlowMachineMs);
        QVERIFY(!m_tracker.history().contains(m_beta.window()));
        QCOMPARE(switchToLast(), m_alpha.window());
    }

    void pastesAndRestoresTheClipboard_data()
    {
        // The target is "qt" or "xterm"; "type" the format the clipboard held before, empty for none.
        addColumns<QString, QString>({"target", "type"});
        for (const char* target : {"qt", "xterm"}) {
            for (const char* type : {"UTF8_STRING", "image/png", ""}) {
                if (target == QLatin1String("qt") || *type) // xterm with a free clipboard adds nothing
                    QTest::addRow("%s, %s", target, *type ? type : "clipboard free") << target << type;
            }
        }
    }
    void pastesAndRestoresTheClipboard()
    {
        auto [target, type] = fetchColumns<QString, QString>({"target", "type"});
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X session of scripts/x11-session.sh");
        X11KeySender keys;
        X11WindowTracker windows;
        X11Paster paster(keys);
        QVERIFY(paster.isAvailable());
        paster.setReadTimeoutMs(kSlowMachineMs);
        TypingInserter typing(keys);
        ChoosingInserter inserter(typing, &paster, [&] { return windows.activeWindowClass(); });
        InsertRules rules;
        rules.ctrlV = {u"trellin_typing_target"_s};
        rules.shiftInsert = {u"xterm"_s};
        inserter.setRules([rules] { return rules; });

        QByteArray before;
        if (type == u"image/png") {
            // Over a megabyte: xclip hands it over in pieces.
            before.resize(1200 * 1024);
            QRandomGenerator(17).fillRange(reinterpret_cast<quint32*>(before.data()), before.size() / 4);
        } else if (!type.isEmpty()) {
            before = "held before: \xC3\xBC \xE2\x82\xAC";
        }
        const QString file = m_dir.filePath(u"before"_s);
        QVERIFY(TestFiles::write(file, before));
        if (!type.isEmpty())
            QCOMPARE(xclip({"-i", "-selection", "clipboard", "-t", type, file}).first, 0);

        const QString text = u"Pasted \u2713 text"_s;
        TargetProcess qtTarget;
        QProcess xterm;
        const QString received = m_dir.filePath(u"received"_s);
        QFile::remove(received);
        if (target == u"qt") {
            QVERIFY(qtTarget.start(u"Paste target"_s));
            // The window manager announces the new window a little after it has shown.
            QTRY_COMPARE_WITH_TIMEOUT(
                windows.activeWindowClass().value(0), QByteArray("trellin_typing_target"), kSlowMachineMs);
        } else {
            const QString ready = m_dir.filePath(u"ready"_s);
            QFile::remove(ready);
            xterm.start(u"xterm"_s,
                {"-e", "sh", "-c", u"stty -echo; : > '%1'; exec cat > '%2'"_s.arg(ready, received)});
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(ready), kSlowMachineMs);
            QTRY_COMPARE_WITH_TIMEOUT(
                windows.activeWindowClass().value(0), QByteArray("xterm"), kSlowMachineMs);
        }
        // The line break makes cat pass the line on.
        const Result<> pasted = inserter.insertText(target == u"qt" ? text : text + u'\n');
        QVERIFY2(pasted.ok(), qPrintable(pasted.error()));
        if (target == u"qt") {
            QCOMPARE(qtTarget.waitForText(text), text);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(TestFiles::read(received), (text + u'\n').toUtf8(), kSlowMachineMs);
            xterm.kill();
            xterm.waitForFinished(kSlowMachineMs);
        }

        const auto [status, after]
            = xclip({"-o", "-selection", "clipboard", "-t", type.isEmpty() ? "TARGETS" : type});
        if (type.isEmpty()) {
            QVERIFY2(status != 0, after.constData()); // nobody owns the clipboard
        } else {
            QCOMPARE(status, 0);
            QCOMPARE(after.size(), before.size());
            QVERIFY(after == before);
        }
    }

    // Around the paste, with the target played by a client of this process: another copy made
    // meanwhile stays; a target asking again just after its read still gets the text; a format
    // too large to put back, or an owner that never answers, stops the paste before anything is
    // touched; a second paste started from the events of the first is refused.
    void guardsAroundThePaste_data()
    {
        // "before" goes on the clipboard by xclip (none if empty); a silent owner is the requestor owning
        // it first, mute; steps read "SELECTION TARGET" or own "SELECTION take"; pasteAgain pastes again
        // when the keys go out; "reads": the steps that read the text, 0 if the paste must fail.
        const DataTable<bool, QByteArray, bool, QStringList, bool, int, int, bool> row({"shiftInsert",
            "before", "silentOwner", "steps", "pasteAgain", "largestFormat", "reads", "requestorOwnsAfter"});
        const QByteArray held = "held before";
        const QStringList read {"CLIPBOARD UTF8_STRING"};
        row("copied meanwhile", false, held, false, read + QStringList {"CLIPBOARD take"}, false, 0, 1, true);
        row("asked again after the read", true, held, false,
            {"PRIMARY UTF8_STRING", read[0], "CLIPBOARD text/plain;charset=utf-8"}, false, 0, 3, false);
        row("second paste meanwhile", false, held, false, read, true, 0, 1, false);
        row("format too large to put back", false, QByteArray(3000, 'x'), false, read, false, 2000, 0, false);
        row("owner never answers", false, QByteArray(), true, read, false, 0, 0, true);
    }
    void guardsAroundThePaste()
    {
        auto [shiftInsert, before, silentOwner, steps, pasteAgain, largestFormat, reads, requestorOwnsAfter]
            = fetchColumns<bool, QByteArray, bool, QStringList, bool, int, int, bool>(
                {"shiftInsert", "before", "silentOwner", "steps", "pasteAgain", "largestFormat", "reads",
                    "requestorOwnsAfter"});
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X session of scripts/x11-session.sh");
        const QString file = m_dir.filePath(u"before"_s);
        QVERIFY(TestFiles::write(file, before));
        Requestor requestor;
        if (!before.isEmpty()) {
            QCOMPARE(xclip({"-i", "-selection", "clipboard", file}).first, 0);
            // xclip's background copy takes the clipboard a little after the first one ends.
            QTRY_VERIFY_WITH_TIMEOUT(requestor.owner("CLIPBOARD") != None, kSlowMachineMs);
        }
        if (silentOwner)
            requestor.take("CLIPBOARD");
        HookKeys keys;
        X11Paster paster(keys);
        paster.setReadTimeoutMs(kSlowMachineMs);
        paster.setOwnerTimeoutMs(300);
        if (largestFormat)
            paster.setLargestFormatBytes(largestFormat);
        const QString text = u"Pasted \u2713"_s;
        Result<> second;
        keys.onSend = [&] {
            if (pasteAgain)
                second = paster.pasteText(u"second"_s, InsertMethod::PasteCtrlV);
            requestor.start(steps);
        };
        const Result<> pasted
            = paster.pasteText(text, shiftInsert ? InsertMethod::PasteShiftInsert : InsertMethod::PasteCtrlV);
        QVERIFY2(pasted.ok() == (reads > 0), qPrintable(pasted.error()));
        QCOMPARE(keys.sends, reads > 0 ? 1 : 0);
        QTRY_COMPARE_WITH_TIMEOUT(requestor.read.size(), reads, kSlowMachineMs);
        QCOMPARE(requestor.read, QStringList(reads, text));
        QVERIFY(!pasteAgain || !second.ok());
        if (requestorOwnsAfter) {
            QCOMPARE(requestor.owner("CLIPBOARD"), requestor.window());
        } else {
            const auto [status, after] = xclip({"-o", "-selection", "clipboard"});
            QCOMPARE(status, 0);
            QCOMPARE(after, before);
        }
    }

    // Another program reads the window's text, with LF line ends.
    void otherProgramReadsOurText()
    {
        QVERIFY(m_clipboard.replaceText(mixedText()));
        QCOMPARE(xclipOut(), mixedText().replace("\r\n", "\n"));
    }

    // trellinctl's holder keeps none of its caller's files, serves a reader while another one
    // stalls in the middle of a large text, hands it over whole, and ends once another program
    // copies something.
    void holderEndsWhenAnotherProgramCopies()
    {
        QString text = mixedText().repeated(40000);
        QCOMPARE(ctlCopy(text), 0);
        const std::unique_ptr<Display, int (*)(Display*)> connection(XOpenDisplay(nullptr), XCloseDisplay);
        Display* display = connection.get();
        const auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
        const Window owner = XGetSelectionOwner(display, atom("CLIPBOARD"));
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, owner, atom("_NET_WM_PID"), 0, 1, False, XA_CARDINAL, &type, &format,
            &items, &after, &data);
        const long pid = data ? *reinterpret_cast<long*>(data) : 0;
        XFree(data);
        QVERIFY(pid > 0);
        const std::filesystem::path fds = "/proc/" + std::to_string(pid) + "/fd";
        for (const auto& fd : std::filesystem::directory_iterator(fds)) {
            const std::string target = std::filesystem::read_symlink(fd).string();
            QVERIFY2(target == "/dev/null" || target.starts_with("socket:"), target.c_str());
        }

        // Refuses STRING for a text beyond Latin-1 rather than hand out '?'s; takes the first
        // piece of UTF8_STRING and never asks for the rest.
        const Window reader = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        const auto request = [&](Atom target) {
            XConvertSelection(display, atom("CLIPBOARD"), target, atom("_READ"), reader, CurrentTime);
            XEvent notify {};
            const bool answered = QTest::qWaitFor(
                [&] {
                    return XPending(display)
                        && XCheckTypedWindowEvent(display, reader, SelectionNotify, &notify);
                },
                kSlowMachineMs);
            return answered ? notify.xselection.property : Atom(-1);
        };
        QCOMPARE(request(XA_STRING), None);
        QCOMPARE(request(atom("UTF8_STRING")), atom("_READ"));
        XGetWindowProperty(display, reader, atom("_READ"), 0, 1, False, AnyPropertyType, &type, &format,
            &items, &after, &data);
        XFree(data);
        QCOMPARE(type, atom("INCR"));
        QCOMPARE(xclipOut(), text.replace("\r\n", "\n"));
        QCOMPARE(ctlCopy(QString(), "2"), 1); // an empty position takes nothing

        QVERIFY(m_clipboard.replaceText(u"taken"_s));
        const auto ended = [pid] {
            const QByteArray stat = TestFiles::read(u"/proc/%1/stat"_s.arg(pid));
            return stat.isEmpty() || stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z";
        };
        QTRY_VERIFY_WITH_TIMEOUT(ended(), kSlowMachineMs);
    }
};

TRELLIN_GUI_TEST_MAIN(TestX11Paste)
#include "tst_x11paste.moc"

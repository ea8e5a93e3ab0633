#include "ChildProcess.h"
#include "GuiTestMain.h"
#include "TestFiles.h"
#include "platform/qt/QtClipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <filesystem>
#include <memory>

// The clipboard as another program (xclip) sees it, filled by the window's clipboard or by
// trellinctl without a running program: non-Latin text passes unchanged, line breaks arrive as
// LF, and a text too large for one piece arrives whole.
class TestX11Clipboard : public QObject
{
    Q_OBJECT
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
        const QString box = QDir::homePath() + u"/.local/share/MoxenoTrellin/MoxenoTrellin1.txt"_s;
        if (!TestFiles::write(box,
                "\xEF\xBB\xBF"
                "01!\xC2\xAC:"
                    + text.toUtf8() + "\r\n"))
            return -1;
        return ChildProcess::run(QStringLiteral(TRELLINCTL), {"copy", "1", position}).code;
    }
    static QString mixedText() { return u"héllo € ł 日本\r\nsecond line"_s; }

private slots:
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

TRELLIN_GUI_TEST_MAIN(TestX11Clipboard)
#include "tst_x11clipboard.moc"

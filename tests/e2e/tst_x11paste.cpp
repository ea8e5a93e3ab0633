#include "GuiTestMain.h"
#include "TargetProcess.h"
#include "TestFiles.h"
#include "macros/TypingInserter.h"
#include "platform/ChoosingInserter.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11Paster.h"
#include "platform/x11/X11WindowTracker.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <X11/Xlib.h>

// Pasting into another program's window, chosen by its window class: a Qt window (Ctrl+V) and
// an xterm (Shift+Insert, which reads the primary selection). The target gets the text, and
// afterwards the clipboard holds what it held before, byte for byte, as xclip reads it: a text,
// or an image large enough to come in pieces (INCR); a clipboard nobody owned is free again.
class TestX11Paste : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    // Runs xclip to its end while this process answers its requests; its output and status.
    static std::pair<int, QByteArray> xclip(const QStringList& arguments)
    {
        QProcess process;
        process.start(QStringLiteral("xclip"), arguments);
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, kSlowMachineMs))
            return {-1, {}};
        return {process.exitCode(), process.readAllStandardOutput()};
    }
    static QString activeWindow()
    {
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"), {"getactivewindow"});
        xdotool.waitForFinished(kSlowMachineMs);
        return QString::fromLatin1(xdotool.readAllStandardOutput().trimmed());
    }

private slots:
    void pastesAndRestoresTheClipboard_data()
    {
        QTest::addColumn<QString>("target"); // "qt" or "xterm"
        QTest::addColumn<QString>("type"); // the format the clipboard held before; empty for none
        QTest::newRow("Qt window, text before") << "qt"
                                                << "UTF8_STRING";
        QTest::newRow("Qt window, image before") << "qt"
                                                 << "image/png";
        QTest::newRow("Qt window, clipboard free") << "qt"
                                                   << "";
        QTest::newRow("xterm, text before") << "xterm"
                                            << "UTF8_STRING";
        QTest::newRow("xterm, image before") << "xterm"
                                             << "image/png";
    }
    void pastesAndRestoresTheClipboard()
    {
        QFETCH(QString, target);
        QFETCH(QString, type);
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
        rules.ctrlV = {QStringLiteral("trellin_typing_target")};
        rules.shiftInsert = {QStringLiteral("xterm")};
        inserter.setRules([rules] { return rules; });

        QByteArray before;
        if (type == u"image/png") {
            // Over a megabyte: xclip hands it over in pieces.
            before.resize(1200 * 1024);
            QRandomGenerator(17).fillRange(reinterpret_cast<quint32*>(before.data()), before.size() / 4);
        } else if (!type.isEmpty()) {
            before = "held before: \xC3\xBC \xE2\x82\xAC";
        }
        const QString file = m_dir.filePath(QStringLiteral("before"));
        QVERIFY(TestFiles::write(file, before));
        if (!type.isEmpty())
            QCOMPARE(xclip({"-i", "-selection", "clipboard", "-t", type, file}).first, 0);

        const QString text = QStringLiteral("Pasted \u2713 text");
        TargetProcess qtTarget;
        QProcess xterm;
        const QString received = m_dir.filePath(QStringLiteral("received"));
        QFile::remove(received);
        if (target == u"qt") {
            QVERIFY(qtTarget.start(QStringLiteral("Paste target")));
            // The window manager announces the new window a little after it has shown.
            QTRY_COMPARE_WITH_TIMEOUT(
                windows.activeWindowClass().value(0), QByteArray("trellin_typing_target"), kSlowMachineMs);
        } else {
            const QString ready = m_dir.filePath(QStringLiteral("ready"));
            QFile::remove(ready);
            xterm.start(QStringLiteral("xterm"),
                {"-e", "sh", "-c",
                    QStringLiteral("stty -echo; : > '%1'; exec cat > '%2'").arg(ready, received)});
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

    // An owner that never answers cannot have its content saved: nothing is pasted, and it
    // still owns the clipboard.
    void silentOwnerStopsThePaste()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X session of scripts/x11-session.sh");
        Display* silent = XOpenDisplay(nullptr);
        QVERIFY(silent);
        const Window owner = XCreateSimpleWindow(silent, DefaultRootWindow(silent), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(silent, XInternAtom(silent, "CLIPBOARD", False), owner, CurrentTime);
        XSync(silent, False);
        X11KeySender keys;
        X11Paster paster(keys);
        paster.setOwnerTimeoutMs(300);
        TargetProcess target;
        QVERIFY(target.start(QStringLiteral("Paste target")));
        const Result<> pasted = paster.pasteText(QStringLiteral("never"), InsertMethod::PasteCtrlV);
        QVERIFY2(
            !pasted.ok() && pasted.error().startsWith(u"nothing was pasted"), qPrintable(pasted.error()));
        QCOMPARE(target.text(), QString());
        QCOMPARE(XGetSelectionOwner(silent, XInternAtom(silent, "CLIPBOARD", False)), owner);
        XCloseDisplay(silent);
    }
};

TRELLIN_GUI_TEST_MAIN(TestX11Paste)
#include "tst_x11paste.moc"

#include "DialogScript.h"
#include "GuiTestMain.h"
#include "TestFiles.h"
#include "app/PlatformServices.h"
#include "app/TrellinApp.h"
#include "core/DataFiles.h"
#include "core/Paths.h"
#include "gui/boxes/PositionButtonsFrame.h"
#include "gui/main/MainWindow.h"
#include "macros/TypeNotation.h"
#include "platform/qt/QtClipboard.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyboardLocks.h"
#include "platform/x11/X11WindowTracker.h"

#include <QMessageBox>
#include <QTabBar>

// The program's start procedure with the real main window, in the fresh home of TestEnvironment;
// where there is no X server to talk to, every platform service says so instead of crashing.
class TestStartProcedure : public QObject
{
    Q_OBJECT

    QtClipboard m_clipboard;

    static QString dataFolder() { return Paths::defaultDataFolder(); }
    static QString iniPath() { return Paths::configFolder() + u"MoxenoTrellin.ini"_s; }

private slots:
    // A first start makes a full names file and leaves the settings file unwritten; the next
    // reads a short names file, and moves a left edge beyond the screen to 36 twips.
    void firstStartThenStoredSettings()
    {
        bool numLock = false;
        const TrellinApp::Platform platform {{}, [&numLock] { numLock = true; }};
        {
            TrellinApp app(m_clipboard, platform);
            QVERIFY(app.start());
            const QByteArray names = TestFiles::read(DataFiles::namesFile(dataFolder()));
            QVERIFY(names.startsWith("Box 1\r\nBox 2\r\n") && names.endsWith("\r\nBox 99\r\n"));
            QCOMPARE(names.count("\r\n"), 99);
            QVERIFY(!QFile::exists(iniPath()) && !numLock && app.window()->isVisible());
            QCOMPARE(app.window()->positionButtons()->buttonColour(), QColor(0xC0, 0xC0, 0xFF));
        }
        QVERIFY(TestFiles::write(iniPath(),
            "[settings]\r\nBoxNo=7\r\nLeft=999999\r\nTop=450\r\nWarnOverwrite=0\r\nClipColour=255\r\n"
            "[MX]\r\nNumLock=1\r\n"));
        QVERIFY(TestFiles::write(DataFiles::boxFile(dataFolder(), 7), "03!\xac:seven\r\n"));
        QVERIFY(
            TestFiles::write(DataFiles::namesFile(dataFolder()), "Letters\r\nA name of twenty chars\r\n"));
        TrellinApp app(m_clipboard, platform);
        QVERIFY(app.start());
        auto* tabs = app.window()->findChild<QTabBar*>(u"TabStripMain"_s);
        QCOMPARE((QStringList {tabs->tabText(0), tabs->tabText(1), tabs->tabText(6)}),
            (QStringList {"Letters", "A name of twent", "Box 7"}));
        QCOMPARE(tabs->currentIndex(), 6);
        QCOMPARE(app.store().cached(3), u"seven"_s);
        QCOMPARE(app.window()->pos(), QPoint(2, 30)); // 36 and 450 twips
        QVERIFY(!app.context().warnOverwrite());
        QCOMPARE(app.window()->positionButtons()->buttonColour(), QColor(0xFF, 0, 0)); // 0xBBGGRR
        QVERIFY(numLock);
    }

    void missingDataFolderShowsWhyAndFails()
    {
        QVERIFY(TestFiles::write(iniPath(), "[Defaults]\r\nDataPath=/nonexistent/trellin-data/\r\n"));
        DialogScript dialogs;
        dialogs.expect(DialogScript::messageButton(QMessageBox::Ok));
        TrellinApp app(m_clipboard, {});
        QVERIFY(!app.start() && !app.window());
        QCOMPARE(dialogs.seen,
            QStringList {"Moxeno Trellin|Moxeno Trellin could not start.\n\n"
                         "The data folder /nonexistent/trellin-data/ does not exist."});
    }

    void offscreenPlatformTypesNothing()
    {
        PlatformServices services;
        QVERIFY(!services.usesX11());
        QVERIFY(services.unavailableReason().contains(u"offscreen"_s));
        QVERIFY(typeNotation(services.keySender(), u"abc"_s, true).error().contains(u"offscreen"));
        // Unreadable text is still reported as such.
        QVERIFY(typeNotation(services.keySender(), u"{NOPE}"_s, true).error().contains(u"NOPE"));
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
            const QString error = typeNotation(sender, u"abc"_s, true).error();
            QVERIFY2(error.startsWith(u"cannot type keys: no X11 display"_s), qPrintable(error));
            X11WindowTracker tracker(display);
            QVERIFY(!tracker.isAvailable() && !tracker.switchToLastWindow()
                && !tracker.switchPastProgressWindow());
            X11KeyboardLocks locks(display);
            QVERIFY(!locks.setNumLockOn() && !locks.state());
        }
    }
};

TRELLIN_GUI_TEST_MAIN(TestStartProcedure)
#include "tst_startprocedure.moc"

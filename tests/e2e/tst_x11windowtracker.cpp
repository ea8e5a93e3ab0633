#include "GuiTestMain.h"
#include "TargetProcess.h"
#include "macros/TypeNotation.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11WindowTracker.h"

#include <QPlainTextEdit>
#include <QProcess>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

// Two windows of other programs (Alpha, then Beta) and windows of this process standing in
// for the main and progress windows. The cases run in order, each starting with Beta active.
class TestX11WindowTracker : public QObject
{
    Q_OBJECT
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

    void switchPastProgressWindowSkipsOwnWindows()
    {
        QVERIFY(showOwnWindow(u"Main"_s) && showOwnWindow(u"Progress"_s));
        QVERIFY(m_tracker.switchPastProgressWindow());
        QCOMPARE(m_tracker.activeWindow(), m_beta.window());

        // Back in the program, the last window is still the one the user worked in.
        QVERIFY(showOwnWindow(u"Step dialog"_s));
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
};

TRELLIN_GUI_TEST_MAIN(TestX11WindowTracker)
#include "tst_x11windowtracker.moc"

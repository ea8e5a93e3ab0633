#include "TargetProcess.h"
#include "TestEnvironment.h"
#include "platform/X11KeySender.h"
#include "platform/X11WindowTracker.h"

#include <QPlainTextEdit>

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

    // Shows a window of this process and waits until the window manager made it active.
    static std::unique_ptr<QWidget> showOwnWindow(const QString& title)
    {
        auto window = std::make_unique<QPlainTextEdit>();
        window->setWindowTitle(title);
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get()) ? std::move(window) : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tracker.isAvailable());
        // Each start blocks this process; the tracker sees each window once it reads events again.
        QVERIFY(m_alpha.start(QStringLiteral("Alpha")));
        QTRY_COMPARE_WITH_TIMEOUT(m_tracker.activeWindow(), m_alpha.window(), kSlowMachineMs);
        QVERIFY(m_beta.start(QStringLiteral("Beta")));
        QTRY_COMPARE_WITH_TIMEOUT(m_tracker.activeWindow(), m_beta.window(), kSlowMachineMs);
    }

    void switchToLastWindowGoesBackAndForth()
    {
        QCOMPARE(m_tracker.lastWindowTarget(), m_alpha.window());
        QVERIFY(m_tracker.SwitchToLastWindow());
        QCOMPARE(m_tracker.activeWindow(), m_alpha.window());
        // The keys go where the focus went.
        QVERIFY(m_sender.SendKeys(QStringLiteral("to alpha"), true).ok());
        QCOMPARE(m_alpha.waitForText(QStringLiteral("to alpha")), QStringLiteral("to alpha"));
        QCOMPARE(m_beta.text(), QString());
        QVERIFY(m_tracker.SwitchToLastWindow());
        QCOMPARE(m_tracker.activeWindow(), m_beta.window());
    }

    void switchPastProgressWindowSkipsOwnWindows()
    {
        const auto main = showOwnWindow(QStringLiteral("Main"));
        const auto progress = showOwnWindow(QStringLiteral("Progress"));
        QVERIFY(main && progress);
        QCOMPARE(m_tracker.pastProgressTarget(), m_beta.window());
        QVERIFY(m_tracker.SwitchPastProgressWindow());
        QCOMPARE(m_tracker.activeWindow(), m_beta.window());
        QCOMPARE(m_tracker.history().value(0), m_beta.window());
        QVERIFY(!m_tracker.history().contains(progress->winId()));

        // Back in the program, the last window is still the one the user worked in.
        const auto dialog = showOwnWindow(QStringLiteral("Step dialog"));
        QVERIFY(dialog);
        QVERIFY(m_tracker.SwitchToLastWindow());
        QCOMPARE(m_tracker.activeWindow(), m_beta.window());
    }

    // The window manager announces a newly focused window a little later. Until then the
    // announcement still names Beta, which must not pass for Beta being active: the keys would
    // go into the program's own window.
    void staleAnnouncementIsNotTakenForActive()
    {
        const auto dialog = showOwnWindow(QStringLiteral("Dialog"));
        QVERIFY(dialog);
        Display* display = XOpenDisplay(nullptr);
        QVERIFY(display);
        const Window beta = m_beta.window();
        XChangeProperty(display, DefaultRootWindow(display),
            XInternAtom(display, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32, PropModeReplace,
            reinterpret_cast<const unsigned char*>(&beta), 1);
        XCloseDisplay(display);
        QVERIFY(m_beta.clear());
        QVERIFY(m_tracker.SwitchToLastWindow());
        QVERIFY(m_sender.SendKeys(QStringLiteral("to beta"), true).ok());
        QCOMPARE(m_beta.waitForText(QStringLiteral("to beta")), QStringLiteral("to beta"));
    }

    void closedWindowIsSkipped()
    {
        const auto main = showOwnWindow(QStringLiteral("Main"));
        QVERIFY(main);
        const unsigned long beta = m_beta.window();
        QCOMPARE(m_tracker.lastWindowTarget(), beta);
        // Beta closes while the program is active: its id is remembered but invalid now.
        m_beta.stop();
        QTRY_COMPARE_WITH_TIMEOUT(m_tracker.lastWindowTarget(), m_alpha.window(), kSlowMachineMs);
        QVERIFY(!m_tracker.history().contains(beta));
        QVERIFY(m_tracker.SwitchToLastWindow());
        QCOMPARE(m_tracker.activeWindow(), m_alpha.window());
    }
};

TRELLIN_GUI_TEST_MAIN(TestX11WindowTracker)
#include "tst_x11windowtracker.moc"

// Start-up, exit and peak memory of the program in its own X session, each beside bare_window (a
// Qt Widgets program showing one empty window), the two started in alternation in the same run:
// - start-up: from the start of the process until its window is mapped (wall time, and the CPU
//   time of the process by then, ended threads too), with 99 boxes of 99 texts of 300 characters and with 99
//   full boxes (99 texts of 9,999 characters and 99 macros of 9,999 characters each);
// - exit: from the close request to the end of the process, right after start and after a macro
//   (with characters the keyboard map lacks, so spare keycodes are bound) has played;
// - peak memory (VmHWM, the resident high-water mark) after every full box has been shown.
// Run it inside a private X session: scripts/x11-session.sh build-bench/bench/bench_startup
#include "BenchData.h"
#include "BenchRow.h"
#include "TargetProcess.h"
#include "X11BenchSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

// After every Qt header: Xlib's macros (None, Bool) would break them.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <ctime>
#include <optional>

#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kRuns = 7;
constexpr int kTimeoutMs = 60000;
// What the exit benchmark's macro types: plain keys, and letters the US keyboard map lacks.
const QString kMacroTyped = QStringLiteral("ab\tZ\u00FCrich \u20AC 5");
const QByteArray kMacroRecord = "01!\xAC:Exit>ab{TAB}Z\xFCrich \x80 5\r\n";

struct Outcome
{
    bool ok = false;
    double mappedSeconds = 0; // start to mapped
    double cpuSeconds = 0; // CPU time of the process (every thread) when mapped
    double exitSeconds = 0; // close request to the end of the process
    double peakBytes = 0; // VmHWM
};

// One Xlib connection that watches the root window for new top-level windows, and the process of
// the program under test.
class Launcher
{
public:
    Launcher()
        : m_display(XOpenDisplay(nullptr))
    {
        if (!m_display)
            return;
        m_root = DefaultRootWindow(m_display);
        m_pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
        m_protocols = XInternAtom(m_display, "WM_PROTOCOLS", False);
        m_delete = XInternAtom(m_display, "WM_DELETE_WINDOW", False);
        m_ping = XInternAtom(m_display, "_NET_WM_PING", False);
        XSelectInput(m_display, m_root, SubstructureNotifyMask | StructureNotifyMask);
        XSync(m_display, False);
    }
    ~Launcher()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    bool isOpen() const { return m_display; }

    // Starts program, waits until its window is viewable, and notes the time and CPU time it took.
    bool start(const QByteArray& program, Outcome& outcome)
    {
        drain();
        m_window = 0;
        char* argv[] = {const_cast<char*>(program.constData()), nullptr};
        QElapsedTimer clock;
        clock.start();
        if (posix_spawn(&m_pid, program.constData(), nullptr, nullptr, argv, environ) != 0)
            return false;
        m_pidfd = int(syscall(SYS_pidfd_open, m_pid, 0));
        while (!viewable()) {
            if (clock.elapsed() > kTimeoutMs || !waitForEvent(kTimeoutMs)) {
                std::fprintf(stderr, "bench_startup: %s showed no window\n", program.constData());
                return false;
            }
        }
        outcome.mappedSeconds = clock.nsecsElapsed() / 1e9;
        outcome.cpuSeconds = cpuSeconds(m_pid);
        return true;
    }

    Window window() const { return m_window; }

    // Sends a ping and waits for its answer, which the program gives once it has handled every
    // event before it: the window is idle.
    bool waitUntilIdle()
    {
        static long stamp = 0;
        XEvent ping {};
        ping.xclient.type = ClientMessage;
        ping.xclient.window = m_window;
        ping.xclient.message_type = m_protocols;
        ping.xclient.format = 32;
        ping.xclient.data.l[0] = long(m_ping);
        ping.xclient.data.l[1] = ++stamp;
        ping.xclient.data.l[2] = long(m_window);
        XSendEvent(m_display, m_window, False, NoEventMask, &ping);
        XFlush(m_display);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kTimeoutMs) {
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == ClientMessage && event.xclient.message_type == m_protocols
                    && event.xclient.data.l[0] == long(m_ping) && event.xclient.data.l[1] == stamp)
                    return true;
            }
            waitForEvent(100);
        }
        return false;
    }

    // Asks the window to close as the window manager's close button does, and waits for the
    // process to end: the time from the request to the end, and its peak memory.
    bool close(Outcome& outcome)
    {
        XEvent message {};
        message.xclient.type = ClientMessage;
        message.xclient.window = m_window;
        message.xclient.message_type = m_protocols;
        message.xclient.format = 32;
        message.xclient.data.l[0] = long(m_delete);
        message.xclient.data.l[1] = CurrentTime;
        QElapsedTimer clock;
        clock.start();
        XSendEvent(m_display, m_window, False, NoEventMask, &message);
        XFlush(m_display);
        pollfd process {m_pidfd, POLLIN, 0};
        const bool ended = poll(&process, 1, kTimeoutMs) == 1;
        outcome.exitSeconds = clock.nsecsElapsed() / 1e9;
        if (!ended)
            kill(m_pid, SIGKILL);
        int status = 0;
        rusage usage {};
        wait4(m_pid, &status, 0, &usage);
        ::close(m_pidfd);
        outcome.peakBytes = double(usage.ru_maxrss) * 1024;
        outcome.ok = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        return outcome.ok;
    }

private:
    void drain()
    {
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
        }
    }

    bool waitForEvent(int timeoutMs)
    {
        if (XPending(m_display) > 0)
            return true;
        pollfd socket {ConnectionNumber(m_display), POLLIN, 0};
        return poll(&socket, 1, timeoutMs) == 1;
    }

    // Handles the pending events; true once the process's window is viewable. The window manager
    // reparents a new top-level window into its frame and then maps the frame.
    bool viewable()
    {
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == ReparentNotify && m_window == 0 && windowPid(event.xreparent.window) == m_pid)
                m_window = event.xreparent.window;
        }
        if (m_window == 0)
            return false;
        XWindowAttributes attributes {};
        return XGetWindowAttributes(m_display, m_window, &attributes) && attributes.map_state == IsViewable;
    }

    long windowPid(Window window)
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        long pid = -1;
        if (XGetWindowProperty(m_display, window, m_pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                &remaining, &data)
                == Success
            && data && format == 32 && count == 1)
            pid = *reinterpret_cast<long*>(data);
        if (data)
            XFree(data);
        return pid;
    }

    // The CPU time of the process: every thread it has run, those that have ended too (summing
    // the live threads' scheduler times would lose a helper thread that is done), in nanoseconds.
    static double cpuSeconds(pid_t pid)
    {
        clockid_t clock {};
        timespec used {};
        if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0)
            return 0;
        return double(used.tv_sec) + double(used.tv_nsec) / 1e9;
    }

    Display* m_display = nullptr;
    Window m_root = 0;
    Atom m_pidAtom = 0;
    Atom m_protocols = 0;
    Atom m_delete = 0;
    Atom m_ping = 0;
    pid_t m_pid = 0;
    int m_pidfd = -1;
    Window m_window = 0;
};

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(kSlowMachineMs) ? QString::fromUtf8(process.readAllStandardOutput())
                                                   : QString();
}

QString activeWindow()
{
    return run(QStringLiteral("xdotool"), {"getactivewindow"}).trimmed();
}

bool waitForActive(Window window)
{
    return QTest::qWaitFor([&] { return activeWindow() == QString::number(window); }, kSlowMachineMs);
}

// Clicks a point of the window given in twips (15 to a pixel at 96 DPI).
void click(Window window, int xTwips, int yTwips, int button)
{
    run(QStringLiteral("xdotool"),
        {"mousemove", "--window", QString::number(window), QString::number(xTwips / 15),
            QString::number(yTwips / 15), "click", QString::number(button)});
}

// A home of its own (settings, data folder, runtime files) for each data set.
class Home
{
public:
    explicit Home(const QString& root)
        : m_root(root)
    { }
    QString data() const { return m_root + QStringLiteral("/.local/share/MoxenoTrellin/"); }
    QString ini() const { return m_root + QStringLiteral("/.config/MoxenoTrellin/MoxenoTrellin.ini"); }
    bool prepare(const QByteArray& settings) const
    {
        return QDir().mkpath(data()) && QDir().mkpath(m_root + QStringLiteral("/.config/MoxenoTrellin"))
            && QDir().mkpath(m_root + QStringLiteral("/.cache")) && BenchData::write(ini(), settings);
    }
    void enter() const
    {
        qputenv("HOME", m_root.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (m_root + QStringLiteral("/.config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", (m_root + QStringLiteral("/.local/share")).toLocal8Bit());
        qputenv("XDG_CACHE_HOME", (m_root + QStringLiteral("/.cache")).toLocal8Bit());
    }

private:
    QString m_root;
};

struct Figures
{
    std::vector<double> wall, cpu, exit, peak;
    void add(const Outcome& outcome)
    {
        wall.push_back(outcome.mappedSeconds);
        cpu.push_back(outcome.cpuSeconds);
        exit.push_back(outcome.exitSeconds);
        peak.push_back(outcome.peakBytes);
    }
};

// Start, wait until idle, close.
std::optional<Outcome> startAndClose(Launcher& launcher, const QByteArray& program, const Home& home)
{
    home.enter();
    Outcome outcome;
    if (!launcher.start(program, outcome) || !launcher.waitUntilIdle() || !launcher.close(outcome))
        return std::nullopt;
    return outcome;
}

// Start, show every box from 1 to 99 (keys on the box slider), close; the settings then name
// box 99 as the box on show.
std::optional<Outcome> visitEveryBox(Launcher& launcher, const QByteArray& program, const Home& home)
{
    home.enter();
    Outcome outcome;
    if (!launcher.start(program, outcome) || !waitForActive(launcher.window()))
        return std::nullopt;
    // The slider stands at 9,960..11,055 x 520..775 twips of the window.
    click(launcher.window(), 10000, 640, 1);
    run(QStringLiteral("xdotool"), {"key", "Home"});
    run(QStringLiteral("xdotool"), {"key", "--delay", "1", "--repeat", "98", "Right"});
    if (!launcher.waitUntilIdle() || !launcher.close(outcome))
        return std::nullopt;
    QFile ini(home.ini());
    if (!ini.open(QIODevice::ReadOnly) || !ini.readAll().contains("BoxNo=99")) {
        std::fprintf(stderr, "bench_startup: not every box was shown\n");
        return std::nullopt;
    }
    return outcome;
}

// Start, play macro 1 into another window, close once the playback has ended.
std::optional<Outcome> playThenClose(Launcher& launcher, const QByteArray& program, const Home& home)
{
    home.enter();
    Outcome outcome;
    if (!launcher.start(program, outcome) || !waitForActive(launcher.window()))
        return std::nullopt;
    TargetProcess target;
    if (!target.start(QStringLiteral("Exit target"))) {
        std::fprintf(stderr, "bench_startup: the target window did not become active\n");
        return std::nullopt;
    }
    run(QStringLiteral("xdotool"), {"windowactivate", "--sync", QString::number(launcher.window())});
    if (!waitForActive(launcher.window()))
        return std::nullopt;
    // A right click on the up-down control beside the macro list chooses macro 1; then Play.
    click(launcher.window(), 240 + 2910 + 127, 3120 + 240 + 165, 3);
    click(launcher.window(), 240 + 120 + 150, 3120 + 690 + 150, 1);
    if (target.waitForText(kMacroTyped) != kMacroTyped || !waitForActive(Window(target.window()))
        || !launcher.waitUntilIdle()) {
        std::fprintf(stderr, "bench_startup: the macro did not play\n");
        return std::nullopt;
    }
    if (!launcher.close(outcome))
        return std::nullopt;
    return outcome;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const X11BenchSession session("bench_startup");
    if (!session.ready())
        return 1;
    Launcher launcher;
    if (!launcher.isOpen())
        return 1;
    const QTemporaryDir root;
    const Home small(root.filePath(QStringLiteral("small")));
    const Home full(root.filePath(QStringLiteral("full")));
    const Home macro(root.filePath(QStringLiteral("macro")));
    const QByteArray quiet
        = "[Settings]\r\nMacroPromptBefore=0\r\nMacroInformAfter=0\r\nMacroDelay=0.001\r\n";
    if (!small.prepare(quiet) || !full.prepare(quiet) || !macro.prepare(quiet)
        || !BenchData::writeDataSet(small.data(), 300, false)
        || !BenchData::writeDataSet(full.data(), 9999, true)
        || !BenchData::writeDataSet(macro.data(), 300, false)
        || !BenchData::write(DataFiles::macroFile(macro.data(), 1), kMacroRecord)) {
        std::fprintf(stderr, "bench_startup: could not write the data sets\n");
        return 1;
    }
    const QByteArray program = TRELLIN_PROGRAM;
    const QByteArray bare = TRELLIN_BARE_WINDOW;
    const QByteArray text = TRELLIN_TEXT_WINDOW;

    // One start of each first: the names file is made, and the libraries are in the page cache.
    if (!startAndClose(launcher, bare, small) || !startAndClose(launcher, text, small)
        || !startAndClose(launcher, program, small) || !startAndClose(launcher, program, full)) {
        std::fprintf(stderr, "bench_startup: a first start failed\n");
        return 1;
    }
    Figures bareRuns, textRuns, smallRuns, fullRuns, visitRuns, macroRuns;
    for (int run = 0; run < kRuns; ++run) {
        const auto b1 = startAndClose(launcher, bare, small);
        const auto s = startAndClose(launcher, program, small);
        const auto b2 = startAndClose(launcher, bare, small);
        const auto t = startAndClose(launcher, text, small);
        const auto f = startAndClose(launcher, program, full);
        const auto v = visitEveryBox(launcher, program, full);
        const auto m = playThenClose(launcher, program, macro);
        // The first window mapped after a playback takes about 100 ms longer (wall time, not
        // CPU), whichever program it is: this start is not counted, so that the next run's first
        // floor is not measured in that state.
        if (!startAndClose(launcher, bare, small)) {
            std::fprintf(stderr, "bench_startup: run %d failed\n", run + 1);
            return 1;
        }
        if (!b1 || !s || !b2 || !f || !v || !m || !t) {
            std::fprintf(stderr, "bench_startup: run %d failed\n", run + 1);
            return 1;
        }
        bareRuns.add(*b1);
        bareRuns.add(*b2);
        smallRuns.add(*s);
        fullRuns.add(*f);
        visitRuns.add(*v);
        macroRuns.add(*m);
        textRuns.add(*t);
        std::printf(
            "run %d: bare %.0f/%.0f ms, small %.0f ms (CPU %.0f), full %.0f ms (CPU %.0f), exit %.0f ms, "
            "after macro %.0f ms, peak %.1f MiB\n",
            run + 1, b1->mappedSeconds * 1000, b2->mappedSeconds * 1000, s->mappedSeconds * 1000,
            s->cpuSeconds * 1000, f->mappedSeconds * 1000, f->cpuSeconds * 1000, f->exitSeconds * 1000,
            m->exitSeconds * 1000, v->peakBytes / 1048576.0);
    }
    using BenchRow::median;
    using BenchRow::milliseconds;
    const double bareWall = median(bareRuns.wall);
    const double bareCpu = median(bareRuns.cpu);
    BenchRow::timing(QStringLiteral("Start-up to the window mapped, 99 x 99 texts of 300 characters, wall"),
        median(smallRuns.wall), bareWall, 1.3, 0);
    BenchRow::timing(QStringLiteral("Start-up to the window mapped, 99 x 99 texts of 300 characters, CPU"),
        median(smallRuns.cpu), bareCpu, 1.3, 0);
    BenchRow::timing(QStringLiteral("Start-up to the window mapped, 99 full boxes and macros, wall"),
        median(fullRuns.wall), bareWall, 1.3, 0);
    BenchRow::timing(QStringLiteral("Start-up to the window mapped, 99 full boxes and macros, CPU"),
        median(fullRuns.cpu), bareCpu, 1.3, 0);
    BenchRow::timing(QStringLiteral("Exit right after start (full data)"), median(fullRuns.exit),
        median(bareRuns.exit), 0, 0.1);
    BenchRow::timing(QStringLiteral("Exit after a macro has played"), median(macroRuns.exit),
        median(bareRuns.exit), 0, 0.1);
    BenchRow::ratio(QStringLiteral("Peak memory (VmHWM), full data, every box shown"),
        BenchRow::mebibytes(median(visitRuns.peak)), median(visitRuns.peak),
        BenchRow::mebibytes(median(bareRuns.peak)), median(bareRuns.peak), 1.3);
    // The reference rows carry no goal: they show what a window that draws any text costs.
    BenchRow::timing(QStringLiteral("Reference: a window with one label and one button, start-up wall"),
        median(textRuns.wall), bareWall, 0, 0);
    BenchRow::timing(QStringLiteral("Reference: a window with one label and one button, start-up CPU"),
        median(textRuns.cpu), bareCpu, 0, 0);
    const double textPeak = median(textRuns.peak);
    const double barePeak = median(bareRuns.peak);
    BenchRow::print(QStringLiteral("Reference: a window with one label and one button, peak memory"),
        BenchRow::mebibytes(textPeak), BenchRow::mebibytes(barePeak), barePeak > 0 ? textPeak / barePeak : 0,
        QString(), true);
    return 0;
}

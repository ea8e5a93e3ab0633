// Reaching the running program from another window: the time from pressing a global shortcut to
// the first key of its macro arriving in the target window, from the quick pick's shortcut to its
// popup being shown, and from `trellinctl show` to the program's window being active. Floors:
// the same key typed straight into the target (for both shortcuts), and the window activated by
// a pager request (xdotool). The data folder holds 99 full boxes and 99 full macro files.
#include "BenchData.h"
#include "TargetProcess.h"
#include "X11BenchSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 9;
constexpr double kGoalMs = 100;

qint64 nowNs()
{
    return std::chrono::system_clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(kSlowMachineMs);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The median of kRuns measurements in milliseconds; a negative one ends the benchmark.
double median(const std::function<double()>& measure)
{
    std::vector<double> values;
    for (int i = 0; i < kRuns; ++i) {
        const double value = measure();
        if (value < 0)
            return -1;
        values.push_back(value);
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void row(const char* figure, double program, double floor)
{
    std::printf("BENCHROW\t%s\t%.1f ms\t%.1f ms\t%.2fx\t<= %.0f ms\t%s\n", figure, program, floor,
        program / floor, kGoalMs, program <= kGoalMs ? "ok" : "MISSED");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const X11BenchSession session("bench_reach");
    if (!session.ready())
        return 1;
    // The program runs on a data folder and settings of its own.
    QTemporaryDir home;
    const QString data = home.path() + QStringLiteral("/data/MoxenoTrellin/");
    // Macro 1 of the box on show types "x"; its other 98 macros are full.
    QByteArray macros = BenchData::recordFile(9999, true, 1);
    macros = "01!\xac:Key>x\r\n" + macros.mid(macros.indexOf("\r\n02!\xac:") + 2);
    if (!QDir().mkpath(data) || !BenchData::writeDataSet(data, 9999, true)
        || !writeFile(data + QStringLiteral("MoxenoTrellinMacros1.txt"), macros)
        || !writeFile(home.path() + QStringLiteral("/config/MoxenoTrellin/MoxenoTrellin.ini"),
            "[Settings]\r\nMacroPromptBefore=0\r\nMacroInformAfter=0\r\nMacroDelay=0.001\r\n"
            "[Shortcuts]\r\nMacro1=Ctrl+Alt+1\r\nPick=Ctrl+Alt+P\r\n"))
        return 1;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    QProcess program;
    program.start(QStringLiteral(TRELLIN_PROGRAM), {});
    const QString window
        = run(QStringLiteral("xdotool"), {"search", "--sync", "--onlyvisible", "--name", "^Moxeno Trellin$"});
    TargetProcess target;
    if (window.isEmpty() || !target.start(QStringLiteral("Reach benchmark"))) {
        std::fprintf(stderr, "bench_reach: the program or the target window did not come up\n");
        return 1;
    }
    const QString targetWindow = QString::number(target.window());

    // From the key press (xdotool started) to the text changing in the target.
    const auto keyToText = [&](const QString& keys, const QString& expected) -> double {
        if (!target.clear()
            || run(QStringLiteral("xdotool"), {"windowactivate", "--sync", targetWindow}) != QString())
            return -1;
        const qint64 start = nowNs();
        run(QStringLiteral("xdotool"), {"key", keys});
        qint64 changed = 0;
        if (target.waitForText(expected) != expected || (target.text(&changed), changed < start))
            return -1;
        return double(changed - start) / 1e6;
    };
    const double shortcut
        = median([&] { return keyToText(QStringLiteral("ctrl+alt+1"), QStringLiteral("x")); });
    const double key = median([&] { return keyToText(QStringLiteral("y"), QStringLiteral("y")); });

    // From the key press to the popup shown (asked of the server as often as xdotool can: each
    // ask takes a few milliseconds, which the figure includes), then closed again.
    const auto waitForPopup = [](bool shown) {
        const qint64 deadline = nowNs() + qint64(kSlowMachineMs) * 1000000;
        while (nowNs() < deadline) {
            if (run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", "quick pick$"}).isEmpty()
                != shown)
                return nowNs();
        }
        return qint64(-1);
    };
    const double pick = median([&] {
        if (run(QStringLiteral("xdotool"), {"windowactivate", "--sync", targetWindow}) != QString())
            return -1.0;
        const qint64 start = nowNs();
        run(QStringLiteral("xdotool"), {"key", "ctrl+alt+p"});
        const qint64 shown = waitForPopup(true);
        run(QStringLiteral("xdotool"), {"key", "Escape"});
        if (shown < 0 || waitForPopup(false) < 0)
            return -1.0;
        return double(shown - start) / 1e6;
    });

    // From trellinctl show started to its end, which waits until the window is active.
    const auto activation = [&](const QString& tool, const QStringList& arguments) -> double {
        run(QStringLiteral("xdotool"), {"windowactivate", "--sync", targetWindow});
        const qint64 start = nowNs();
        run(tool, arguments);
        if (run(QStringLiteral("xdotool"), {"getactivewindow"}) != window)
            return -1;
        return double(nowNs() - start) / 1e6;
    };
    const double show = median([&] { return activation(QStringLiteral(TRELLINCTL), {"show"}); });
    const double pager = median([&] {
        return activation(QStringLiteral("xdotool"), {"windowactivate", "--sync", window});
    });
    program.kill();
    program.waitForFinished();
    if (shortcut < 0 || key < 0 || pick < 0 || show < 0 || pager < 0) {
        std::fprintf(stderr, "bench_reach: a run did not reach its window (%.0f %.0f %.0f %.0f %.0f)\n",
            shortcut, key, pick, show, pager);
        return 1;
    }
    row("global shortcut to first key in the target", shortcut, key);
    row("quick-pick shortcut to popup shown", pick, key);
    row("trellinctl show to window active", show, pager);
    return 0;
}

// Macro playback speed into a real window: a 1,000-character macro of plain text, key names and
// a counter in a repeat, played by the interpreter through the X11 key sender with MacroDelay
// 0.001 (1 ms every pace step), as trellinctl play does. Run it inside a private X session:
// scripts/x11-session.sh build-bench/bench/bench_playback
#include "TargetProcess.h"
#include "X11BenchSession.h"
#include "cli/FocusedWindowHost.h"
#include "macros/ClockFormats.h"
#include "macros/MacroInterpreter.h"
#include "platform/x11/X11KeySender.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 3;
constexpr int kDelayMs = 1;

// The macro and the text it types.
std::pair<QString, QString> benchmarkMacro()
{
    QString macro = QStringLiteral("{CNT 1}");
    QString typed;
    for (int line = 1; macro.size() < 1000; ++line) {
        macro += QStringLiteral("Order{TAB}{RPT 2}{CNT};{RPT}shipped~");
        typed += QStringLiteral("Order\t%1;%2;shipped\n").arg(2 * line - 1).arg(2 * line);
    }
    return {macro, typed};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const X11BenchSession session("bench_playback");
    if (!session.ready())
        return 1;
    X11KeySender sender;
    if (!sender.isAvailable()) {
        std::fprintf(stderr, "bench_playback: %s\n", qPrintable(sender.unavailableReason()));
        return 1;
    }
    TargetProcess target;
    if (!target.start(QStringLiteral("Playback benchmark"))) {
        std::fprintf(stderr, "bench_playback: the target window did not become active\n");
        return 1;
    }
    const auto [macro, typed] = benchmarkMacro();
    QBuffer messages;
    messages.open(QIODevice::WriteOnly);
    FocusedWindowHost host(sender, kDelayMs, messages);
    ClockFormats formats(QLocale::c());
    std::vector<double> seconds;
    for (int run = 0; run < kRuns; ++run) {
        if (!target.clear()) {
            std::fprintf(stderr, "bench_playback: the target does not answer\n");
            return 1;
        }
        const auto start = std::chrono::steady_clock::now();
        const MacroOutcome outcome = MacroInterpreter::run(macro, host, formats);
        const QString received = target.waitForText(typed);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (outcome.kind != MacroOutcome::Kind::Finished || received != typed) {
            std::fprintf(stderr, "bench_playback: run %d typed %lld of %lld characters (%s)\n", run + 1,
                static_cast<long long>(received.size()), static_cast<long long>(typed.size()),
                qPrintable(outcome.reason));
            return 1;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    std::printf(
        "macro playback into a window, MacroDelay 0.001: %lld macro characters typing %lld, median of %d "
        "runs %.0f ms, %.0f typed characters/s\n",
        static_cast<long long>(macro.size()), static_cast<long long>(typed.size()), kRuns, median * 1000,
        double(typed.size()) / median);
    return 0;
}

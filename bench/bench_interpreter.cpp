// Macro interpreter throughput with the recording host (every piece checked by the keystroke
// notation parser, as the real sender does) and no delay: characters per second for a
// 100,000-character macro of plain text, key names, a repeat and counters.
#include "macros/ClockFormats.h"
#include "macros/MacroInterpreter.h"
#include "macros/RecordingHost.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr qsizetype kMacroLength = 100000;

QString benchmarkMacro()
{
    const QString chunk
        = QStringLiteral("Dear customer,~thank you for order {CNT}.{TAB}{RPT 2}ok {RPT}regards~");
    QString text = QStringLiteral("{CNT 1000}");
    while (text.size() < kMacroLength)
        text += chunk;
    return text.left(kMacroLength - 1) + u'~';
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString macro = benchmarkMacro();
    ClockFormats formats(QLocale::c());
    std::vector<double> seconds;
    qsizetype calls = 0;
    for (int run = 0; run < kRuns; ++run) {
        RecordingHost host;
        const auto start = std::chrono::steady_clock::now();
        const MacroOutcome outcome = MacroInterpreter::run(macro, host, formats);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (outcome.kind != MacroOutcome::Kind::Finished) {
            std::fprintf(
                stderr, "bench_interpreter: the macro did not finish: %s\n", qPrintable(outcome.reason));
            return 1;
        }
        calls = host.calls.size();
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    std::printf("macro interpreter: %lld characters, %lld host calls, median of %d runs %.1f ms, "
                "%.0f characters/s\n",
        static_cast<long long>(macro.size()), static_cast<long long>(calls), kRuns, median * 1000,
        double(macro.size()) / median);
    return 0;
}

// Search across boxes, as the user runs it: `trellinctl search` as a whole process beside
// `grep -F -i -c -r` over the same folder, also a whole process, alternating in the same run.
// Two data sets of 99 full boxes and 99 full macro files (99 x 9,999 characters each, in
// Windows-1252): one where the only hit is in the last macro of box 99 (searched ignoring
// letter case, and with --case), and one where every text and macro holds "Zürich" once, so
// that the search lists 19,602 hits. Then the window's Find next: one press after another
// through the hits, and the press that has to look through every file to find the last macro.
// Prints BENCHROW lines; the data and the home folder live in temporary folders.
#include "BenchData.h"
#include "core/TextCodec.h"
#include "search/SearchEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 7;
constexpr int kTextLength = 9999;
const QByteArray kNeedle = "Quartz-Owl 42";
const QString kManyNeedle = QStringLiteral("Z\u00FCrich");
constexpr double kFrameMs = 1000.0 / 60.0;

double seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Process
{
    QByteArray out;
    int exitCode = -1;
};

Process run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(-1);
    return {process.readAllStandardOutput(),
        process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1};
}

void row(const char* figure, double program, double floor, double goal)
{
    const double ratio = program / floor;
    std::printf("BENCHROW\t%s\t%.3f s\t%.3f s\t%.2fx\t<= %.1fx\t%s\n", figure, program, floor, ratio, goal,
        ratio <= goal ? "ok" : "MISSED");
}

void frameRow(const char* figure, double ms)
{
    std::printf("BENCHROW\t%s\t%.2f ms\t-\t-\t<= %.1f ms\t%s\n", figure, ms, kFrameMs,
        ms <= kFrameMs ? "ok" : "MISSED");
}

// Runs the search and grep in alternation; grep's median, or -1 when either did not find what it
// should.
double compare(const char* figure, const QStringList& searchArguments, const QStringList& grepArguments,
    const std::function<bool(const Process&)>& searchFound,
    const std::function<bool(const Process&)>& grepFound)
{
    std::vector<double> search;
    std::vector<double> grep;
    for (int i = 0; i < kRuns; ++i) {
        Process found;
        grep.push_back(seconds([&] { found = run(QStringLiteral("grep"), grepArguments); }));
        if (!grepFound(found)) {
            std::fprintf(stderr, "bench_search: grep did not find what it should (%s)\n", figure);
            return -1;
        }
        search.push_back(seconds([&] { found = run(QStringLiteral(TRELLIN_CTL), searchArguments); }));
        if (!searchFound(found)) {
            std::fprintf(stderr, "bench_search: trellinctl did not find what it should (%s):\n%s\n", figure,
                found.out.left(400).constData());
            return -1;
        }
    }
    std::printf(
        "%s: trellinctl %.3f s, grep %.3f s (medians of %d)\n", figure, median(search), median(grep), kRuns);
    row(figure, median(search), median(grep), 1.0);
    return median(grep);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString home = dir.path() + QStringLiteral("/home");
    QDir().mkpath(home);
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toLocal8Bit());
    qputenv("LC_ALL", "C.UTF-8");

    const QString oneHit = dir.path() + QStringLiteral("/one-hit/");
    const QString manyHits = dir.path() + QStringLiteral("/many-hits/");
    const QByteArray manyBytes = TextCodec::toWindows1252(kManyNeedle);
    const bool written = QDir().mkpath(oneHit) && QDir().mkpath(manyHits)
        && BenchData::writeDataSet(oneHit, kTextLength, true,
            [](bool macros, int box, int key) {
                return macros && box == 99 && key == 99 ? kNeedle.toLower() : QByteArray();
            })
        && BenchData::writeDataSet(manyHits, kTextLength, true, [&](bool, int, int) { return manyBytes; });
    QFile pattern(dir.path() + QStringLiteral("/pattern"));
    if (!written || !pattern.open(QIODevice::WriteOnly) || pattern.write(manyBytes + '\n') < 0) {
        std::fprintf(stderr, "bench_search: could not write the data sets\n");
        return 1;
    }
    pattern.close();

    auto onlyTheLastMacro = [](const Process& p) {
        return p.exitCode == 0 && p.out.startsWith("MACRO\t99\t99\t") && p.out.count('\n') == 1;
    };
    auto grepCounted = [](int total) {
        return [total](const Process& p) {
            int sum = 0;
            for (const QByteArray& line : p.out.split('\n'))
                sum += line.mid(line.lastIndexOf(':') + 1).toInt();
            return sum == total;
        };
    };
    const QString needle = QString::fromLatin1(kNeedle);
    const double grepOneHit
        = compare("search, one hit in the last macro", {"--data", oneHit, "search", needle},
            {"-F", "-i", "-c", "-r", needle, oneHit}, onlyTheLastMacro, grepCounted(1));
    bool ok = grepOneHit > 0
        && compare("search --case, one hit in the last macro",
               {"--data", oneHit, "search", "--case", needle.toLower()},
               {"-F", "-c", "-r", needle.toLower(), oneHit}, onlyTheLastMacro, grepCounted(1))
            > 0;
    // grep is handed the needle in the files' own bytes, so that it finds what the search finds.
    ok = ok
        && compare(
               "search, 19,602 hits", {"--data", manyHits, "search", kManyNeedle},
               {"-F", "-i", "-c", "-r", "-f", pattern.fileName(), manyHits},
               [](const Process& p) { return p.exitCode == 0 && p.out.count('\n') == 2 * 99 * 99; },
               grepCounted(2 * 99 * 99))
            > 0;
    if (!ok)
        return 1;

    // Find next in the window: each press reads afresh and shows the next hit.
    {
        SearchEngine engine(manyHits);
        std::vector<double> presses;
        for (int press = 0; press < 3 * 99; ++press) {
            SearchEngine::Outcome outcome;
            presses.push_back(1000 * seconds([&] { outcome = engine.find(kManyNeedle, {}); }));
            if (!outcome.hit.found()) {
                std::fprintf(stderr, "bench_search: Find next ran out early\n");
                return 1;
            }
        }
        std::printf("Find next through hits: median %.2f ms, slowest %.2f ms over %zu presses\n",
            median(presses), *std::max_element(presses.begin(), presses.end()), presses.size());
        // The slowest press shows what a busy machine's scheduler adds; the median the usual press.
        frameRow("Find next, press to the next of 19,602 hits (median)", median(presses));
        frameRow("Find next, press to the next of 19,602 hits (slowest)",
            *std::max_element(presses.begin(), presses.end()));
    }
    {
        std::vector<double> presses;
        for (int i = 0; i < kRuns; ++i) {
            SearchEngine engine(oneHit);
            SearchEngine::Outcome outcome;
            presses.push_back(1000 * seconds([&] { outcome = engine.find(needle, {}); }));
            if (outcome.hit.box != 99 || outcome.hit.number != 99) {
                std::fprintf(stderr, "bench_search: Find next missed the last macro\n");
                return 1;
            }
        }
        // No press can be quicker than reading every file: beside grep reading them.
        row("Find next, one press through every file to the last macro", median(presses) / 1000, grepOneHit,
            1.0);
    }
    return 0;
}

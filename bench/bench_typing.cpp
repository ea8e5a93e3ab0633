// Typing throughput into a real Qt window under X11: X11KeySender (1 ms pause every 8 keys)
// beside `xdotool type --delay 0`, the same text into the same window in the same run.
// Run it inside a private X session: scripts/x11-session.sh build-bench/bench/bench_typing
#include "TargetProcess.h"
#include "X11BenchSession.h"
#include "macros/KeystrokeNotation.h"
#include "macros/TypeNotation.h"
#include "platform/x11/X11KeySender.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int runs = 3;
constexpr int textLength = 2000;

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Prose with digits and symbols, a line end about every 70 characters and now and then a
// word from outside ASCII, as a typed snippet might be.
QString benchmarkText()
{
    const QStringList words {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "1234", "56.78",
        "a+b=c", "(x)", "[y]", "{z}", "50%", "#tag", "user@host", "C:\\path", "it's", "\"quoted\"", "~home",
        "a^2", "x*y/z", "<tag>", "café", "€42", "łódź", "straße", "日本", "Ωμέγα"};
    QString text;
    int lineLength = 0;
    for (int i = 0; text.size() < textLength; ++i) {
        const QString& word = words.at((i * 7 + i / 3) % words.size());
        text += word;
        lineLength += int(word.size());
        if (lineLength > 70) {
            text += u'\n';
            lineLength = 0;
        } else {
            text += u' ';
            ++lineLength;
        }
    }
    text.truncate(textLength);
    return text;
}

// How many characters arrived in their place: the longest common subsequence.
double correctShare(const QString& expected, const QString& received)
{
    const QList<uint> a = expected.toUcs4();
    const QList<uint> b = received.toUcs4();
    std::vector<int> previous(size_t(b.size()) + 1, 0);
    std::vector<int> current(previous.size(), 0);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        for (qsizetype j = 1; j <= b.size(); ++j) {
            current[size_t(j)] = a[i - 1] == b[j - 1] ? previous[size_t(j - 1)] + 1
                                                      : std::max(previous[size_t(j)], current[size_t(j - 1)]);
        }
        std::swap(previous, current);
    }
    return a.isEmpty() ? 1.0 : double(previous.back()) / double(a.size());
}

struct Run
{
    double sendMs;
    double endToEndMs;
    double correct;
};

struct Tool
{
    const char* name;
    std::function<bool()> type;
    std::vector<Run> runs;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const X11BenchSession session("bench_typing");
    if (!session.ready())
        return 1;
    const QString text = benchmarkText();
    const QString notation = KeystrokeNotation::escape(text);

    X11KeySender::Options options = X11KeySender::defaultOptions();
    options.paceEvery = 8;
    options.paceMicroseconds = 1000;
    X11KeySender sender(options, QByteArray());
    if (!sender.isAvailable()) {
        std::fprintf(stderr, "bench_typing: %s\n", qPrintable(sender.unavailableReason()));
        return 1;
    }
    TargetProcess target;
    if (!target.start(QStringLiteral("Typing benchmark"))) {
        std::fprintf(stderr, "bench_typing: the target window did not become active\n");
        return 1;
    }

    std::vector<Tool> tools {
        {"X11KeySender, 1 ms every 8 keys",
            [&] {
                sender.releaseSpareKeycodes(); // every run pays for binding its characters
                return typeNotation(sender, notation, true).ok();
            },
            {}},
        {"xdotool type --delay 0",
            [&] {
                return QProcess::execute(QStringLiteral("xdotool"), {"type", "--delay", "0", "--", text})
                    == 0;
            },
            {}},
    };
    for (int run = 0; run < runs; ++run) {
        for (Tool& tool : tools) {
            if (!target.clear()) {
                std::fprintf(stderr, "bench_typing: the target window stopped answering\n");
                return 1;
            }
            const qint64 start = nowNs();
            if (!tool.type()) {
                std::fprintf(stderr, "bench_typing: %s failed\n", tool.name);
                return 1;
            }
            const qint64 sent = nowNs();
            qint64 lastChange = 0;
            target.waitForText(text, 30000, 700);
            const QString received = target.text(&lastChange);
            tool.runs.push_back({double(sent - start) / 1e6, double(std::max(lastChange, sent) - start) / 1e6,
                correctShare(text, received)});
        }
    }

    const qsizetype outsideAscii
        = std::count_if(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x7e; });
    std::printf("\nTyping %lld characters (%lld outside ASCII, %lld line ends) into a Qt text field,\n"
                "Xvfb + openbox, median of %d runs each, the tools taking turns:\n\n",
        static_cast<long long>(text.size()), static_cast<long long>(outsideAscii),
        static_cast<long long>(text.count(u'\n')), runs);
    std::printf(
        "%-34s %9s %15s %9s %19s\n", "tool", "send ms", "end-to-end ms", "chars/s", "arrived correctly");
    for (const Tool& tool : tools) {
        std::vector<double> send;
        std::vector<double> endToEnd;
        std::vector<double> correct;
        for (const Run& run : tool.runs) {
            send.push_back(run.sendMs);
            endToEnd.push_back(run.endToEndMs);
            correct.push_back(run.correct);
        }
        const double e2e = median(endToEnd);
        std::printf("%-34s %9.0f %15.0f %9.0f %18.1f%%\n", tool.name, median(send), e2e,
            double(text.size()) / (e2e / 1000.0), 100.0 * median(correct));
    }
    std::printf("\nend-to-end: from the start of typing to the target's last text change.\n");
    return 0;
}

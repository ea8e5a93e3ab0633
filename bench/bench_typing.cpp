// Typing throughput into real windows under X11, end to end (from the start of typing to the
// receiver's last text change):
// - a Latin text into a Qt window, X11KeySender beside `xdotool type --delay 0`, taking turns;
// - a mixed text (Cyrillic, Latin, symbols, characters of no layout) with the layout `ru` alone
//   into a Tk text window, which does not answer _NET_WM_PING, against 1,000 characters a second.
// Prints BENCHROW lines. Run it inside a private X session:
// scripts/x11-session.sh build-bench/bench/bench_typing
#include "BenchRow.h"
#include "TargetProcess.h"
#include "X11BenchSession.h"
#include "macros/KeystrokeNotation.h"
#include "macros/TypeNotation.h"
#include "platform/x11/X11KeySender.h"

#include <QCoreApplication>
#include <QProcess>

#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kTextLength = 2000;
constexpr double kGoalRatio = 3.0;
constexpr double kGoalCps = 1000;

qint64 nowNs()
{
    return std::chrono::system_clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
}

// Prose with digits and symbols and a line end about every 70 characters, as a typed snippet
// might be, from the given words.
QString textOf(const QStringList& words)
{
    QString text;
    int lineLength = 0;
    for (int i = 0; text.size() < kTextLength; ++i) {
        const QString& word = words.at((i * 7 + i / 3) % words.size());
        text += word;
        lineLength += int(word.size());
        text += lineLength > 70 ? u'\n' : u' ';
        lineLength = lineLength > 70 ? 0 : lineLength + 1;
    }
    text.truncate(kTextLength);
    return text;
}

const QStringList kLatinWords {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "1234",
    "56.78", "a+b=c", "(x)", "[y]", "{z}", "50%", "#tag", "user@host", "C:\\path", "it's", "\"quoted\"",
    "~home", "a^2", "x*y/z", "<tag>", "Invoice", "QUERY", "Zone", "jewel", "VIP", "kW"};
const QStringList kMixedWords = kLatinWords
    + QStringList {"съешь", "же", "ещё", "этих", "мягких", "французских", "булок", "ЧАЙ", "Ёлка", "café",
        "€42", "łódź", "straße", "日本", "Ωμέγα", "№7"};

struct Run
{
    double seconds = 0;
    bool right = false;
};

// Types with type() into the cleared target, then waits for the text; nullopt when the target
// stopped answering or typing failed.
std::optional<Run> measure(TargetProcess& target, const QString& text, const std::function<bool()>& type)
{
    if (!target.clear())
        return std::nullopt;
    const qint64 start = nowNs();
    if (!type())
        return std::nullopt;
    const qint64 sent = nowNs();
    target.waitForText(text, 60000, 2000);
    qint64 lastChange = 0;
    const QString received = target.text(&lastChange);
    return Run {double(std::max(lastChange, sent) - start) / 1e9, received == text};
}

struct Series
{
    std::vector<double> seconds;
    int right = 0;
    double cps(const QString& text) const { return double(text.size()) / BenchRow::median(seconds); }
    QString describe(const QString& text) const
    {
        return QStringLiteral("%1 chars/s, %2 of %3 right")
            .arg(cps(text), 0, 'f', 0)
            .arg(right)
            .arg(seconds.size());
    }
    void add(const Run& run)
    {
        seconds.push_back(run.seconds);
        right += run.right ? 1 : 0;
    }
};

bool setLayout(const char* layout)
{
    return QProcess::execute(QStringLiteral("setxkbmap"), {QString::fromLatin1(layout)}) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const X11BenchSession session("bench_typing");
    if (!session.ready())
        return 1;
    X11KeySender sender;
    if (!sender.isAvailable()) {
        std::fprintf(stderr, "bench_typing: %s\n", qPrintable(sender.unavailableReason()));
        return 1;
    }
    auto typeWithSender = [&](const QString& text) {
        return [&sender, notation = KeystrokeNotation::escape(text)] {
            sender.releaseSpareKeycodes(); // every run pays for binding its characters
            return typeNotation(sender, notation, true).ok();
        };
    };
    auto fail = [](const char* what) {
        std::fprintf(stderr, "bench_typing: %s\n", what);
        return 1;
    };

    const QString latin = textOf(kLatinWords);
    Series ours, xdotool;
    {
        TargetProcess target;
        if (!setLayout("us") || !target.start(QStringLiteral("Typing benchmark")))
            return fail("the Qt target window did not become active");
        const auto typeXdotool = [&] {
            return QProcess::execute(QStringLiteral("xdotool"), {"type", "--delay", "0", "--", latin}) == 0;
        };
        for (int run = 0; run < kRuns; ++run) {
            const auto mine = measure(target, latin, typeWithSender(latin));
            const auto theirs = measure(target, latin, typeXdotool);
            if (!mine || !theirs)
                return fail("typing into the Qt target failed");
            ours.add(*mine);
            xdotool.add(*theirs);
        }
    }

    const QString mixed = textOf(kMixedWords);
    Series russian;
    {
        TargetProcess target;
        if (!setLayout("ru")
            || !target.start(QStringLiteral("Typing benchmark, Tk"), TargetProcess::Toolkit::Tk))
            return fail("the Tk target window did not become active");
        for (int run = 0; run < kRuns; ++run) {
            const auto mine = measure(target, mixed, typeWithSender(mixed));
            if (!mine)
                return fail("typing into the Tk target failed");
            russian.add(*mine);
        }
        setLayout("us");
    }

    std::printf("%lld Latin characters (%lld line ends) into a Qt text field: X11KeySender %s, "
                "xdotool type --delay 0 %s\n",
        static_cast<long long>(latin.size()), static_cast<long long>(latin.count(u'\n')),
        qPrintable(ours.describe(latin)), qPrintable(xdotool.describe(latin)));
    std::printf("%lld mixed characters, layout ru alone, into a Tk text window: X11KeySender %s\n",
        static_cast<long long>(mixed.size()), qPrintable(russian.describe(mixed)));
    const double ratio = ours.cps(latin) / xdotool.cps(latin);
    BenchRow::print(QStringLiteral("Typing 2,000 Latin characters into a Qt window, chars/s"),
        ours.describe(latin), xdotool.describe(latin) + " (xdotool)", ratio,
        QStringLiteral(">= %1x, all right").arg(kGoalRatio, 0, 'f', 1),
        ratio >= kGoalRatio && ours.right == kRuns);
    BenchRow::print(
        QStringLiteral("Typing 2,000 mixed characters, layout ru, into a Tk window (no ping), chars/s"),
        russian.describe(mixed), QStringLiteral("-"), russian.cps(mixed) / kGoalCps,
        QStringLiteral(">= %1 chars/s, all right").arg(kGoalCps, 0, 'f', 0),
        russian.cps(mixed) >= kGoalCps && russian.right == kRuns);
    return 0;
}

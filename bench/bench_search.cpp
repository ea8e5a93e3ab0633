// Worst-case search across boxes: a full data set (99 boxes of 99 texts of 9,999 characters and
// 99 full macro files) where the only hit is the last macro of box 99, searched ignoring letter
// case, beside `grep -F -i -c` over the same files in the same run. Prints both times and the
// ratio; the goal is a search within twice grep's time.
#include "core/DataFiles.h"
#include "search/SearchEngine.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kTextLength = 9999;
const QByteArray kNeedle = "Quartz-Owl 42";

// A record's text of exactly kTextLength characters: words in lines of about 70 characters.
QByteArray filler(QRandomGenerator& random)
{
    static const char* const words[] = {"the", "order", "Invoice", "customer", "Regards", "delivery",
        "quartz", "owl", "42", "number", "street", "caf\xE9", "\xC9t\xE9",
        "Stra\xDF"
        "e",
        "meeting", "Thursday"};
    QByteArray text;
    qsizetype lineStart = 0;
    while (text.size() < kTextLength) {
        text += words[random.bounded(int(std::size(words)))];
        if (text.size() - lineStart > 70) {
            text += "\r\n";
            lineStart = text.size();
        } else {
            text += ' ';
        }
    }
    text.truncate(kTextLength);
    if (text.endsWith('\r'))
        text[text.size() - 1] = '.';
    return text;
}

QByteArray recordFile(QRandomGenerator& random, bool macros, bool withHit)
{
    QByteArray content;
    for (int key = 1; key <= 99; ++key) {
        QByteArray text = filler(random);
        if (macros)
            text.replace(
                0, 10, QByteArray("Macro ") + QByteArray::number(key).rightJustified(2, '0') + "\x3E ");
        if (withHit && key == 99)
            text.replace(text.size() - kNeedle.size() - 5, kNeedle.size(), kNeedle.toLower());
        content += QByteArray::number(key).rightJustified(2, '0') + "!\xAC:" + text + "\r\n";
    }
    return content;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    QRandomGenerator random(7);
    QStringList files;
    for (int box = 1; box <= DataFiles::kBoxCount; ++box) {
        for (const bool macros : {false, true}) {
            const QString path = macros ? DataFiles::macroFile(folder, box) : DataFiles::boxFile(folder, box);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly)
                || file.write(recordFile(random, macros, macros && box == DataFiles::kBoxCount)) < 0) {
                std::fprintf(stderr, "bench_search: could not write %s\n", qPrintable(path));
                return 1;
            }
            files << path;
        }
    }

    std::vector<double> searchSeconds;
    std::vector<double> grepSeconds;
    for (int run = 0; run < kRuns; ++run) {
        QProcess grep;
        const auto grepStart = std::chrono::steady_clock::now();
        grep.start(
            QStringLiteral("grep"), QStringList {"-F", "-i", "-c", QString::fromLatin1(kNeedle)} + files);
        grep.waitForFinished(-1);
        grepSeconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - grepStart).count());
        if (grep.exitCode() != 0 || !grep.readAllStandardOutput().contains("Macros99.txt:1")) {
            std::fprintf(stderr, "bench_search: grep did not find the one hit\n");
            return 1;
        }

        SearchEngine engine(folder);
        const auto start = std::chrono::steady_clock::now();
        const SearchHit hit = engine.find(QString::fromLatin1(kNeedle), SearchOptions {}).hit;
        searchSeconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (hit.kind != SearchHit::Kind::Macro || hit.box != 99 || hit.number != 99) {
            std::fprintf(stderr, "bench_search: the search did not find the one hit\n");
            return 1;
        }
    }
    const double search = median(searchSeconds);
    const double grep = median(grepSeconds);
    std::printf("search across boxes, %lld files, one hit in the last macro of box 99 (median of %d runs)\n",
        static_cast<long long>(files.size()), kRuns);
    std::printf(
        "  trellin search: %.3f s\n  grep -F -i -c:  %.3f s\n  ratio:          %.2f (goal: 2.00 or less)\n",
        search, grep, search / grep);
    return 0;
}

// Calculator throughput: evaluations per second of a 2,000-character expression with 40
// bracket levels, and calculations per second of the calculator's worked examples (evaluation,
// percentages, constant mode, rounding and the history line). Then how the evaluation time grows
// with the length of such an expression (1,000, 10,000 and 100,000 characters), as BENCHROW
// lines: the ratio column is the time against that of the ten times shorter expression.
#include "calc/Calculator.h"
#include "calc/Evaluator.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr qsizetype kExpressionLength = 2000;
constexpr int kBracketLevels = 40;

QString nestedExpression(qsizetype length = kExpressionLength)
{
    QString text = QStringLiteral("1");
    for (int level = 0; level < kBracketLevels; ++level)
        text = u'(' + text + QStringLiteral("*1.5-2/4+3)");
    const QString tail = QStringLiteral("+12*3-8/2");
    while (text.size() + tail.size() <= length)
        text += tail;
    while (text.size() + 2 <= length)
        text += QStringLiteral("+1");
    if (text.size() < length)
        text += u'0'; // "+1" becomes "+10"
    return text;
}

// The median of kRuns runs, each repeating work until it has taken at least 200 ms: per second.
double rate(const std::function<int()>& work)
{
    std::vector<double> rates;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        long long done = 0;
        double elapsed = 0;
        while (elapsed < 0.2) {
            done += work();
            elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        rates.push_back(double(done) / elapsed);
    }
    std::sort(rates.begin(), rates.end());
    return rates[rates.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    const QString expression = nestedExpression();
    Evaluator evaluator;
    const Result<double> check = evaluator.evaluate(expression);
    if (!check) {
        std::fprintf(stderr, "bench_calc: the expression failed: %s\n", qPrintable(check.error()));
        return 1;
    }
    const double evaluations = rate([&] { return evaluator.evaluate(expression).ok() ? 1 : 0; });
    std::printf("evaluate: %lld characters, %d bracket levels, %.0f evaluations/s\n",
        static_cast<long long>(expression.size()), kBracketLevels, evaluations);

    const QStringList examples {QStringLiteral("2+3*4"), QStringLiteral("2-3-4"), QStringLiteral("8/2/2"),
        QStringLiteral("-2*3"), QStringLiteral("6/-2"), QStringLiteral("2*(1-3)"), QStringLiteral("2-(1-3)"),
        QStringLiteral("(1+2)*(3+4)"), QStringLiteral("5---3"), QStringLiteral("1+5/0"),
        QStringLiteral("1/3*3"), QStringLiteral("100000000000*1000000000000+1"), QStringLiteral("1.2.3+1"),
        QStringLiteral("3 x 4"), QStringLiteral("1,000+1"), QStringLiteral("[2+3]*2"), QStringLiteral("10/3"),
        QStringLiteral("200*15%"), QStringLiteral("30/200%"), QStringLiteral("50+200%"),
        QStringLiteral("230-200%"), QStringLiteral("200*15%+"), QStringLiteral("200*15%-"),
        QStringLiteral("1.175**"), QStringLiteral("1.175*100"), QStringLiteral("(2+3")};
    Calculator calculator;
    const double calculations = rate([&] {
        calculator.clearAll();
        for (const QString& example : examples) {
            calculator.setDisplay(example, int(example.size()));
            calculator.calculate();
        }
        return int(examples.size());
    });
    std::printf("calculate: %lld worked examples, %.0f calculations/s\n",
        static_cast<long long>(examples.size()), calculations);

    double shorter = 0;
    for (const qsizetype length : {1000, 10000, 100000}) {
        const QString text = nestedExpression(length);
        std::vector<double> times;
        QString outcome;
        for (int run = 0; run < kRuns; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const Result<double> value = evaluator.evaluate(text);
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            outcome = value ? QString::number(*value, 'g', 15) : QStringLiteral("fails: ") + value.error();
        }
        std::sort(times.begin(), times.end());
        const double ms = times[times.size() / 2];
        std::printf("evaluate %lld characters: %.2f ms (%s)\n", static_cast<long long>(length), ms, qPrintable(outcome));
        const QByteArray ratio = shorter > 0 ? QByteArray::number(ms / shorter, 'f', 1) + 'x' : QByteArray("-");
        if (length == 10000)
            std::printf("BENCHROW\tevaluate, 10,000 characters, 40 bracket levels\t%.2f ms\t-\t%s\t<= 100 ms\t%s\n", ms,
                ratio.constData(), ms <= 100 ? "ok" : "MISSED");
        else
            std::printf("BENCHROW\tevaluate, %s characters, 40 bracket levels\t%.2f ms\t-\t%s\t-\tok\n",
                length == 1000 ? "1,000" : "100,000", ms, ratio.constData());
        shorter = ms;
    }
    return 0;
}

#include "TestEnvironment.h"
#include "calc/Evaluator.h"

#include <cmath>

class TestEvaluator : public QObject
{
    Q_OBJECT
private slots:
    // NaN stands for a failure.
    void evaluate_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<double>("expected");
        const auto row = [](const char* expression, double expected) {
            QTest::newRow(expression) << QString::fromLatin1(expression) << expected;
        };
        const auto sum = [](int count) { return QStringLiteral("1") + QStringLiteral("+1").repeated(count); };
        // Rank and order.
        row("2-3-4", -5);
        row("2*3-8/4+1", 5);
        // Signs: at the start, after an operator, doubled, trailing.
        row("", 0);
        row("7-", -7);
        row("3/-2", -1.5);
        row("5---3", 2);
        row("-2-3*-4", 10);
        row("2*3-4*-5", 26); // "--" made by a step
        // Brackets.
        row("2-(1-3)", 4);
        row("()", 0);
        row("2)+3", 5);
        row("((((1+1)*2)*2)*2)-(3-(2-1))", 14);
        // A leading plus is a sign, typed or left by "--" after a bracket.
        row("+2+3", 5);
        row("-(-3)+1", 4);
        row("(-(-3))*2", 6);
        // A failing operation gives 0 and the rest goes on.
        row("1+5/0", 1);
        // Intermediate values keep 15 significant digits.
        row("1/3*3", 0.999999999999999);
        row("100000000000*1000000000000+1", 1e23);
        row("((100000000000*1000000000000))", 1e23);
        row("1/100000000000/100000000000*1000000000000000000000000", 100);
        // Texts that are not numbers.
        row("1.2.3", 0);
        row("1.2.3+1", 2.2);
        row(".5+.25", 0.75);
        // Failures.
        row("(2+3", qQNaN());
        row("2++3", qQNaN());
        const auto nested = [](int depth) { return QString(depth, u'(') + u'1' + QString(depth, u')'); };
        QTest::newRow("1,000 brackets deep") << nested(Evaluator::kMaxBracketDepth) << 1.0;
        QTest::newRow("1,001 brackets deep") << nested(Evaluator::kMaxBracketDepth + 1) << qQNaN();
        QTest::newRow("nesting far too deep") << nested(200000) << qQNaN();
        // The step limit of 9,999 counts each bracket group and the whole text on its own.
        QTest::newRow("5,000 steps") << sum(5000) << 5001.0;
        QTest::newRow("5,000 steps twice")
            << u'(' + sum(5000) + QStringLiteral(")+(") + sum(5000) + u')' << 10002.0;
        QTest::newRow("10,000 steps") << sum(10000) << qQNaN();
        // Texts longer than 32,767 characters reduce like short ones.
        QTest::newRow("40,000 characters")
            << QStringLiteral("1") + QStringLiteral("+000000001").repeated(4000) << 4001.0;
    }
    void evaluate()
    {
        QFETCH(QString, expression);
        QFETCH(double, expected);
        Evaluator evaluator;
        const Result<double> result = evaluator.evaluate(expression);
        if (std::isnan(expected)) {
            QVERIFY(!result.ok());
        } else {
            QVERIFY2(result.ok(), qPrintable(result.error()));
            QCOMPARE(*result, expected);
        }
        // An evaluation leaves nothing behind for the next one.
        QCOMPARE(*evaluator.evaluate(QStringLiteral("1+1")), 2.0);
    }

    // A sign may lead or trail, not both; "Em"/"Ep" stand for the exponent's sign.
    void numberText()
    {
        const struct
        {
            const char* text;
            double value; // NaN: not a number text
        } rows[]
            = {{"15-", -15}, {"1.5E-07", 1.5e-7}, {"1Ep23", 1e23}, {"-1.5Em07", -1.5e-7}, {"1E+23-", -1e23},
                {"-15-", qQNaN()}, {"", qQNaN()}, {".", qQNaN()}, {"1.2.3", qQNaN()}, {"1E", qQNaN()}};
        for (const auto& row : rows) {
            const QString text = QString::fromLatin1(row.text);
            QVERIFY2(Evaluator::isNumberText(text) == !std::isnan(row.value), row.text);
            if (!std::isnan(row.value))
                QCOMPARE(Evaluator::numberTextValue(text), row.value);
        }
    }
};

TRELLIN_TEST_MAIN(TestEvaluator)
#include "tst_evaluator.moc"

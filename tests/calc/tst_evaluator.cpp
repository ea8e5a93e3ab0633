#include "TestEnvironment.h"
#include "calc/Evaluator.h"

class TestEvaluator : public QObject
{
    Q_OBJECT
private slots:
    void evaluate_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<double>("expected");
        const auto row = [](const char* expression, double expected) {
            QTest::newRow(expression) << QString::fromLatin1(expression) << expected;
        };
        // Rank and order.
        row("2+3*4", 14);
        row("2-3-4", -5);
        row("8/2/2", 2);
        row("2*3-8/4+1", 5);
        // Signs: at the start, after an operator, doubled, trailing.
        row("", 0);
        row("7", 7);
        row("-7", -7);
        row("7-", -7);
        row("15+", 15);
        row("-2*3", -6);
        row("6/-2", -3);
        row("3*-2", -6);
        row("3/-2", -1.5);
        row("3+-2", 1);
        row("5---3", 2);
        row("-2-3*-4", 10);
        // Brackets.
        row("2*(1-3)", -4);
        row("2-(1-3)", 4);
        row("(1+2)*(3+4)", 21);
        row("((2+3)*2)", 10);
        row("()", 0);
        row("(2)+3", 5);
        row("2)+3", 5);
        row("((((1+1)*2)*2)*2)-(3-(2-1))", 14);
        // A leading plus is a sign, typed or left by "--" after a bracket.
        row("+2+3", 5);
        row("-(-3)+1", 4);
        row("(-(-3))*2", 6);
        // A failing operation gives 0 and the rest goes on.
        row("5/0", 0);
        row("2/0", 0);
        row("0/0", 0);
        row("1+5/0", 1);
        // Intermediate values keep 15 significant digits.
        row("1/3*3", 0.999999999999999);
        row("100000000000*1000000000000+1", 1e23);
        row("100000000000*1000000000000*2", 2e23);
        row("((100000000000*1000000000000))", 1e23);
        row("(100000000000*1000000000000)*2", 2e23);
        row("1/100000000000/100000000000*1000000000000000000000000", 100);
        // Texts that are not numbers.
        row("1.2.3", 0);
        row("1.2.3+1", 2.2);
        row(".5+.25", 0.75);
    }
    void evaluate()
    {
        QFETCH(QString, expression);
        QFETCH(double, expected);
        Evaluator evaluator;
        const Result<double> result = evaluator.evaluate(expression);
        QVERIFY2(result.ok(), qPrintable(result.error()));
        QCOMPARE(*result, expected);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::newRow("unmatched bracket") << QStringLiteral("(2+3");
        QTest::newRow("unmatched inner bracket") << QStringLiteral("2*((1+1)");
        QTest::newRow("step that changes nothing") << QStringLiteral("2++3");
        QTest::newRow("nesting too deep") << QString(200000, u'(') + u'1' + QString(200000, u')');
    }
    void failures()
    {
        QFETCH(QString, expression);
        Evaluator evaluator;
        QVERIFY(!evaluator.evaluate(expression).ok());
        // A failure leaves nothing behind for the next evaluation.
        QCOMPARE(*evaluator.evaluate(QStringLiteral("1+1")), 2.0);
    }

    // Each nested evaluation counts its steps from 0 again, so the limit is per bracket group
    // and per whole text, not for all of them together.
    void stepLimit()
    {
        Evaluator evaluator;
        QString sum = QStringLiteral("1");
        for (int i = 0; i < 5000; ++i)
            sum += QStringLiteral("+1");
        QCOMPARE(*evaluator.evaluate(sum), 5001.0);
        const Result<double> twice = evaluator.evaluate(u'(' + sum + QStringLiteral(")+(") + sum + u')');
        QCOMPARE(*twice, 10002.0);
        for (int i = 0; i < 5000; ++i)
            sum += QStringLiteral("+1");
        QVERIFY(!evaluator.evaluate(sum).ok());
    }

    // Texts longer than 32,767 characters reduce like short ones.
    void longText()
    {
        QString sum = QStringLiteral("1");
        while (sum.size() < 40000)
            sum += QStringLiteral("+000000001");
        Evaluator evaluator;
        const Result<double> result = evaluator.evaluate(sum);
        QVERIFY(result.ok());
        QCOMPARE(*result, 1.0 + (sum.size() - 1) / 10);
    }

    void numberText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");
        const auto row = [](const char* text, bool isNumber, double value) {
            QTest::newRow(text) << QString::fromLatin1(text) << isNumber << value;
        };
        row("15", true, 15);
        row("-1.5", true, -1.5);
        row("15-", true, -15);
        row(".5", true, 0.5);
        row("1E+23", true, 1e23);
        row("1.5E-07", true, 1.5e-7);
        row("1Ep23", true, 1e23);
        row("-1.5Em07", true, -1.5e-7);
        row("1E+23-", true, -1e23);
        row("-15-", false, 0);
        row("", false, 0);
        row(".", false, 0);
        row("1.2.3", false, 0);
        row("A5", false, 0);
        row("1E", false, 0);
    }
    void numberText()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        QCOMPARE(Evaluator::isNumberText(text), isNumber);
        if (isNumber)
            QCOMPARE(Evaluator::numberTextValue(text), value);
    }
};

TRELLIN_TEST_MAIN(TestEvaluator)
#include "tst_evaluator.moc"

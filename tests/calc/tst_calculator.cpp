#include "DataColumns.h"
#include "TestEnvironment.h"
#include "calc/Calculator.h"
#include "calc/CalculatorMessages.h"
#include "calc/Evaluator.h"
#include "calc/ResultFormat.h"
#include "core/GeneralNumber.h"
#include "core/LeadingNumber.h"

#include <clocale>
#include <cmath>

namespace {

class RecordedMessages : public CalculatorMessages
{
public:
    void cannotEvaluate(const QString& message) override { messages.append(message); }
    QStringList messages;
};

// Types a text into a fresh calculator's display and presses Enter.
struct Typed
{
    explicit Typed(const QString& places = u"4"_s)
    {
        calculator.setMessages(&messages);
        calculator.setDecimalPlaces(places);
    }
    Calculator::Outcome enter(const QString& text)
    {
        calculator.setDisplay(text, int(text.size()));
        return calculator.calculate();
    }
    // Inserts the selected history line's result (or calculation) into an emptied display.
    QString inserted(bool result = true)
    {
        calculator.setDisplay(QString(), 0);
        result ? calculator.insertResult() : calculator.insertCalculation();
        return calculator.display();
    }
    Calculator calculator;
    RecordedMessages messages;
};

} // namespace

class TestCalculator : public QObject
{
    Q_OBJECT
private slots:
    // Zero shows as "."; 12 decimals rounded half away from zero on 15 significant digits.
    void format()
    {
        const struct
        {
            double value;
            const char* expected;
        } rows[] = {{14, "14."}, {-0.5, "-.5"}, {0, "."}, {0.1 + 0.2, ".3"}, {1234567.891, "1,234,567.891"},
            {1234.5678901234567, "1,234.56789012346"}, {0.1234567890125, ".123456789013"},
            {0.1234567890124, ".123456789012"}, {5e-13, ".000000000001"}, {4.9e-13, "."}, {-1e-13, "."},
            {9.9999999999999, "10."}, {123456789012345678.0, "123,456,789,012,346,000."}};
        for (const auto& row : rows)
            QCOMPARE(ResultFormat::format(row.value), QString::fromLatin1(row.expected));
    }

    // 1e305 is too large for a fraction at 9 places: kept, not lost to an overflow.
    void roundAndRead()
    {
        const QList<double> rounded {ResultFormat::roundHalfEven(2.5, 0), ResultFormat::roundHalfEven(3.5, 0),
            ResultFormat::roundHalfEven(0.125, 2), ResultFormat::roundHalfEven(1e305, 9)};
        QCOMPARE(rounded, (QList<double> {2.0, 4.0, 0.12, 1e305}));
        const QList<std::optional<double>> read {ResultFormat::read(u"1,234.5"_s), ResultFormat::read(u"."_s),
            ResultFormat::read(QString()), ResultFormat::read(u"Error"_s)};
        QCOMPARE(read, (QList<std::optional<double>> {1234.5, 0.0, std::nullopt, std::nullopt}));
        QCOMPARE(QStringList({ResultFormat::normalDecimalPlaces(u"-"_s),
                     ResultFormat::normalDecimalPlaces(u"7"_s), ResultFormat::normalDecimalPlaces(u"12"_s)}),
            (QStringList {"-", "7", "4"}));
    }

    // The history line is "typed = display", with " (n dp)" unless the places are "-"; the last
    // result keeps 12 decimals whatever the places.
    void calculate_data()
    {
        addColumns<QString, QString, QString, QString>({"places", "typed", "display", "lastResult"});
        const auto row = [](const char* places, const char* typed, const char* display,
                             const char* lastResult = nullptr) {
            QTest::addRow("%s dp: %s", places, typed)
                << QString::fromLatin1(places) << QString::fromLatin1(typed) << QString::fromLatin1(display)
                << QString::fromLatin1(lastResult ? lastResult : display);
        };
        // Normalisation.
        row("-", "3 x 4", "12.");
        row("-", "3X4", "12.");
        row("-", "1,000+1", "1,001.");
        row("-", "[2+3]*2", "10.");
        row("-", "", ".");
        // Decimal places: ties to even; a zero result reads back as 0.
        row("4", "10/3", "3.3333", "3.333333333333");
        row("-", "10/3", "3.333333333333");
        row("0", "10/4", "2.", "2.5");
        row("0", "7/2", "4.", "3.5");
        row("2", "2-2", ".");
        // Percentages.
        row("-", "200*15%", "30.");
        row("-", "30/200%", "15.");
        row("-", "50+200%", "125.");
        row("-", "230-200%", "15.");
        row("-", "200*15%+", "230.");
        row("-", "200*15%-", "170.");
        row("-", "(100+100)*(10+5)%", "30.");
        row("2", "10*(1+2)%-", "9.7");
        // A "%" left of the operator does not shift where the right operand is read.
        row("-", "10%+5*20%", "3.");
        // A percentage without a usable operator has no result.
        row("-", "15%", "");
        row("-", "15%2", "");
        // Errors add no history line and leave no last result.
        row("4", "(2+3", "Error", "");
        row("4", "*15%", "Error", "");
        row("4", "200+15%+", "Error", "");
        row("4", "2*(15%", "Error", "");
        row("4", "30/0%", "Error", "");
        row("4", "15%", "Error", ""); // no result to round
    }
    void calculate()
    {
        auto [places, typed, display, lastResult]
            = fetchColumns<QString, QString, QString, QString>({"places", "typed", "display", "lastResult"});
        Typed t(places);
        const bool error = display == QLatin1String("Error");
        QCOMPARE(t.enter(typed), error ? Calculator::Outcome::Error : Calculator::Outcome::Calculated);
        QCOMPARE(t.calculator.display(), display);
        QCOMPARE(t.calculator.caret(), display.size());
        const QString note = places == u'-' ? QString() : u" (%1 dp)"_s.arg(places);
        QCOMPARE(
            t.calculator.history(), error ? QStringList() : QStringList {typed + u" = "_s + display + note});
        QCOMPARE(t.calculator.selectedEntry(), error ? -1 : 0);
        QCOMPARE(t.calculator.lastResult(), lastResult);
        QVERIFY(t.messages.messages.isEmpty());
        QVERIFY(t.calculator.takeFocusRequest());
    }

    // An error selects the newest history line, and constant mode outlives it; with no result a
    // new choice of places shows nothing new.
    void errorKeepsTheState()
    {
        Typed t;
        t.enter(u"1+1"_s);
        t.enter(u"5**"_s);
        t.calculator.selectEntry(-1);
        QCOMPARE(t.enter(u"(2+3"_s), Calculator::Outcome::Error);
        QCOMPARE(u"%1|%2"_s.arg(t.calculator.history().size()).arg(t.calculator.selectedEntry()), "2|0");
        QVERIFY(t.calculator.constantMode() && t.calculator.constantPrefix() == u"5*");
        t.calculator.chooseDecimalPlaces(u"2"_s);
        QCOMPARE(t.calculator.display(), u"Error"_s);
        t.calculator.chooseDecimalPlaces(u"-"_s);
        QCOMPARE(t.calculator.display(), QString());
    }

    // The panel's tests cover the message and the Enter that closes it; a pasted text ending
    // in "=" calculates.
    void invalidCharacterAndEquals()
    {
        Typed t;
        QCOMPARE(t.enter(u"2^3"_s), Calculator::Outcome::InvalidInput);
        t.calculator.setDisplay(QString(), 0);
        t.calculator.insertIntoDisplay(u"2+3="_s);
        QCOMPARE(t.calculator.display(), u"5."_s);
    }

    // "a**" puts the normalised "a*" before every next calculation, "//b" puts "/b" after it;
    // the history keeps the line as typed, and percentages ignore constant mode.
    void constantMode()
    {
        Typed p;
        QCOMPARE(p.enter(u"5 x 3xx"_s), Calculator::Outcome::ConstantMode);
        QCOMPARE(p.calculator.constantPrefix(), u"5*3*"_s);
        QCOMPARE(p.calculator.history(), QStringList {u"5 x 3xx"_s});

        Typed s;
        QCOMPARE(s.enter(u"//2"_s), Calculator::Outcome::ConstantMode);
        QCOMPARE(s.calculator.display() + QString::number(s.calculator.caret()), u"/20"_s);
        s.enter(u"100/2"_s);
        QCOMPARE(s.calculator.history().first(), u"100/2 = 50. (4 dp)"_s);
        QCOMPARE(s.calculator.display() + QString::number(s.calculator.caret()), u"/20"_s);
        s.enter(u"200*15%"_s);
        QCOMPARE(s.calculator.display(), u"30."_s);
    }

    void displayEditing()
    {
        Typed t;
        // The "0" goes when the display gets the focus and comes back when it leaves empty.
        t.calculator.focusIn();
        QCOMPARE(t.calculator.display(), QString());
        t.calculator.focusOut();
        QCOMPARE(t.calculator.display(), u"0"_s);
        t.calculator.insertIntoDisplay(u"12"_s);
        QCOMPARE(t.calculator.display(), u"12"_s);
        t.calculator.setDisplay(u"1+2+3"_s, 2, 1);
        t.calculator.insertIntoDisplay(u"40"_s);
        QCOMPARE(t.calculator.display() + u'|' + QString::number(t.calculator.caret()), "1+40+3|4");

        // Without a decimal-places note the result is all after " = "; a constant-mode line has
        // no result and is inserted whole.
        t.calculator.setDecimalPlaces(u"-"_s);
        t.enter(u"1/4"_s);
        QCOMPARE(t.inserted(), u".25"_s);
        t.enter(u"5**"_s);
        QCOMPARE(t.inserted(), u"5**"_s);
        t.calculator.clearAll();
        QVERIFY(t.calculator.history().isEmpty() && t.calculator.selectedEntry() == -1);
        QCOMPARE(t.inserted(false), QString());
    }

    void removeEntries()
    {
        Typed t;
        for (const char* typed : {"1+1", "2+2", "3+3"})
            t.enter(QString::fromLatin1(typed));
        t.calculator.selectEntry(2);
        t.calculator.removeEntry(1);
        QCOMPARE(t.calculator.history(), (QStringList {u"3+3 = 6. (4 dp)"_s, u"1+1 = 2. (4 dp)"_s}));
        QCOMPARE(t.calculator.selectedEntry(), 1);
        t.calculator.removeEntry(1);
        t.calculator.removeEntry(5);
        QCOMPARE(u"%1|%2"_s.arg(t.calculator.history().size()).arg(t.calculator.selectedEntry()), "1|-1");
    }

    // The panel's tests cover the memory commands from the display and the history; these are
    // the limits.
    void memoryLimits()
    {
        Typed t;
        // A sum past the double range keeps the old value.
        t.calculator.setMemory(3, u"1.7E+308"_s);
        t.calculator.setDisplay(u"1.7E+308"_s, 0);
        t.calculator.memoryAdd(3, Calculator::Source::Display);
        QCOMPARE(t.calculator.memory(3), u"1.7E+308"_s);
        // A constant-mode line has no result to take.
        t.enter(u"5**"_s);
        t.calculator.memoryIn(3, Calculator::Source::History);
        t.calculator.memoryAdd(3, Calculator::Source::History);
        QCOMPARE(t.calculator.memory(3), u"1.7E+308"_s);
        // An emptied memory is "0", which is not inserted into the display.
        t.calculator.setMemory(3, QString());
        QCOMPARE(t.calculator.memory(3), u"0"_s);
        t.calculator.setDisplay(u"7"_s, 1);
        t.calculator.memoryDoubleClicked(3);
        QCOMPARE(t.calculator.display(), u"7"_s);
    }

    // NaN stands for a failure.
    void evaluate_data()
    {
        const DataTable<QString, double> table({"expression", "expected"});
        const auto row
            = [&table](const char* expression, double expected) { table(expression, expression, expected); };
        const auto sum = [](int count) { return u"1"_s + u"+1"_s.repeated(count); };
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
        table("1,000 brackets deep", nested(Evaluator::kMaxBracketDepth), 1.0);
        table("1,001 brackets deep", nested(Evaluator::kMaxBracketDepth + 1), qQNaN());
        table("nesting far too deep", nested(200000), qQNaN());
        // The step limit of 9,999 counts each bracket group and the whole text on its own.
        QTest::newRow("5,000 steps") << sum(5000) << 5001.0;
        table("5,000 steps twice", u'(' + sum(5000) + u")+("_s + sum(5000) + u')', 10002.0);
        table("10,000 steps", sum(10000), qQNaN());
        // Texts longer than 32,767 characters reduce like short ones.
        QTest::newRow("40,000 characters") << u"1"_s + u"+000000001"_s.repeated(4000) << 4001.0;
    }
    void evaluate()
    {
        auto [expression, expected] = fetchColumns<QString, double>({"expression", "expected"});
        Evaluator evaluator;
        const Result<double> result = evaluator.evaluate(expression);
        if (std::isnan(expected)) {
            QVERIFY(!result.ok());
        } else {
            QVERIFY2(result.ok(), qPrintable(result.error()));
            QCOMPARE(*result, expected);
        }
        // An evaluation leaves nothing behind for the next one.
        QCOMPARE(*evaluator.evaluate(u"1+1"_s), 2.0);
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

    void toText_data()
    {
        const DataTable<double, QLocale, QString> row({"value", "locale", "expected"});
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        row("zero", 0.0, us, "0");
        row("negative", -0.5, us, "-0.5");
        row("two thirds, last digit rounded up", 2.0 / 3, us, "0.666666666666667");
        row("binary error hidden", 0.1 + 0.2, us, "0.3");
        row("fewer than 15 digits kept", 3.14159265359, us, "3.14159265359");
        row("15 digits across the point", 123.456789012345678, us, "123.456789012346");
        row("14 integer digits and a decimal", 12345678901234.5, us, "12345678901234.5");
        row("15 integer digits plain", 999999999999999.0, us, "999999999999999");
        row("16 integer digits scientific", 1e15, us, "1E+15");
        row("mantissa with decimals", 1.2e15, us, "1.2E+15");
        row("mantissa rounded to 15 digits", 12345678901234567.0, us, "1.23456789012346E+16");
        row("small stays plain", 0.00001, us, "0.00001");
        row("15 decimals plain", 5.6789e-11, us, "0.000000000056789");
        row("16 decimals scientific, exponent sign", 5.6789e-12, us, "5.6789E-12");
        row("negative exponent padded", std::ldexp(1.0, -17), us, "7.62939453125E-06");
        row("three-digit exponent", 1e100, us, "1E+100");
        row("smallest denormal", 4.94065645841247e-324, us, "4.94065645841247E-324");
        row("comma locale, scientific", -1.2e15, QLocale(QLocale::German), "-1,2E+15");
        row("comma locale, no grouping", 1234.5, QLocale(QLocale::German), "1234,5");
    }
    void toText()
    {
        auto [value, locale] = fetchColumns<double, QLocale>({"value", "locale"});
        QTEST(GeneralNumber::toText(value, locale), "expected");
    }

    // Blanks, tabs and line feeds are skipped anywhere, not CR; E or D starts an exponent, which
    // needs digits; anything else ends the number. The locale's decimal comma changes nothing.
    void reads()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German));
        std::setlocale(LC_ALL, "de_DE.UTF-8");
        for (const auto& [text, expected] : {std::pair {"-.", 0.0}, {".5", 0.5}, {"7.", 7.0}, {"+8", 8.0},
                 {" 1\t2 .\n5 ", 12.5}, {"1\r2", 1.0}, {"-1.5E3", -1500.0}, {"2D-2", 0.02},
                 {"1 e + 2", 100.0}, {"5E+x", 5.0}, {"1,5", 1.0}, {"1.2.3", 1.2}, {"0.001", 0.001},
                 {"1E999", qInf()}, {"-1E999", -qInf()}, {"1E-999", 0.0}})
            QCOMPARE(leadingNumber(QString::fromLatin1(text)), expected);
        std::setlocale(LC_ALL, "C");
        QLocale::setDefault(previous);
    }
};

TRELLIN_TEST_MAIN(TestCalculator)
#include "tst_calculator.moc"

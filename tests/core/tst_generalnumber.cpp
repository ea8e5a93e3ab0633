#include "DataColumns.h"
#include "TestEnvironment.h"
#include "core/GeneralNumber.h"
#include "core/LeadingNumber.h"

#include <clocale>
#include <cmath>

class TestGeneralNumber : public QObject
{
    Q_OBJECT
private slots:
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

TRELLIN_TEST_MAIN(TestGeneralNumber)
#include "tst_generalnumber.moc"

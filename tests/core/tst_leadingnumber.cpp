#include "TestEnvironment.h"
#include "core/LeadingNumber.h"

#include <clocale>

class TestLeadingNumber : public QObject
{
    Q_OBJECT
private slots:
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

TRELLIN_TEST_MAIN(TestLeadingNumber)
#include "tst_leadingnumber.moc"

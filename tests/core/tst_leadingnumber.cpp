#include "TestEnvironment.h"
#include "core/LeadingNumber.h"

#include <clocale>

class TestLeadingNumber : public QObject
{
    Q_OBJECT
private slots:
    void reads_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("sign and point without digits") << "-." << 0.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("trailing point") << "7." << 7.0;
        QTest::newRow("plus sign") << "+8" << 8.0;
        QTest::newRow("blanks, tabs and line feeds skipped") << " 1\t2 .\n5 " << 12.5;
        QTest::newRow("carriage return stops") << "1\r2" << 1.0;
        QTest::newRow("negative, exponent E") << "-1.5E3" << -1500.0;
        QTest::newRow("exponent D, negative") << "2D-2" << 0.02;
        QTest::newRow("lower-case exponent with blanks") << "1 e + 2" << 100.0;
        QTest::newRow("exponent sign without digits") << "5E+x" << 5.0;
        QTest::newRow("stops at a comma") << "1,5" << 1.0;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("overflow") << "1E999" << qInf();
        QTest::newRow("negative overflow") << "-1E999" << -qInf();
        QTest::newRow("underflow") << "1E-999" << 0.0;
    }
    void reads()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(leadingNumber(text), expected);
    }

    void ignoresLocale()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German));
        std::setlocale(LC_ALL, "de_DE.UTF-8");
        QCOMPARE(leadingNumber(QStringLiteral("0.001")), 0.001);
        std::setlocale(LC_ALL, "C");
        QLocale::setDefault(previous);
    }
};

TRELLIN_TEST_MAIN(TestLeadingNumber)
#include "tst_leadingnumber.moc"

#include "TestEnvironment.h"
#include "core/LeadingNumber.h"

#include <cmath>

class TestLeadingNumber : public QObject
{
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
    void ignoresLocale();
    void hugeExponent();
};

void TestLeadingNumber::reads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("no digit") << "abc" << 0.0;
    QTest::newRow("plain") << "42" << 42.0;
    QTest::newRow("stops at other char") << "12abc" << 12.0;
    QTest::newRow("decimal") << "3.25" << 3.25;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "7." << 7.0;
    QTest::newRow("negative") << "-8" << -8.0;
    QTest::newRow("plus sign") << "+8" << 8.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("blanks everywhere") << " 1 2 . 5 " << 12.5;
    QTest::newRow("tabs and line feeds") << "\t1\n0" << 10.0;
    QTest::newRow("carriage return stops") << "1\r2" << 1.0;
    QTest::newRow("exponent E") << "1.5E3" << 1500.0;
    QTest::newRow("exponent lower e") << "2e2" << 200.0;
    QTest::newRow("exponent D") << "2D-2" << 0.02;
    QTest::newRow("exponent with blanks") << "1 E + 2" << 100.0;
    QTest::newRow("exponent without digits") << "5E" << 5.0;
    QTest::newRow("exponent sign without digits") << "5E+x" << 5.0;
    QTest::newRow("comma is not a point") << "1,5" << 1.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("hex is not read") << "&H10" << 0.0;
    QTest::newRow("decimal places setting") << "-" << 0.0;
}

void TestLeadingNumber::reads()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(LeadingNumber(text), expected);
}

void TestLeadingNumber::ignoresLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German));
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    QCOMPARE(LeadingNumber(QStringLiteral("0.001")), 0.001);
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(previous);
}

void TestLeadingNumber::hugeExponent()
{
    QVERIFY(std::isinf(LeadingNumber(QStringLiteral("1E999"))));
    QVERIFY(LeadingNumber(QStringLiteral("-1E999")) < 0);
    QCOMPARE(LeadingNumber(QStringLiteral("1E-999")), 0.0);
}

TRELLIN_TEST_MAIN(TestLeadingNumber)
#include "tst_leadingnumber.moc"

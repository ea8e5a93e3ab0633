#include "TestEnvironment.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

class TestTextCodec : public QObject
{
    Q_OBJECT
private slots:
    void splitsLines_data();
    void splitsLines();
    void splitsHandEditedLines();
    void windows1252RoundTripsEveryByte();
    void encodesWindows1252WhenItFits();
    void fallsBackToUtf8WithMark();
    void decodesPlainUtf8();
    void atomicWriteReplacesAndLeavesNoTemporary();
    void atomicWriteFailureKeepsOriginal();
};

void TestTextCodec::splitsLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << "" << QStringList {};
    QTest::newRow("crlf") << "a\r\nb\r\n" << QStringList { "a", "b" };
    QTest::newRow("no final terminator") << "a\r\nb" << QStringList { "a", "b" };
    QTest::newRow("lone cr ends a line") << "a\rb\r" << QStringList { "a", "b" };
    QTest::newRow("lone lf stays inside") << "a\nb\r\n" << QStringList { "a\nb" };
    QTest::newRow("lf cr is lf then end") << "a\n\rb" << QStringList { "a\n", "b" };
    QTest::newRow("empty lines kept") << "\r\n\r\nx\r\n" << QStringList { "", "", "x" };
    QTest::newRow("cr cr lf") << "a\r\r\n" << QStringList { "a", "" };
}

void TestTextCodec::splitsLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(TextCodec::splitLines(text), lines);
    if (!text.contains(u'\n') || text.endsWith(QStringLiteral("\r\n")))
        QCOMPARE(TextCodec::splitLines(TextCodec::joinLines(lines)), lines);
}

void TestTextCodec::splitsHandEditedLines()
{
    QCOMPARE(TextCodec::splitAnyLines(QStringLiteral("a\nb\r\nc\rd\n")), (QStringList { "a", "b", "c", "d" }));
}

void TestTextCodec::windows1252RoundTripsEveryByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = TextCodec::fromWindows1252(all);
    QCOMPARE(text.at(0x80), QChar(0x20AC));
    QCOMPARE(text.at(0xAC), QChar(0x00AC));
    QCOMPARE(text.at(0x81), QChar(0x0081));
    QVERIFY(TextCodec::fitsWindows1252(text));
    QCOMPARE(TextCodec::toWindows1252(text), all);
    // Invalid as UTF-8, so decode() must take the Windows-1252 path.
    QCOMPARE(TextCodec::decode(all), text);
}

void TestTextCodec::encodesWindows1252WhenItFits()
{
    const QString text = QStringLiteral("05!\u00AC:Caf\u00E9 \u20AC5\r\n");
    const QByteArray bytes = TextCodec::encode(text);
    QCOMPARE(bytes, QByteArray("05!\xAC:Caf\xE9 \x80" "5\r\n"));
    QCOMPARE(TextCodec::decode(bytes), text);
}

void TestTextCodec::fallsBackToUtf8WithMark()
{
    const QString text = QStringLiteral("05!\u00AC:\u0142\u00DF\u65E5\u672C \U0001F600\r\n");
    QVERIFY(!TextCodec::fitsWindows1252(text));
    const QByteArray bytes = TextCodec::encode(text);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(TextCodec::decode(bytes), text);
}

void TestTextCodec::decodesPlainUtf8()
{
    QCOMPARE(TextCodec::decode(QByteArray("caf\xC3\xA9")), QStringLiteral("caf\u00E9"));
    QCOMPARE(TextCodec::decode(QByteArray("plain")), QStringLiteral("plain"));
}

void TestTextCodec::atomicWriteReplacesAndLeavesNoTemporary()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.txt"));
    QVERIFY(TextFile::writeAtomically(path, "one"));
    QVERIFY(TextFile::writeAtomically(path, "two"));
    QCOMPARE(TextFile::read(path).value(), QStringLiteral("two"));
    QVERIFY(!QFileInfo::exists(path + u'_'));
}

void TestTextCodec::atomicWriteFailureKeepsOriginal()
{
    // A folder in the temporary file's place makes the write fail, even for root.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.txt"));
    QVERIFY(TextFile::writeAtomically(path, "keep"));
    QVERIFY(QDir().mkpath(path + QStringLiteral("_/blocker")));
    QString error;
    QVERIFY(!TextFile::writeAtomically(path, "lost", &error));
    QVERIFY2(error.contains(path), qPrintable(error));
    QCOMPARE(TextFile::read(path).value(), QStringLiteral("keep"));
}

TRELLIN_TEST_MAIN(TestTextCodec)
#include "tst_textcodec.moc"

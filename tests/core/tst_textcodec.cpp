#include "TestEnvironment.h"
#include "core/TextCodec.h"

class TestTextCodec : public QObject
{
    Q_OBJECT
private slots:
    void splitsLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << "" << QStringList {};
        QTest::newRow("crlf or lone cr ends a line, empty lines kept") << "\r\n\rx\ry\r\n"
                                                                       << QStringList {"", "", "x", "y"};
        QTest::newRow("lone lf stays inside") << "a\nb\r\n" << QStringList {"a\nb"};
        QTest::newRow("lf cr is lf then end, no final end") << "a\n\rb" << QStringList {"a\n", "b"};
    }
    void splitsLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(TextCodec::splitLines(text), lines);
        QCOMPARE(TextCodec::splitLines(TextCodec::joinLines(lines)), lines);
    }

    // Bytes that are not UTF-8 are read as Windows-1252, which gives every byte a character
    // and writes it back unchanged. A file edited by hand may be plain UTF-8 without a mark,
    // with a lone line feed ending a line too.
    void decodesAnyBytes()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(TextCodec::encode(TextCodec::decode(all)), all);
        QCOMPARE(TextCodec::splitAnyLines(TextCodec::decode("caf\xC3\xA9\nb\r\nc\rd\n")),
            (QStringList {QStringLiteral("caf\u00E9"), "b", "c", "d"}));
    }

    void encodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Windows-1252 when it fits")
            << QStringLiteral("05!\u00AC:Caf\u00E9 \u20AC!\r\n") << QByteArray("05!\xAC:Caf\xE9 \x80!\r\n");
        const QString wide = QStringLiteral("05!\u00AC:\u0142\u00DF\u65E5\u672C \U0001F600\r\n");
        QTest::newRow("else UTF-8 with mark") << wide << QByteArray("\xEF\xBB\xBF" + wide.toUtf8());
    }
    void encodes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(TextCodec::encode(text), bytes);
        QCOMPARE(TextCodec::decode(bytes), text);
    }
};

TRELLIN_TEST_MAIN(TestTextCodec)
#include "tst_textcodec.moc"

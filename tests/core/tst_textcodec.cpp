#include "TestEnvironment.h"
#include "core/TextCodec.h"

class TestTextCodec : public QObject
{
    Q_OBJECT
private slots:
    // CR LF or a lone CR ends a line and empty lines count; a lone LF stays inside, also before
    // a CR; the last line needs no end.
    void splitsLines()
    {
        for (const auto& [text, lines] :
            {std::pair {QString(), QStringList()}, {QStringLiteral("\r\n\rx\ry\r\n"), {"", "", "x", "y"}},
                {QStringLiteral("a\nb\r\n"), {"a\nb"}}, {QStringLiteral("a\n\rb"), {"a\n", "b"}}}) {
            QCOMPARE(TextCodec::splitLines(text), lines);
            QCOMPARE(TextCodec::splitLines(TextCodec::joinLines(lines)), lines);
        }
    }

    // Every byte survives as Windows-1252. A file edited by hand may be plain UTF-8 without a
    // mark, with a lone line feed ending a line too.
    void decodesAnyBytes()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(TextCodec::encode(TextCodec::decode(all)), all);
        QCOMPARE(TextCodec::splitAnyLines(TextCodec::decode("caf\xC3\xA9\nb\r\nc\rd\n")),
            (QStringList {QStringLiteral("caf\u00E9"), "b", "c", "d"}));
        // Well-formed UTF-8 up to U+10FFFF reads as UTF-8; an overlong form, a surrogate, a code
        // point past U+10FFFF or a sequence cut short makes the whole file Windows-1252.
        for (const QByteArray& utf8 : {QByteArray("\xF4\x8F\xBF\xBF"), QByteArray("\xED\x9F\xBF x")})
            QCOMPARE(TextCodec::decode(utf8), QString::fromUtf8(utf8));
        for (const QByteArray& other : {QByteArray("\xC0\x80"), QByteArray("\xE0\x9F\xBF"),
                 QByteArray("\xED\xA0\x80"), QByteArray("\xF4\x90\x80\x80"), QByteArray("ok \xE2\x82")})
            QCOMPARE(TextCodec::decode(other), TextCodec::fromWindows1252(other));
    }

    // Windows-1252 when the text fits, else UTF-8 with a byte order mark; so too when the
    // Windows-1252 bytes would read as other UTF-8 text, and a text's own leading U+FEFF stays.
    void encodes()
    {
        const QString wide = QStringLiteral("05!\u00AC:\u0142\u00DF\u65E5\u672C \U0001F600\r\n");
        const QString mojibake = QStringLiteral("\u00EF\u00BB\u00BF05!\u00AC:\u00C3\u00A9");
        for (const auto& [text, bytes] : {std::pair {QStringLiteral("05!\u00AC:Caf\u00E9 \u20AC!\r\n"),
                                              QByteArray("05!\xAC:Caf\xE9 \x80!\r\n")},
                 {wide, "\xEF\xBB\xBF" + wide.toUtf8()}, {mojibake, "\xEF\xBB\xBF" + mojibake.toUtf8()},
                 {QStringLiteral("\uFEFFx"), QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx")}}) {
            QCOMPARE(TextCodec::encode(text), bytes);
            QCOMPARE(TextCodec::decode(bytes), text);
        }
    }
};

TRELLIN_TEST_MAIN(TestTextCodec)
#include "tst_textcodec.moc"

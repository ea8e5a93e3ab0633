#include "TestEnvironment.h"
#include "macros/KeystrokeNotation.h"

class TestKeystrokeNotation : public QObject
{
    Q_OBJECT
private slots:
    void parses_data()
    {
        QTest::addColumn<QString>("notation");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& notation, const QString& expected) {
            QTest::newRow(name) << notation << expected;
        };
        row("empty", "", "");
        row("plain, brackets too", "a B[]", "char 'a' | char ' ' | char 'B' | char '[' | char ']'");
        row("non-ASCII, surrogate pair is one character", "é日😀",
            "char 'é' U+00E9 | char '日' U+65E5 | char '😀' U+1F600");
        row("shift one character", "+ab", "down SHIFT | char 'a' | up SHIFT | char 'b'");
        row("ctrl and alt stack", "^%x", "down CTRL | down ALT | char 'x' | up ALT | up CTRL");
        row("group", "+(abc)d", "down SHIFT | char 'a' | char 'b' | char 'c' | up SHIFT | char 'd'");
        row("nested groups", "+(^(a)b)", "down SHIFT | down CTRL | char 'a' | up CTRL | char 'b' | up SHIFT");
        row("held modifier not pressed twice", "+(+a)", "down SHIFT | char 'a' | up SHIFT");
        row("doubled modifier", "++a", "down SHIFT | char 'a' | up SHIFT");
        row("modifier before group end or at the end does nothing", "(a^)b+", "char 'a' | char 'b'");
        row("tilde, LF, CR LF and CR are one enter each, tab is tab", "~\nb\r\nc\rd\t",
            "key ENTER | key ENTER | char 'b' | key ENTER | char 'c' | key ENTER | char 'd' | key TAB");
        row("key names in any case, aliases", "{tAb}{end}{F16}{add}{BS}{bksp}{DEL}",
            "key TAB | key END | key F16 | key ADD | key BACKSPACE | key BACKSPACE | key DELETE");
        row("modifier on repeated key", "^{TAB 2}", "down CTRL | key TAB | key TAB | up CTRL");
        row("repeat zero types nothing", "+{TAB 0}a", "char 'a'");
        row("largest repeat count", "{a 10000}",
            QStringList(KeystrokeNotation::kMaxRepeat, "char 'a'").join(QStringLiteral(" | ")));
        row("blank, closing brace and surrogate pair in braces", "{ }{} 2}{😀}",
            "char ' ' | char '}' | char '}' | char '😀' U+1F600");
    }
    void parses()
    {
        QFETCH(QString, notation);
        QFETCH(QString, expected);
        const auto result = KeystrokeNotation::parse(notation);
        QVERIFY2(result.ok(), qPrintable(result.error ? result.error->message() : QString()));
        QStringList lines;
        for (const KeyAction& action : result.actions)
            lines.append(action.toString());
        QCOMPARE(lines.join(QStringLiteral(" | ")), expected);
    }

    void rejects_data()
    {
        QTest::addColumn<QString>("notation");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("reason");
        const auto errorRow
            = [](const char* name, const QString& notation, int position, const char* reason) {
                  QTest::newRow(name) << notation << position << QString::fromUtf8(reason);
              };
        errorRow("cut key name, first half", "{BACKSPA", 1, "'{' is never closed by '}'");
        errorRow("cut key name, second half", "CE}", 3, "'}' without an opening '{'");
        errorRow("unknown key name", "ab{WAIT}", 3, "unknown key name 'WAIT'");
        errorRow("empty braces", "{}", 1, "empty braces '{}'");
        errorRow("unclosed group", "x(ab", 2, "'(' is never closed by ')'");
        errorRow("inner group closed, outer not", "((a)", 1, "'(' is never closed by ')'");
        errorRow("lone closing parenthesis", "ab)", 3, "')' without an opening '('");
        errorRow("position counts surrogate pair once", "😀}", 2, "'}' without an opening '{'");
        errorRow("count not a number", "{TAB -1}", 1, "invalid repeat count '-1'");
        errorRow("blank without count", "{TAB }", 1, "missing repeat count after the blank");
        errorRow("count too large", "{TAB 10001}", 1, "repeat count 10001 is larger than 10000");
        errorRow("count overflowing", "{a 99999999999999999999}", 1,
            "repeat count 99999999999999999999 is larger than 10000");
        errorRow("control character", "a\x01", 2, "control character U+0001 cannot be typed");
        errorRow("lone surrogate", QString(QChar(0xd800)), 1, "broken character (a lone UTF-16 surrogate)");
    }
    void rejects()
    {
        QFETCH(QString, notation);
        QFETCH(int, position);
        QFETCH(QString, reason);
        const auto result = KeystrokeNotation::parse(notation);
        QVERIFY(!result.ok() && result.actions.isEmpty());
        QCOMPARE(result.error->position, position);
        QCOMPARE(result.error->message(), QStringLiteral("character %1: %2").arg(position).arg(reason));
    }

    void escapeTypesTextLiterally()
    {
        const QString text = QStringLiteral("+^%~(){}[] 1+2=3 {x} (y) 100% é€ł 日本 😀");
        const auto result = KeystrokeNotation::parse(KeystrokeNotation::escape(text));
        QList<uint> typed;
        for (const KeyAction& action : result.actions)
            typed.append(action.kind == KeyAction::Kind::Character ? action.character : 0);
        QCOMPARE(typed, text.toUcs4());
    }
};

TRELLIN_TEST_MAIN(TestKeystrokeNotation)
#include "tst_keystrokenotation.moc"

#include "TestEnvironment.h"
#include "macros/KeystrokeNotation.h"

namespace {

QString render(const QList<KeyAction>& actions)
{
    QStringList lines;
    for (const KeyAction& action : actions)
        lines.append(action.toString());
    return lines.join(QStringLiteral(" | "));
}

QString repeated(const QString& line, int count)
{
    return QStringList(count, line).join(QStringLiteral(" | "));
}

void row(const char* name, const QString& notation, const QString& expected)
{
    QTest::newRow(name) << notation << expected;
}

void errorRow(const char* name, const QString& notation, int position, const QString& reason)
{
    QTest::newRow(name) << notation << position << reason;
}

} // namespace

class TestKeystrokeNotation : public QObject
{
    Q_OBJECT
private slots:
    void parses_data()
    {
        QTest::addColumn<QString>("notation");
        QTest::addColumn<QString>("expected");
        row("empty", "", "");
        row("plain", "a B1", "char 'a' | char ' ' | char 'B' | char '1'");
        row("non-ASCII, surrogate pair is one character", "é日😀",
            "char 'é' U+00E9 | char '日' U+65E5 | char '😀' U+1F600");
        row("shift one character", "+ab", "down SHIFT | char 'a' | up SHIFT | char 'b'");
        row("ctrl and alt stack", "^%x", "down CTRL | down ALT | char 'x' | up ALT | up CTRL");
        row("group", "+(abc)d", "down SHIFT | char 'a' | char 'b' | char 'c' | up SHIFT | char 'd'");
        row("nested groups", "+(^(a)b)", "down SHIFT | down CTRL | char 'a' | up CTRL | char 'b' | up SHIFT");
        row("held modifier not pressed twice", "+(+a)", "down SHIFT | char 'a' | up SHIFT");
        row("doubled modifier", "++a", "down SHIFT | char 'a' | up SHIFT");
        row("empty group", "()", "");
        row("modifier at the end does nothing", "a+", "char 'a'");
        row("modifier before group end does nothing", "(a^)", "char 'a'");
        row("tilde is enter", "a~", "char 'a' | key ENTER");
        row("LF, CR LF and CR are one enter each, tab is tab", "a\nb\r\nc\rd\t",
            "char 'a' | key ENTER | char 'b' | key ENTER | char 'c' | key ENTER | char 'd' | key TAB");
        row("key names in any case", "{tAb}{end}{F16}{add}", "key TAB | key END | key F16 | key ADD");
        row("aliases", "{BS}{BKSP}{BACKSPACE}{DEL}{INS}",
            "key BACKSPACE | key BACKSPACE | key BACKSPACE | key DELETE | key INSERT");
        row("modifier on repeated key", "^{TAB 2}", "down CTRL | key TAB | key TAB | up CTRL");
        row("repeat zero types nothing", "+{TAB 0}a", "char 'a'");
        row("largest repeat count", "{a 10000}", repeated("char 'a'", KeystrokeNotation::MaxRepeat));
        row("special characters in braces", "{+}{^}{%}{~}{(}{)}{{}{}}{[}{]}",
            "char '+' | char '^' | char '%' | char '~' | char '(' | char ')' | char '{' | char '}' | "
            "char '[' | char ']'");
        row("blank in braces", "{ }", "char ' '");
        row("repeated closing brace", "{} 2}", repeated("char '}'", 2));
        row("surrogate pair in braces", "{😀 2}", repeated("char '😀' U+1F600", 2));
        row("square brackets are plain", "[x]", "char '[' | char 'x' | char ']'");
    }
    void parses()
    {
        QFETCH(QString, notation);
        QFETCH(QString, expected);
        const auto result = KeystrokeNotation::parse(notation);
        QVERIFY2(result.ok(), qPrintable(result.error ? result.error->message() : QString()));
        QCOMPARE(render(result.actions), expected);
    }

    void rejects_data()
    {
        QTest::addColumn<QString>("notation");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("reason");
        errorRow("cut key name, first half", "{BACKSPA", 1, "'{' is never closed by '}'");
        errorRow("cut key name, second half", "CE}", 3, "'}' without an opening '{'");
        errorRow("unknown key name", "ab{WAIT}", 3, "unknown key name 'WAIT'");
        errorRow("lone opening brace", "a{", 2, "'{' is never closed by '}'");
        errorRow("empty braces", "{}", 1, "empty braces '{}'");
        errorRow("unclosed group", "x(ab", 2, "'(' is never closed by ')'");
        errorRow("inner group closed, outer not", "((a)", 1, "'(' is never closed by ')'");
        errorRow("lone closing parenthesis", "ab)", 3, "')' without an opening '('");
        errorRow("position counts surrogate pair once", "😀}", 2, "'}' without an opening '{'");
        errorRow("count not a number", "{TAB x}", 1, "invalid repeat count 'x'");
        errorRow("negative count", "{TAB -1}", 1, "invalid repeat count '-1'");
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
        QVERIFY(!result.ok());
        QVERIFY(result.actions.isEmpty());
        QCOMPARE(result.error->position, position);
        QCOMPARE(result.error->reason, reason);
        QCOMPARE(result.error->message(), QStringLiteral("character %1: %2").arg(position).arg(reason));
    }

    void escapeTypesTextLiterally()
    {
        const QString text = QStringLiteral("+^%~(){}[] 1+2=3 {x} (y) 100% é€ł 日本 😀");
        const auto result = KeystrokeNotation::parse(KeystrokeNotation::escape(text));
        QVERIFY(result.ok());
        QList<uint> typed;
        for (const KeyAction& action : result.actions) {
            QCOMPARE(action.kind, KeyAction::Kind::Character);
            typed.append(action.character);
        }
        QCOMPARE(typed, text.toUcs4());
    }
};

TRELLIN_TEST_MAIN(TestKeystrokeNotation)
#include "tst_keystrokenotation.moc"

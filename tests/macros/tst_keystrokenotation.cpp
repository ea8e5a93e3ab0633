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

} // namespace

class TestKeystrokeNotation : public QObject
{
    Q_OBJECT
private slots:
    void parses_data();
    void parses();
    void rejects_data();
    void rejects();
    void repeatCountLimit();
    void escapeTypesTextLiterally_data();
    void escapeTypesTextLiterally();
};

void TestKeystrokeNotation::parses_data()
{
    QTest::addColumn<QString>("notation");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("plain") << "aB1"
                           << "char 'a' | char 'B' | char '1'";
    QTest::newRow("blank") << "a b"
                           << "char 'a' | char ' ' | char 'b'";
    QTest::newRow("non-ASCII") << "é€日"
                               << "char 'é' U+00E9 | char '€' U+20AC | char '日' U+65E5";
    QTest::newRow("surrogate pair is one character") << "x😀"
                                                     << "char 'x' | char '😀' U+1F600";
    QTest::newRow("shift one character") << "+ab"
                                         << "down SHIFT | char 'a' | up SHIFT | char 'b'";
    QTest::newRow("ctrl and alt stack") << "^%x"
                                        << "down CTRL | down ALT | char 'x' | up ALT | up CTRL";
    QTest::newRow("group") << "+(abc)d"
                           << "down SHIFT | char 'a' | char 'b' | char 'c' | up SHIFT | char 'd'";
    QTest::newRow("nested groups") << "+(^(a)b)"
                                   << "down SHIFT | down CTRL | char 'a' | up CTRL | char 'b' | up SHIFT";
    QTest::newRow("held modifier not pressed twice") << "+(+a)"
                                                     << "down SHIFT | char 'a' | up SHIFT";
    QTest::newRow("doubled modifier") << "++a"
                                      << "down SHIFT | char 'a' | up SHIFT";
    QTest::newRow("plain group") << "(ab)"
                                 << "char 'a' | char 'b'";
    QTest::newRow("empty group") << "()"
                                 << "";
    QTest::newRow("modifier at the end does nothing") << "a+"
                                                      << "char 'a'";
    QTest::newRow("modifier before group end does nothing") << "(a^)"
                                                            << "char 'a'";
    QTest::newRow("tilde is enter") << "a~"
                                    << "char 'a' | key ENTER";
    QTest::newRow("shift enter") << "+~"
                                 << "down SHIFT | key ENTER | up SHIFT";
    QTest::newRow("line feed is enter") << "a\nb"
                                        << "char 'a' | key ENTER | char 'b'";
    QTest::newRow("CR LF is one enter") << "a\r\nb"
                                        << "char 'a' | key ENTER | char 'b'";
    QTest::newRow("lone CR is enter") << "\r"
                                      << "key ENTER";
    QTest::newRow("tab character") << "\t"
                                   << "key TAB";
    QTest::newRow("key name") << "{TAB}"
                              << "key TAB";
    QTest::newRow("key name any case") << "{tAb}{end}"
                                       << "key TAB | key END";
    QTest::newRow("repeat") << "{TAB 3}" << repeated("key TAB", 3);
    QTest::newRow("repeat zero types nothing") << "+{TAB 0}a"
                                               << "char 'a'";
    QTest::newRow("shift on key") << "+{END}"
                                  << "down SHIFT | key END | up SHIFT";
    QTest::newRow("modifier on repeated key") << "^{TAB 2}"
                                              << "down CTRL | key TAB | key TAB | up CTRL";
    QTest::newRow("aliases") << "{BS}{BKSP}{BACKSPACE}{DEL}{INS}"
                             << "key BACKSPACE | key BACKSPACE | key BACKSPACE | key DELETE | key INSERT";
    QTest::newRow("every key name")
        << "{BREAK}{CAPSLOCK}{DELETE}{DOWN}{END}{ENTER}{ESC}{HELP}{HOME}{INSERT}{LEFT}{NUMLOCK}"
           "{PGDN}{PGUP}{PRTSC}{RIGHT}{SCROLLLOCK}{TAB}{UP}"
        << "key BREAK | key CAPSLOCK | key DELETE | key DOWN | key END | key ENTER | key ESC | key HELP | "
           "key HOME | key INSERT | key LEFT | key NUMLOCK | key PGDN | key PGUP | key PRTSC | key RIGHT | "
           "key SCROLLLOCK | key TAB | key UP";
    QTest::newRow("function keys") << "{F1}{f9}{F10}{F16}"
                                   << "key F1 | key F9 | key F10 | key F16";
    QTest::newRow("keypad") << "{ADD}{SUBTRACT}{MULTIPLY}{DIVIDE}"
                            << "key ADD | key SUBTRACT | key MULTIPLY | key DIVIDE";
    QTest::newRow("special characters in braces")
        << "{+}{^}{%}{~}{(}{)}{{}{}}{[}{]}"
        << "char '+' | char '^' | char '%' | char '~' | char '(' | char ')' | char '{' | char '}' | "
           "char '[' | char ']'";
    QTest::newRow("letter in braces") << "{A}"
                                      << "char 'A'";
    QTest::newRow("blank in braces") << "{ }"
                                     << "char ' '";
    QTest::newRow("repeated character") << "{a 3}" << repeated("char 'a'", 3);
    QTest::newRow("repeated closing brace") << "{} 2}" << repeated("char '}'", 2);
    QTest::newRow("surrogate pair in braces") << "{😀 2}" << repeated("char '😀' U+1F600", 2);
    QTest::newRow("shift on braced character") << "+{a}"
                                               << "down SHIFT | char 'a' | up SHIFT";
    QTest::newRow("square brackets are plain") << "[x]"
                                               << "char '[' | char 'x' | char ']'";
}

void TestKeystrokeNotation::parses()
{
    QFETCH(QString, notation);
    QFETCH(QString, expected);
    const auto result = KeystrokeNotation::parse(notation);
    QVERIFY2(result.ok(), qPrintable(result.error ? result.error->message() : QString()));
    QCOMPARE(render(result.actions), expected);
}

void TestKeystrokeNotation::rejects_data()
{
    QTest::addColumn<QString>("notation");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("reason");

    QTest::newRow("cut key name, first half") << "{BACKSPA" << 1 << "'{' is never closed by '}'";
    QTest::newRow("cut key name, second half") << "CE}" << 3 << "'}' without an opening '{'";
    QTest::newRow("unknown key name") << "ab{WAIT}" << 3 << "unknown key name 'WAIT'";
    QTest::newRow("name outside the set") << "{ESCAPE}" << 1 << "unknown key name 'ESCAPE'";
    QTest::newRow("lone opening brace") << "a{" << 2 << "'{' is never closed by '}'";
    QTest::newRow("empty braces") << "{}" << 1 << "empty braces '{}'";
    QTest::newRow("unclosed group") << "x(ab" << 2 << "'(' is never closed by ')'";
    QTest::newRow("inner group closed, outer not") << "((a)" << 1 << "'(' is never closed by ')'";
    QTest::newRow("lone closing parenthesis") << "ab)" << 3 << "')' without an opening '('";
    QTest::newRow("position counts surrogate pair once") << "😀}" << 2 << "'}' without an opening '{'";
    QTest::newRow("count not a number") << "{TAB x}" << 1 << "invalid repeat count 'x'";
    QTest::newRow("negative count") << "{TAB -1}" << 1 << "invalid repeat count '-1'";
    QTest::newRow("blank without count") << "{TAB }" << 1 << "missing repeat count after the blank";
    QTest::newRow("count too large") << "{TAB 10001}" << 1 << "repeat count 10001 is larger than 10000";
    QTest::newRow("count overflowing")
        << "{a 99999999999999999999}" << 1 << "repeat count 99999999999999999999 is larger than 10000";
    QTest::newRow("control character") << "a\x01" << 2 << "control character U+0001 cannot be typed";
    QTest::newRow("lone surrogate") << QString(QChar(0xd800)) << 1
                                    << "broken character (a lone UTF-16 surrogate)";
}

void TestKeystrokeNotation::rejects()
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

void TestKeystrokeNotation::repeatCountLimit()
{
    const auto result = KeystrokeNotation::parse(u"{a 10000}");
    QVERIFY(result.ok());
    QCOMPARE(result.actions.size(), KeystrokeNotation::MaxRepeat);
}

void TestKeystrokeNotation::escapeTypesTextLiterally_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("every notation character") << "+^%~(){}[]";
    QTest::newRow("mixed") << "1+2=3 {x} (y) 100% ~home^";
    QTest::newRow("unicode") << "é€ł 日本 😀";
}

void TestKeystrokeNotation::escapeTypesTextLiterally()
{
    QFETCH(QString, text);
    const auto result = KeystrokeNotation::parse(KeystrokeNotation::escape(text));
    QVERIFY(result.ok());
    QList<uint> typed;
    for (const KeyAction& action : result.actions) {
        QCOMPARE(action.kind, KeyAction::Kind::Character);
        typed.append(action.character);
    }
    QCOMPARE(typed, text.toUcs4());
}

TRELLIN_TEST_MAIN(TestKeystrokeNotation)
#include "tst_keystrokenotation.moc"

#include "DataColumns.h"
#include "TestEnvironment.h"
#include "macros/KeystrokeNotation.h"
#include "macros/TypeNotation.h"
#include "platform/RecordingPlatform.h"

class TestKeystrokeNotation : public QObject
{
    Q_OBJECT
private slots:
    // "expected" lists the actions, or the error the notation is rejected with.
    void parses_data()
    {
        const DataTable<QString, QString> row({"notation", "expected"});
        row("empty", "", "");
        row("plain, brackets too", "a B[]", "char 'a' | char ' ' | char 'B' | char '[' | char ']'");
        row("non-ASCII, surrogate pair is one character", "é日😀",
            "char 'é' U+00E9 | char '日' U+65E5 | char '😀' U+1F600");
        row("ctrl and alt stack, for one character", "^%xy",
            "down CTRL | down ALT | char 'x' | up ALT | up CTRL | char 'y'");
        row("nested groups", "+(^(a)b)c",
            "down SHIFT | down CTRL | char 'a' | up CTRL | char 'b' | up SHIFT | char 'c'");
        row("modifier doubled or already held is pressed once", "++(+a)", "down SHIFT | char 'a' | up SHIFT");
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

        row("cut key name, first half", "{BACKSPA", "error character 1: '{' is never closed by '}'");
        row("cut key name, second half", "CE}", "error character 3: '}' without an opening '{'");
        row("unknown key name", "ab{WAIT}", "error character 3: unknown key name 'WAIT'");
        row("empty braces", "{}", "error character 1: empty braces '{}'");
        row("outer group unclosed", "x((a)b", "error character 2: '(' is never closed by ')'");
        row("lone closing parenthesis", "ab)", "error character 3: ')' without an opening '('");
        row("position counts surrogate pair once", "😀}", "error character 2: '}' without an opening '{'");
        row("count not a number", "{TAB -1}", "error character 1: invalid repeat count '-1'");
        row("blank without count", "{TAB }", "error character 1: missing repeat count after the blank");
        row("count too large", "{TAB 10001}", "error character 1: repeat count 10001 is larger than 10000");
        row("control character", "a\x01", "error character 2: control character U+0001 cannot be typed");
        row("lone surrogate", QString(QChar(0xd800)),
            "error character 1: broken character (a lone UTF-16 surrogate)");
    }
    void parses()
    {
        QFETCH(QString, notation);
        const auto result = KeystrokeNotation::parse(notation);
        QStringList lines;
        for (const KeyAction& action : result.actions)
            lines.append(action.toString());
        if (result.error) // with no actions at all
            lines.append(QStringLiteral("error ") + result.error->message());
        QTEST(lines.join(QStringLiteral(" | ")), "expected");
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

    // A macro's notation through an inserter: runs of plain characters go in whole (typed or
    // pasted, as the inserter chooses), keys and modified characters are typed between them.
    void insertsPlainRunsWhole_data()
    {
        const DataTable<QString, QString> row({"notation", "expected"});
        row("text alone", "Dear Sir,", "insert Dear Sir,");
        row("keys between", "ab{TAB}c~", "insert ab|keys key TAB|insert c|keys key ENTER");
        row("modified characters are typed", "x+ab^(cd)e",
            "insert x|keys down SHIFT|keys char 'a'|keys up SHIFT|insert b|keys down CTRL|"
            "keys char 'c'|keys char 'd'|keys up CTRL|insert e");
        row("braced characters are plain", "1{+}2", "insert 1+2");
        row("unreadable, nothing goes in", "ab{NOPE}", "");
    }
    void insertsPlainRunsWhole()
    {
        QFETCH(QString, notation);
        struct Inserter : TextInserter
        {
            QStringList& calls;
            explicit Inserter(QStringList& c)
                : calls(c)
            { }
            using TextInserter::insertText;
            Result<> insertText(const QString& text) override
            {
                calls.append(QStringLiteral("insert ") + text);
                return Result<>::success();
            }
        };
        RecordingPlatform keys;
        Inserter inserter(keys.calls);
        const Result<> inserted = insertNotation(keys, inserter, notation, InsertChoice::Rules);
        QCOMPARE(inserted.ok(), !keys.calls.isEmpty());
        QTEST(keys.calls.join(u'|'), "expected");
    }
};

TRELLIN_TEST_MAIN(TestKeystrokeNotation)
#include "tst_keystrokenotation.moc"

#include "TestEnvironment.h"
#include "macros/MacroFormats.h"
#include "macros/MacroInterpreter.h"
#include "macros/RecordingHost.h"

Q_DECLARE_METATYPE(RecordingHost)

namespace {

// A fixed clock and the C locale: dates and times show the format they were asked for.
class FixedFormats : public MacroFormats
{
public:
    QString date(const QString& format) override { return "D[" + format + "]"; }
    QString time(const QString& format) override { return "T[" + format + "]"; }
    QString number(double value) override { return QString::number(value, 'g', 15); }
    std::optional<double> localeNumber(const QString& text) override
    {
        bool ok = false;
        const double value = QLocale::c().toDouble(text.trimmed(), &ok);
        return ok ? std::optional(value) : std::nullopt;
    }
};

RecordingHost host(int abortAtPaceStep, bool abortDialogs = false, std::optional<QString> answer = {})
{
    RecordingHost host;
    host.abortAtPaceStep = abortAtPaceStep;
    host.abortDialogs = abortDialogs;
    host.answer = answer;
    return host;
}

// A typed token, times over: a pace step before it and after each piece.
QString typed(const QStringList& pieces, int times = 1)
{
    return QStringList(times, "pace | keys " + pieces.join(" | pace | keys ") + " | pace").join(" | ");
}

const QString kCutName = "cannot read the keystroke text, character 1: '{' is never closed by '}'";

} // namespace

class TestMacroInterpreter : public QObject
{
    Q_OBJECT
private slots:
    // "calls" shows the host's lines, "|"-separated, as "pace", "keys <piece>", "wait <ms>",
    // "message <text>", "input <prompt>~<default>"; "outcome" is finished, aborted or the reason.
    void plays_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<RecordingHost>("host");
        const auto row = [](const char* name, const QString& text, const QString& calls,
                             const QString& outcome = "finished", const RecordingHost& host = {}) {
            QTest::newRow(name) << text << calls << outcome << host;
        };
        row("plain text in one piece", "abc", "pace | " + typed({"abc"}));
        row("pieces of 8, 8 and 4", "abcdefghijklmnopqrst",
            "pace | " + typed({"abcdefgh", "ijklmnop", "qrst"}));
        row("surrogate pair not split", "abcdefg😀h", "pace | " + typed({"abcdefg😀", "h"}));
        row("line breaks dropped", "ab\r\ncd\n", "pace | " + typed({"abcd"}));
        row("command word upper-cased, argument kept", "{a}b{tab 2}",
            "pace | " + typed({"{A}"}) + " | " + typed({"b"}) + " | " + typed({"{TAB 2}"}) + " | pace");
        row("key name cut into pieces fails", "{BACKSPACE}", "pace | pace | keys {BACKSPA", kCutName);
        row("short key name in one piece", "{BS}", "pace | " + typed({"{BS}"}) + " | pace");
        row("comments do nothing", "a{' comment}{'}b", "pace | " + typed({"a"}) + " | " + typed({"b"}));
        row("cancel at a pace step", "abcdefghijk", "pace | pace | keys abcdefgh | pace", "aborted", host(3));

        row("repeat", "x{RPT 3}ab{RPT}y",
            "pace | " + typed({"x"}) + " | " + typed({"ab"}, 3) + " | " + typed({"y"}));
        row("repeat 0 plays once", "{RPT 0}ab{RPT}", "pace | " + typed({"ab"}) + " | pace");
        row("repeat 1 plays once", "{RPT 1}ab{RPT}", "pace | " + typed({"ab"}) + " | pace");
        row("repeat 2.5 rounds to 2", "{RPT 2.5}ab{RPT}", "pace | " + typed({"ab"}, 2) + " | pace");
        row("repeat 3.5 rounds to 4", "{RPT 3.5}ab{RPT}", "pace | " + typed({"ab"}, 4) + " | pace");
        row("repeat without end plays five characters", "{RPT 3}abcdefgh", "pace | " + typed({"abcde"}));
        row("repeat end without start ends", "ab{RPT}cd", "pace | " + typed({"ab"}) + " | pace");
        row("repeat end found in any case", "{rpt 3}ab{rpt}", "pace | " + typed({"ab"}, 3) + " | pace");
        row("stray repeat end after a used-up repeat ends", "ab{RPT 2}c{RPT}d{RPT}e",
            "pace | " + typed({"ab"}) + " | " + typed({"c"}, 2) + " | " + typed({"d"}) + " | pace");
        row("repeat count beyond 32 bits", "a{RPT 3e9}b", "pace | " + typed({"a"}),
            "repeat count '3e9' is outside the 32-bit range");

        row("unclosed brace", "a\r\nb{c", "pace | " + typed({"ab"}), "'{' at character 3 is never closed");
        row("brace cut by a repeat without end", "{RPT 2}ab{TAB}", "pace | " + typed({"ab"}),
            "'{' at character 10 is never closed within the repeated text");

        row("counter before a start types 0", "{CNT}{CNT}", "pace | pace | keys 0 | pace | keys 0 | pace");
        row("counter with a step", "{CNT 10,5}{CNT}{CNT}", "pace | pace | keys 10 | pace | keys 15 | pace");
        row("counter across repeats", "{CNT 1}{RPT 3}{CNT}~{RPT}",
            "pace | pace | keys 1 | " + typed({"~"}) + " | pace | keys 2 | " + typed({"~"})
                + " | pace | keys 3 | " + typed({"~"}) + " | pace");
        row("counter overflow", "{CNT 1e308,1e308}{CNT}{CNT}", "pace | pace | keys 1e+308",
            "the counter overflowed");

        row("date and time, with and without format", "{DATE}{date dd/mm}{TIME}{TIME hh:nn}",
            "pace | pace | keys D[] | pace | keys D[dd/mm] | pace | keys T[] | pace | keys T[hh:nn] | pace");
        row("pause rounded half to even, negative waits nothing", "{WAIT 0.25}{WAIT 0.0005}{WAIT -1}",
            "pace | wait 250 | wait 0 | wait 0 | pace");
        row("pause not a number", "{WAIT x}", "pace", "pause 'x' is not a number");
        row("pause beyond 32 bits", "{WAIT 3e6}", "pace",
            "pause '3e6' is outside the 32-bit range of milliseconds");
        row("pause without argument is typed and fails", "{WAIT}", "pace | pace | keys {WAIT}",
            "cannot read the keystroke text, character 1: unknown key name 'WAIT'");

        row("message", "{MSG Check the form}a", "pace | message Check the form | " + typed({"a"}));
        row("message cancelled", "{MSG x}a", "pace | message x", "aborted", host(0, true));
        row("input with default, missed", "{GET Name~Smith}a", "pace | input Name~Smith | " + typed({"a"}));
        row("input answered", "{GET Name}", "pace | input Name~ | keys Jones | pace", "finished",
            host(0, false, "Jones"));
        row("input cancelled, default after the first tilde", "{GET Name~b~c}a", "pace | input Name~b~c",
            "aborted", host(0, true));

        row("insert choices, in any case", "{INSERT paste}ab{insert TYPE}c{INSERT AUTO}",
            "pace | insert Paste | " + typed({"ab"}) + " | insert Type | " + typed({"c"})
                + " | insert Rules | pace");
        row("insert choice unknown", "a{INSERT CLIPBOARD}b", "pace | " + typed({"a"}),
            "'{INSERT CLIPBOARD}' names no way to insert: TYPE, PASTE or AUTO");
    }
    void plays()
    {
        QFETCH(QString, text);
        QFETCH(RecordingHost, host);
        FixedFormats formats;
        const MacroOutcome outcome = MacroInterpreter::run(text, host, formats);

        static const QHash<QString, QString> shortNames {{"SendKeystrokes", "keys"}, {"PaceStep", "pace"},
            {"WaitMilliseconds", "wait"}, {"MessageStep", "message"}, {"InputStep", "input"},
            {"InsertChoice", "insert"}};
        QStringList calls;
        for (const QString& line : std::as_const(host.calls)) {
            QStringList fields = line.split('\t');
            const QString name = shortNames.value(fields.takeFirst(), line);
            calls.append(fields.isEmpty() ? name : name + " " + fields.join('~'));
        }
        QTEST(calls.join(" | "), "calls");
        const QString outcomes[] = {"finished", "aborted", outcome.reason};
        QTEST(outcomes[int(outcome.kind)], "outcome");
    }
};

TRELLIN_TEST_MAIN(TestMacroInterpreter)
#include "tst_macrointerpreter.moc"

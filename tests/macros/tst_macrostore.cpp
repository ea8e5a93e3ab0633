#include "ActionsFixture.h"
#include "DataColumns.h"
#include "core/RecordFile.h"
#include "macros/DateFormat.h"
#include "macros/KeystrokeNotation.h"
#include "macros/MacroActions.h"
#include "macros/MacroFormats.h"
#include "macros/MacroInterpreter.h"
#include "macros/MacroStore.h"
#include "macros/RecordingHost.h"
#include "macros/TypeNotation.h"
#include "platform/InsertRules.h"
#include "platform/RecordingPlatform.h"

using enum MacroSaveOutcome;
using Outcome = std::optional<MacroSaveOutcome>; // nothing for a failure
Q_DECLARE_METATYPE(Outcome)
using Direction = MacroActions::Direction;
Q_DECLARE_METATYPE(Direction)
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

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms));
}

} // namespace

// The macros of box 2 as stored, and the commands of the macro list on macro 5 of box 1 or on
// the records a row prepares. What a macro plays: its commands, the keystroke notation of what it
// types, dates and times, and which way a text goes into a window: the stored rules (defaults
// included) for the window's WM_CLASS, and a macro's own choice over them.
class TestMacroStore : public QObject
{
    Q_OBJECT

private:
    using Fixture = ActionsFixture<MacroStore, MacroActions>;
    std::unique_ptr<Fixture> f;
    static constexpr int kBox = 2;

    QString file() const { return f->store.macroFile(kBox); }
    Outcome save(const QString& record, int number = 5)
    {
        const Result<MacroSaveOutcome> saved = f->store.saveMacro(record, number, kBox);
        return saved ? Outcome(*saved) : std::nullopt;
    }
    QString box1File() const { return f->store.macroFile(1); }
    QString record() const { return readText(RecordFile::readRecord(box1File(), 5)); }
    void store(const QByteArray& stored)
    {
        if (!stored.isEmpty())
            QVERIFY(TestFiles::write(box1File(), TestFiles::marked("05|" + stored + "\r\n")));
    }
    QString undo() const { return f->store.deletedMacro(1) + u'|' + f->store.deletedMacro(2); }
    // The size of the list, then the entries that are not the default name, as "n:name".
    QStringList named() const
    {
        const QStringList names = f->store.readMacroNames(kBox).value();
        QStringList shown {QString::number(names.size())};
        for (int n = 1; n <= names.size(); ++n) {
            if (names[n - 1] != u"Macro %1"_s.arg(n))
                shown << QString::number(n) + u':' + names[n - 1];
        }
        return shown;
    }

private slots:
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup()
    {
        QVERIFY2(f->prompter.scriptUsedUp(), "a scripted answer was not used");
        f.reset();
    }

    void reads_data()
    {
        // "body" and "name" of macro 5.
        addColumns<QByteArray, QString, QString, QStringList>({"content", "body", "name", "named"});
        const auto row = [](const char* what, const char* content, const char* body, const char* name,
                             QStringList named) {
            QTest::newRow(what) << TestFiles::marked(content) << QString(body) << QString(name)
                                << QStringList {"99"} + named;
        };
        row("the body keeps every '>' after the first", "05|Shopping>milk>eggs\r\n", "milk>eggs", "Shopping",
            {"5:Shopping"});
        row("no '>': all body, default name", "05|abc\r\n", "abc", "Macro 5", {});
        row("an empty name reads empty, lists as the default", "05|>abc\r\n", "abc", "", {});
        row("no file: 99 default names", nullptr, "", "Macro 5", {});
        row("a first line without '>': all body and the default name, though a later line has one",
            "05|Greet\r\nDear>Sir\r\n06|Six>a\r\n", "Greet\r\nDear>Sir", "Macro 5", {"6:Six"});
        row("keys that are not 1..99 are skipped, the first of two records counts",
            "00|Zero>z\r\nab|Bad>b\r\n99|Last>l\r\n99|Later>l\r\n", "", "Macro 5", {"99:Last"});
    }
    void reads()
    {
        QFETCH(QByteArray, content);
        if (!content.isNull())
            QVERIFY(TestFiles::write(file(), content));
        QTEST(readText(f->store.readMacroBody(5, kBox)), "body");
        QTEST(readText(f->store.readMacroName(5, kBox)), "name");
        QTEST(named(), "named");
    }

    // Answers: Y/N to the overwrite question, y/n to the long-text question; "-": warning off.
    void saves_data()
    {
        // "logged": the message, then the undo: last|previous.
        addColumns<QByteArray, QString, QString, Outcome, QByteArray, QString>(
            {"before", "answers", "record", "outcome", "after", "logged"});
        const auto row
            = [](const char* what, const QByteArray& before, const char* answers, const QString& record,
                  MacroSaveOutcome outcome, const QByteArray& after, const char* logged) {
                  QTest::newRow(what) << TestFiles::marked(before) << QString(answers) << record
                                      << Outcome(outcome) << TestFiles::marked(after) << QString(logged);
              };
        const QByteArray ab = "05|A>a\r\n";
        const QString tooLong = u"L>"_s + QString(9997, u'x') + u'!';
        row("the saved macro moves to the end, unasked with the warning off", "05|A>a\r\n09|B>b\r\n", "-",
            "C>c", Saved, "09|B>b\r\n05|C>c\r\n", "Macro 5 saved in box 2 a|");
        row("the same record writes nothing", ab, "", "A>a", AlreadySaved, ab,
            "Macro 5 already saved in box 2 |");
        row("empty over missing writes and logs nothing", "", "", "", AlreadySaved, "", " |");
        row("a new name alone is written", ab, "Y", "B>a", Saved, "05|B>a\r\n", "Macro 5 saved in box 2 a|");
        row("a record without '>' is not the same as its body", ab, "-", "a", Saved, "05|a\r\n",
            "Macro 5 saved in box 2 a|");
        row("a name without a body is deleted unasked", "05|A>\r\n", "", "", Cleared, "",
            "Macro 5 cleared in box 2 |");
        row("overwrite declined", ab, "N", "B>b", Declined, ab, "Macro 5 not updated in box 2 |");
        row("delete with the warning off", ab, "-", "", Cleared, "", "Macro 5 cleared in box 2 a|");
        row("long text declined changes nothing", ab, "-n", tooLong, Declined, ab,
            "Macro 5 not updated in box 2 |");
        row("long text agreed is cut", "", "-y", tooLong, Saved,
            "05|" + tooLong.chopped(1).toLatin1() + "\r\n", "Macro 5 saved in box 2 |");
    }
    void saves()
    {
        auto [before, answers, record]
            = fetchColumns<QByteArray, QString, QString>({"before", "answers", "record"});
        if (!before.isEmpty())
            QVERIFY(TestFiles::write(file(), before));
        f->context.setWarnOverwrite(!answers.startsWith(u'-'));
        for (const QChar answer : answers.remove(u'-')) {
            if (answer.isUpper())
                f->prompter.answerOverwrite(answer == u'Y');
            else
                f->prompter.answerYesNo(answer == u'y');
        }
        QTEST(save(record), "outcome");
        QTEST(TestFiles::read(file()), "after");
        QTEST(f->lastMessage() + u' ' + undo(), "logged");
    }

    // The dialog shows the old body and the new one; its "don't ask" tick is stored whatever the
    // answer. Every write shifts the undo, an empty body of a new macro too.
    void confirmationAndUndo()
    {
        QVERIFY(TestFiles::write(file(), TestFiles::marked("05|A>old\r\n")));
        f->prompter.answerOverwrite(true, true);
        QCOMPARE(save(u"B>new>er"_s), Saved);
        const auto shown = [this] {
            const OverwriteRequest r = f->prompter.overwriteRequests.last();
            return QStringList {r.caption, r.question, r.storedText, r.newText, r.deletion ? "deletion" : ""};
        };
        QCOMPARE(shown(), (QStringList {"Overwrite macro", "Overwrite position 05?", "old", "new>er", ""}));
        QCOMPARE(save(u"C>c"_s, 99), Saved); // not asked
        QCOMPARE(undo(), u"|old"_s);
        f->context.setWarnOverwrite(true);
        f->prompter.answerOverwrite(true);
        QCOMPARE(save(QString()), Cleared);
        QCOMPARE(shown(), (QStringList {"Delete macro", "Clear position 05?", "new>er", "", "deletion"}));
        QCOMPARE(undo(), u"new>er|"_s);
    }

    // A file that exists but cannot be read fails every read with the reason, never passing for
    // a box without macros, and is never rewritten; a macro number outside 1..99 is never written.
    void failures()
    {
        QVERIFY(f->store.saveMacro(u"A>a"_s, 100, kBox).error().contains(u"no macro 100"));
        QVERIFY2(TestFiles::makeSocket(file()), qPrintable(file()));
        const Result<QStringList> names = f->store.readMacroNames(kBox);
        QVERIFY2(!names && names.error().contains(file()), qPrintable(names ? QString() : names.error()));
        QVERIFY(!f->store.readMacroBody(1, kBox));
        const Result<MacroSaveOutcome> saved = f->store.saveMacro(u"A>a"_s, 1, kBox);
        QVERIFY2(!saved && saved.error().contains(file()), qPrintable(saved.error()));
        QVERIFY(!QFileInfo(file()).isFile());
    }

    // What the editor stores for a macro the list shows as "name"; a cancel (no answer) and an
    // unchanged save write nothing.
    void edit_data()
    {
        // "answer": body, name; none for cancel.
        const DataTable<QByteArray, QString, QStringList, QString, QString> row(
            {"stored", "name", "answer", "result", "logged"});
        row("empty macro gets the shown name", "", "Macro 5", {"abc", "Macro 5"}, "Macro 5>abc",
            "Macro 5 saved in box 1");
        row("name alone changed is written", "Old>body", "Old", {"body", "New"}, "New>body",
            "Macro 5 saved in box 1");
        row("> in a name becomes :", "", "Macro 5", {"x", "a>b"}, "a:b>x", "Macro 5 saved in box 1");
        row("emptied body keeps the name", "N>body", "N", {"", "N"}, "N>", "Macro 5 saved in box 1");
        row("unchanged body", "N>body", "N", {"body", "N"}, "N>body", "Macro 5 already saved in box 1");
        row("unchanged empty macro", "", "Macro 5", {"", "Macro 5"}, "", "");
        row("cancelled", "N>body", "N", {}, "N>body", "Macro 5 not updated in box 1");
    }
    void edit()
    {
        auto [stored, name, answer]
            = fetchColumns<QByteArray, QString, QStringList>({"stored", "name", "answer"});
        store(stored);
        const QString oldBody = readText(f->store.readMacroBody(5, 1));
        f->context.setWarnOverwrite(false);
        f->prompter.answerEdit(answer.isEmpty() ? EditResult() : EditResult {true, answer[0], answer[1]});
        QCOMPARE(f->actions.edit(1, 5, name), !answer.isEmpty());
        const EditRequest request = f->prompter.editRequests.value(0);
        QCOMPARE(QStringList({request.caption, request.text, request.macroName}),
            QStringList({"Moxeno Trellin - edit macro", oldBody, name}));
        QVERIFY(request.macro && request.macroNumber == 5);
        QTEST(record(), "result");
        QTEST(f->lastMessage(), "logged");
    }

    // A save that fails (the folder's lock cannot be taken) opens the editor again on the name
    // and body the user wrote; the stored macro stays.
    void failedEditOpensAgainOnTheEditedMacro()
    {
        store("N>body");
        f->context.setWarnOverwrite(false);
        QVERIFY(QDir().mkpath(f->folder() + u"/.MoxenoTrellin.lock"_s));
        f->prompter.answerEdit({true, u"new body"_s, u"New"_s});
        f->prompter.acknowledge();
        f->prompter.answerEdit({});
        QVERIFY(!f->actions.edit(1, 5, u"N"_s));
        const EditRequest again = f->prompter.editRequests.value(1);
        QCOMPARE(again.macroName + u'>' + again.text, u"New>new body"_s);
        QCOMPARE(record(), u"N>body"_s);
    }

    // Clear deletes, a right click replaces the body with the clipboard text; both ask first.
    void clear_data()
    {
        // No clipboard text stands for a left click.
        const DataTable<QByteArray, QString, QString, QString> row(
            {"stored", "clipboard", "question", "result"});
        const QString overwrite = u"Overwrite position 05?"_s;
        row("delete", QByteArray("N>body"), QString(), QString("Clear position 05?"), QString());
        row("empty clipboard keeps the name", QByteArray("N>body"), QString(""), overwrite, "N>");
        row("record without a name gets the default", QByteArray("body"), QString("clip"), overwrite,
            "Macro 5>clip");
    }
    void clear()
    {
        auto [stored, clipboard] = fetchColumns<QByteArray, QString>({"stored", "clipboard"});
        store(stored);
        f->clipboard.content = clipboard;
        f->prompter.answerOverwrite(true);
        const Result<MacroSaveOutcome> saved
            = clipboard.isNull() ? f->actions.remove(1, 5) : f->actions.overwriteFromClipboard(1, 5);
        QVERIFY(saved);
        QTEST(f->prompter.asked.value(0), "question");
        QTEST(record(), "result");
    }

    // Undo entry 2 holds the older of two deleted bodies; emptying entry 1 leaves entry 2.
    void undoEntries()
    {
        QVERIFY(TestFiles::write(box1File(), TestFiles::marked("01|a>first\r\n02|b>second\r\n")));
        f->context.setWarnOverwrite(false);
        QVERIFY(f->actions.remove(1, 1) && f->actions.remove(1, 2));
        QVERIFY(f->actions.copyDeleted(2));
        QCOMPARE(f->clipboard.calls, QStringList({"clipboard clear", "clipboard set first"}));
        f->actions.clearDeleted(1);
        QCOMPARE(undo(), "|first");
    }

    // Moving exchanges two keys in place: record order, continuation lines, undo and log stay.
    void move_data()
    {
        // No "before": no macro file; "moved" 0: nothing happened.
        const DataTable<QByteArray, int, Direction, int, QByteArray> row(
            {"before", "number", "direction", "moved", "after"});
        row("macro 99 down", "99|a>x\r\n", 99, Direction::Down, 0, "99|a>x\r\n");
        row("macro 1 up", "01|a>x\r\n", 1, Direction::Up, 0, "01|a>x\r\n");
        row("macro 3 down alone", "03|a>x\r\n", 3, Direction::Down, 4, "04|a>x\r\n");
        row("up keeps the order", "05|e>x\r\n02|b>y\r\nline\r\n03|c>z\r\n", 3, Direction::Up, 2,
            "05|e>x\r\n03|b>y\r\nline\r\n02|c>z\r\n");
        row("every record of both keys, none of a damaged header", "03|a>x\r\n 3|d>q\r\n04|b>y\r\n03|h>z\r\n",
            3, Direction::Down, 4, "04|a>x\r\n 3|d>q\r\n03|b>y\r\n04|h>z\r\n");
        row("no macro file", "", 3, Direction::Down, 0, "");
    }
    void move()
    {
        auto [before, number, direction, moved, after]
            = fetchColumns<QByteArray, int, Direction, int, QByteArray>(
                {"before", "number", "direction", "moved", "after"});
        if (!before.isEmpty())
            QVERIFY(TestFiles::write(box1File(), TestFiles::marked(before)));
        f->store.setDeletedMacro(1, u"kept"_s);
        const Result<std::optional<int>> result = f->actions.move(1, number, direction);
        QVERIFY(result);
        QCOMPARE(result->value_or(0), moved);
        QCOMPARE(TestFiles::read(box1File()), TestFiles::marked(after));
        QCOMPARE(QFileInfo::exists(box1File()), !after.isEmpty());
        QCOMPARE(f->log.latest() + f->store.deletedMacro(1), "kept");
    }

    // A rewrite that fails is told, and the file keeps the old numbers.
    void moveThatFailsChangesNothing()
    {
        QVERIFY(TestFiles::write(box1File(), TestFiles::marked("03|a>x\r\n")));
        QVERIFY(QDir().mkpath(box1File() + u"_/blocked"_s));
        f->prompter.acknowledge();
        QVERIFY(!f->actions.move(1, 3, Direction::Down));
        QVERIFY2(f->prompter.asked.value(0).startsWith("Macro 3 of box 1 could not be moved:"),
            qPrintable(f->prompter.asked.value(0)));
        QCOMPARE(TestFiles::read(box1File()), TestFiles::marked("03|a>x\r\n"));
    }

    // "calls" shows the host's lines, "|"-separated, as "pace", "keys <piece>", "wait <ms>",
    // "message <text>", "input <prompt>~<default>"; "outcome" is finished, aborted or the reason.
    void plays_data()
    {
        addColumns<QString, QString, QString, RecordingHost>({"text", "calls", "outcome", "host"});
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
        row("comments do nothing", "a{' comment}{'}b", "pace | " + typed({"a"}) + " | " + typed({"b"}));
        row("cancel at a pace step", "abcdefghijk", "pace | pace | keys abcdefgh | pace", "aborted", host(3));

        row("repeat", "x{RPT 3}ab{RPT}y",
            "pace | " + typed({"x"}) + " | " + typed({"ab"}, 3) + " | " + typed({"y"}));
        row("repeat 0 plays once", "{RPT 0}ab{RPT}", "pace | " + typed({"ab"}) + " | pace");
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
        auto [text, host] = fetchColumns<QString, RecordingHost>({"text", "host"});
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

    void formats_data()
    {
        addColumns<QDateTime, QString, QString, QLocale>({"value", "format", "expected", "locale"});
        const QDateTime a = at(2024, 3, 5, 14, 7, 9); // a Tuesday
        const QDateTime b = at(2025, 1, 5, 9, 3, 4); // a Sunday
        const QDateTime timeOnly = at(1899, 12, 30, 14, 7, 9);
        const auto row
            = [](const char* name, const QDateTime& value, const QString& format, const char* expected,
                  const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates)) {
                  QTest::newRow(name) << value << format << QString::fromUtf8(expected) << locale;
              };
        row("day number and name", a, "d|dd|ddd|dddd", "5|05|Tue|Tuesday");
        row("short date has four-digit year", a, "ddddd", "3/5/2024");
        row("long date", a, "dddddd", "Tuesday, March 5, 2024");
        row("weekday and week", a, "w|ww", "3|10");
        row("month number and name", a, "m|mm|mmm|mmmm", "3|03|Mar|March");
        row("quarter, day of year, years; yyy is yy then y", a, "q|y|yy|yyyy|yyy", "1|65|24|2024|2465");
        row("hour, minute, second", a, "h:n:s|hh:nn:ss", "14:7:9|14:07:09");
        row("m after h is the minute", a, "h:m:s", "14:7:9");
        row("mm before the hour is the month, after it the minute", a, "mm/dd/yyyy hh:mm",
            "03/05/2024 14:07");
        row("mm before ss stays the month", a, "mm:ss", "03:09");
        row("only the first m after the hour is the minute", a, "hh:mm:ss mm", "14:07:09 03");
        row("day token cancels the minute", a, "hh:dd mm", "14:05 03");
        row("minute need not follow the hour directly", at(1900, 1, 1, 12, 36), "dd:hh :mm:mm",
            "01:12 :36:01");
        row("mmm after the hour is the month", a, "h mmm", "14 Mar");
        row("letters in any case", a, "DD-MMM-YYYY HH:NN:SS", "05-Mar-2024 14:07:09");
        row("AM/PM spellings, padded 12-hour", a, "hh:nn AM/PM am/pm A/P a/p AMPM ampm",
            "02:07 PM pm P p PM PM");
        row("morning", b, "h:nn:ss AM/PM", "9:03:04 AM");
        row("half past midnight is 12 AM", at(2024, 3, 5, 0, 30), "h:nn AM/PM", "12:30 AM");
        row("noon is 12 PM", at(2024, 3, 5, 12, 0), "h:nn a/p", "12:00 p");
        row("long time", a, "ttttt", "2:07:09 PM");
        row("date and time", a, "c", "3/5/2024 2:07:09 PM");
        row("date only", at(2024, 3, 5), "c", "3/5/2024");
        row("time only", timeOnly, "c", "2:07:09 PM");
        row("time only is on the zero date", timeOnly, "d/m/yyyy", "30/12/1899");
        row("Sunday 5 January starts week 2", b, "w|ww|y", "1|2|5");
        row("Saturday 1 January is week 1", at(2022, 1, 1), "w|ww", "7|1");
        row("31 December of a leap year from Saturday is week 54", at(2000, 12, 31), "w|ww", "1|54");
        row("quoted text", a, "\"Week d \"ww", "Week d 10");
        row("unclosed quote runs to the end", a, "d\"h:", "5h:");
        row("escaped letters", a, "\\W\\e\\e\\k ww|hh\\hnn", "Week 10|14h07");
        row("backslash at the end is dropped", a, "d\\", "5");
        row("other characters copied", a, "dd-mmm-yy (b,x.0#%)", "05-Mar-24 (b,x.0#%)");
        row("only the first section counts", a, "d;m", "5");
        row("seconds round up from above half", at(2024, 3, 5, 23, 59, 59, 501), "d hh:nn:ss", "6 00:00:00");
        row("half a second does not round", at(2024, 3, 5, 14, 7, 9, 500), "ss", "09");
        // Separators, names and the named formats follow the locale passed in.
        row("German", a, "d/m/yy ddddd ttttt mmmm", "5.3.24 05.03.2024 14:07:09 März",
            QLocale(QLocale::German));
        row("Finnish time separator", a, "h:nn", "14.07", QLocale(QLocale::Finnish));
        // The C locale spells its short date "d MMM yyyy": its separators are POSIX's.
        row("C locale separators", at(2026, 12, 7, 9, 5, 3), "dd/mm/yyyy hh:nn:ss", "07/12/2026 09:05:03",
            QLocale::c());
    }
    void formats()
    {
        auto [value, format, locale]
            = fetchColumns<QDateTime, QString, QLocale>({"value", "format", "locale"});
        QTEST(DateFormat::format(value, format, locale), "expected");
    }

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
            QStringList(KeystrokeNotation::kMaxRepeat, "char 'a'").join(u" | "_s));
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
            lines.append(u"error "_s + result.error->message());
        QTEST(lines.join(u" | "_s), "expected");
    }

    void escapeTypesTextLiterally()
    {
        const QString text = u"+^%~(){}[] 1+2=3 {x} (y) 100% é€ł 日本 😀"_s;
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
                calls.append(u"insert "_s + text);
                return Result<>::success();
            }
        };
        RecordingPlatform keys;
        Inserter inserter(keys.calls);
        const Result<> inserted = insertNotation(keys, inserter, notation, InsertChoice::Rules);
        QCOMPARE(inserted.ok(), !keys.calls.isEmpty());
        QTEST(keys.calls.join(u'|'), "expected");
    }

    void methodFor_data()
    {
        // "stored": "Key=value|Key=value" in the [Insert] section; the window class "instance/class".
        addColumns<QString, QString, InsertChoice, InsertMethod>(
            {"stored", "windowClass", "choice", "expected"});
        const auto row = [](const char* tag, const char* stored, const char* windowClass,
                             InsertMethod expected, InsertChoice choice = InsertChoice::Rules) {
            QTest::newRow(tag) << QString(stored) << QString(windowClass) << choice << expected;
        };
        using enum InsertMethod;
        row("xterm", "", "xterm/XTerm", PasteShiftInsert);
        row("urxvt, any case", "", "URXVT/URxvt", PasteShiftInsert);
        row("gnome-terminal by its instance", "", "gnome-terminal-server/Gnome-terminal", PasteCtrlShiftV);
        row("VirtualBox machine", "", "VirtualBox Machine/VirtualBox Machine", PasteCtrlV);
        row("an editor is typed into", "", "gedit/Gedit", Type);
        row("no window", "", "/", Type);
        row("pasting by default", "Default=Paste", "gedit/Gedit", PasteCtrlV);
        row("typed list over the default", "Default=paste|Typed=emacs; gedit", "gedit/Gedit", Type);
        row("typed list over a paste list", "Typed=konsole", "konsole/konsole", Type);
        row("a rule emptied", "ShiftInsert=", "xterm/XTerm", Type);
        row("a pattern of the user's", "CtrlShiftV=my*term", "myfancyterm/Fancy", PasteCtrlShiftV);
        row("a macro types", "", "xterm/XTerm", Type, InsertChoice::Type);
        row("a macro pastes", "", "gedit/Gedit", PasteCtrlV, InsertChoice::Paste);
        row("a macro pastes with the window's keys", "Typed=konsole", "konsole/konsole", PasteCtrlShiftV,
            InsertChoice::Paste);
    }
    void methodFor()
    {
        auto [stored, windowClass, choice]
            = fetchColumns<QString, QString, InsertChoice>({"stored", "windowClass", "choice"});
        DomainFixture f;
        for (const QString& setting : stored.split(u'|', Qt::SkipEmptyParts)) {
            const QString name = setting.section(u'=', 0, 0);
            for (int k = 0; k < int(Settings::kKeyCount); ++k) {
                const Settings::Entry& entry = Settings::entry(Settings::Key(k));
                if (QLatin1String(entry.section) == u"Insert" && QLatin1String(entry.name) == name)
                    QVERIFY(f.settings.setText(entry.key, setting.section(u'=', 1)).ok());
            }
        }
        QList<QByteArray> names;
        for (const QString& name : windowClass.split(u'/'))
            names << name.toUtf8();
        QTEST(InsertRules::fromSettings(f.settings).methodFor(names, choice), "expected");
    }
};

TRELLIN_TEST_MAIN(TestMacroStore)
#include "tst_macrostore.moc"

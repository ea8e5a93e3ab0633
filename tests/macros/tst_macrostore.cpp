#include "ActionsFixture.h"
#include "DataColumns.h"
#include "core/RecordFile.h"
#include "macros/MacroActions.h"
#include "macros/MacroStore.h"

using enum MacroSaveOutcome;
using Outcome = std::optional<MacroSaveOutcome>; // nothing for a failure
Q_DECLARE_METATYPE(Outcome)
using Direction = MacroActions::Direction;
Q_DECLARE_METATYPE(Direction)

// The macros of box 2 as stored, and the commands of the macro list on macro 5 of box 1 or on
// the records a row prepares.
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
};

TRELLIN_TEST_MAIN(TestMacroStore)
#include "tst_macrostore.moc"

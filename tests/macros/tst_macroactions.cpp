#include "ActionsFixture.h"
#include "DataColumns.h"
#include "core/RecordFile.h"
#include "macros/MacroActions.h"

using Direction = MacroActions::Direction;
Q_DECLARE_METATYPE(Direction)

// The commands of the macro list on macro 5 of box 1, or on the records a row prepares.
class TestMacroActions : public QObject
{
    Q_OBJECT

private:
    using Fixture = ActionsFixture<MacroStore, MacroActions>;
    std::unique_ptr<Fixture> f;

    QString file() const { return f->store.macroFile(1); }
    QString record() const { return readText(RecordFile::readRecord(file(), 5)); }
    void store(const QByteArray& stored)
    {
        if (!stored.isEmpty())
            QVERIFY(TestFiles::write(file(), TestFiles::marked("05|" + stored + "\r\n")));
    }

private slots:
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() { QVERIFY(f->prompter.scriptUsedUp()); }

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
        addColumns<QByteArray, QString, QString, QString>({"stored", "clipboard", "question", "result"});
        const QString overwrite = QStringLiteral("Overwrite position 05?");
        QTest::newRow("delete") << QByteArray("N>body") << QString() << QString("Clear position 05?")
                                << QString();
        QTest::newRow("empty clipboard keeps the name")
            << QByteArray("N>body") << QString("") << overwrite << "N>";
        QTest::newRow("record without a name gets the default")
            << QByteArray("body") << QString("clip") << overwrite << "Macro 5>clip";
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
        QVERIFY(TestFiles::write(file(), TestFiles::marked("01|a>first\r\n02|b>second\r\n")));
        f->context.setWarnOverwrite(false);
        QVERIFY(f->actions.remove(1, 1) && f->actions.remove(1, 2));
        QVERIFY(f->actions.copyDeleted(2));
        QCOMPARE(f->clipboard.calls, QStringList({"clipboard clear", "clipboard set first"}));
        f->actions.clearDeleted(1);
        QCOMPARE(f->store.deletedMacro(1) + u'|' + f->store.deletedMacro(2), "|first");
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
            QVERIFY(TestFiles::write(file(), TestFiles::marked(before)));
        f->store.setDeletedMacro(1, QStringLiteral("kept"));
        const Result<std::optional<int>> result = f->actions.move(1, number, direction);
        QVERIFY(result);
        QCOMPARE(result->value_or(0), moved);
        QCOMPARE(TestFiles::read(file()), TestFiles::marked(after));
        QCOMPARE(QFileInfo::exists(file()), !after.isEmpty());
        QCOMPARE(f->log.latest() + f->store.deletedMacro(1), "kept");
    }

    // A rewrite that fails is told, and the file keeps the old numbers.
    void moveThatFailsChangesNothing()
    {
        QVERIFY(TestFiles::write(file(), TestFiles::marked("03|a>x\r\n")));
        QVERIFY(QDir().mkpath(file() + QStringLiteral("_/blocked")));
        f->prompter.acknowledge();
        QVERIFY(!f->actions.move(1, 3, Direction::Down));
        QVERIFY2(f->prompter.asked.value(0).startsWith("Macro 3 of box 1 could not be moved:"),
            qPrintable(f->prompter.asked.value(0)));
        QCOMPARE(TestFiles::read(file()), TestFiles::marked("03|a>x\r\n"));
    }
};

TRELLIN_TEST_MAIN(TestMacroActions)
#include "tst_macroactions.moc"

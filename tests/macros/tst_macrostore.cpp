#include "DataColumns.h"
#include "DomainFixture.h"
#include "macros/MacroStore.h"

using enum MacroSaveOutcome;
using Outcome = std::optional<MacroSaveOutcome>; // nothing for a failure
Q_DECLARE_METATYPE(Outcome)

class TestMacroStore : public QObject
{
    Q_OBJECT

private:
    struct Fixture : DomainFixture
    {
        MacroStore store {context};
    };
    std::unique_ptr<Fixture> f;
    static constexpr int kBox = 2;

    QString file() const { return f->store.macroFile(kBox); }
    Outcome save(const QString& record, int number = 5)
    {
        const Result<MacroSaveOutcome> saved = f->store.saveMacro(record, number, kBox);
        return saved ? Outcome(*saved) : std::nullopt;
    }
    QString undo() const { return f->store.deletedMacro(1) + u'|' + f->store.deletedMacro(2); }
    // The size of the list, then the entries that are not the default name, as "n:name".
    QStringList named() const
    {
        const QStringList names = f->store.readMacroNames(kBox).value();
        QStringList shown {QString::number(names.size())};
        for (int n = 1; n <= names.size(); ++n) {
            if (names[n - 1] != QStringLiteral("Macro %1").arg(n))
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
        const QString tooLong = QStringLiteral("L>") + QString(9997, u'x') + u'!';
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
        QCOMPARE(save(QStringLiteral("B>new>er")), Saved);
        const auto shown = [this] {
            const OverwriteRequest r = f->prompter.overwriteRequests.last();
            return QStringList {r.caption, r.question, r.storedText, r.newText, r.deletion ? "deletion" : ""};
        };
        QCOMPARE(shown(), (QStringList {"Overwrite macro", "Overwrite position 05?", "old", "new>er", ""}));
        QCOMPARE(save(QStringLiteral("C>c"), 99), Saved); // not asked
        QCOMPARE(undo(), QStringLiteral("|old"));
        f->context.setWarnOverwrite(true);
        f->prompter.answerOverwrite(true);
        QCOMPARE(save(QString()), Cleared);
        QCOMPARE(shown(), (QStringList {"Delete macro", "Clear position 05?", "new>er", "", "deletion"}));
        QCOMPARE(undo(), QStringLiteral("new>er|"));
    }

    // A file that exists but cannot be read fails every read with the reason, never passing for
    // a box without macros, and is never rewritten; a macro number outside 1..99 is never written.
    void failures()
    {
        QVERIFY(!f->store.saveMacro(QStringLiteral("A>a"), 100, kBox));
        QVERIFY2(TestFiles::makeSocket(file()), qPrintable(file()));
        const Result<QStringList> names = f->store.readMacroNames(kBox);
        QVERIFY2(!names && names.error().contains(file()), qPrintable(names ? QString() : names.error()));
        QVERIFY(!f->store.readMacroBody(1, kBox));
        const Result<MacroSaveOutcome> saved = f->store.saveMacro(QStringLiteral("A>a"), 1, kBox);
        QVERIFY2(!saved && saved.error().contains(file()), qPrintable(saved.error()));
        QVERIFY(!QFileInfo(file()).isFile());
    }
};

TRELLIN_TEST_MAIN(TestMacroStore)
#include "tst_macrostore.moc"

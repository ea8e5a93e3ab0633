#include "ActionsFixture.h"
#include "boxes/PositionActions.h"

// What the mouse operations do when the clipboard or the box file lets them down.
class TestPositionActions : public QObject
{
    Q_OBJECT

private:
    using Fixture = ActionsFixture<BoxStore, PositionActions>;
    std::unique_ptr<Fixture> f;

private slots:
    void init() { f = std::make_unique<Fixture>(); }

    // The clipboard gets LF while the file keeps CR LF (every line end stored as CR LF); the refill text,
    // once on, follows every copy. A copy that fails logs nothing, and a cut whose copy fails keeps the text.
    void copyAndCut()
    {
        (void)f->store.savePosition(QStringLiteral("te\r\nxt\nend"), 3, 1, true);
        f->context.setRefillText(QStringLiteral("refill"));
        QVERIFY(f->actions.copy(1, 3));
        QCOMPARE(
            f->clipboard.content + u'|' + f->context.refillText(), QStringLiteral("te\nxt\nend|te\nxt\nend"));
        QCOMPARE(readText(f->store.readPosition(3, 1)), QStringLiteral("te\r\nxt\r\nend"));

        const QString latest = f->log.latest();
        f->clipboard.failing = true;
        QVERIFY(!f->actions.copy(1, 3));
        QCOMPARE(f->log.latest(), latest);
        f->actions.cut(1, 3);
        QCOMPARE(readText(f->store.readPosition(3, 1)), QStringLiteral("te\r\nxt\r\nend"));
    }

    // The box file cannot be written until the failure is logged: a move that then cleared the
    // source would lose its only copy. The user is told why, in a message box.
    void moveKeepsTheSourceWhenTheTargetCannotBeWritten()
    {
        (void)f->store.savePosition(QStringLiteral("only copy"), 3, 1, true);
        f->context.setWarnOverwrite(false);
        const QString blocker = f->store.boxFile(1) + u'_';
        QVERIFY(QDir().mkpath(blocker + QStringLiteral("/blocked")));
        QObject::connect(&f->log, &StatusLog::logged, [&blocker] { QDir(blocker).removeRecursively(); });
        f->prompter.acknowledge();
        f->actions.move(1, 3, 8);
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Box 1, position 8 not saved: ")));
        QVERIFY2(
            f->prompter.asked.last().contains(f->store.boxFile(1)), qPrintable(f->prompter.asked.last()));
        QCOMPARE(f->prompter.icons.last(), PromptIcon::Critical);
        QCOMPARE(readText(f->store.readPosition(3, 1)) + u'|' + readText(f->store.readPosition(8, 1)),
            "only copy|");
    }

    // A file that exists but cannot be read (a folder in its place stops root too) loads as no
    // box and takes nothing: the box says so once, a save, a paste and an edit (before its dialog
    // opens) are refused with the reason; the file stays as it is and the other boxes work on.
    void unreadableBoxTakesNothing()
    {
        const QString file = f->store.boxFile(1);
        QVERIFY(QDir().mkpath(file));
        for (int i = 0; i < 3; ++i)
            f->prompter.acknowledge();
        QVERIFY(!f->store.loadBox(1) && f->store.loadError().contains(file));
        QVERIFY(!f->store.loadBox(1)); // not told again
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Box 1 not loaded: ")));
        QVERIFY(!f->store.readPosition(1, 1));
        const Result<SaveOutcome> saved = f->store.savePosition(QStringLiteral("x"), 1, 1, true);
        QVERIFY2(!saved && saved.error().contains(file), qPrintable(saved.error()));
        f->clipboard.content = QStringLiteral("pasted");
        QVERIFY(!*f->actions.paste(1, 2));
        QVERIFY(!f->actions.edit(1, 2));
        QVERIFY(f->prompter.scriptUsedUp() && f->prompter.editRequests.isEmpty());
        QCOMPARE(f->prompter.asked.size(), 3);
        for (const QString& told : std::as_const(f->prompter.asked))
            QVERIFY2(told.contains(file), qPrintable(told));
        QVERIFY(QFileInfo(file).isDir() && f->store.undoText(1).isEmpty());
        QVERIFY(f->store.loadBox(2) && f->store.loadError().isEmpty());
    }
};

TRELLIN_TEST_MAIN(TestPositionActions)
#include "tst_positionactions.moc"

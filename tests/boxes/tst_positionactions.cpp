#include "ActionsFixture.h"
#include "TestEnvironment.h"
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

    // The clipboard gets LF while the file keeps CR LF; the refill text, once on, follows every
    // copy. A copy that fails logs nothing, and a cut whose copy fails keeps the text.
    void copyAndCut()
    {
        (void)f->store.savePosition(QStringLiteral("te\r\nxt\nend"), 3, 1, true);
        f->context.setRefillText(QStringLiteral("refill"));
        QVERIFY(f->actions.copy(1, 3));
        QCOMPARE(
            f->clipboard.content + u'|' + f->context.refillText(), QStringLiteral("te\nxt\nend|te\nxt\nend"));
        QCOMPARE(f->store.readPosition(3, 1), QStringLiteral("te\r\nxt\nend"));

        const QString latest = f->log.latest();
        f->clipboard.failing = true;
        QVERIFY(!f->actions.copy(1, 3));
        QCOMPARE(f->log.latest(), latest);
        f->actions.cut(1, 3);
        QCOMPARE(f->store.readPosition(3, 1), QStringLiteral("te\r\nxt\nend"));
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
        QCOMPARE(f->store.readPosition(3, 1) + u'|' + f->store.readPosition(8, 1), "only copy|");
    }
};

TRELLIN_TEST_MAIN(TestPositionActions)
#include "tst_positionactions.moc"

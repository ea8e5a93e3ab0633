#include "DomainFixture.h"
#include "FakeClipboard.h"
#include "TestEnvironment.h"
#include "boxes/PositionActions.h"

// What the mouse operations do when the clipboard or the box file lets them down. Which click does
// what, and the questions a move asks, are driven through the window in tst_positionbuttons.
class TestPositionActions : public QObject
{
    Q_OBJECT

private:
    struct Fixture : DomainFixture
    {
        BoxStore store {state};
        FakeClipboard clipboard;
        PositionActions actions {state, store, clipboard};
    };
    std::unique_ptr<Fixture> f;

    void fill(int position, const QString& text) { f->store.SavePosition(text, position, 1, true); }

private slots:
    void init() { f = std::make_unique<Fixture>(); }

    // Once the refill feature is on, its text follows every copy; a copy that fails logs nothing,
    // and a cut whose copy fails keeps the text.
    void copyAndCut()
    {
        fill(3, QStringLiteral("text"));
        f->state.setRefillText(QStringLiteral("refill"));
        QVERIFY(f->actions.Copy(3));
        QCOMPARE(f->clipboard.text + u'|' + f->state.refillText(), QStringLiteral("text|text"));

        const QString latest = f->log.latest();
        f->clipboard.failing = true;
        QVERIFY(!f->actions.Copy(3));
        QCOMPARE(f->log.latest(), latest);
        f->actions.Cut(3);
        QCOMPARE(f->store.ReadPosition(3), QStringLiteral("text"));
    }

    // The box file cannot be written until the failure is logged: a move that then cleared the
    // source would lose its only copy.
    void moveKeepsTheSourceWhenTheTargetCannotBeWritten()
    {
        fill(3, QStringLiteral("only copy"));
        f->state.setWarnOverwrite(false);
        const QString blocker = f->store.boxFile(1) + u'_';
        QVERIFY(QDir().mkpath(blocker + QStringLiteral("/blocked")));
        QObject::connect(&f->log, &StatusLog::logged, [&blocker] { QDir(blocker).removeRecursively(); });
        f->actions.Move(3, 8);
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Box 1, position 8 not saved: ")));
        QCOMPARE(f->store.ReadPosition(3), QStringLiteral("only copy"));
        QCOMPARE(f->store.ReadPosition(8), QString());
    }
};

TRELLIN_TEST_MAIN(TestPositionActions)
#include "tst_positionactions.moc"

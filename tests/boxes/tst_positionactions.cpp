#include "DomainFixture.h"
#include "FakeClipboard.h"
#include "TestEnvironment.h"
#include "boxes/PositionActions.h"

// What the mouse operations do when the clipboard or the box file lets them down. Which mouse
// click leads to which operation, and the questions a move asks, are driven through the window in
// tst_positionbuttons.
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
    void cleanup()
    {
        QVERIFY2(f->prompter.scriptUsedUp(), "a scripted answer was not used");
        f.reset();
    }

    void copy()
    {
        fill(3, QStringLiteral("text"));
        QVERIFY(f->actions.Copy(3));
        QCOMPARE(f->clipboard.text, QStringLiteral("text"));
        QCOMPARE(f->clipboard.clears, 1);

        // The refill text follows every copy once the feature is on.
        f->state.setRefillText(QStringLiteral("refill"));
        fill(4, QStringLiteral("other"));
        f->actions.Copy(4);
        QCOMPARE(f->state.refillText(), QStringLiteral("other"));

        const QString latest = f->log.latest();
        f->clipboard.failing = true;
        QVERIFY(!f->actions.Copy(3));
        QCOMPARE(f->log.latest(), latest); // no "copied" for a copy that failed
    }

    void cutKeepsTheTextWhenTheClipboardFails()
    {
        fill(5, QStringLiteral("cut me"));
        f->actions.Cut(5);
        QCOMPARE(f->clipboard.text, QStringLiteral("cut me"));
        QVERIFY(!f->store.isOccupied(5));
        QCOMPARE(f->store.undoText(1), QStringLiteral("cut me"));
        QCOMPARE(f->log.entries().at(1).mid(10), QStringLiteral("Box 1, position 5 copied to clipboard"));
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 1, position 5 cleared"));

        fill(6, QStringLiteral("precious"));
        f->clipboard.failing = true;
        f->actions.Cut(6);
        QCOMPARE(f->store.ReadPosition(6), QStringLiteral("precious"));
    }

    void moveKeepsTheSourceWhenTheTargetCannotBeWritten()
    {
        fill(3, QStringLiteral("only copy"));
        f->actions.Move(3, 3); // onto itself: nothing to do
        QCOMPARE(f->store.ReadPosition(3), QStringLiteral("only copy"));

        f->state.setWarnOverwrite(false);
        QVERIFY(QDir().mkpath(f->store.boxFile(1) + QStringLiteral("_/blocked")));
        f->actions.Move(3, 8);
        QCOMPARE(f->store.ReadPosition(3), QStringLiteral("only copy"));
        QCOMPARE(f->store.ReadPosition(8), QString());
    }
};

TRELLIN_TEST_MAIN(TestPositionActions)
#include "tst_positionactions.moc"

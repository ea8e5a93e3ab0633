#include "DomainFixture.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "boxes/BoxStore.h"

#include <QSignalSpy>

class TestBoxStore : public QObject
{
    Q_OBJECT

private:
    struct Fixture : DomainFixture
    {
        BoxStore store {state};
    };
    std::unique_ptr<Fixture> f;

    SaveOutcome save(const QString& text, int position = 1, bool force = false)
    {
        return f->store.SavePosition(text, position, 1, force);
    }
    QString warnSetting() const { return f->settings.IniRead("Settings", "WarnOverwrite", QString()); }

private slots:
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup()
    {
        QVERIFY2(f->prompter.scriptUsedUp(), "a scripted answer was not used");
        f.reset();
    }

    void savesOnceAndSkipsTheSameText()
    {
        QCOMPARE(f->store.SavePosition(QStringLiteral("same"), 5, 2, false), SaveOutcome::Saved);
        QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d  Box").match(f->log.latest()).hasMatch());
        QCOMPARE(TestFiles::read(f->store.boxFile(2)), QByteArray("05!\xAC:same\r\n"));
        QVERIFY(f->store.lastSaveDone());

        const QDateTime written = QFileInfo(f->store.boxFile(2)).lastModified();
        f->store.setLastSaveDone(false);
        QCOMPARE(f->store.SavePosition(QStringLiteral("same"), 5, 2, false), SaveOutcome::AlreadySaved);
        QVERIFY(!f->store.lastSaveDone());
        QCOMPARE(QFileInfo(f->store.boxFile(2)).lastModified(), written);

        // Clearing an empty position writes and logs nothing at all.
        const qsizetype entries = f->log.entries().size();
        QCOMPARE(f->store.SavePosition(QString(), 9, 3, false), SaveOutcome::AlreadySaved);
        QVERIFY(f->log.entries().size() == entries && !QFileInfo::exists(f->store.boxFile(3)));
    }

    // A declined question keeps the text; an accepted one saves it, the old text going to the undo;
    // a deletion empties the file and tells the window. tst_positionbuttons checks the wording.
    void overwriteAndDeletionAsk()
    {
        save(QStringLiteral("old"), 7);
        f->prompter.answerOverwrite(false);
        QCOMPARE(save(QStringLiteral("new"), 7), SaveOutcome::Declined);
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 1, position 7 not updated"));
        QCOMPARE(f->store.ReadPosition(7), QStringLiteral("old"));

        f->prompter.answerOverwrite(true);
        QCOMPARE(save(QStringLiteral("new"), 7), SaveOutcome::Saved);
        QCOMPARE(f->store.ReadPosition(7), QStringLiteral("new"));
        QCOMPARE(f->store.undoText(1), QStringLiteral("old"));

        QSignalSpy cleared(&f->store, &BoxStore::positionCleared);
        f->prompter.answerOverwrite(true);
        QCOMPARE(save(QString(), 7), SaveOutcome::Cleared);
        QCOMPARE(cleared.count(), 1);
        QCOMPARE(TestFiles::read(f->store.boxFile(1)), QByteArray());
    }

    // No question (the prompter has no answer scripted) when forced or with the warning off.
    // Every write shifts the undo texts; saving into an empty position makes the last one empty.
    void unaskedWritesShiftTheUndo()
    {
        const auto undo = [this] { return f->store.undoText(1) + u'|' + f->store.undoText(2); };
        save(QStringLiteral("first"));
        QCOMPARE(save(QStringLiteral("second"), 1, true), SaveOutcome::Saved);
        f->state.setWarnOverwrite(false);
        QCOMPARE(save(QStringLiteral("third")), SaveOutcome::Saved);
        QCOMPARE(undo(), QStringLiteral("second|first"));
        QCOMPARE(save(QStringLiteral("elsewhere"), 2), SaveOutcome::Saved);
        QCOMPARE(undo(), QStringLiteral("|second"));
        f->state.setWarnOverwrite(true);
        QCOMPARE(save(QString(), 1, true), SaveOutcome::Cleared);
        QCOMPARE(undo(), QStringLiteral("third|"));
    }

    // The dialog's "don't ask" tick turns the warning off even with No, and is stored; answering
    // without it turns the warning back on.
    void dontAskTakesEffectWhateverTheAnswer()
    {
        save(QStringLiteral("a"));
        f->prompter.answerOverwrite(false, true);
        QCOMPARE(save(QStringLiteral("b")), SaveOutcome::Declined);
        QCOMPARE(warnSetting(), QStringLiteral("0"));
        QCOMPARE(save(QStringLiteral("b")), SaveOutcome::Saved);
        f->state.setWarnOverwrite(true);
        f->prompter.answerOverwrite(true, false);
        save(QStringLiteral("c"));
        QCOMPARE(warnSetting(), QStringLiteral("1"));
    }

    // Neither a refused long text nor a failed rewrite is reported as saved, and neither
    // changes the stored text or the undo.
    void refusedOrFailedSaveChangesNothing()
    {
        save(QStringLiteral("short"), 3);
        f->store.setLastSaveDone(false);
        f->prompter.answerYesNo(false);
        QCOMPARE(save(QString(10000, u'x'), 3, true), SaveOutcome::Declined);
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 1, position 3 not updated"));

        // A folder in place of the temporary file makes the rewrite fail.
        QVERIFY(QDir().mkpath(f->store.boxFile(1) + QStringLiteral("_/x")));
        f->state.setWarnOverwrite(false);
        QCOMPARE(save(QStringLiteral("lost?"), 3), SaveOutcome::Failed);
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Box 1, position 3 not saved: ")));
        QVERIFY(!f->store.lastSaveDone());
        QCOMPARE(f->store.undoText(1), QString());
        QCOMPARE(f->store.ReadPosition(3), QStringLiteral("short"));
    }

    // Damaged keys and key 00 fill no position; a missing file is an empty box; 50 MB load.
    void loadBox()
    {
        QVERIFY(TestFiles::write(f->store.boxFile(4),
            "stray\r\n00!\xAC:zero\r\n03!\xAC:three\r\nmore\r\nab!\xAC:bad key\r\n-1!\xAC:negative\r\n"
            "99!\xAC:last\r\n 5!\xAC:five\r\n"));
        f->state.setCurrentBox(4);
        f->store.LoadBox();
        QStringList occupied;
        for (int i = 0; i <= 100; ++i) {
            if (f->store.isOccupied(i))
                occupied << QString::number(i) + u':' + f->store.cached(i);
        }
        QCOMPARE(occupied, (QStringList {"3:three\r\nmore", "5:five", "99:last"}));
        int box = 0; // the current box
        QCOMPARE(f->store.ReadPosition(99, box), QStringLiteral("last"));
        QCOMPARE(box, 4);

        f->state.setCurrentBox(5);
        f->store.LoadBox();
        QVERIFY(!f->store.isOccupied(3));

        QByteArray huge = "01!\xAC:x\r\n";
        while (huge.size() < 50 * 1024 * 1024)
            huge += "02!\xAC:0123456789012345678901234567890123456789\r\n";
        QVERIFY(TestFiles::write(f->store.boxFile(5), huge));
        f->store.LoadBox();
        QCOMPARE(f->store.cached(1) + f->store.cached(2),
            QStringLiteral("x0123456789012345678901234567890123456789"));
    }
};

TRELLIN_TEST_MAIN(TestBoxStore)
#include "tst_boxstore.moc"

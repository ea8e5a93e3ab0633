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
    QByteArray fileBytes(int box) const { return TestFiles::read(f->store.boxFile(box)); }
    void writeBox(int box, const QByteArray& bytes)
    {
        QVERIFY(TestFiles::write(f->store.boxFile(box), bytes));
    }
    QString warnSetting() const
    {
        return f->settings.IniRead(QStringLiteral("Settings"), QStringLiteral("WarnOverwrite"), QString());
    }

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
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 2, position 5 saved"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  Box"))
                    .match(f->log.latest())
                    .hasMatch());
        QCOMPARE(fileBytes(2), QByteArray("05!\xAC:same\r\n"));
        QVERIFY(f->store.lastSaveDone());

        const QDateTime written = QFileInfo(f->store.boxFile(2)).lastModified();
        f->store.setLastSaveDone(false);
        QCOMPARE(f->store.SavePosition(QStringLiteral("same"), 5, 2, false), SaveOutcome::AlreadySaved);
        QCOMPARE(f->lastMessage(), QStringLiteral("Already saved in box 2, position 5"));
        QVERIFY(!f->store.lastSaveDone());
        QCOMPARE(QFileInfo(f->store.boxFile(2)).lastModified(), written);

        // Clearing an empty position writes and logs nothing at all.
        const qsizetype entries = f->log.entries().size();
        QCOMPARE(f->store.SavePosition(QString(), 9, 3, false), SaveOutcome::AlreadySaved);
        QCOMPARE(f->log.entries().size(), entries);
        QVERIFY(!QFileInfo::exists(f->store.boxFile(3)));
    }

    void overwriteAndDeletionAsk()
    {
        save(QStringLiteral("old"), 7);
        f->prompter.answerOverwrite(false);
        QCOMPARE(save(QStringLiteral("new"), 7), SaveOutcome::Declined);
        OverwriteRequest asked = f->prompter.overwriteRequests.last();
        QCOMPARE(asked.caption, QStringLiteral("Overwrite text"));
        QCOMPARE(asked.question, QStringLiteral("Overwrite position 07"));
        QCOMPARE(asked.storedText, QStringLiteral("old"));
        QCOMPARE(asked.newText, QStringLiteral("new"));
        QVERIFY(!asked.deletion);
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 1, position 7 not updated"));
        QCOMPARE(f->store.ReadPosition(7), QStringLiteral("old"));

        f->prompter.answerOverwrite(true);
        QCOMPARE(save(QStringLiteral("new"), 7), SaveOutcome::Saved);
        QCOMPARE(f->store.ReadPosition(7), QStringLiteral("new"));
        QCOMPARE(f->store.undoText(1), QStringLiteral("old"));

        QSignalSpy cleared(&f->store, &BoxStore::positionCleared);
        f->prompter.answerOverwrite(true);
        QCOMPARE(save(QString(), 7), SaveOutcome::Cleared);
        asked = f->prompter.overwriteRequests.last();
        QCOMPARE(asked.caption, QStringLiteral("Delete text"));
        QCOMPARE(asked.question, QStringLiteral("Clear position 07?"));
        QVERIFY(asked.deletion);
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 1, position 7 cleared"));
        QCOMPARE(cleared.count(), 1);
        QCOMPARE(fileBytes(1), QByteArray());
    }

    void noQuestionWhenForcedOrWarningOff()
    {
        save(QStringLiteral("a"));
        QCOMPARE(save(QStringLiteral("b"), 1, true), SaveOutcome::Saved);
        QCOMPARE(save(QString(), 1, true), SaveOutcome::Cleared);
        save(QStringLiteral("a"));
        f->state.setWarnOverwrite(false);
        QCOMPARE(save(QStringLiteral("c")), SaveOutcome::Saved);
        QVERIFY(f->prompter.asked.isEmpty());
    }

    void dontAskTakesEffectWhateverTheAnswer()
    {
        save(QStringLiteral("a"));
        f->prompter.answerOverwrite(false, true);
        QCOMPARE(save(QStringLiteral("b")), SaveOutcome::Declined);
        QCOMPARE(f->store.ReadPosition(1), QStringLiteral("a"));
        QVERIFY(!f->state.warnOverwrite());
        QCOMPARE(warnSetting(), QStringLiteral("0"));
        QCOMPARE(save(QStringLiteral("b")), SaveOutcome::Saved);
        QCOMPARE(f->prompter.asked.size(), 1);

        // Answering without the tick turns the warning back on.
        f->state.setWarnOverwrite(true);
        f->prompter.answerOverwrite(true, false);
        save(QStringLiteral("c"));
        QCOMPARE(warnSetting(), QStringLiteral("1"));
    }

    void undoShiftsOnEveryWrite()
    {
        f->state.setWarnOverwrite(false);
        save(QStringLiteral("first"));
        save(QStringLiteral("second"));
        QCOMPARE(f->store.undoText(1), QStringLiteral("first"));
        QCOMPARE(f->store.undoText(2), QString());
        // Saving into an empty position makes the last deleted text empty.
        save(QStringLiteral("elsewhere"), 2);
        QCOMPARE(f->store.undoText(1), QString());
        QCOMPARE(f->store.undoText(2), QStringLiteral("first"));
        save(QString());
        QCOMPARE(f->store.undoText(1), QStringLiteral("second"));
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
        QVERIFY(!f->store.lastSaveDone());
        QCOMPARE(f->store.undoText(1), QString());

        // A folder in place of the temporary file makes the rewrite fail.
        QVERIFY(QDir().mkpath(f->store.boxFile(1) + QStringLiteral("_/x")));
        f->state.setWarnOverwrite(false);
        QCOMPARE(save(QStringLiteral("lost?"), 3), SaveOutcome::Failed);
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Box 1, position 3 not saved: ")));

        QVERIFY(!f->store.lastSaveDone());
        QCOMPARE(f->store.undoText(1), QString());
        QCOMPARE(f->store.ReadPosition(3), QStringLiteral("short"));
    }

    void loadBoxFillsCacheAndSkipsBadKeys()
    {
        writeBox(4,
            "stray\r\n00!\xAC:zero\r\n03!\xAC:three\r\nmore\r\nab!\xAC:bad key\r\n-1!\xAC:negative\r\n"
            "99!\xAC:last\r\n 5!\xAC:five\r\n");
        f->state.setCurrentBox(4);
        QSignalSpy loaded(&f->store, &BoxStore::boxLoaded);
        f->store.LoadBox();
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(f->store.cached(3), QStringLiteral("three\r\nmore"));
        QCOMPARE(f->store.cached(99), QStringLiteral("last"));
        QCOMPARE(f->store.cached(5), QStringLiteral("five"));
        int occupied = 0;
        for (int i = 0; i <= 100; ++i)
            occupied += f->store.isOccupied(i);
        QCOMPARE(occupied, 3);
        int box = 0; // the current box
        QCOMPARE(f->store.ReadPosition(99, box), QStringLiteral("last"));
        QCOMPARE(box, 4);

        f->state.setCurrentBox(5); // no file: an empty box
        f->store.LoadBox();
        QVERIFY(!f->store.isOccupied(3));
    }

    void loadBoxCopesWithAHugeFile()
    {
        QByteArray huge = "01!\xAC:x\r\n";
        huge.reserve(51 * 1024 * 1024);
        while (huge.size() < 50 * 1024 * 1024)
            huge += "02!\xAC:0123456789012345678901234567890123456789\r\n";
        writeBox(1, huge);
        f->store.LoadBox();
        QCOMPARE(f->store.cached(1), QStringLiteral("x"));
        QCOMPARE(f->store.cached(2), QStringLiteral("0123456789012345678901234567890123456789"));
    }
};

TRELLIN_TEST_MAIN(TestBoxStore)
#include "tst_boxstore.moc"

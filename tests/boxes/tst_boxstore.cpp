#include "DomainFixture.h"
#include "TestEnvironment.h"
#include "boxes/BoxStore.h"
#include "boxes/RecordFile.h"

#include <QRandomGenerator>
#include <QSignalSpy>

class TestBoxStore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void savesIntoEmptyPositionWithoutAsking();
    void sameTextIsAlreadySaved();
    void overwriteAsksWithBothTexts_data();
    void overwriteAsksWithBothTexts();
    void deletionAsksWithShortenedDialog();
    void noQuestionWhenForcedOrWarningOff();
    void dontAskTakesEffectWhateverTheAnswer();
    void undoShiftsOnEveryWrite();
    void refusedLongTextIsNotReportedAsSaved();
    void failedWriteIsReportedAndChangesNothing();
    void loadBoxFillsCacheAndSkipsBadKeys();
    void readPositionOfCurrentBox();
    void loadBoxSurvivesNoiseAndHugeFiles();

private:
    QByteArray fileBytes(int box) const;
    DomainFixture* m_fx = nullptr;
    BoxStore* m_store = nullptr;
};

void TestBoxStore::init()
{
    m_fx = new DomainFixture;
    m_store = new BoxStore(m_fx->state);
}

void TestBoxStore::cleanup()
{
    QVERIFY2(m_fx->prompter.scriptUsedUp(), "a scripted answer was not used");
    delete m_store;
    delete m_fx;
}

QByteArray TestBoxStore::fileBytes(int box) const
{
    QFile f(m_store->boxFile(box));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestBoxStore::savesIntoEmptyPositionWithoutAsking()
{
    QCOMPARE(m_store->SavePosition(QStringLiteral("hello"), 5, 2, false), SaveOutcome::Saved);
    QCOMPARE(m_fx->lastMessage(), QStringLiteral("Box 2, position 5 saved"));
    QCOMPARE(fileBytes(2), QByteArray("05!\xAC:hello\r\n"));
    QVERIFY(m_store->lastSaveDone());
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  Box")).match(m_fx->log.latest()).hasMatch());
}

void TestBoxStore::sameTextIsAlreadySaved()
{
    m_store->SavePosition(QStringLiteral("same"), 4, 2, false);
    const QDateTime written = QFileInfo(m_store->boxFile(2)).lastModified();
    m_store->setLastSaveDone(false);
    QCOMPARE(m_store->SavePosition(QStringLiteral("same"), 4, 2, false), SaveOutcome::AlreadySaved);
    QCOMPARE(m_fx->lastMessage(), QStringLiteral("Already saved in box 2, position 4"));
    QVERIFY(!m_store->lastSaveDone());
    QCOMPARE(QFileInfo(m_store->boxFile(2)).lastModified(), written);

    // Clearing an empty position writes and logs nothing at all.
    const int entries = int(m_fx->log.entries().size());
    QCOMPARE(m_store->SavePosition(QString(), 9, 3, false), SaveOutcome::AlreadySaved);
    QCOMPARE(m_fx->log.entries().size(), entries);
    QVERIFY(!QFileInfo::exists(m_store->boxFile(3)));
}

void TestBoxStore::overwriteAsksWithBothTexts_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("question");
    QTest::newRow("one digit") << 7 << "Overwrite position 07";
    QTest::newRow("two digits") << 42 << "Overwrite position 42";
    QTest::newRow("last") << 99 << "Overwrite position 99";
}

void TestBoxStore::overwriteAsksWithBothTexts()
{
    QFETCH(int, position);
    QFETCH(QString, question);
    m_store->SavePosition(QStringLiteral("old"), position, 1, false);

    m_fx->prompter.answerOverwrite(false);
    QCOMPARE(m_store->SavePosition(QStringLiteral("new"), position, 1, false), SaveOutcome::Declined);
    const OverwriteRequest asked = m_fx->prompter.overwriteRequests.last();
    QCOMPARE(asked.caption, QStringLiteral("Overwrite text"));
    QCOMPARE(asked.question, question);
    QCOMPARE(asked.storedText, QStringLiteral("old"));
    QCOMPARE(asked.newText, QStringLiteral("new"));
    QVERIFY(!asked.deletion);
    QCOMPARE(m_fx->lastMessage(), QStringLiteral("Box 1, position %1 not updated").arg(position));
    QCOMPARE(m_store->ReadPosition(position), QStringLiteral("old"));

    m_fx->prompter.answerOverwrite(true);
    QCOMPARE(m_store->SavePosition(QStringLiteral("new"), position, 1, false), SaveOutcome::Saved);
    QCOMPARE(m_store->ReadPosition(position), QStringLiteral("new"));
    QCOMPARE(m_store->undoText(1), QStringLiteral("old"));
}

void TestBoxStore::deletionAsksWithShortenedDialog()
{
    m_store->SavePosition(QStringLiteral("keep?"), 7, 1, false);
    QSignalSpy cleared(m_store, &BoxStore::positionCleared);
    m_fx->prompter.answerOverwrite(true);
    QCOMPARE(m_store->SavePosition(QString(), 7, 1, false), SaveOutcome::Cleared);
    const OverwriteRequest asked = m_fx->prompter.overwriteRequests.last();
    QCOMPARE(asked.caption, QStringLiteral("Delete text"));
    QCOMPARE(asked.question, QStringLiteral("Clear position 07?"));
    QVERIFY(asked.deletion);
    QCOMPARE(m_fx->lastMessage(), QStringLiteral("Box 1, position 7 cleared"));
    QCOMPARE(cleared.count(), 1);
    QCOMPARE(fileBytes(1), QByteArray());
}

void TestBoxStore::noQuestionWhenForcedOrWarningOff()
{
    m_store->SavePosition(QStringLiteral("a"), 1, 1, false);
    QCOMPARE(m_store->SavePosition(QStringLiteral("b"), 1, 1, true), SaveOutcome::Saved);
    QCOMPARE(m_store->SavePosition(QString(), 1, 1, true), SaveOutcome::Cleared);
    m_store->SavePosition(QStringLiteral("a"), 1, 1, false);
    m_fx->state.setWarnOverwrite(false);
    QCOMPARE(m_store->SavePosition(QStringLiteral("c"), 1, 1, false), SaveOutcome::Saved);
    QVERIFY(m_fx->prompter.asked.isEmpty());
}

void TestBoxStore::dontAskTakesEffectWhateverTheAnswer()
{
    m_store->SavePosition(QStringLiteral("a"), 1, 1, false);
    m_fx->prompter.answerOverwrite(false, true);
    QCOMPARE(m_store->SavePosition(QStringLiteral("b"), 1, 1, false), SaveOutcome::Declined);
    QCOMPARE(m_store->ReadPosition(1), QStringLiteral("a"));
    QVERIFY(!m_fx->state.warnOverwrite());
    QCOMPARE(m_fx->settings.IniRead(QStringLiteral("Settings"), QStringLiteral("WarnOverwrite"), QString()),
             QStringLiteral("0"));
    QCOMPARE(m_store->SavePosition(QStringLiteral("b"), 1, 1, false), SaveOutcome::Saved);
    QCOMPARE(m_fx->prompter.asked.size(), 1);

    // Answering without the tick turns the warning back on.
    m_fx->state.setWarnOverwrite(true);
    m_fx->prompter.answerOverwrite(true, false);
    m_store->SavePosition(QStringLiteral("c"), 1, 1, false);
    QCOMPARE(m_fx->settings.IniRead(QStringLiteral("Settings"), QStringLiteral("WarnOverwrite"), QString()),
             QStringLiteral("1"));
}

void TestBoxStore::undoShiftsOnEveryWrite()
{
    m_fx->state.setWarnOverwrite(false);
    m_store->SavePosition(QStringLiteral("first"), 1, 1, false);
    m_store->SavePosition(QStringLiteral("second"), 1, 1, false);
    QCOMPARE(m_store->undoText(1), QStringLiteral("first"));
    QCOMPARE(m_store->undoText(2), QString());
    // Saving into an empty position makes the last deleted text empty.
    m_store->SavePosition(QStringLiteral("elsewhere"), 2, 1, false);
    QCOMPARE(m_store->undoText(1), QString());
    QCOMPARE(m_store->undoText(2), QStringLiteral("first"));
    m_store->SavePosition(QString(), 1, 1, false);
    QCOMPARE(m_store->undoText(1), QStringLiteral("second"));
}

void TestBoxStore::refusedLongTextIsNotReportedAsSaved()
{
    m_store->SavePosition(QStringLiteral("short"), 3, 1, false);
    m_store->setLastSaveDone(false);
    m_fx->prompter.answerYesNo(false);
    QCOMPARE(m_store->SavePosition(QString(10000, u'x'), 3, 1, true), SaveOutcome::Declined);
    QCOMPARE(m_fx->lastMessage(), QStringLiteral("Box 1, position 3 not updated"));
    QCOMPARE(m_store->undoText(1), QString());
    QVERIFY(!m_store->lastSaveDone());
    QCOMPARE(m_store->ReadPosition(3), QStringLiteral("short"));
}

void TestBoxStore::failedWriteIsReportedAndChangesNothing()
{
    // A folder in place of the temporary file makes the rewrite fail.
    m_store->SavePosition(QStringLiteral("safe"), 1, 1, false);
    QVERIFY(QDir().mkpath(m_store->boxFile(1) + QStringLiteral("_/x")));
    m_fx->state.setWarnOverwrite(false);
    m_store->setLastSaveDone(false);
    QCOMPARE(m_store->SavePosition(QStringLiteral("lost?"), 1, 1, false), SaveOutcome::Failed);
    QVERIFY(m_fx->lastMessage().startsWith(QStringLiteral("Box 1, position 1 not saved: ")));
    QVERIFY(!m_store->lastSaveDone());
    QCOMPARE(m_store->undoText(1), QString());
    QCOMPARE(m_store->ReadPosition(1), QStringLiteral("safe"));
}

void TestBoxStore::loadBoxFillsCacheAndSkipsBadKeys()
{
    QFile f(m_store->boxFile(4));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("stray\r\n00!\xAC:zero\r\n03!\xAC:three\r\nmore\r\nab!\xAC:bad key\r\n-1!\xAC:negative\r\n"
            "99!\xAC:last\r\n 5!\xAC:five\r\n");
    f.close();
    m_fx->state.setCurrentBox(4);
    QSignalSpy loaded(m_store, &BoxStore::boxLoaded);
    m_store->LoadBox();
    QCOMPARE(loaded.count(), 1);
    QCOMPARE(m_store->cached(3), QStringLiteral("three\r\nmore"));
    QCOMPARE(m_store->cached(99), QStringLiteral("last"));
    QCOMPARE(m_store->cached(5), QStringLiteral("five"));
    int occupied = 0;
    for (int i = 1; i <= 99; ++i)
        occupied += m_store->isOccupied(i);
    QCOMPARE(occupied, 3);
    QCOMPARE(m_store->cached(0), QString());
    QCOMPARE(m_store->cached(100), QString());

    m_fx->state.setCurrentBox(5); // no file: an empty box
    m_store->LoadBox();
    QVERIFY(!m_store->isOccupied(3));
}

void TestBoxStore::readPositionOfCurrentBox()
{
    m_fx->state.setCurrentBox(6);
    m_store->SavePosition(QStringLiteral("six"), 2, 6, false);
    int box = 0;
    QCOMPARE(m_store->ReadPosition(2, box), QStringLiteral("six"));
    QCOMPARE(box, 6);
}

void TestBoxStore::loadBoxSurvivesNoiseAndHugeFiles()
{
    QRandomGenerator random(7);
    QByteArray noise(512 * 1024, Qt::Uninitialized);
    for (char& c : noise)
        c = char(random.bounded(256));
    noise += "\r\n42!\xAC:after the noise\r\n";
    QFile f(m_store->boxFile(1));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(noise);
    f.close();
    m_store->LoadBox();
    QCOMPARE(m_store->cached(42), QStringLiteral("after the noise"));

    QByteArray huge = "01!\xAC:x\r\n";
    huge.reserve(51 * 1024 * 1024);
    while (huge.size() < 50 * 1024 * 1024)
        huge += "02!\xAC:0123456789012345678901234567890123456789\r\n";
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(huge);
    f.close();
    m_store->LoadBox();
    QCOMPARE(m_store->cached(1), QStringLiteral("x"));
    QCOMPARE(m_store->cached(2), QStringLiteral("0123456789012345678901234567890123456789"));
}

TRELLIN_TEST_MAIN(TestBoxStore)
#include "tst_boxstore.moc"

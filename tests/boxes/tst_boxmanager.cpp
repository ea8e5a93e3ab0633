#include "DomainFixture.h"
#include "FakeClipboard.h"
#include "TestEnvironment.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/DataFiles.h"
#include "boxes/NamesFile.h"

class TestBoxManager : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void clearBoxAnswers_data();
    void clearBoxAnswers();
    void clearTwiceKeepsNoBackup();
    void moveSwapsFilesAndNames();
    void moveStopsAtTheEnds();
    void moveNeverOverwritesALeftoverTemporary();
    void moveRollsBackWhenNamesCannotBeWritten();
    void renameRules();
    void renameKeepsOtherLinesOfAShortNamesFile();
    void undoAndClipboardCommands();

private:
    QString file(const QString& name) const { return m_fx->folder() + name; }
    void write(const QString& name, const QByteArray& bytes);
    QByteArray read(const QString& name) const;
    DomainFixture* m_fx = nullptr;
    BoxStore* m_store = nullptr;
    FakeClipboard m_clipboard;
    BoxManager* m_manager = nullptr;
};

void TestBoxManager::init()
{
    m_fx = new DomainFixture;
    m_store = new BoxStore(m_fx->state);
    m_clipboard = FakeClipboard();
    m_manager = new BoxManager(m_fx->state, *m_store, m_clipboard);
    QVERIFY(NamesFile::EnsureNamesFile(m_fx->folder()));
}

void TestBoxManager::cleanup()
{
    QVERIFY2(m_fx->prompter.scriptUsedUp(), "a scripted answer was not used");
    delete m_manager;
    delete m_store;
    delete m_fx;
}

void TestBoxManager::write(const QString& name, const QByteArray& bytes)
{
    QFile f(file(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray TestBoxManager::read(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void TestBoxManager::clearBoxAnswers_data()
{
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("textsCleared");
    QTest::addColumn<bool>("macrosCleared");
    QTest::newRow("not sure") << QList<bool> { false } << false << false;
    QTest::newRow("yes no no") << QList<bool> { true, false, false } << false << false;
    QTest::newRow("texts only") << QList<bool> { true, true, false } << true << false;
    QTest::newRow("macros only") << QList<bool> { true, false, true } << false << true;
    QTest::newRow("both") << QList<bool> { true, true, true } << true << true;
}

void TestBoxManager::clearBoxAnswers()
{
    QFETCH(QList<bool>, answers);
    QFETCH(bool, textsCleared);
    QFETCH(bool, macrosCleared);
    write(QStringLiteral("MoxenoTrellin2.txt"), "01!\xAC:text\r\n");
    write(QStringLiteral("MoxenoTrellinMacros2.txt"), "01!\xAC:m>body\r\n");
    m_fx->state.setCurrentBox(2);
    m_store->LoadBox();
    for (bool yes : answers)
        m_fx->prompter.answerYesNo(yes);

    QCOMPARE(m_manager->askAndClearBox(2), textsCleared || macrosCleared);
    QCOMPARE(m_fx->prompter.asked.first(), QStringLiteral("Are you sure you wish to clear data in box 2: Box 2 ?"));
    QCOMPARE(m_fx->prompter.icons.first(), PromptIcon::Question);
    if (answers.size() == 3) {
        QCOMPARE(m_fx->prompter.asked.at(1), QStringLiteral("Do you wish to clear the clipboard data?"));
        QCOMPARE(m_fx->prompter.asked.at(2), QStringLiteral("Do you wish to clear the macros?"));
    }
    QCOMPARE(QFileInfo::exists(file(QStringLiteral("MoxenoTrellin2.bak"))), textsCleared);
    QCOMPARE(QFileInfo::exists(file(QStringLiteral("MoxenoTrellin2.txt"))), !textsCleared);
    QCOMPARE(m_store->isOccupied(1), !textsCleared);
    QCOMPARE(QFileInfo::exists(file(QStringLiteral("MoxenoTrellinMacros2.bak"))), macrosCleared);
    if (textsCleared || macrosCleared)
        QCOMPARE(m_fx->lastMessage(), QStringLiteral("Box 'Box 2' cleared successfully."));
    else
        QVERIFY(m_fx->log.entries().isEmpty());
}

void TestBoxManager::clearTwiceKeepsNoBackup()
{
    write(QStringLiteral("MoxenoTrellin4.txt"), "01!\xAC:first\r\n");
    QVERIFY(m_manager->clearBox(4, true, false));
    QCOMPARE(read(QStringLiteral("MoxenoTrellin4.bak")), QByteArray("01!\xAC:first\r\n"));
    QVERIFY(m_manager->clearBox(4, true, false));
    QVERIFY(!QFileInfo::exists(file(QStringLiteral("MoxenoTrellin4.bak"))));
    QVERIFY(!QFileInfo::exists(file(QStringLiteral("MoxenoTrellin4.txt"))));
}

void TestBoxManager::moveSwapsFilesAndNames()
{
    write(QStringLiteral("MoxenoTrellin3.txt"), "01!\xAC:three\r\n");
    m_manager->renameBox(3, QStringLiteral("Third"));
    m_manager->renameBox(4, QStringLiteral("Fourth"));
    QCOMPARE(m_manager->moveBox(3, BoxManager::Direction::Right), std::optional<int>(4));
    QCOMPARE(read(QStringLiteral("MoxenoTrellin4.txt")), QByteArray("01!\xAC:three\r\n"));
    QVERIFY(!QFileInfo::exists(file(QStringLiteral("MoxenoTrellin3.txt"))));
    QVERIFY(!QFileInfo::exists(file(QStringLiteral("MoxenoTrellin0.txt"))));
    QVERIFY(!QFileInfo::exists(file(QStringLiteral("MoxenoTrellinMacros3.txt"))));
    QCOMPARE(m_manager->caption(4), QStringLiteral("Third"));
    QCOMPARE(m_manager->caption(3), QStringLiteral("Fourth"));

    write(QStringLiteral("MoxenoTrellinMacros4.txt"), "01!\xAC:m>x\r\n");
    QCOMPARE(m_manager->moveBox(4, BoxManager::Direction::Left), std::optional<int>(3));
    QCOMPARE(read(QStringLiteral("MoxenoTrellin3.txt")), QByteArray("01!\xAC:three\r\n"));
    QCOMPARE(read(QStringLiteral("MoxenoTrellinMacros3.txt")), QByteArray("01!\xAC:m>x\r\n"));
    QCOMPARE(m_manager->caption(3), QStringLiteral("Third"));
}

void TestBoxManager::moveStopsAtTheEnds()
{
    write(QStringLiteral("MoxenoTrellin1.txt"), "01!\xAC:one\r\n");
    write(QStringLiteral("MoxenoTrellin99.txt"), "01!\xAC:last\r\n");
    QVERIFY(!m_manager->moveBox(1, BoxManager::Direction::Left));
    QVERIFY(!m_manager->moveBox(99, BoxManager::Direction::Right));
    QCOMPARE(read(QStringLiteral("MoxenoTrellin1.txt")), QByteArray("01!\xAC:one\r\n"));
    QCOMPARE(read(QStringLiteral("MoxenoTrellin99.txt")), QByteArray("01!\xAC:last\r\n"));
    QVERIFY(m_fx->log.entries().isEmpty());
}

void TestBoxManager::moveNeverOverwritesALeftoverTemporary()
{
    write(QStringLiteral("MoxenoTrellin0.txt"), "01!\xAC:rescued\r\n");
    write(QStringLiteral("MoxenoTrellin5.txt"), "01!\xAC:five\r\n");
    write(QStringLiteral("MoxenoTrellin6.txt"), "01!\xAC:six\r\n");
    QVERIFY(!m_manager->moveBox(5, BoxManager::Direction::Right));
    QVERIFY(m_fx->lastMessage().startsWith(QStringLiteral("Box 5 not moved: ")));
    QVERIFY(m_fx->lastMessage().contains(QStringLiteral("MoxenoTrellin0.txt")));
    QCOMPARE(read(QStringLiteral("MoxenoTrellin0.txt")), QByteArray("01!\xAC:rescued\r\n"));
    QCOMPARE(read(QStringLiteral("MoxenoTrellin5.txt")), QByteArray("01!\xAC:five\r\n"));
    QCOMPARE(read(QStringLiteral("MoxenoTrellin6.txt")), QByteArray("01!\xAC:six\r\n"));
}

void TestBoxManager::moveRollsBackWhenNamesCannotBeWritten()
{
    write(QStringLiteral("MoxenoTrellin5.txt"), "01!\xAC:five\r\n");
    write(QStringLiteral("MoxenoTrellinMacros6.txt"), "01!\xAC:m>six\r\n");
    const QByteArray names = read(QStringLiteral("MoxenoTrellinNames.txt"));
    QVERIFY(QDir().mkpath(file(QStringLiteral("MoxenoTrellinNames.txt_/blocked"))));
    QVERIFY(!m_manager->moveBox(5, BoxManager::Direction::Right));
    QVERIFY(m_fx->lastMessage().startsWith(QStringLiteral("Box 5 not moved: ")));
    QCOMPARE(read(QStringLiteral("MoxenoTrellin5.txt")), QByteArray("01!\xAC:five\r\n"));
    QCOMPARE(read(QStringLiteral("MoxenoTrellinMacros6.txt")), QByteArray("01!\xAC:m>six\r\n"));
    QVERIFY(!QFileInfo::exists(file(QStringLiteral("MoxenoTrellin6.txt"))));
    QVERIFY(!QFileInfo::exists(file(QStringLiteral("MoxenoTrellin0.txt"))));
    QCOMPARE(read(QStringLiteral("MoxenoTrellinNames.txt")), names);
}

void TestBoxManager::renameRules()
{
    m_fx->prompter.answerText(QStringLiteral("Exactly15chars!"));
    QVERIFY(m_manager->askAndRenameBox(7));
    QCOMPARE(m_fx->prompter.asked.last(),
             QStringLiteral("Rename box 7|Enter a name for this box of data (max 15 characters).|Box 7"));
    QCOMPARE(m_manager->caption(7), QStringLiteral("Exactly15chars!"));

    // Sixteen characters are refused and the question comes again with the current name.
    m_fx->prompter.answerText(QStringLiteral("Sixteen chars!!!"));
    m_fx->prompter.acknowledge();
    m_fx->prompter.answerText(QString()); // then cancelled
    QVERIFY(!m_manager->askAndRenameBox(7));
    QCOMPARE(m_fx->prompter.asked.at(2), QStringLiteral("Only 15 characters allowed."));
    QVERIFY(m_fx->prompter.asked.at(3).endsWith(QStringLiteral("|Exactly15chars!")));
    QCOMPARE(m_manager->caption(7), QStringLiteral("Exactly15chars!"));

    m_fx->prompter.answerText(std::nullopt);
    QVERIFY(!m_manager->askAndRenameBox(7));

    // A line break would shift every later name by one line.
    QVERIFY(m_manager->renameBox(8, QStringLiteral("two\r\nlines")));
    QCOMPARE(m_manager->caption(8), QStringLiteral("two  lines"));
    QCOMPARE(m_manager->caption(9), QStringLiteral("Box 9"));
    QCOMPARE(NamesFile::read(m_fx->folder())->size(), 99);
}

void TestBoxManager::renameKeepsOtherLinesOfAShortNamesFile()
{
    write(QStringLiteral("MoxenoTrellinNames.txt"), "Work\r\nHome stuff that is long\r\n\xC9t\xE9\r\n");
    QCOMPARE(m_manager->caption(2), QStringLiteral("Home stuff that"));
    QVERIFY(m_manager->renameBox(50, QStringLiteral("Fifty")));
    const QStringList lines = NamesFile::read(m_fx->folder()).value();
    QCOMPARE(lines.size(), 99);
    QCOMPARE(lines.at(0), QStringLiteral("Work"));
    QCOMPARE(lines.at(1), QStringLiteral("Home stuff that is long"));
    QCOMPARE(lines.at(2), QStringLiteral("\u00C9t\u00E9"));
    QCOMPARE(lines.at(3), QStringLiteral("Box 4"));
    QCOMPARE(lines.at(49), QStringLiteral("Fifty"));
    QVERIFY(read(QStringLiteral("MoxenoTrellinNames.txt")).startsWith("Work\r\nHome stuff that is long\r\n\xC9t\xE9\r\n"));
}

void TestBoxManager::undoAndClipboardCommands()
{
    m_store->setUndoText(1, QStringLiteral("last"));
    m_store->setUndoText(2, QStringLiteral("previous"));
    m_manager->copyUndoToClipboard(2);
    QCOMPARE(m_clipboard.text, QStringLiteral("previous"));
    m_manager->clearUndo(1);
    m_manager->copyUndoToClipboard(1);
    QCOMPARE(m_clipboard.text, QString());
    QCOMPARE(m_store->undoText(2), QStringLiteral("previous"));

    m_clipboard.text = QStringLiteral("keep");
    m_fx->prompter.answerYesNo(false);
    QVERIFY(!m_manager->clearClipboard());
    QCOMPARE(m_fx->prompter.asked.last(), QStringLiteral("Clear the clipboard?"));
    QCOMPARE(m_clipboard.text, QStringLiteral("keep"));
    m_fx->state.setWarnOverwrite(false);
    QVERIFY(m_manager->clearClipboard());
    QCOMPARE(m_clipboard.text, QString());
    QCOMPARE(m_fx->lastMessage(), QStringLiteral("Clipboard cleared"));

    m_manager->refillClipboard(); // off while the refill text is empty
    QCOMPARE(m_clipboard.text, QString());
    m_fx->state.setRefillText(QStringLiteral("refill"));
    m_manager->refillClipboard();
    QCOMPARE(m_clipboard.text, QStringLiteral("refill"));
}

TRELLIN_TEST_MAIN(TestBoxManager)
#include "tst_boxmanager.moc"

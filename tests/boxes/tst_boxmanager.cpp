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
    void clearTwiceKeepsNoBackup();
    void moveSwapsFilesAndNames();
    void moveNeverOverwritesALeftoverTemporary();
    void moveRollsBackWhenNamesCannotBeWritten();
    void renameRules();
    void renameKeepsOtherLinesOfAShortNamesFile();

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
    // A line break would shift every later name by one line.
    QVERIFY(m_manager->renameBox(8, QStringLiteral("two\r\nlines")));
    QCOMPARE(m_manager->caption(8), QStringLiteral("two  lines"));
    QCOMPARE(m_manager->caption(9), QStringLiteral("Box 9"));
    QCOMPARE(NamesFile::read(m_fx->folder())->size(), 99);

    // A names file that cannot be written: the question is not repeated, the log says why.
    QVERIFY(QDir().mkpath(file(QStringLiteral("MoxenoTrellinNames.txt_/blocked"))));
    m_fx->prompter.answerText(QStringLiteral("New name"));
    QVERIFY(!m_manager->askAndRenameBox(7));
    QVERIFY(m_fx->lastMessage().startsWith(QStringLiteral("Box 7 not renamed: ")));
    QCOMPARE(m_manager->caption(7), QStringLiteral("Box 7"));
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

TRELLIN_TEST_MAIN(TestBoxManager)
#include "tst_boxmanager.moc"

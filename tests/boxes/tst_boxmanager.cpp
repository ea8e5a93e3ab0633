#include "DomainFixture.h"
#include "FakeClipboard.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/NamesFile.h"

// Clearing, moving and renaming boxes: no file is lost or overwritten on the way.
class TestBoxManager : public QObject
{
    Q_OBJECT

private:
    struct Fixture : DomainFixture
    {
        BoxStore store {state};
        FakeClipboard clipboard;
        BoxManager manager {state, store, clipboard};
    };
    std::unique_ptr<Fixture> f;

    QString file(const QString& name) const { return f->folder() + name; }
    bool exists(const QString& name) const { return QFileInfo::exists(file(name)); }
    void write(const QString& name, const QByteArray& bytes) { QVERIFY(TestFiles::write(file(name), bytes)); }
    QByteArray read(const QString& name) const
    {
        return QFile::exists(file(name)) ? TestFiles::read(file(name)) : QByteArray("<missing>");
    }

private slots:
    void init()
    {
        f = std::make_unique<Fixture>();
        QVERIFY(NamesFile::EnsureNamesFile(f->folder()));
    }
    void cleanup()
    {
        QVERIFY2(f->prompter.scriptUsedUp(), "a scripted answer was not used");
        f.reset();
    }

    void clearTwiceKeepsNoBackup()
    {
        write(QStringLiteral("MoxenoTrellin4.txt"), "01!\xAC:first\r\n");
        QVERIFY(f->manager.clearBox(4, true, false));
        QCOMPARE(read(QStringLiteral("MoxenoTrellin4.bak")), QByteArray("01!\xAC:first\r\n"));
        QVERIFY(f->manager.clearBox(4, true, false));
        QVERIFY(!exists(QStringLiteral("MoxenoTrellin4.bak")));
        QVERIFY(!exists(QStringLiteral("MoxenoTrellin4.txt")));
    }

    void moveSwapsFilesAndNames()
    {
        write(QStringLiteral("MoxenoTrellin3.txt"), "01!\xAC:three\r\n");
        write(QStringLiteral("MoxenoTrellinMacros4.txt"), "01!\xAC:m>x\r\n");
        f->manager.renameBox(3, QStringLiteral("Third"));
        QCOMPARE(f->manager.moveBox(3, BoxManager::Direction::Right), std::optional<int>(4));
        QCOMPARE(read(QStringLiteral("MoxenoTrellin4.txt")), QByteArray("01!\xAC:three\r\n"));
        QCOMPARE(read(QStringLiteral("MoxenoTrellinMacros3.txt")), QByteArray("01!\xAC:m>x\r\n"));
        QVERIFY(!exists(QStringLiteral("MoxenoTrellin3.txt")));
        QVERIFY(!exists(QStringLiteral("MoxenoTrellinMacros4.txt")));
        QVERIFY(!exists(QStringLiteral("MoxenoTrellin0.txt")));
        QCOMPARE(f->manager.caption(4), QStringLiteral("Third"));
        QCOMPARE(f->manager.caption(3), QStringLiteral("Box 4"));
    }

    void moveNeverOverwritesALeftoverTemporary()
    {
        write(QStringLiteral("MoxenoTrellin0.txt"), "01!\xAC:rescued\r\n");
        write(QStringLiteral("MoxenoTrellin5.txt"), "01!\xAC:five\r\n");
        write(QStringLiteral("MoxenoTrellin6.txt"), "01!\xAC:six\r\n");
        QVERIFY(!f->manager.moveBox(5, BoxManager::Direction::Right));
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Box 5 not moved: ")));
        QVERIFY(f->lastMessage().contains(QStringLiteral("MoxenoTrellin0.txt")));
        QCOMPARE(read(QStringLiteral("MoxenoTrellin0.txt")), QByteArray("01!\xAC:rescued\r\n"));
        QCOMPARE(read(QStringLiteral("MoxenoTrellin5.txt")), QByteArray("01!\xAC:five\r\n"));
        QCOMPARE(read(QStringLiteral("MoxenoTrellin6.txt")), QByteArray("01!\xAC:six\r\n"));
    }

    void moveRollsBackWhenNamesCannotBeWritten()
    {
        write(QStringLiteral("MoxenoTrellin5.txt"), "01!\xAC:five\r\n");
        write(QStringLiteral("MoxenoTrellinMacros6.txt"), "01!\xAC:m>six\r\n");
        const QByteArray names = read(QStringLiteral("MoxenoTrellinNames.txt"));
        QVERIFY(QDir().mkpath(file(QStringLiteral("MoxenoTrellinNames.txt_/blocked"))));
        QVERIFY(!f->manager.moveBox(5, BoxManager::Direction::Right));
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Box 5 not moved: ")));
        QCOMPARE(read(QStringLiteral("MoxenoTrellin5.txt")), QByteArray("01!\xAC:five\r\n"));
        QCOMPARE(read(QStringLiteral("MoxenoTrellinMacros6.txt")), QByteArray("01!\xAC:m>six\r\n"));
        QVERIFY(!exists(QStringLiteral("MoxenoTrellin6.txt")));
        QVERIFY(!exists(QStringLiteral("MoxenoTrellin0.txt")));
        QCOMPARE(read(QStringLiteral("MoxenoTrellinNames.txt")), names);
    }

    void renameRules()
    {
        // A line break would shift every later name by one line.
        QVERIFY(f->manager.renameBox(8, QStringLiteral("two\r\nlines")));
        QCOMPARE(f->manager.caption(8), QStringLiteral("two  lines"));
        QCOMPARE(f->manager.caption(9), QStringLiteral("Box 9"));
        QCOMPARE(NamesFile::read(f->folder())->size(), 99);

        // A names file that cannot be written: the question is not repeated, the log says why.
        QVERIFY(QDir().mkpath(file(QStringLiteral("MoxenoTrellinNames.txt_/blocked"))));
        f->prompter.answerText(QStringLiteral("New name"));
        QVERIFY(!f->manager.askAndRenameBox(7));
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Box 7 not renamed: ")));
        QCOMPARE(f->manager.caption(7), QStringLiteral("Box 7"));
    }

    void renameKeepsOtherLinesOfAShortNamesFile()
    {
        const QByteArray start = "Work\r\nHome stuff that is long\r\n\xC9t\xE9\r\n";
        write(QStringLiteral("MoxenoTrellinNames.txt"), start);
        QVERIFY(f->manager.renameBox(50, QStringLiteral("Fifty")));
        const QStringList lines = NamesFile::read(f->folder()).value();
        QCOMPARE(lines.size(), 99);
        QCOMPARE(lines.at(2), QStringLiteral("\u00C9t\u00E9"));
        QCOMPARE(lines.at(3), QStringLiteral("Box 4"));
        QCOMPARE(lines.at(49), QStringLiteral("Fifty"));
        QVERIFY(read(QStringLiteral("MoxenoTrellinNames.txt")).startsWith(start));
    }
};

TRELLIN_TEST_MAIN(TestBoxManager)
#include "tst_boxmanager.moc"

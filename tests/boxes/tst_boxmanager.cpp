#include "ActionsFixture.h"
#include "DataColumns.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/NamesFile.h"

// Clearing, moving and renaming boxes: no file is lost or overwritten on the way.
class TestBoxManager : public QObject
{
    Q_OBJECT

private:
    using Fixture = ActionsFixture<BoxStore, BoxManager>;
    std::unique_ptr<Fixture> f;

    QString file(const QString& name) const { return f->folder() + name; }
    static QByteArray body(const QString& path)
    {
        QByteArray content = TestFiles::read(path).mid(5);
        content.chop(2);
        return content;
    }
    // The box and macro files and backups: "4.bak=first" for MoxenoTrellin4.bak holding "first".
    QStringList files() const
    {
        QStringList found;
        for (QString name : QDir(f->folder()).entryList({"MoxenoTrellin*"}, QDir::Files)) {
            if (name != u"MoxenoTrellinNames.txt")
                found << name.mid(13).remove(QLatin1String(".txt")) + u'='
                        + QString::fromLatin1(body(file(name)));
        }
        return found;
    }

private slots:
    void init() { f = std::make_unique<Fixture>(); }

    // Clearing a box with no file left clears its one backup as well. A clear of texts and
    // macros whose texts cannot move (a folder holds the backup's name) fails whole and says so.
    void clearTwiceKeepsNoBackup()
    {
        QVERIFY(TestFiles::write(file("MoxenoTrellin4.txt"), "01!\xAC:first\r\n"));
        QVERIFY(f->actions.clearBox(4, true, false).ok());
        QCOMPARE(files(), QStringList {"4.bak=first"});
        QVERIFY(f->actions.clearBox(4, true, false).ok());
        QCOMPARE(files(), QStringList());

        QVERIFY(TestFiles::write(file("MoxenoTrellin5.txt"), "01!\xAC:text\r\n"));
        QVERIFY(TestFiles::write(file("MoxenoTrellinMacros5.txt"), "01!\xAC:macro\r\n"));
        QVERIFY(QDir().mkpath(file("MoxenoTrellin5.bak/in the way")));
        QVERIFY(!f->actions.clearBox(5, true, true).ok());
        QCOMPARE(files(), (QStringList {"5=text", "Macros5=macro"}));
        QVERIFY2(f->lastMessage().startsWith(u"Box 'Box 5' not cleared: "), qPrintable(f->lastMessage()));
    }

    // Undo clear swaps the backups in and the current files out, so a second restore brings the
    // cleared state back; a step that fails (the second swap, or a rename of a swap made step by
    // step where files cannot be exchanged in one) leaves every file as the clear left it.
    void restoreSwapsBackAndForth_data()
    {
        // "failing": the rename step that fails; 0 for none.
        addColumns<bool, int>({"exchange", "failing"});
        QTest::newRow("exchanged in one step") << true << 0;
        QTest::newRow("step by step") << false << 0;
        QTest::newRow("texts fail") << false << 2;
        QTest::newRow("texts fail at their last step") << false << 3;
        QTest::newRow("macros fail, texts go back") << false << 6;
    }
    void restoreSwapsBackAndForth()
    {
        auto [exchange, failing] = fetchColumns<bool, int>({"exchange", "failing"});
        QVERIFY(TestFiles::write(file("MoxenoTrellin4.txt"), "01!\xAC:text\r\n"));
        QVERIFY(TestFiles::write(file("MoxenoTrellinMacros4.txt"), "01!\xAC:macro\r\n"));
        QVERIFY(!f->actions.restoreBox(4).ok()); // no backup yet
        QVERIFY(f->actions.clearBox(4, true, true).ok());
        const QStringList cleared = files();
        int step = 0;
        f->actions.setRenameSteps(
            [&](const QString& from, const QString& to, QString* error) {
                return ++step == failing ? SafeRename::Result::Failed : SafeRename::rename(from, to, error);
            },
            exchange ? BoxManager::Rename(SafeRename::exchange)
                     : [](const QString&, const QString&, QString*) { return SafeRename::Result::Failed; });
        if (!failing) {
            // The confirmation names what is replaced; No changes nothing.
            f->prompter.answerYesNo(false);
            QVERIFY(!f->actions.askAndRestoreBox(4));
            QCOMPARE(f->prompter.asked.value(0),
                QStringLiteral(
                    "Undo the clear of box 4: Box 4?\n\nThis replaces the 0 texts now in the box with the "
                    "1 text of the backup, and the 0 macros now in the box with the 1 macro of the "
                    "backup. What it replaces becomes the backup, so Undo clear again brings it back."));
            QCOMPARE(files(), cleared);
        }
        const Result<> restored = f->actions.restoreBox(4);
        if (failing) {
            QVERIFY(!restored.ok());
            QCOMPARE(files(), cleared);
            QVERIFY2(
                f->lastMessage().startsWith(u"Box 'Box 4' not restored: "), qPrintable(f->lastMessage()));
            return;
        }
        QVERIFY2(restored.ok(), qPrintable(restored.error()));
        QCOMPARE(files(), (QStringList {"4.bak=", "4=text", "Macros4.bak=", "Macros4=macro"}));
        QCOMPARE(f->lastMessage(), u"Box 'Box 4' restored from its backup."_s);
        QVERIFY(f->actions.restoreBox(4).ok());
        QCOMPARE(files(), (QStringList {"4.bak=text", "4=", "Macros4.bak=macro", "Macros4="}));
    }

    // Box 3 moves right; a move that fails leaves every file as it was, and logs why.
    void moveBox_data()
    {
        QTest::addColumn<QStringList>("before");
        // A link to nowhere here blocks a move to it; a folder in place of a temporary "name_"
        // blocks the rewrite of "name".
        // "why" is in the log; empty when the box moved.
        addColumns<QString, QStringList, QString>({"blocked", "after", "why"});
        const QStringList two {"3=three", "Macros4=m>x"};
        QTest::newRow("swaps texts and macros") << two << "" << QStringList {"4=three", "Macros3=m>x"} << "";
        const QStringList leftover {"0=rescued", "3=three", "4=four"};
        QTest::newRow("never overwrites a leftover") << leftover << "" << leftover << "0.txt is in the way";
        QTest::newRow("rolls back when the names cannot be written")
            << two << "MoxenoTrellinNames.txt_" << two << "MoxenoTrellinNames.txt";
        const QStringList three {"3=three", "4=four", "Macros4=m>x"};
        QTest::newRow("rolls back the texts when the macros cannot move")
            << three << "MoxenoTrellinMacros3.txt" << three << "MoxenoTrellinMacros4.txt to";
    }
    void moveBox()
    {
        auto [before, blocked, why]
            = fetchColumns<QStringList, QString, QString>({"before", "blocked", "why"});
        for (const QString& entry : before)
            QVERIFY(TestFiles::write(file("MoxenoTrellin" + entry.section(u'=', 0, 0) + ".txt"),
                "01!\xAC:" + entry.section(u'=', 1).toLatin1() + "\r\n"));
        if (blocked.endsWith(u'_'))
            QVERIFY(QDir().mkpath(file(blocked) + u"/x"_s));
        else if (!blocked.isEmpty())
            QVERIFY(QFile::link(u"/nonexistent/folder/x"_s, file(blocked)));
        const Result<int> moved = f->actions.moveBox(3, BoxManager::Direction::Right);
        QTEST(files(), "after");
        if (why.isEmpty()) {
            QCOMPARE(moved.ok() ? *moved : 0, 4);
        } else {
            QVERIFY2(!moved && moved.error().contains(why), qPrintable(moved.error()));
            QVERIFY(f->lastMessage().startsWith(u"Box 3 not moved: ") && f->lastMessage().contains(why));
        }
    }

    // A rename keeps the other lines and turns line breaks, which would shift every later name,
    // into blanks. A rename that cannot be stored is told. (A name too long, offered again as
    // typed, is the main window's test, in the real input dialog.)
    void rename()
    {
        const QByteArray start = "Work\r\nHome stuff that is long\r\n\xC9t\xE9\r\n";
        QVERIFY(TestFiles::write(file("MoxenoTrellinNames.txt"), start));
        QVERIFY(f->actions.renameBox(50, u"two\r\nlines"_s).ok());
        QVERIFY(f->actions.renameBox(99, u"last"_s).ok());
        const QStringList lines = NamesFile::read(f->folder()).value();
        QCOMPARE(lines.mid(2, 2) + lines.mid(49, 2) + lines.mid(97),
            (QStringList {"\u00C9t\u00E9", "Box 4", "two  lines", "Box 51", "Box 98", "last"}));
        QVERIFY(TestFiles::read(file("MoxenoTrellinNames.txt")).startsWith(start));

        QVERIFY(QDir().mkpath(file("MoxenoTrellinNames.txt_/blocked")));
        f->prompter.answerText(u"New name"_s);
        f->prompter.acknowledge();
        QVERIFY(!f->actions.askAndRenameBox(7));
        QVERIFY(f->lastMessage().startsWith(u"Box 7 not renamed: "_s));
        QCOMPARE(f->prompter.icons.last(), PromptIcon::Critical);
    }
};

TRELLIN_TEST_MAIN(TestBoxManager)
#include "tst_boxmanager.moc"

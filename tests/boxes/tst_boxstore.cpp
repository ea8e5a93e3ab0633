#include "ActionsFixture.h"
#include "DataColumns.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/DataFolderMove.h"
#include "boxes/NamesFile.h"
#include "boxes/PositionActions.h"
#include "boxes/Startup.h"
#include "core/DataFiles.h"
#include "core/RecordFile.h"

#include <QMap>
#include <QSignalSpy>

#include <sys/file.h>

using enum SaveOutcome;
using R = SafeRename::Result;
using Steps = DataFolderMove::FileSteps;
Q_DECLARE_METATYPE(Steps)

namespace {

// Every file of a folder with its bytes, the lock file aside.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        files.insert(name, TestFiles::read(QDir(folder).filePath(name)));
    return files;
}

// The real steps; renames fail at call number "failRename" (every one for -1, as between two
// file systems, so that files move by copy), copies at call number "failCopy".
Steps steps(int failRename = 0, int failCopy = 0)
{
    Steps s = DataFolderMove::realSteps();
    s.rename = [real = s.rename, n = 0, failRename](const QString& a, const QString& b, QString* e) mutable {
        return ++n == failRename || failRename < 0 ? R::Failed : real(a, b, e);
    };
    s.copy = [real = s.copy, n = 0, failCopy](const QString& a, const QString& b) mutable {
        return ++n == failCopy ? Result<>::failure(u"injected"_s) : real(a, b);
    };
    return s;
}

// The steps with renames that answer "result" whenever "when" holds for source and target.
Steps renameFails(Steps s, std::function<bool(const QString&, const QString&)> when, R result = R::Failed)
{
    s.rename = [real = s.rename, when, result](const QString& a, const QString& b, QString* e) {
        return when(a, b) ? result : real(a, b, e);
    };
    return s;
}

} // namespace

// A box's texts: saving and loading them, the mouse operations on them when the clipboard or the
// box file lets them down, and the start-up steps that read the data folder and the settings.
// Clearing, moving and renaming boxes, and moving the data folder: no file is lost or overwritten
// on the way.
class TestBoxStore : public QObject
{
    Q_OBJECT

private:
    struct Fixture : ActionsFixture<BoxStore, PositionActions>
    {
        BoxManager boxes {context, store, clipboard};
    };
    std::unique_ptr<Fixture> f;

    // The outcome, or nothing for a failure.
    std::optional<SaveOutcome> save(const QString& text, int position = 1, bool force = false, int box = 1)
    {
        const Result<SaveOutcome> saved = f->store.savePosition(text, position, box, force);
        return saved ? std::optional(*saved) : std::nullopt;
    }
    QString warnSetting() const { return f->settingsStore.readValue("Settings", "WarnOverwrite", QString()); }
    void setIni(const QByteArray& content) { QVERIFY(TestFiles::write(f->settingsStore.iniPath(), content)); }
    QString folderProblem() { return Startup(f->context).prepareDataFolder().error(); }

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

    QMap<QString, QByteArray> m_before, m_data;
    const QStringList m_dataNames {u"MoxenoTrellin12.txt"_s, u"MoxenoTrellin3.txt"_s,
        u"MoxenoTrellinMacros3.txt"_s, u"MoxenoTrellinNames.txt"_s};

    // "@" stands for the fixture's temporary folder.
    QString path(QString spelled) const { return spelled.replace(u'@', f->dir.path()); }
    QString target() const { return path(u"@/new/deeper"_s); }
    QString storedPath() const { return f->settings.text(Settings::Key::DataPath); }
    Result<DataFolderMove::Outcome> move(const QString& to, const Steps& s = steps())
    {
        return DataFolderMove(f->context, s).moveTo(to);
    }

    // Data files and others in the data folder, for a move.
    void prepareFolder()
    {
        for (const QString& name : m_dataNames)
            QVERIFY(TestFiles::write(f->folder() + name, name.toUtf8()));
        // Not data files: they stay where they are.
        for (const char* other :
            {"MoxenoTrellin3.bak", "notes.txt", "moxenotrellin5.txt", "MoxenoTrellin1.txt_"})
            QVERIFY(TestFiles::write(f->folder() + QLatin1String(other), other));
        QVERIFY(QDir().mkpath(f->folder() + u"MoxenoTrellinFolder.txt"_s));
        m_before = snapshot(f->folder());
        for (const QString& name : m_dataNames)
            m_data.insert(name, m_before.value(name));
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
        QCOMPARE(save(u"same"_s, 5, false, 2), Saved);
        QCOMPARE(TestFiles::read(f->store.boxFile(2)), QByteArray("05!\xAC:same\r\n"));
        QVERIFY(f->store.lastSaveDone());

        const QDateTime written = QFileInfo(f->store.boxFile(2)).lastModified();
        f->store.setLastSaveDone(false);
        QCOMPARE(save(u"same"_s, 5, false, 2), AlreadySaved);
        QVERIFY(!f->store.lastSaveDone());
        QCOMPARE(QFileInfo(f->store.boxFile(2)).lastModified(), written);

        // Clearing an empty position writes and logs nothing at all.
        const qsizetype entries = f->log.entries().size();
        QCOMPARE(save(QString(), 9, false, 3), AlreadySaved);
        QVERIFY(f->log.entries().size() == entries && !QFileInfo::exists(f->store.boxFile(3)));
    }

    // The "don't ask" tick turns the warning off even with a No, and is stored; an answer
    // without it stores nothing. Every write shifts the undo texts.
    void questionsAndTheDontAskTick()
    {
        save(u"old"_s, 7);
        f->prompter.answerOverwrite(false, true);
        QCOMPARE(save(u"new"_s, 7), Declined);
        QCOMPARE(readText(f->store.readPosition(7, 1)) + u'|' + warnSetting(), u"old|0"_s);
        QCOMPARE(save(u"new"_s, 7), Saved); // not asked
        QCOMPARE(save(u"more"_s, 8), Saved); // the undo texts shift, an empty one too
        QCOMPARE(f->store.undoText(1) + u'|' + f->store.undoText(2), u"|old"_s);
        f->context.setWarnOverwrite(true);
        QSignalSpy cleared(&f->store, &BoxStore::positionCleared);
        f->prompter.answerOverwrite(true);
        // What another program stores while the question is open is kept.
        f->prompter.whileAsking
            = [this] { (void)RecordFile::writeRecord(f->store.boxFile(1), 9, u"other"_s); };
        QCOMPARE(save(QString(), 7), Cleared);
        QCOMPARE(cleared.count(), 1);
        QCOMPARE(warnSetting(), u"0"_s);
        QCOMPARE(TestFiles::read(f->store.boxFile(1)), QByteArray("08!\xAC:more\r\n09!\xAC:other\r\n"));
    }

    // Neither a refused long text nor a failed rewrite changes the stored text or the undo. The
    // question shows a few lines of what would be dropped, never the whole of it.
    void refusedOrFailedSaveChangesNothing()
    {
        save(u"short"_s, 3);
        f->store.setLastSaveDone(false);
        f->prompter.answerYesNo(false);
        // Counted as stored: each LF becomes CR LF.
        const QString tooLong = QString(9999, u'k') + u"line\n"_s.repeated(20000);
        QCOMPARE(save(tooLong, 3, true), Declined);
        QCOMPARE(f->lastMessage(), u"Box 1, position 3 not updated"_s);
        const QString question = f->prompter.asked.last();
        QVERIFY2(question.size() < 600 && question.count(u'\n') < 15, qPrintable(question));
        QVERIFY2(question.contains(u"120,000 characters will not be saved"_s), qPrintable(question));
        f->prompter.answerYesNo(true);
        QCOMPARE(save(tooLong, 4, true), Saved);
        QCOMPARE(readText(f->store.readPosition(4, 1)), QString(9999, u'k'));
        f->store.setLastSaveDone(false);

        // A folder in place of the temporary file makes the rewrite fail.
        QVERIFY(QDir().mkpath(f->store.boxFile(1) + u"_/x"_s));
        f->context.setWarnOverwrite(false);
        QCOMPARE(save(u"lost?"_s, 3), std::nullopt);
        QVERIFY(f->lastMessage().startsWith(u"Box 1, position 3 not saved: "_s));
        QVERIFY(!f->store.lastSaveDone());
        QCOMPARE(f->store.undoText(1), QString());
        QCOMPARE(readText(f->store.readPosition(3, 1)), u"short"_s);
    }

    // Damaged keys (" 5" too) and key 00 fill no position, and the log says how many lines the
    // box does not show; a missing file is an empty box; 50 MB load.
    void loadBox()
    {
        QVERIFY(TestFiles::write(f->store.boxFile(4),
            "stray\r\n00!\xAC:zero\r\n03!\xAC:three\r\nmore\r\nab!\xAC:bad key\r\n-1!\xAC:negative\r\n"
            "99!\xAC:last\r\n 5!\xAC:five\r\n03!\xAC:second\r\n"));
        QVERIFY(f->store.loadBox(4));
        QStringList occupied;
        for (int i = 0; i <= 100; ++i) {
            if (f->store.isOccupied(i))
                occupied << QString::number(i) + u':' + f->store.cached(i);
        }
        QCOMPARE(occupied, (QStringList {"3:three\r\nmore", "99:last"}));
        QVERIFY2(f->lastMessage().contains(u"holds 6 lines that no position shows"_s),
            qPrintable(f->lastMessage()));

        (void)f->store.loadBox(5);
        QVERIFY(!f->store.isOccupied(3));

        // A file with bytes but no record says so, and is left as it is.
        QVERIFY(TestFiles::write(f->store.boxFile(6), "not a box file\r\n"));
        (void)f->store.loadBox(6);
        QVERIFY2(f->lastMessage().contains(u"holds 1 line that no position shows"_s),
            qPrintable(f->lastMessage()));
        QCOMPARE(TestFiles::read(f->store.boxFile(6)), QByteArray("not a box file\r\n"));

        const QByteArray huge = "01!\xAC:x\r\n"
            + QByteArray("02!\xAC:0123456789012345678901234567890123456789\r\n").repeated(150'000);
        QVERIFY(TestFiles::write(f->store.boxFile(5), huge));
        (void)f->store.loadBox(5);
        QCOMPARE(f->store.cached(1) + f->store.cached(2), u"x0123456789012345678901234567890123456789"_s);
    }

    // The clipboard gets LF while the file keeps CR LF (every line end stored as CR LF); the refill text,
    // once on, follows every copy. A copy that fails logs nothing, and a cut whose copy fails keeps the text.
    void copyAndCut()
    {
        (void)f->store.savePosition(u"te\r\nxt\nend"_s, 3, 1, true);
        f->context.setRefillText(u"refill"_s);
        QVERIFY(f->actions.copy(1, 3));
        QCOMPARE(f->clipboard.content + u'|' + f->context.refillText(), u"te\nxt\nend|te\nxt\nend"_s);
        QCOMPARE(readText(f->store.readPosition(3, 1)), u"te\r\nxt\r\nend"_s);

        const QString latest = f->log.latest();
        f->clipboard.failing = true;
        QVERIFY(!f->actions.copy(1, 3));
        QCOMPARE(f->log.latest(), latest);
        f->actions.cut(1, 3);
        QCOMPARE(readText(f->store.readPosition(3, 1)), u"te\r\nxt\r\nend"_s);
    }

    // The box file cannot be written until the failure is logged: a move that then cleared the
    // source would lose its only copy. The user is told why, in a message box.
    void moveKeepsTheSourceWhenTheTargetCannotBeWritten()
    {
        (void)f->store.savePosition(u"only copy"_s, 3, 1, true);
        f->context.setWarnOverwrite(false);
        const QString blocker = f->store.boxFile(1) + u'_';
        QVERIFY(QDir().mkpath(blocker + u"/blocked"_s));
        QObject::connect(&f->log, &StatusLog::logged, [&blocker] { QDir(blocker).removeRecursively(); });
        f->prompter.acknowledge();
        f->actions.move(1, 3, 8);
        QVERIFY(f->lastMessage().startsWith(u"Box 1, position 8 not saved: "_s));
        QVERIFY2(
            f->prompter.asked.last().contains(f->store.boxFile(1)), qPrintable(f->prompter.asked.last()));
        QCOMPARE(f->prompter.icons.last(), PromptIcon::Critical);
        QCOMPARE(readText(f->store.readPosition(3, 1)) + u'|' + readText(f->store.readPosition(8, 1)),
            "only copy|");
    }

    // A file that exists but cannot be read (a folder in its place stops root too) loads as no
    // box and takes nothing: the box says so once, a save, a paste and an edit (before its dialog
    // opens) are refused with the reason; the file stays as it is and the other boxes work on.
    void unreadableBoxTakesNothing()
    {
        const QString file = f->store.boxFile(1);
        QVERIFY(QDir().mkpath(file));
        for (int i = 0; i < 3; ++i)
            f->prompter.acknowledge();
        QVERIFY(!f->store.loadBox(1) && f->store.loadError().contains(file));
        QVERIFY(!f->store.loadBox(1)); // not told again
        QVERIFY(f->lastMessage().startsWith(u"Box 1 not loaded: "_s));
        QVERIFY(!f->store.readPosition(1, 1));
        const Result<SaveOutcome> saved = f->store.savePosition(u"x"_s, 1, 1, true);
        QVERIFY2(!saved && saved.error().contains(file), qPrintable(saved.error()));
        f->clipboard.content = u"pasted"_s;
        QVERIFY(!*f->actions.paste(1, 2));
        QVERIFY(!f->actions.edit(1, 2));
        QVERIFY(f->prompter.scriptUsedUp() && f->prompter.editRequests.isEmpty());
        QCOMPARE(f->prompter.asked.size(), 3);
        for (const QString& told : std::as_const(f->prompter.asked))
            QVERIFY2(told.contains(file), qPrintable(told));
        QVERIFY(QFileInfo(file).isDir() && f->store.undoText(1).isEmpty());
        QVERIFY(f->store.loadBox(2) && f->store.loadError().isEmpty());
    }

    void dataFolderProblemsSayWhatAndWhere()
    {
        // A missing folder is told at start-up, and never made up (TestStartProcedure).
        QVERIFY(TestFiles::write(f->dir.filePath(u"plainfile"_s), QByteArray()));
        f->context.setDataFolder(f->dir.filePath(u"plainfile"_s));
        QVERIFY(folderProblem().contains(u"plainfile"_s));

        // A names file that cannot be created (a folder in its way).
        f->context.setDataFolder(f->dir.filePath(u"data"_s));
        QVERIFY(QDir().mkpath(DataFiles::namesFile(f->folder()) + u"_/x"_s));
        QVERIFY(folderProblem().contains(u"names file"_s));
    }

    // NumLock is any form of the number 1, the box a whole number from 1 to 99; WarnOverwrite is
    // on only when missing or "1" (each "off" row follows an "on" one, so every row changes it).
    void storedSettings()
    {
        Startup startup(f->context);
        setIni("[MX]\r\nNumLock=1.0\r\nMX1=refill me\r\n[Defaults]\r\nDataPath=/some/where\r\n");
        QVERIFY(startup.readShellSettings());
        QCOMPARE(f->context.refillText(), u"refill me"_s);
        QCOMPARE(f->context.dataFolder(), u"/some/where/"_s);
        setIni("[MX]\r\nNumLock=yes\r\n");
        QVERIFY(!startup.readShellSettings());

        for (const auto& [lines, box, warn] :
            {std::tuple {"BoxNo=99\r\nWarnOverwrite=0", 99, false}, {"BoxNo=100", 1, true},
                {"BoxNo=0\r\nWarnOverwrite=1.0", 1, false}, {"BoxNo=7.5\r\nWarnOverwrite=1", 1, true}}) {
            setIni(QByteArray("[Settings]\r\n") + lines + "\r\n");
            startup.readWarnOverwrite();
            QVERIFY2(startup.storedBox() == box && f->context.warnOverwrite() == warn, lines);
        }
    }

    // Clearing a box with no file left clears its one backup as well. A clear of texts and
    // macros whose texts cannot move (a folder holds the backup's name) fails whole and says so.
    void clearTwiceKeepsNoBackup()
    {
        QVERIFY(TestFiles::write(file("MoxenoTrellin4.txt"), "01!\xAC:first\r\n"));
        QVERIFY(f->boxes.clearBox(4, true, false).ok());
        QCOMPARE(files(), QStringList {"4.bak=first"});
        QVERIFY(f->boxes.clearBox(4, true, false).ok());
        QCOMPARE(files(), QStringList());

        QVERIFY(TestFiles::write(file("MoxenoTrellin5.txt"), "01!\xAC:text\r\n"));
        QVERIFY(TestFiles::write(file("MoxenoTrellinMacros5.txt"), "01!\xAC:macro\r\n"));
        QVERIFY(QDir().mkpath(file("MoxenoTrellin5.bak/in the way")));
        QVERIFY(!f->boxes.clearBox(5, true, true).ok());
        QCOMPARE(files(), (QStringList {"5=text", "Macros5=macro"}));
        QVERIFY2(f->lastMessage().startsWith(u"Box 'Box 5' not cleared: "), qPrintable(f->lastMessage()));
    }

    // Undo clear swaps the backups in and the current files out, so a second restore brings the
    // cleared state back; a step that fails (the second swap, or a rename of a swap made step by
    // step where files cannot be exchanged in one) leaves every file as the clear left it.
    void restoreSwapsBackAndForth_data()
    {
        // "failing": the rename step that fails; 0 for none.
        const DataTable<bool, int> row({"exchange", "failing"});
        row("exchanged in one step", true, 0);
        row("step by step", false, 0);
        row("texts fail", false, 2);
        row("texts fail at their last step", false, 3);
        row("macros fail, texts go back", false, 6);
    }
    void restoreSwapsBackAndForth()
    {
        auto [exchange, failing] = fetchColumns<bool, int>({"exchange", "failing"});
        QVERIFY(TestFiles::write(file("MoxenoTrellin4.txt"), "01!\xAC:text\r\n"));
        QVERIFY(TestFiles::write(file("MoxenoTrellinMacros4.txt"), "01!\xAC:macro\r\n"));
        QVERIFY(!f->boxes.restoreBox(4).ok()); // no backup yet
        QVERIFY(f->boxes.clearBox(4, true, true).ok());
        const QStringList cleared = files();
        int step = 0;
        f->boxes.setRenameSteps(
            [&](const QString& from, const QString& to, QString* error) {
                return ++step == failing ? SafeRename::Result::Failed : SafeRename::rename(from, to, error);
            },
            exchange ? BoxManager::Rename(SafeRename::exchange)
                     : [](const QString&, const QString&, QString*) { return SafeRename::Result::Failed; });
        if (!failing) {
            // The confirmation names what is replaced; No changes nothing.
            f->prompter.answerYesNo(false);
            QVERIFY(!f->boxes.askAndRestoreBox(4));
            QCOMPARE(f->prompter.asked.value(0),
                QStringLiteral(
                    "Undo the clear of box 4: Box 4?\n\nThis replaces the 0 texts now in the box with the "
                    "1 text of the backup, and the 0 macros now in the box with the 1 macro of the "
                    "backup. What it replaces becomes the backup, so Undo clear again brings it back."));
            QCOMPARE(files(), cleared);
        }
        const Result<> restored = f->boxes.restoreBox(4);
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
        QVERIFY(f->boxes.restoreBox(4).ok());
        QCOMPARE(files(), (QStringList {"4.bak=text", "4=", "Macros4.bak=macro", "Macros4="}));
    }

    // Box 3 moves right; a move that fails leaves every file as it was, and logs why.
    void moveBox_data()
    {
        // A link to nowhere here blocks a move to it; a folder in place of a temporary "name_"
        // blocks the rewrite of "name". "why" is in the log; empty when the box moved.
        const DataTable<QStringList, QString, QStringList, QString> row(
            {"before", "blocked", "after", "why"});
        const QStringList two {"3=three", "Macros4=m>x"};
        row("swaps texts and macros", two, "", QStringList {"4=three", "Macros3=m>x"}, "");
        const QStringList leftover {"0=rescued", "3=three", "4=four"};
        row("never overwrites a leftover", leftover, "", leftover, "0.txt is in the way");
        row("rolls back when the names cannot be written", two, "MoxenoTrellinNames.txt_", two,
            "MoxenoTrellinNames.txt");
        const QStringList three {"3=three", "4=four", "Macros4=m>x"};
        row("rolls back the texts when the macros cannot move", three, "MoxenoTrellinMacros3.txt", three,
            "MoxenoTrellinMacros4.txt to");
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
        const Result<int> moved = f->boxes.moveBox(3, BoxManager::Direction::Right);
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
        QVERIFY(f->boxes.renameBox(50, u"two\r\nlines"_s).ok());
        QVERIFY(f->boxes.renameBox(99, u"last"_s).ok());
        const QStringList lines = NamesFile::read(f->folder()).value();
        QCOMPARE(lines.mid(2, 2) + lines.mid(49, 2) + lines.mid(97),
            (QStringList {"\u00C9t\u00E9", "Box 4", "two  lines", "Box 51", "Box 98", "last"}));
        QVERIFY(TestFiles::read(file("MoxenoTrellinNames.txt")).startsWith(start));

        QVERIFY(QDir().mkpath(file("MoxenoTrellinNames.txt_/blocked")));
        f->prompter.answerText(u"New name"_s);
        f->prompter.acknowledge();
        QVERIFY(!f->boxes.askAndRenameBox(7));
        QVERIFY(f->lastMessage().startsWith(u"Box 7 not renamed: "_s));
        QCOMPARE(f->prompter.icons.last(), PromptIcon::Critical);
    }

    void movesEveryDataFile_data()
    {
        const DataTable<Steps, QStringList> row({"how", "leftBehind"});
        row("by rename", steps(), QStringList());
        row("by copy", steps(-1), QStringList());
        Steps stubborn = steps(-1);
        stubborn.remove = [](const QString& path) { return !path.contains(u"/data/"_s); };
        row("copy, sources stuck", stubborn, m_dataNames);
    }
    void movesEveryDataFile()
    {
        prepareFolder();
        auto [how, leftBehind] = fetchColumns<Steps, QStringList>({"how", "leftBehind"});
        // The settings file in the data folder stays there and receives the new folder.
        QVERIFY(TestFiles::write(f->folder() + u"MoxenoTrellin.ini"_s, "[Settings]\r\nBoxNo=4\r\n"));
        const Result<DataFolderMove::Outcome> moved = move(target(), how);
        QVERIFY2(moved, qPrintable(moved.error()));
        const QString now = target() + u'/';
        QCOMPARE(moved->moved, 4);
        QCOMPARE(moved->leftBehind, leftBehind);
        QCOMPARE(f->folder() + u'|' + storedPath(), now + u'|' + now);
        QCOMPARE(f->settings.boxNumber(Settings::Key::BoxNo), 4);
        QCOMPARE(snapshot(now), m_data);
        const QMap<QString, QByteArray> left = snapshot(f->dir.filePath(u"data"_s));
        for (const QString& name : m_before.keys())
            QCOMPARE(left.contains(name), !m_dataNames.contains(name) || leftBehind.contains(name));
    }

    // A program still on the old folder (a second window started before the move) writes no
    // data file there any more. Moving the data back, or starting on that folder, lifts that.
    void oldFolderTakesNoWrites()
    {
        prepareFolder();
        const QString old = f->folder();
        DataContext stale(f->settings, f->log, f->prompter);
        stale.setDataFolder(old);
        BoxStore staleStore(stale);
        QVERIFY(move(target()));

        const Result<SaveOutcome> saved = staleStore.savePosition(u"lost"_s, 1, 1, true);
        QVERIFY2(!saved && saved.error().contains(target()), qPrintable(saved.error()));
        const Result<> renamed = NamesFile::replace(old, {{1, u"lost"_s}});
        QVERIFY(!renamed && renamed.error().contains(target()));
        QVERIFY(!QFileInfo::exists(old + u"MoxenoTrellin1.txt"_s));
        QVERIFY(!QFileInfo::exists(old + u"MoxenoTrellinNames.txt"_s));

        QVERIFY(move(old));
        QVERIFY(BoxStore(f->context).savePosition(u"back"_s, 1, 1, true));
        QVERIFY(move(target()));
        QVERIFY(Startup(stale).prepareDataFolder());
        QVERIFY(staleStore.savePosition(u"chosen again"_s, 2, 1, true));
    }

    // Refused before anything moves, or failing part way with every moved file put back: either
    // way nothing is stored and the old folder, complete, is still in use.
    void failsLeavingTheOldFolder_data()
    {
        const DataTable<QString, Steps, QString> row({"folder", "how", "reason"});
        row("same names", "@/busy", steps(), "overwritten:\nMoxenoTrellin3.txt\nMoxenoTrellinNames.txt\n");
        row("a file", "@/plain", steps(), "is not a folder");
        row("below a file", "@/plain/sub", steps(), "could not be created");
        row("relative", "somewhere/else", steps(), "must be a full path");
        // Nobody can create a file there, not even the superuser.
        QTest::newRow("read-only") << "/proc/self/" << steps() << "could not open the lock file /proc/self/";
        row("locked by another program", "@/locked", steps(), "is busy");
        const QString back = u"Every file is back in"_s;
        row("third rename and its copy fail", "@/new/deeper", steps(3, 1), back);
        row("third copy fails", "@/new/deeper", steps(-1, 3), back);
        row("moved files put back by copy", "@/new/deeper",
            renameFails(
                steps(3, 1), [](const QString& a, const QString&) { return a.contains(u"/deeper/"); }),
            back);
        row("target appears meanwhile", "@/new/deeper",
            renameFails(
                steps(), [](const QString&, const QString& b) { return b.endsWith("Names.txt"); },
                R::TargetExists),
            back);
        row("setting cannot be stored", "@/new/deeper", steps(), back);
        row("setting cannot be stored, copies", "@/new/deeper", steps(-1), back);
    }
    void failsLeavingTheOldFolder()
    {
        prepareFolder();
        auto [folder, how, reason] = fetchColumns<QString, Steps, QString>({"folder", "how", "reason"});
        QVERIFY(TestFiles::write(path("@/busy/MoxenoTrellin3.txt"), "theirs"));
        QVERIFY(TestFiles::write(path("@/busy/MoxenoTrellinNames.txt"), "theirs"));
        QVERIFY(TestFiles::write(path("@/plain"), "a file"));
        QVERIFY(TestFiles::write(path("@/locked/.MoxenoTrellin.lock"), ""));
        QFile lockFile(path("@/locked/.MoxenoTrellin.lock"));
        QVERIFY(lockFile.open(QIODevice::WriteOnly));
        QCOMPARE(::flock(lockFile.handle(), LOCK_EX | LOCK_NB), 0); // another open file: another holder
        if (QString(QTest::currentDataTag()).startsWith("setting")) {
            QVERIFY(QDir().mkpath(path("@/config")));
            QVERIFY(TestFiles::makeSocket(f->settingsStore.iniPath()));
        }

        const QString error = move(path(folder), how).error();
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY2(error.contains(f->folder() + u", which is still in use"_s), qPrintable(error));
        QCOMPARE(snapshot(f->folder()), m_before);
        QCOMPARE(storedPath(), QString());
        QVERIFY(DataFolderMove::dataFileNames(target()).isEmpty());
        QCOMPARE(TestFiles::read(path("@/busy/MoxenoTrellin3.txt")), QByteArray("theirs"));
    }

    // When a moved file cannot go back either, the message names it and where it is.
    void fileThatCannotGoBackIsNamed()
    {
        prepareFolder();
        Steps s = renameFails(steps(3, 1),
            [](const QString& a, const QString&) { return a.endsWith("deeper/MoxenoTrellin3.txt"); });
        s.copy = [](const QString&, const QString&) { return Result<>::failure(u"denied"_s); };
        const QString error = move(target(), s).error();
        QVERIFY2(error.contains(
                     u"could not be put back and are still in %1/:\nMoxenoTrellin3.txt\n"_s.arg(target())),
            qPrintable(error));
        QCOMPARE(TestFiles::read(target() + u"/MoxenoTrellin3.txt"_s), QByteArray("MoxenoTrellin3.txt"));
        QCOMPARE(storedPath(), QString());
    }

    // The folder in use, however spelled, moves and stores nothing. Without data files (or
    // without the folder, an unplugged drive) the folder just changes.
    void movesNothing_data()
    {
        // "now" empty: the folder in use stays.
        const DataTable<QString, QString> row({"folder", "now"});
        row("same folder", "@/data/", "");
        row("same, spelled otherwise", "@/./data//", "");
        row("same, through a link", "@/link", "");
        row("no data files", "@/new/deeper", "@/new/deeper/");
        row("folder gone", "@/new/deeper", "@/new/deeper/");
    }
    void movesNothing()
    {
        prepareFolder();
        auto [folder, now] = fetchColumns<QString, QString>({"folder", "now"});
        QVERIFY(QFile::link(path("@/data"), path("@/link")));
        if (!now.isEmpty()) {
            for (const QString& name : m_dataNames)
                QVERIFY(QFile::remove(f->folder() + name));
            if (QTest::currentDataTag() == QByteArray("folder gone"))
                QVERIFY(QDir(f->folder()).removeRecursively());
            m_before = snapshot(f->folder());
        }
        const Result<DataFolderMove::Outcome> moved = move(path(folder));
        QVERIFY2(moved && moved->moved == 0, qPrintable(moved.error()));
        QCOMPARE(snapshot(path("@/data/")), m_before);
        QCOMPARE(f->folder(), now.isEmpty() ? path("@/data/") : path(now));
        QCOMPARE(storedPath(), path(now));
    }
};

TRELLIN_TEST_MAIN(TestBoxStore)
#include "tst_boxstore.moc"

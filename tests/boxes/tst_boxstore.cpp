#include "ActionsFixture.h"
#include "boxes/BoxStore.h"
#include "boxes/PositionActions.h"
#include "boxes/Startup.h"
#include "core/DataFiles.h"
#include "core/RecordFile.h"

#include <QSignalSpy>

using enum SaveOutcome;

// A box's texts: saving and loading them, the mouse operations on them when the clipboard or the
// box file lets them down, and the start-up steps that read the data folder and the settings.
class TestBoxStore : public QObject
{
    Q_OBJECT

private:
    using Fixture = ActionsFixture<BoxStore, PositionActions>;
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

private slots:
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup()
    {
        QVERIFY2(f->prompter.scriptUsedUp(), "a scripted answer was not used");
        f.reset();
    }

    void savesOnceAndSkipsTheSameText()
    {
        QCOMPARE(save(QStringLiteral("same"), 5, false, 2), Saved);
        QCOMPARE(TestFiles::read(f->store.boxFile(2)), QByteArray("05!\xAC:same\r\n"));
        QVERIFY(f->store.lastSaveDone());

        const QDateTime written = QFileInfo(f->store.boxFile(2)).lastModified();
        f->store.setLastSaveDone(false);
        QCOMPARE(save(QStringLiteral("same"), 5, false, 2), AlreadySaved);
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
        save(QStringLiteral("old"), 7);
        f->prompter.answerOverwrite(false, true);
        QCOMPARE(save(QStringLiteral("new"), 7), Declined);
        QCOMPARE(readText(f->store.readPosition(7, 1)) + u'|' + warnSetting(), QStringLiteral("old|0"));
        QCOMPARE(save(QStringLiteral("new"), 7), Saved); // not asked
        QCOMPARE(save(QStringLiteral("more"), 8), Saved); // the undo texts shift, an empty one too
        QCOMPARE(f->store.undoText(1) + u'|' + f->store.undoText(2), QStringLiteral("|old"));
        f->context.setWarnOverwrite(true);
        QSignalSpy cleared(&f->store, &BoxStore::positionCleared);
        f->prompter.answerOverwrite(true);
        // What another program stores while the question is open is kept.
        f->prompter.whileAsking
            = [this] { (void)RecordFile::writeRecord(f->store.boxFile(1), 9, QStringLiteral("other")); };
        QCOMPARE(save(QString(), 7), Cleared);
        QCOMPARE(cleared.count(), 1);
        QCOMPARE(warnSetting(), QStringLiteral("0"));
        QCOMPARE(TestFiles::read(f->store.boxFile(1)), QByteArray("08!\xAC:more\r\n09!\xAC:other\r\n"));
    }

    // Neither a refused long text nor a failed rewrite changes the stored text or the undo. The
    // question shows a few lines of what would be dropped, never the whole of it.
    void refusedOrFailedSaveChangesNothing()
    {
        save(QStringLiteral("short"), 3);
        f->store.setLastSaveDone(false);
        f->prompter.answerYesNo(false);
        // Counted as stored: each LF becomes CR LF.
        const QString tooLong = QString(9999, u'k') + QStringLiteral("line\n").repeated(20000);
        QCOMPARE(save(tooLong, 3, true), Declined);
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 1, position 3 not updated"));
        const QString question = f->prompter.asked.last();
        QVERIFY2(question.size() < 600 && question.count(u'\n') < 15, qPrintable(question));
        QVERIFY2(
            question.contains(QStringLiteral("120,000 characters will not be saved")), qPrintable(question));
        f->prompter.answerYesNo(true);
        QCOMPARE(save(tooLong, 4, true), Saved);
        QCOMPARE(readText(f->store.readPosition(4, 1)), QString(9999, u'k'));
        f->store.setLastSaveDone(false);

        // A folder in place of the temporary file makes the rewrite fail.
        QVERIFY(QDir().mkpath(f->store.boxFile(1) + QStringLiteral("_/x")));
        f->context.setWarnOverwrite(false);
        QCOMPARE(save(QStringLiteral("lost?"), 3), std::nullopt);
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Box 1, position 3 not saved: ")));
        QVERIFY(!f->store.lastSaveDone());
        QCOMPARE(f->store.undoText(1), QString());
        QCOMPARE(readText(f->store.readPosition(3, 1)), QStringLiteral("short"));
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
        QVERIFY2(f->lastMessage().contains(QStringLiteral("holds 6 lines that no position shows")),
            qPrintable(f->lastMessage()));

        (void)f->store.loadBox(5);
        QVERIFY(!f->store.isOccupied(3));

        // A file with bytes but no record says so, and is left as it is.
        QVERIFY(TestFiles::write(f->store.boxFile(6), "not a box file\r\n"));
        (void)f->store.loadBox(6);
        QVERIFY2(f->lastMessage().contains(QStringLiteral("holds 1 line that no position shows")),
            qPrintable(f->lastMessage()));
        QCOMPARE(TestFiles::read(f->store.boxFile(6)), QByteArray("not a box file\r\n"));

        const QByteArray huge = "01!\xAC:x\r\n"
            + QByteArray("02!\xAC:0123456789012345678901234567890123456789\r\n").repeated(150'000);
        QVERIFY(TestFiles::write(f->store.boxFile(5), huge));
        (void)f->store.loadBox(5);
        QCOMPARE(f->store.cached(1) + f->store.cached(2),
            QStringLiteral("x0123456789012345678901234567890123456789"));
    }

    // The clipboard gets LF while the file keeps CR LF (every line end stored as CR LF); the refill text,
    // once on, follows every copy. A copy that fails logs nothing, and a cut whose copy fails keeps the text.
    void copyAndCut()
    {
        (void)f->store.savePosition(QStringLiteral("te\r\nxt\nend"), 3, 1, true);
        f->context.setRefillText(QStringLiteral("refill"));
        QVERIFY(f->actions.copy(1, 3));
        QCOMPARE(
            f->clipboard.content + u'|' + f->context.refillText(), QStringLiteral("te\nxt\nend|te\nxt\nend"));
        QCOMPARE(readText(f->store.readPosition(3, 1)), QStringLiteral("te\r\nxt\r\nend"));

        const QString latest = f->log.latest();
        f->clipboard.failing = true;
        QVERIFY(!f->actions.copy(1, 3));
        QCOMPARE(f->log.latest(), latest);
        f->actions.cut(1, 3);
        QCOMPARE(readText(f->store.readPosition(3, 1)), QStringLiteral("te\r\nxt\r\nend"));
    }

    // The box file cannot be written until the failure is logged: a move that then cleared the
    // source would lose its only copy. The user is told why, in a message box.
    void moveKeepsTheSourceWhenTheTargetCannotBeWritten()
    {
        (void)f->store.savePosition(QStringLiteral("only copy"), 3, 1, true);
        f->context.setWarnOverwrite(false);
        const QString blocker = f->store.boxFile(1) + u'_';
        QVERIFY(QDir().mkpath(blocker + QStringLiteral("/blocked")));
        QObject::connect(&f->log, &StatusLog::logged, [&blocker] { QDir(blocker).removeRecursively(); });
        f->prompter.acknowledge();
        f->actions.move(1, 3, 8);
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Box 1, position 8 not saved: ")));
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
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Box 1 not loaded: ")));
        QVERIFY(!f->store.readPosition(1, 1));
        const Result<SaveOutcome> saved = f->store.savePosition(QStringLiteral("x"), 1, 1, true);
        QVERIFY2(!saved && saved.error().contains(file), qPrintable(saved.error()));
        f->clipboard.content = QStringLiteral("pasted");
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
        QVERIFY(TestFiles::write(f->dir.filePath(QStringLiteral("plainfile")), QByteArray()));
        f->context.setDataFolder(f->dir.filePath(QStringLiteral("plainfile")));
        QVERIFY(folderProblem().contains(QStringLiteral("plainfile")));

        // A names file that cannot be created (a folder in its way).
        f->context.setDataFolder(f->dir.filePath(QStringLiteral("data")));
        QVERIFY(QDir().mkpath(DataFiles::namesFile(f->folder()) + QStringLiteral("_/x")));
        QVERIFY(folderProblem().contains(QStringLiteral("names file")));
    }

    // NumLock is any form of the number 1, the box a whole number from 1 to 99; WarnOverwrite is
    // on only when missing or "1" (each "off" row follows an "on" one, so every row changes it).
    void storedSettings()
    {
        Startup startup(f->context);
        setIni("[MX]\r\nNumLock=1.0\r\nMX1=refill me\r\n[Defaults]\r\nDataPath=/some/where\r\n");
        QVERIFY(startup.readShellSettings());
        QCOMPARE(f->context.refillText(), QStringLiteral("refill me"));
        QCOMPARE(f->context.dataFolder(), QStringLiteral("/some/where/"));
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
};

TRELLIN_TEST_MAIN(TestBoxStore)
#include "tst_boxstore.moc"

#include "TestEnvironment.h"
#include "TestFiles.h"
#include "core/FolderLock.h"
#include "core/SafeRename.h"
#include "core/TextFile.h"

#include <QProcess>

#include <csignal>
#include <sys/resource.h>

class TestFileSafety : public QObject
{
    Q_OBJECT
private slots:
    void renameNeverReplaces()
    {
        QTemporaryDir dir;
        const auto path = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
        QVERIFY(TestFiles::write(path("a"), "A") && TestFiles::write(path("b"), "B"));
        QString error;
        QCOMPARE(SafeRename::rename(path("a"), path("b"), &error), SafeRename::Result::TargetExists);
        QVERIFY(error.contains(path("b")));
        QCOMPARE(TestFiles::read(path("a")) + TestFiles::read(path("b")), QByteArray("AB"));
        QCOMPARE(SafeRename::rename(path("none"), path("b")), SafeRename::Result::SourceMissing);
        QCOMPARE(SafeRename::rename(path("a"), path("c")), SafeRename::Result::Renamed);
        QCOMPARE(TestFiles::read(path("c")), QByteArray("A"));
        QCOMPARE(SafeRename::rename(path("b"), path("no/such/folder/b")), SafeRename::Result::Failed);
    }

    // A temporary file left by an interrupted rewrite, longer than the new content, leaves no trace.
    void leftoverTemporaryNeverLeaksIntoTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f"));
        QVERIFY(TestFiles::write(TextFile::temporaryPath(path), "left over from a crash"));
        QVERIFY(TextFile::writeAtomically(path, "new").ok());
        QCOMPARE(TestFiles::read(path), QByteArray("new"));
        QVERIFY(!QFileInfo::exists(TextFile::temporaryPath(path)));
    }

    // A write cut short (here by a file size limit) is reported and replaces nothing.
    void writeCutShortReplacesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f"));
        QVERIFY(TestFiles::write(path, "original"));
        rlimit saved {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit small = saved;
        small.rlim_cur = 4;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN); // else the signal ends the process
        const Result<> result = TextFile::writeAtomically(path, QByteArray(100, 'x'));
        const bool written = result.ok();
        const QString error = result.error();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        QVERIFY(!written);
        QVERIFY2(error.contains(TextFile::temporaryPath(path)), qPrintable(error));
        QCOMPARE(TestFiles::read(path), QByteArray("original"));
        QVERIFY(!QFileInfo::exists(TextFile::temporaryPath(path)));
    }

    // Locks nest within one process; a missing folder cannot be locked, and says which.
    void locksNestWithinOneProcess()
    {
        QTemporaryDir dir;
        FolderLock outer(dir.path());
        QVERIFY(outer.isLocked());
        QVERIFY(FolderLock(dir.path(), 100).isLocked());
        FolderLock missing(QStringLiteral("/nonexistent/folder"), 100);
        QVERIFY(!missing.isLocked() && missing.errorString().contains(QStringLiteral("/nonexistent/folder")));
    }

    void lockHeldElsewhereTimesOutWithMessage()
    {
        QTemporaryDir dir;
        const QString lockFile = dir.filePath(FolderLock::lockFileName());
        QProcess holder;
        // One process from start to end (exec), so killing it releases the lock.
        holder.start(QStringLiteral("sh"),
            {QStringLiteral("-c"),
                QStringLiteral("exec 9>'%1'; flock 9; echo held; exec sleep 60").arg(lockFile)});
        QVERIFY(holder.waitForReadyRead(kSlowMachineMs));
        {
            FolderLock lock(dir.path(), 200);
            QVERIFY(!lock.isLocked());
            QVERIFY2(lock.errorString().contains(lockFile), qPrintable(lock.errorString()));
        }
        holder.kill();
        holder.waitForFinished();
        QVERIFY(FolderLock(dir.path(), kSlowMachineMs).isLocked());
    }
};

TRELLIN_TEST_MAIN(TestFileSafety)
#include "tst_filesafety.moc"

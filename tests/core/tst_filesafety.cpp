#include "TestEnvironment.h"
#include "TestFiles.h"
#include "core/FolderLock.h"
#include "core/SafeRename.h"

#include <QProcess>

class TestFileSafety : public QObject
{
    Q_OBJECT
private slots:
    void renameNeverReplaces()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a")), b = dir.filePath(QStringLiteral("b"));
        QVERIFY(TestFiles::write(a, "A") && TestFiles::write(b, "B"));
        QString error;
        QCOMPARE(SafeRename::rename(a, b, &error), SafeRename::Result::TargetExists);
        QVERIFY(error.contains(b));
        QCOMPARE(TestFiles::read(a), QByteArray("A"));
        QCOMPARE(TestFiles::read(b), QByteArray("B"));
        QCOMPARE(
            SafeRename::rename(dir.filePath(QStringLiteral("none")), b), SafeRename::Result::SourceMissing);
        QCOMPARE(SafeRename::rename(a, dir.filePath(QStringLiteral("c"))), SafeRename::Result::Renamed);
        QCOMPARE(TestFiles::read(dir.filePath(QStringLiteral("c"))), QByteArray("A"));
        QCOMPARE(SafeRename::rename(b, dir.filePath(QStringLiteral("no/such/folder/b"))),
            SafeRename::Result::Failed);
    }

    void locksNestWithinOneProcess()
    {
        QTemporaryDir dir;
        FolderLock outer(dir.path());
        QVERIFY(outer.isLocked());
        {
            FolderLock inner(dir.path(), 100);
            QVERIFY(inner.isLocked());
        }
        FolderLock again(dir.path(), 100);
        QVERIFY(again.isLocked());

        FolderLock missing(QStringLiteral("/nonexistent/folder"), 100);
        QVERIFY(!missing.isLocked());
        QVERIFY(missing.errorString().contains(QStringLiteral("/nonexistent/folder")));
    }

    void lockHeldElsewhereTimesOutWithMessage()
    {
        QTemporaryDir dir;
        const QString lockFile = dir.filePath(FolderLock::lockFileName());
        QProcess holder;
        // One process from start to end (exec), so killing it releases the lock.
        holder.start(QStringLiteral("sh"),
            {QStringLiteral("-c"),
                QStringLiteral("exec 9>'%1'; flock 9; echo held; exec sleep 5").arg(lockFile)});
        QVERIFY(holder.waitForReadyRead(5000));
        {
            FolderLock lock(dir.path(), 200);
            QVERIFY(!lock.isLocked());
            QVERIFY2(lock.errorString().contains(lockFile), qPrintable(lock.errorString()));
        }
        holder.kill();
        holder.waitForFinished();
        FolderLock lock(dir.path(), 2000);
        QVERIFY(lock.isLocked());
    }
};

TRELLIN_TEST_MAIN(TestFileSafety)
#include "tst_filesafety.moc"

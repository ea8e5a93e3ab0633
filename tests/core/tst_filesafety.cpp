#include "TestEnvironment.h"
#include "TestFiles.h"
#include "core/FolderLock.h"
#include "core/IniFile.h"
#include "core/RecordFile.h"
#include "core/SafeRename.h"
#include "core/TextFile.h"

#include <QProcess>

#include <dlfcn.h>

namespace {
QStringList g_synced;
}

// Every fsync of this process passes here, so a test sees which files were made durable: the
// name an open file has at the moment of its sync.
extern "C" int fsync(int fd)
{
    const QString link = u"/proc/self/fd/%1"_s.arg(fd);
    g_synced.append(QFileInfo(link).symLinkTarget());
    using Sync = int (*)(int);
    static const auto realSync = reinterpret_cast<Sync>(::dlsym(RTLD_NEXT, "fsync"));
    return realSync(fd);
}

class TestFileSafety : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void renameNeverReplaces()
    {
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
        const QString file = path("leftover");
        QVERIFY(TestFiles::write(TextFile::temporaryPath(file), "left over from a crash"));
        QVERIFY(TextFile::writeAtomically(file, "new").ok());
        QCOMPARE(TestFiles::read(file), QByteArray("new"));
        QVERIFY(!QFileInfo::exists(TextFile::temporaryPath(file)));
    }

    // A socket cannot be read but could be renamed over, so only the read check keeps it.
    void unreadableFileIsNeverRewritten_data()
    {
        QTest::addColumn<bool>("records");
        QTest::newRow("record file") << true;
        QTest::newRow("settings file") << false;
    }
    void unreadableFileIsNeverRewritten()
    {
        QFETCH(bool, records);
        const QString file = path(QTest::currentDataTag());
        QVERIFY2(TestFiles::makeSocket(file), qPrintable(file));
        const Result<> written = records ? RecordFile::writeRecord(file, 1, u"x"_s)
                                         : IniFile::write(file, "Settings", "BoxNo", u"1"_s);
        QVERIFY2(!written && written.error().contains(file), qPrintable(written.error()));
        QVERIFY(QFileInfo::exists(file) && !QFileInfo(file).isFile()); // the socket, not replaced
    }

    // Both rewrites sync the temporary to disk while it still has its temporary name, that is
    // before it replaces the file, and then the folder that holds the rename.
    void syncsTheTemporaryBeforeTheRename()
    {
        g_synced.clear();
        QVERIFY(TextFile::writeAtomically(path("data"), "new").ok());
        QCOMPARE(g_synced, (QStringList {TextFile::temporaryPath(path("data")), m_dir.path()}));
        g_synced.clear();
        QVERIFY(TextFile::replaceUserFile(path("notes.txt"), "new").ok());
        QCOMPARE(g_synced.size(), 2);
        QVERIFY2(g_synced[0].startsWith(path(".notes.txt.")) && g_synced[0].endsWith(".tmp"),
            qPrintable(g_synced[0]));
        QCOMPARE(g_synced[1], m_dir.path());
    }

    // Locks nest within one process; a missing folder cannot be locked, and says which.
    void locksNestWithinOneProcess()
    {
        FolderLock outer(m_dir.path());
        QVERIFY(outer.isLocked());
        QVERIFY(FolderLock(m_dir.path(), 100).isLocked());
        FolderLock missing(u"/nonexistent/folder"_s, 100);
        QVERIFY(!missing.isLocked() && missing.errorString().contains(u"/nonexistent/folder"_s));
    }

    void lockHeldElsewhereTimesOutWithMessage()
    {
        const QString lockFile = m_dir.filePath(FolderLock::lockFileName());
        QProcess holder;
        // One process from start to end (exec), so killing it releases the lock.
        holder.start(u"sh"_s, {u"-c"_s, u"exec 9>'%1'; flock 9; echo held; exec sleep 60"_s.arg(lockFile)});
        QVERIFY(holder.waitForReadyRead(kSlowMachineMs));
        {
            FolderLock lock(m_dir.path(), 200);
            QVERIFY(!lock.isLocked());
            QVERIFY2(lock.errorString().contains(lockFile), qPrintable(lock.errorString()));
        }
        holder.kill();
        holder.waitForFinished();
        QVERIFY(FolderLock(m_dir.path(), kSlowMachineMs).isLocked());
    }
};

TRELLIN_TEST_MAIN(TestFileSafety)
#include "tst_filesafety.moc"

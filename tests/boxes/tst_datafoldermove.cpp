#include "DomainFixture.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "boxes/DataFolderMove.h"

#include <QMap>

#include <sys/file.h>

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
        return ++n == failCopy ? Result<>::failure(QStringLiteral("injected")) : real(a, b);
    };
    return s;
}

} // namespace

class TestDataFolderMove : public QObject
{
    Q_OBJECT

    std::unique_ptr<DomainFixture> f;
    QMap<QString, QByteArray> m_before;
    const QStringList m_dataNames {QStringLiteral("MoxenoTrellin12.txt"),
        QStringLiteral("MoxenoTrellin3.txt"), QStringLiteral("MoxenoTrellinMacros3.txt"),
        QStringLiteral("MoxenoTrellinNames.txt")};

    QString target() const { return f->dir.filePath(QStringLiteral("new/deeper")); }
    QString storedPath() const { return f->settings.text(Settings::Key::DataPath); }
    Result<DataFolderMove::Outcome> move(const QString& to, const Steps& s = steps())
    {
        return DataFolderMove(f->context, s).moveTo(to);
    }
    // Nothing moved or stored, and the old folder, complete, still in use.
    void checkUntouched(const QString& error)
    {
        QCOMPARE(snapshot(f->folder()), m_before);
        QCOMPARE(f->folder(), f->dir.filePath(QStringLiteral("data/")));
        QCOMPARE(storedPath(), QString());
        QVERIFY2(error.contains(f->folder() + QStringLiteral(", which is still in use")), qPrintable(error));
    }

private slots:
    void init()
    {
        f = std::make_unique<DomainFixture>();
        for (const QString& name : m_dataNames)
            QVERIFY(TestFiles::write(f->folder() + name, name.toUtf8()));
        // Not data files: they stay where they are.
        for (const char* other :
            {"MoxenoTrellin3.bak", "notes.txt", "moxenotrellin5.txt", "MoxenoTrellin1.txt_"})
            QVERIFY(TestFiles::write(f->folder() + QLatin1String(other), other));
        QVERIFY(QDir().mkpath(f->folder() + QStringLiteral("MoxenoTrellinFolder.txt")));
        m_before = snapshot(f->folder());
    }

    void movesEveryDataFile_data()
    {
        QTest::addColumn<Steps>("how");
        QTest::addColumn<QStringList>("leftBehind");
        QTest::newRow("by rename") << steps() << QStringList();
        QTest::newRow("by copy") << steps(-1) << QStringList();
        Steps stubborn = steps(-1);
        stubborn.remove = [](const QString& path) { return !path.contains(QStringLiteral("/data/")); };
        QTest::newRow("copy, sources stuck") << stubborn << m_dataNames;
    }
    void movesEveryDataFile()
    {
        QFETCH(Steps, how);
        QFETCH(QStringList, leftBehind);
        // The settings file in the data folder stays there and receives the new folder.
        QVERIFY(
            TestFiles::write(f->folder() + QStringLiteral("MoxenoTrellin.ini"), "[Settings]\r\nBoxNo=4\r\n"));
        const Result<DataFolderMove::Outcome> moved = move(target(), how);
        QVERIFY2(moved, qPrintable(moved.error()));
        const QString now = target() + u'/';
        QCOMPARE(moved->moved, 4);
        QCOMPARE(moved->leftBehind, leftBehind);
        QCOMPARE(f->folder(), now);
        QCOMPARE(storedPath(), now);
        QCOMPARE(f->settings.boxNumber(Settings::Key::BoxNo), 4);
        QCOMPARE(snapshot(now).keys(), m_dataNames);
        for (const QString& name : m_dataNames)
            QCOMPARE(TestFiles::read(now + name), m_before.value(name));
        const QMap<QString, QByteArray> left = snapshot(f->dir.filePath(QStringLiteral("data")));
        for (const QString& name : m_before.keys())
            QCOMPARE(left.contains(name), !m_dataNames.contains(name) || leftBehind.contains(name));
    }

    void refusesBeforeMovingAnything_data()
    {
        QTest::addColumn<QString>("folder"); // "@" is the fixture's temporary folder
        QTest::addColumn<QString>("reason");
        QTest::newRow("same names") << "@/busy"
                                    << "overwritten:\nMoxenoTrellin3.txt\nMoxenoTrellinNames.txt\n";
        QTest::newRow("a file") << "@/plain"
                                << "is not a folder";
        QTest::newRow("below a file") << "@/plain/sub"
                                      << "could not be created";
        QTest::newRow("relative") << "somewhere/else"
                                  << "must be a full path";
        // Nobody can create a file there, not even the superuser.
        QTest::newRow("read-only") << "/proc/self/"
                                   << "could not open the lock file /proc/self/";
        QTest::newRow("locked by another program") << "@/locked"
                                                   << "is busy";
    }
    void refusesBeforeMovingAnything()
    {
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        folder.replace(u'@', f->dir.path());
        QVERIFY(TestFiles::write(f->dir.filePath(QStringLiteral("busy/MoxenoTrellin3.txt")), "theirs"));
        QVERIFY(TestFiles::write(f->dir.filePath(QStringLiteral("busy/MoxenoTrellinNames.txt")), "theirs"));
        QVERIFY(TestFiles::write(f->dir.filePath(QStringLiteral("plain")), "a file"));
        QVERIFY(TestFiles::write(f->dir.filePath(QStringLiteral("locked/.MoxenoTrellin.lock")), ""));
        QFile lockFile(f->dir.filePath(QStringLiteral("locked/.MoxenoTrellin.lock")));
        QVERIFY(lockFile.open(QIODevice::WriteOnly));
        QCOMPARE(::flock(lockFile.handle(), LOCK_EX | LOCK_NB), 0); // another open file: another holder

        const Result<DataFolderMove::Outcome> moved = move(folder);
        QVERIFY2(moved.error().contains(reason), qPrintable(moved.error()));
        checkUntouched(moved.error());
        QCOMPARE(TestFiles::read(f->dir.filePath(QStringLiteral("busy/MoxenoTrellin3.txt"))),
            QByteArray("theirs"));
    }

    void failurePartWayPutsEverythingBack_data()
    {
        QTest::addColumn<Steps>("how");
        QTest::addColumn<bool>("storable");
        QTest::newRow("third rename and its copy fail") << steps(3, 1) << true;
        QTest::newRow("third copy fails") << steps(-1, 3) << true;
        Steps appears = steps();
        appears.rename = [real = appears.rename](const QString& a, const QString& b, QString* e) {
            return b.endsWith(QStringLiteral("Names.txt")) ? R::TargetExists : real(a, b, e);
        };
        QTest::newRow("target appears meanwhile") << appears << true;
        QTest::newRow("setting cannot be stored") << steps() << false;
        QTest::newRow("setting cannot be stored, copies") << steps(-1) << false;
    }
    void failurePartWayPutsEverythingBack()
    {
        QFETCH(Steps, how);
        QFETCH(bool, storable);
        if (!storable) {
            QVERIFY(QDir().mkpath(f->dir.filePath(QStringLiteral("config"))));
            QVERIFY(TestFiles::makeSocket(f->settingsStore.iniPath()));
        }
        const Result<DataFolderMove::Outcome> moved = move(target(), how);
        QVERIFY2(moved.error().contains(QStringLiteral("Every file is back in")), qPrintable(moved.error()));
        checkUntouched(moved.error());
        QVERIFY(DataFolderMove::dataFileNames(target()).isEmpty());
    }

    // When a moved file cannot go back either, the message names it and where it is.
    void fileThatCannotGoBackIsNamed()
    {
        Steps s = steps(3, 1);
        s.rename = [real = s.rename](const QString& a, const QString& b, QString* e) {
            return a.endsWith(QStringLiteral("deeper/MoxenoTrellin3.txt")) ? R::Failed : real(a, b, e);
        };
        s.copy = [](const QString&, const QString&) { return Result<>::failure(QStringLiteral("denied")); };
        const Result<DataFolderMove::Outcome> moved = move(target(), s);
        QVERIFY2(moved.error().contains(
                     QStringLiteral("could not be put back and are still in %1/:\nMoxenoTrellin3.txt\n")
                         .arg(target())),
            qPrintable(moved.error()));
        QCOMPARE(TestFiles::read(target() + QStringLiteral("/MoxenoTrellin3.txt")),
            QByteArray("MoxenoTrellin3.txt"));
        QCOMPARE(storedPath(), QString());
    }

    void sameFolderMovesNothing()
    {
        const QString link = f->dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(f->dir.filePath(QStringLiteral("data")), link));
        for (const QString& same : {f->folder(), f->dir.filePath(QStringLiteral("./data//")), link}) {
            const Result<DataFolderMove::Outcome> moved = move(same);
            QVERIFY2(moved && moved->moved == 0, qPrintable(moved.error()));
            QCOMPARE(snapshot(f->folder()), m_before);
            QCOMPARE(storedPath(), QString());
        }
    }

    // Without data files (or without the folder, an unplugged drive) the folder just changes.
    void noDataFilesJustSwitches()
    {
        for (const bool folderGone : {false, true}) {
            for (const QString& name : m_dataNames)
                QFile::remove(f->folder() + name);
            if (folderGone)
                QVERIFY(QDir(f->folder()).removeRecursively());
            const QString to = target() + QString::number(folderGone);
            const Result<DataFolderMove::Outcome> moved = move(to);
            QVERIFY2(moved && moved->moved == 0, qPrintable(moved.error()));
            QCOMPARE(f->folder(), to + u'/');
            QCOMPARE(storedPath(), to + u'/');
        }
    }
};

TRELLIN_TEST_MAIN(TestDataFolderMove)
#include "tst_datafoldermove.moc"

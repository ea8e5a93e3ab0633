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
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (name != QStringLiteral(".MoxenoTrellin.lock"))
            files.insert(name, TestFiles::read(QDir(folder).filePath(name)));
    }
    return files;
}

// The real steps with one of them failing at its n-th call (counting from 1), or from it on.
Steps failing(const char* which, int at, bool onwards = false)
{
    Steps steps = DataFolderMove::realSteps();
    auto calls = std::make_shared<int>(0);
    if (qstrcmp(which, "rename") == 0)
        steps.rename
            = [real = steps.rename, calls, at, onwards](const QString& a, const QString& b, QString* e) {
                  ++*calls;
                  return *calls == at || (onwards && *calls > at) ? R::Failed : real(a, b, e);
              };
    else if (qstrcmp(which, "copy") == 0)
        steps.copy = [real = steps.copy, calls, at](const QString& a, const QString& b) {
            return ++*calls == at ? Result<>::failure(QStringLiteral("injected copy failure")) : real(a, b);
        };
    return steps;
}

// Renames always fail, as between two file systems: every file moves by copy.
Steps copyOnly()
{
    return failing("rename", 1, true);
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
        int n = 0;
        for (const QString& name : m_dataNames)
            QVERIFY(TestFiles::write(f->folder() + name, "text " + QByteArray::number(++n) + "\r\n"));
        // Not data files: they stay where they are.
        for (const char* other :
            {"MoxenoTrellin3.bak", "notes.txt", "moxenotrellin5.txt", "MoxenoTrellin1.txt_"})
            QVERIFY(TestFiles::write(f->folder() + QLatin1String(other), other));
        QVERIFY(QDir().mkpath(f->folder() + QStringLiteral("MoxenoTrellinFolder.txt")));
        m_before = snapshot(f->folder());
    }

    void movesEveryDataFile_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("leftBehind");
        QTest::newRow("by rename") << DataFolderMove::realSteps() << QStringList();
        QTest::newRow("by copy") << copyOnly() << QStringList();
        Steps stubborn = copyOnly();
        stubborn.remove = [](const QString& path) { return !path.contains(QStringLiteral("/data/")); };
        QTest::newRow("copy, originals stuck") << stubborn << m_dataNames;
    }
    void movesEveryDataFile()
    {
        QFETCH(Steps, steps);
        QFETCH(QStringList, leftBehind);
        // The settings file in the data folder stays there and receives the new folder.
        QVERIFY(
            TestFiles::write(f->folder() + QStringLiteral("MoxenoTrellin.ini"), "[Settings]\r\nBoxNo=4\r\n"));
        const QString ini = f->settingsStore.iniPath();

        const Result<DataFolderMove::Outcome> moved = DataFolderMove(f->context, steps).moveTo(target());
        QVERIFY2(moved, qPrintable(moved.error()));
        const QString now = target() + u'/';
        QCOMPARE(moved->folder, now);
        QCOMPARE(moved->moved, 4);
        QCOMPARE(moved->leftBehind, leftBehind);
        QCOMPARE(f->folder(), now);
        QCOMPARE(f->settingsStore.iniPath(), ini);
        QCOMPARE(storedPath(), now);
        QCOMPARE(f->settings.boxNumber(Settings::Key::BoxNo), 4);

        QMap<QString, QByteArray> expected;
        for (const QString& name : m_dataNames)
            expected.insert(name, m_before.value(name));
        QCOMPARE(snapshot(now), expected);
        const QMap<QString, QByteArray> left = snapshot(f->dir.filePath(QStringLiteral("data")));
        for (const QString& name : m_before.keys())
            QCOMPARE(left.contains(name), !m_dataNames.contains(name) || leftBehind.contains(name));
    }

    void refusesBeforeMovingAnything_data()
    {
        QTest::addColumn<QString>("folder"); // "@" is the fixture's temporary folder
        QTest::addColumn<QString>("reason");
        QTest::newRow("files of the same name") << "@/busy"
                                                << "MoxenoTrellin3.txt\nMoxenoTrellinNames.txt";
        QTest::newRow("a file") << "@/plain"
                                << "is not a folder";
        QTest::newRow("below a file") << "@/plain/sub"
                                      << "could not be created";
        QTest::newRow("relative") << "somewhere/else"
                                  << "must be a full path";
        QTest::newRow("empty") << ""
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
        QVERIFY(
            TestFiles::write(f->dir.filePath(QStringLiteral("busy/MoxenoTrellin3.txt")), "someone else's"));
        QVERIFY(TestFiles::write(f->dir.filePath(QStringLiteral("busy/MoxenoTrellinNames.txt")), "theirs"));
        QVERIFY(TestFiles::write(f->dir.filePath(QStringLiteral("plain")), "a file"));
        // Only our own folders are read: files below /proc can block a read.
        const bool ours = folder.startsWith(f->dir.path());
        QVERIFY(QDir().mkpath(f->dir.filePath(QStringLiteral("locked"))));
        QFile lockFile(f->dir.filePath(QStringLiteral("locked/.MoxenoTrellin.lock")));
        QVERIFY(lockFile.open(QIODevice::WriteOnly));
        if (QTest::currentDataTag() == QLatin1String("locked by another program"))
            QCOMPARE(::flock(lockFile.handle(), LOCK_EX | LOCK_NB), 0); // another open file: another holder
        const QMap<QString, QByteArray> there = ours ? snapshot(folder) : QMap<QString, QByteArray>();
        const Result<DataFolderMove::Outcome> moved = DataFolderMove(f->context).moveTo(folder);
        QVERIFY(!moved);
        QVERIFY2(moved.error().contains(reason), qPrintable(moved.error()));
        checkUntouched(moved.error());
        if (ours)
            QCOMPARE(snapshot(folder), there);
    }

    void failurePartWayPutsEverythingBack_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<bool>("storable");
        QTest::newRow("third rename and its copy fail") << [] {
            Steps s = failing("rename", 3);
            s.copy
                = [](const QString&, const QString&) { return Result<>::failure(QStringLiteral("denied")); };
            return s;
        }() << true;
        QTest::newRow("third copy fails") << [] {
            Steps s = failing("copy", 3);
            s.rename = [](const QString&, const QString&, QString*) { return R::Failed; };
            return s;
        }() << true;
        QTest::newRow("target appears meanwhile") << [] {
            Steps s = DataFolderMove::realSteps();
            s.rename = [real = s.rename](const QString& a, const QString& b, QString* e) {
                return b.endsWith(QStringLiteral("Names.txt")) ? R::TargetExists : real(a, b, e);
            };
            return s;
        }() << true;
        QTest::newRow("setting cannot be stored") << DataFolderMove::realSteps() << false;
        QTest::newRow("setting cannot be stored, copies") << copyOnly() << false;
    }
    void failurePartWayPutsEverythingBack()
    {
        QFETCH(Steps, steps);
        QFETCH(bool, storable);
        if (!storable) {
            QVERIFY(QDir().mkpath(f->dir.filePath(QStringLiteral("config"))));
            QVERIFY(TestFiles::makeSocket(f->settingsStore.iniPath()));
        }
        const Result<DataFolderMove::Outcome> moved = DataFolderMove(f->context, steps).moveTo(target());
        QVERIFY(!moved);
        QVERIFY2(moved.error().contains(QStringLiteral("Every file is back in")), qPrintable(moved.error()));
        checkUntouched(moved.error());
        QVERIFY(DataFolderMove::dataFileNames(target()).isEmpty());
        QVERIFY(f->lastMessage().startsWith(QStringLiteral("Data folder not changed")));
    }

    void fileThatCannotGoBackIsNamed()
    {
        // The third file fails; of the two moved ones, the second cannot be put back.
        Steps steps = DataFolderMove::realSteps();
        steps.rename = [real = steps.rename](const QString& a, const QString& b, QString* e) {
            if (b.endsWith(QStringLiteral("MoxenoTrellinMacros3.txt"))
                || a.endsWith(QStringLiteral("deeper/MoxenoTrellin3.txt")))
                return R::Failed;
            return real(a, b, e);
        };
        steps.copy
            = [](const QString&, const QString&) { return Result<>::failure(QStringLiteral("denied")); };
        const Result<DataFolderMove::Outcome> moved = DataFolderMove(f->context, steps).moveTo(target());
        QVERIFY(!moved);
        QVERIFY2(moved.error().contains(QStringLiteral("could not be put back and are still in %1/:\n"
                                                       "MoxenoTrellin3.txt\n")
                                            .arg(target())),
            qPrintable(moved.error()));
        QCOMPARE(DataFolderMove::dataFileNames(target()), QStringList {QStringLiteral("MoxenoTrellin3.txt")});
        QCOMPARE(TestFiles::read(target() + QStringLiteral("/MoxenoTrellin3.txt")),
            m_before.value(QStringLiteral("MoxenoTrellin3.txt")));
        QCOMPARE(f->folder(), f->dir.filePath(QStringLiteral("data/")));
        QCOMPARE(storedPath(), QString());
    }

    void sameFolderMovesNothing()
    {
        const QString link = f->dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(f->dir.filePath(QStringLiteral("data")), link));
        for (const QString& same : {f->folder(), f->dir.filePath(QStringLiteral("data")),
                 f->dir.filePath(QStringLiteral("./data//")), link}) {
            const Result<DataFolderMove::Outcome> moved = DataFolderMove(f->context).moveTo(same);
            QVERIFY2(moved, qPrintable(moved.error()));
            QCOMPARE(moved->moved, 0);
            QCOMPARE(snapshot(f->folder()), m_before);
            QCOMPARE(storedPath(), QString());
        }
    }

    void noDataFilesJustSwitches_data()
    {
        QTest::addColumn<bool>("folderGone");
        QTest::newRow("empty folder") << false;
        QTest::newRow("folder gone") << true;
    }
    void noDataFilesJustSwitches()
    {
        QFETCH(bool, folderGone);
        for (const QString& name : m_dataNames)
            QVERIFY(QFile::remove(f->folder() + name));
        if (folderGone)
            QVERIFY(QDir(f->folder()).removeRecursively());
        const Result<DataFolderMove::Outcome> moved = DataFolderMove(f->context).moveTo(target());
        QVERIFY2(moved, qPrintable(moved.error()));
        QCOMPARE(moved->moved, 0);
        QCOMPARE(f->folder(), target() + u'/');
        QCOMPARE(storedPath(), target() + u'/');
    }

    void copyIsVerifiedAndNeverReplaces()
    {
        const QString source = f->folder() + m_dataNames.first();
        const QString copy = f->dir.filePath(QStringLiteral("copy.txt"));
        QVERIFY(DataFolderMove::copyFile(source, copy));
        QCOMPARE(TestFiles::read(copy), TestFiles::read(source));
        QVERIFY(TestFiles::write(copy, "kept"));
        QVERIFY(!DataFolderMove::copyFile(source, copy));
        QCOMPARE(TestFiles::read(copy), QByteArray("kept"));
        QVERIFY(!DataFolderMove::copyFile(f->folder() + QStringLiteral("missing.txt"), copy + u'2'));
        QVERIFY(!QFileInfo::exists(copy + u'2'));
    }
};

TRELLIN_TEST_MAIN(TestDataFolderMove)
#include "tst_datafoldermove.moc"

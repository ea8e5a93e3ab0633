#include "DataColumns.h"
#include "DomainFixture.h"
#include "boxes/BoxStore.h"
#include "boxes/DataFolderMove.h"
#include "boxes/NamesFile.h"
#include "boxes/Startup.h"

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

class TestDataFolderMove : public QObject
{
    Q_OBJECT

    std::unique_ptr<DomainFixture> f;
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
        QVERIFY(QDir().mkpath(f->folder() + u"MoxenoTrellinFolder.txt"_s));
        m_before = snapshot(f->folder());
        for (const QString& name : m_dataNames)
            m_data.insert(name, m_before.value(name));
    }

    void movesEveryDataFile_data()
    {
        addColumns<Steps, QStringList>({"how", "leftBehind"});
        QTest::newRow("by rename") << steps() << QStringList();
        QTest::newRow("by copy") << steps(-1) << QStringList();
        Steps stubborn = steps(-1);
        stubborn.remove = [](const QString& path) { return !path.contains(u"/data/"_s); };
        QTest::newRow("copy, sources stuck") << stubborn << m_dataNames;
    }
    void movesEveryDataFile()
    {
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
        addColumns<QString, Steps, QString>({"folder", "how", "reason"});
        QTest::newRow("same names") << "@/busy" << steps()
                                    << "overwritten:\nMoxenoTrellin3.txt\nMoxenoTrellinNames.txt\n";
        QTest::newRow("a file") << "@/plain" << steps() << "is not a folder";
        QTest::newRow("below a file") << "@/plain/sub" << steps() << "could not be created";
        QTest::newRow("relative") << "somewhere/else" << steps() << "must be a full path";
        // Nobody can create a file there, not even the superuser.
        QTest::newRow("read-only") << "/proc/self/" << steps() << "could not open the lock file /proc/self/";
        QTest::newRow("locked by another program") << "@/locked" << steps() << "is busy";
        const QString back = u"Every file is back in"_s;
        QTest::newRow("third rename and its copy fail") << "@/new/deeper" << steps(3, 1) << back;
        QTest::newRow("third copy fails") << "@/new/deeper" << steps(-1, 3) << back;
        QTest::newRow("target appears meanwhile")
            << "@/new/deeper"
            << renameFails(
                   steps(), [](const QString&, const QString& b) { return b.endsWith("Names.txt"); },
                   R::TargetExists)
            << back;
        QTest::newRow("setting cannot be stored") << "@/new/deeper" << steps() << back;
        QTest::newRow("setting cannot be stored, copies") << "@/new/deeper" << steps(-1) << back;
    }
    void failsLeavingTheOldFolder()
    {
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

TRELLIN_TEST_MAIN(TestDataFolderMove)
#include "tst_datafoldermove.moc"

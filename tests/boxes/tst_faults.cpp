#include "ActionsFixture.h"
#include "DataColumns.h"
#include "DiskFaults.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/NamesFile.h"
#include "core/DataFiles.h"
#include "core/RecordFile.h"
#include "core/Settings.h"
#include "core/TextFile.h"
#include "macros/MacroStore.h"

#include <QRandomGenerator>

#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// What a user's machine does to the data files: a crash in the middle of a save, two programs
// saving at once, a disk that fills, files damaged or made by something else. Nothing stored
// may be lost or mixed up, and nothing is rewritten that was not saved.
class TestFaults : public QObject
{
    Q_OBJECT

private:
    using Fixture = ActionsFixture<BoxStore, BoxManager>;
    std::unique_ptr<Fixture> f;
    std::unique_ptr<MacroStore> m_macros;

    // Save number i: a different text every time, of up to a few thousand characters, with
    // line breaks, and now and then characters beyond Windows-1252, so the file changes its
    // encoding from save to save. The texts go in with LF and CR LF; the file holds CR LF.
    static QString textFor(int i) { return RecordFile::withFileLineEnds(textIn(i)); }
    static QString textIn(int i)
    {
        static const QStringList pieces {
            "alpha ", "caf\u00E9 \u20AC ", "\r\n", "\n", "x\r\nline ", "\u65E5\u672C ", "\U0001F600", "  "};
        QRandomGenerator random(quint32(i) + 1);
        QString text = QString::number(i) + u':';
        const int parts = random.bounded(1, 30);
        for (int k = 0; k < parts; ++k)
            text += pieces[random.bounded(qsizetype(random.bounded(8) == 0 ? pieces.size() : 5))];
        return text + QString(random.bounded(3) == 0 ? random.bounded(4000) : 0, u'y');
    }
    // Every record of a data file, parsed; an unreadable file holds none.
    static std::array<QString, 100> recordsOf(const QString& file)
    {
        const Result<QString> content = TextFile::read(file);
        return content ? RecordFile::records(*content) : std::array<QString, 100> {};
    }

    // Runs step(next), step(next + 1), ... in a child process and kills it (SIGKILL) at a
    // random moment, `kills` times over. After each kill, check(first, underWay) is told the
    // steps this child finished, first .. underWay - 1, and the one that may have been under way,
    // and says what is wrong, or nothing; the next child starts after it.
    static void killRepeatedly(
        int kills, const std::function<void(int)>& step, const std::function<QString(int, int)>& check)
    {
        QRandomGenerator random(20261207);
        int next = 0;
        for (int kill = 0; kill < kills; ++kill) {
            int report[2];
            QVERIFY(::pipe(report) == 0);
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                ::close(report[0]);
                for (int i = next;; ++i) {
                    step(i);
                    if (::write(report[1], &i, sizeof i) != sizeof i)
                        ::_exit(1);
                }
            }
            ::close(report[1]);
            // A few steps finish, then the kill falls somewhere in one of the next.
            int done = next - 1;
            const int finished = random.bounded(3);
            for (int k = 0; k < finished && ::read(report[0], &done, sizeof done) == sizeof done; ++k) { }
            ::usleep(random.bounded(3000u));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            while (::read(report[0], &done, sizeof done) == sizeof done) { }
            ::close(report[0]);
            const QString problem = check(next, done + 1);
            QVERIFY2(problem.isEmpty(), qPrintable(u"after kill %1: %2"_s.arg(kill).arg(problem)));
            next = done + 2;
        }
    }

    QString boxFile(int box) const { return DataFiles::boxFile(f->folder(), box); }
    QString macroFile(int box) const { return DataFiles::macroFile(f->folder(), box); }

    // Every file of the data folder with its inode, size and time of change: a rewrite, even to
    // the same bytes, changes one of them.
    QMap<QString, QString> snapshot() const
    {
        QMap<QString, QString> files;
        for (const QString& name : QDir(f->folder()).entryList(QDir::Files | QDir::Hidden)) {
            struct stat info
            {
            };
            ::stat(QFile::encodeName(f->folder() + name).constData(), &info);
            files.insert(name,
                u"%1 %2 %3.%4"_s.arg(info.st_ino)
                    .arg(info.st_size)
                    .arg(info.st_mtim.tv_sec)
                    .arg(info.st_mtim.tv_nsec));
        }
        return files;
    }

private slots:
    void init()
    {
        f = std::make_unique<Fixture>();
        f->context.setWarnOverwrite(false);
        m_macros = std::make_unique<MacroStore>(f->context);
    }

    // A save killed at any moment leaves a file that reads, and every position holds its old
    // text or, for the save under way, the new one: never a mix, never nothing.
    void crashDuringASave_data()
    {
        QTest::addColumn<bool>("macro");
        QTest::newRow("box text") << false;
        QTest::newRow("macro") << true;
    }
    void crashDuringASave()
    {
        QFETCH(bool, macro);
        constexpr int kPositions = 7;
        const auto position = [](int i) { return (i + kPositions) % kPositions + 1; };
        const auto stored = [macro](int i) { return macro ? u"M%1>"_s.arg(i) + textFor(i) : textFor(i); };
        const auto save = [&](int i) {
            if (macro)
                static_cast<void>(m_macros->saveMacro(stored(i), position(i), 1));
            else
                static_cast<void>(f->store.savePosition(stored(i), position(i), 1, true));
        };
        std::array<QString, kPositions + 1> expected;
        for (int i = -kPositions; i < 0; ++i) {
            save(i);
            expected[std::size_t(position(i))] = stored(i);
        }
        const QString file = macro ? macroFile(1) : boxFile(1);
        killRepeatedly(200, save, [&](int first, int underWay) {
            for (int i = first; i < underWay; ++i)
                expected[std::size_t(position(i))] = stored(i);
            const std::array<QString, 100> records = recordsOf(file);
            for (int p = 1; p <= kPositions; ++p) {
                QString& old = expected[std::size_t(p)];
                if (p == position(underWay) && records[std::size_t(p)] == stored(underWay))
                    old = stored(underWay);
                if (records[std::size_t(p)] != old)
                    return u"position %1 holds '%2'"_s.arg(p).arg(records[std::size_t(p)].left(40));
            }
            return QString();
        });
    }

    // A box move killed at any moment leaves each pair of files swapped or not, never one of
    // them missing: the texts of box 3 and 4, and their macros.
    void crashDuringABoxMove()
    {
        // First at the worst moment, every time: the process ends before a swap's second rename.
        for (const QByteArray& b : {QByteArray("B"), QByteArray()}) {
            const QString a = f->folder() + "a";
            QVERIFY(TestFiles::write(a, "A") && (b.isEmpty() || TestFiles::write(f->folder() + "b", b)));
            const pid_t child = ::fork();
            if (child == 0) {
                int renames = 0;
                BoxManager::swapFiles(a, f->folder() + "b", f->folder() + "t", nullptr,
                    [&](const QString& from, const QString& to, QString* error) {
                        if (++renames == 2)
                            ::_exit(0);
                        return SafeRename::rename(from, to, error);
                    });
                ::_exit(0);
            }
            QCOMPARE(::waitpid(child, nullptr, 0), child);
            const QByteArray pair = TestFiles::read(a) + '|' + TestFiles::read(f->folder() + "b");
            QVERIFY2(pair == "A|" + b || pair == b + "|A", pair.constData());
            QVERIFY(QFile::remove(a) || QFile::remove(f->folder() + "b"));
            QFile::remove(f->folder() + "b");
        }
        for (const int box : {3, 4}) {
            QVERIFY(RecordFile::writeRecord(boxFile(box), 1, textFor(box)).ok());
            QVERIFY(RecordFile::writeRecord(macroFile(box), 1, u"m>"_s + textFor(box + 10)).ok());
        }
        // The texts of boxes 3 and 4, then their macros, "|" between the two.
        const auto pairs = [this](bool swapped) {
            const auto pair = [swapped](const QString& three, const QString& four) {
                return swapped ? TestFiles::read(four) + '|' + TestFiles::read(three)
                               : TestFiles::read(three) + '|' + TestFiles::read(four);
            };
            return QList<QByteArray> {pair(boxFile(3), boxFile(4)), pair(macroFile(3), macroFile(4))};
        };
        const QList<QByteArray> before = pairs(false), after = pairs(true);
        killRepeatedly(
            200, [&](int) { static_cast<void>(f->actions.moveBox(3, BoxManager::Direction::Right)); },
            [&](int, int) {
                for (const QByteArray& now : pairs(false)) {
                    if (!before.contains(now) && !after.contains(now))
                        return u"boxes 3 and 4 hold %1"_s.arg(QString::fromLatin1(now.left(60)));
                }
                return QString();
            });
    }

    // Two programs save 500 texts each into one box at the same time, each to its own
    // positions: every save is there afterwards, none lost to the other's rewrite.
    void twoWriters()
    {
        constexpr int kSaves = 500;
        // Writer w saves save i into position w * 49 + i % 49 + 1.
        const auto position = [](int writer, int i) { return writer * 49 + i % 49 + 1; };
        pid_t writers[2];
        for (int w = 0; w < 2; ++w) {
            writers[w] = ::fork();
            QVERIFY(writers[w] >= 0);
            if (writers[w] == 0) {
                int failed = 0;
                for (int i = 0; i < kSaves; ++i)
                    failed += f->store.savePosition(textIn(w * kSaves + i), position(w, i), 1, true).ok() ? 0
                                                                                                          : 1;
                ::_exit(std::min(failed, 100));
            }
        }
        for (const pid_t writer : writers) {
            int status = 0;
            QCOMPARE(::waitpid(writer, &status, 0), writer);
            QVERIFY(WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), 0);
        }
        const std::array<QString, 100> records = recordsOf(boxFile(1));
        for (int w = 0; w < 2; ++w) {
            for (int i = kSaves - 49; i < kSaves; ++i)
                QCOMPARE(records[std::size_t(position(w, i))], textFor(w * kSaves + i));
        }
    }

    // A save that the disk cannot hold (a full small file system, or a file size limit) fails
    // with the system's reason, keeps the stored texts and leaves no temporary behind.
    void fullDisk_data()
    {
        QTest::addColumn<bool>("tmpfs");
        QTest::newRow("full tmpfs") << true;
        QTest::newRow("file size limit") << false;
    }
    void fullDisk()
    {
        QFETCH(bool, tmpfs);
        DiskFaults::SmallTmpfs disk(64);
        if (tmpfs) {
            if (!disk.isMounted())
                QSKIP("a small tmpfs cannot be mounted here");
            f->context.setDataFolder(disk.path());
        }
        QVERIFY(f->store.savePosition(u"kept"_s, 1, 1, true).ok());
        const QByteArray before = TestFiles::read(boxFile(1));
        QVERIFY(!tmpfs || disk.fill());
        const Result<SaveOutcome> saved = [&] {
            DiskFaults::FileSizeLimit limit(tmpfs ? RLIM_INFINITY : rlim_t(before.size() + 10));
            return f->store.savePosition(QString(5000, u'n'), 2, 1, true);
        }();
        QVERIFY(!saved.ok());
        QVERIFY2(saved.error().contains(tmpfs ? "No space left on device" : "File too large"),
            qPrintable(saved.error()));
        QVERIFY2(f->lastMessage().startsWith(u"Box 1, position 2 not saved: "), qPrintable(f->lastMessage()));
        QCOMPARE(TestFiles::read(boxFile(1)), before);
        QVERIFY(!QFileInfo::exists(TextFile::temporaryPath(boxFile(1))));
    }

    // Files damaged or made by something else: each is read without a crash or a hang, a file
    // too large to be a data file is refused with the reason in the status log, and nothing is
    // rewritten that was not saved.
    void hostileFiles_data()
    {
        const DataTable<QString, QByteArray> row({"name", "bytes"});
        QByteArray random(1 << 16, Qt::Uninitialized);
        QRandomGenerator(5).fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
        const char *box = "MoxenoTrellin1.txt", *names = "MoxenoTrellinNames.txt";
        row("random bytes", box, random);
        // Filled up to its size when written (see below), without taking the memory here.
        row("100 MB box file", box, "01!\xAC:x\r\n");
        row("one 1 MB line", box, "01!\xAC:" + QByteArray(1 << 20, 'x'));
        row("NUL bytes", "MoxenoTrellinMacros1.txt", QByteArray("01!\xAC:a\0b>c\0\r\n\0\0", 15));
        row("invalid UTF-8 after a mark", box,
            "\xEF\xBB\xBF"
            "01!\xAC:\xFF\xC0\r\n");
        row("names file of 3 lines", names, "a\r\nb\r\nc\r\n");
        row("names file of 10,000 lines", names, QByteArray("name\r\n").repeated(10000));
        row("INI of 10 MB", "MoxenoTrellin.ini",
            "[Shell]\r\n" + QByteArray("k=v\r\n").repeated(2 * 1000 * 1000));
    }
    void hostileFiles()
    {
        auto [name, bytes] = fetchColumns<QString, QByteArray>({"name", "bytes"});
        QVERIFY(TestFiles::write(f->folder() + name, bytes));
        const bool huge = QByteArray(QTest::currentDataTag()).startsWith("100 MB");
        QVERIFY(!huge || QFile::resize(f->folder() + name, 100 * 1000 * 1000));
        const QMap<QString, QString> before = snapshot();
        if (huge)
            f->prompter.acknowledge(); // the box that cannot be read is told once
        (void)f->store.loadBox(1);
        QVERIFY2(
            !huge || f->lastMessage().endsWith(u"(it is larger than 8 MiB)"), qPrintable(f->lastMessage()));
        (void)f->store.readPosition(1, 1);
        (void)m_macros->readMacroNames(1);
        (void)m_macros->readMacroBody(1, 1);
        QCOMPARE(NamesFile::captions(f->folder()).size(), DataFiles::kBoxCount);
        f->settings.text(Settings::Key::DataPath);
        QCOMPARE(snapshot(), before);
    }
};

TRELLIN_TEST_MAIN(TestFaults)
#include "tst_faults.moc"

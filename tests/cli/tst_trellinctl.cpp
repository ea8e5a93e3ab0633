#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QProcess>

// Runs the real trellinctl binary on a temporary data folder.
class TestTrellinCtl : public QObject
{
    Q_OBJECT

    struct Result
    {
        int code;
        QByteArray out;
        QByteArray err;
    };
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_data;

    Result ctl(const QStringList& args, const QByteArray& input = QByteArray(), bool withData = true)
    {
        QProcess process;
        process.start(
            QStringLiteral(TRELLINCTL), (withData ? QStringList {"--data", m_data} : QStringList()) + args);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(20000))
            qFatal("trellinctl did not finish");
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_data = m_dir->filePath(QStringLiteral("data"));
        QDir().mkpath(m_data);
    }

    void setGetAndMessages()
    {
        // Given back byte for byte: line ends of every kind, a final newline, text like a record
        // marker, non-ASCII, and the longest text allowed.
        for (const QByteArray& text :
            {QByteArray("01!\xC2\xAC: caf\xC3\xA9 \xE6\x97\xA5\r\nb\nc\r\n"), QByteArray(9999, 'z')}) {
            QCOMPARE(ctl({"set", "7", "12"}, text).code, 0);
            QCOMPARE(ctl({"get", "7", "12"}).out, text);
        }

        QCOMPARE(ctl({"set", "2", "5"}, "x").out, QByteArray("Box 2, position 5 saved\n"));
        QCOMPARE(ctl({"set", "2", "5"}, "x").out, QByteArray("Already saved in box 2, position 5\n"));
        QCOMPARE(ctl({"set", "2", "5"}, "y").out, QByteArray("Box 2, position 5 saved\n")); // no question
        QCOMPARE(ctl({"set", "2", "5"}, "").out, QByteArray("Box 2, position 5 cleared\n"));
        QCOMPARE(ctl({"get", "2", "5"}).out, QByteArray());

        // Exit status 1, one line on stderr, and nothing stored.
        for (const auto& [bad, why] : {std::pair {QByteArray(10000, 'a'), "over the limit of 9,999"},
                 std::pair {QByteArray("\xFF\xFE bad"), "not valid UTF-8"}}) {
            const Result r = ctl({"set", "2", "6"}, bad);
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.contains(why) && r.err.count('\n') == 1, r.err.constData());
            QCOMPARE(ctl({"get", "2", "6"}).out, QByteArray());
        }
    }

    void namesListRenameMoveAndClear()
    {
        QCOMPARE(ctl({"rename", "3", "Fifteen chars!!"}).code, 0);
        ctl({"set", "3", "9"}, "first\r\nsecond");
        ctl({"set", "3", "2"}, "two\nlines");
        ctl({"set", "3", "40"}, "forty");
        QCOMPARE(ctl({"list", "3"}).out, QByteArray("2\ttwo\n9\tfirst\n40\tforty\n"));
        QCOMPARE(ctl({"list", "4"}).out, QByteArray());

        const Result moved = ctl({"move", "3", "right"});
        QCOMPARE(moved.code, 0);
        QCOMPARE(moved.out, QByteArray("4\n"));
        QCOMPARE(ctl({"get", "4", "40"}).out, QByteArray("forty"));
        const QList<QByteArray> names = ctl({"names"}).out.split('\n');
        QCOMPARE(names.size(), 100); // 99 lines and the empty rest after the last newline
        QCOMPARE(names.mid(2, 3), (QList<QByteArray> {"Box 4", "Fifteen chars!!", "Box 5"}));
        QCOMPARE(ctl({"move", "99", "right"}).code, 1);

        const Result cleared = ctl({"clear", "4", "--texts"});
        QCOMPARE(cleared.code, 0);
        QCOMPARE(cleared.out, QByteArray("Box 'Fifteen chars!!' cleared successfully.\n"));
        QCOMPARE(ctl({"list", "4"}).out, QByteArray());
    }

    void badArgumentsExitWith2_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList {};
        QTest::newRow("unknown command") << QStringList {"frobnicate"};
        QTest::newRow("box 100") << QStringList {"list", "100"};
        QTest::newRow("signed number") << QStringList {"get", "+1", "1"};
        QTest::newRow("bad direction") << QStringList {"move", "1", "up"};
    }
    void badArgumentsExitWith2()
    {
        QFETCH(QStringList, args);
        const Result r = ctl(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("usage: trellinctl"));
        QVERIFY(r.out.isEmpty());
    }

    void helpAndKeys()
    {
        const Result help = ctl({"--help"});
        QCOMPARE(help.code, 0);
        QVERIFY(help.out.startsWith("usage: trellinctl"));

        const Result ok = ctl({"keys", "+(ab)~{TAB 2}{BS}"});
        QCOMPARE(ok.code, 0);
        QCOMPARE(
            ok.out, "down SHIFT\nchar 'a'\nchar 'b'\nup SHIFT\nkey ENTER\nkey TAB\nkey TAB\nkey BACKSPACE\n");
        const Result bad = ctl({"keys", "{BACKSPA"});
        QCOMPARE(bad.code, 1);
        QCOMPARE(bad.err, QByteArray("trellinctl: character 1: '{' is never closed by '}'\n"));
        QVERIFY(bad.out.isEmpty());
    }

    void dataFolderFromSettings()
    {
        // Without --data the settings name the folder; a missing folder is one clear line.
        qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("cfg")).toLocal8Bit());
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("cfg/MoxenoTrellin"))));
        const auto writeIni = [this](const QString& dataPath) {
            return TestFiles::write(m_dir->filePath(QStringLiteral("cfg/MoxenoTrellin/MoxenoTrellin.ini")),
                ("[Defaults]\r\nDataPath=" + dataPath + "\r\n").toUtf8());
        };
        QVERIFY(writeIni(m_data + u'/'));
        ctl({"set", "9", "9"}, "via settings");
        QCOMPARE(ctl({"get", "9", "9"}, {}, false).out, QByteArray("via settings"));

        QVERIFY(writeIni(QStringLiteral("/nonexistent/folder/")));
        const Result missing = ctl({"names"}, {}, false);
        QCOMPARE(missing.code, 1);
        QCOMPARE(missing.err, "trellinctl: the data folder /nonexistent/folder/ does not exist\n");
    }

    void parallelWritersLoseNothing()
    {
        // Two writers rewrite the same box file at the same time; every position must survive.
        QList<QProcess*> writers;
        for (int first : {1, 50}) {
            QString script;
            for (int pos = first; pos < first + 12; ++pos)
                script += QStringLiteral("printf 'text %1' | '%2' --data '%3' set 1 %1\n")
                              .arg(pos)
                              .arg(QStringLiteral(TRELLINCTL), m_data);
            writers.append(new QProcess(this));
            writers.last()->start(QStringLiteral("sh"), {QStringLiteral("-c"), script});
        }
        for (QProcess* writer : writers)
            QVERIFY(writer->waitForFinished(60000));
        qDeleteAll(writers);
        const QByteArray list = ctl({"list", "1"}).out;
        QCOMPARE(list.count('\n'), 24);
        for (int pos : {1, 12, 50, 61})
            QVERIFY(list.contains(QStringLiteral("%1\ttext %1\n").arg(pos).toUtf8()));
    }
};

TRELLIN_TEST_MAIN(TestTrellinCtl)
#include "tst_trellinctl.moc"

#include "TestEnvironment.h"

#include <QProcess>

// Runs the real trellinctl binary on a temporary data folder.
class TestTrellinCtl : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanupTestCase() { delete m_dir; }
    void namesOfAFreshFolder();
    void setAndGetAreExact_data();
    void setAndGetAreExact();
    void setReportsWhatItLogged();
    void listShowsFirstLines();
    void renameMoveAndClear();
    void exitCodes_data();
    void exitCodes();
    void keysPrintsActionsOrTheError();
    void dataFolderFromSettings();
    void parallelWritersLoseNothing();

private:
    struct Result
    {
        int code;
        QByteArray out;
        QByteArray err;
    };
    Result ctl(const QStringList& args, const QByteArray& input = QByteArray());
    QTemporaryDir* m_dir = nullptr;
    QString m_data;
};

void TestTrellinCtl::init()
{
    delete m_dir;
    m_dir = new QTemporaryDir;
    m_data = m_dir->filePath(QStringLiteral("data"));
    QDir().mkpath(m_data);
}

TestTrellinCtl::Result TestTrellinCtl::ctl(const QStringList& args, const QByteArray& input)
{
    QProcess process;
    process.start(QStringLiteral(TRELLINCTL), QStringList { QStringLiteral("--data"), m_data } + args);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(20000))
        qFatal("trellinctl did not finish");
    return { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
}

void TestTrellinCtl::namesOfAFreshFolder()
{
    const Result r = ctl({ QStringLiteral("names") });
    QCOMPARE(r.code, 0);
    const QList<QByteArray> lines = r.out.split('\n');
    QCOMPARE(lines.size(), 100); // 99 lines and the empty rest after the last newline
    QCOMPARE(lines.first(), QByteArray("Box 1"));
    QCOMPARE(lines.at(98), QByteArray("Box 99"));
}

void TestTrellinCtl::setAndGetAreExact_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("plain") << QByteArray("hello");
    QTest::newRow("no newline added or lost") << QByteArray("line\n");
    QTest::newRow("crlf lines") << QByteArray("a\r\nb\r\nc");
    QTest::newRow("accents and cjk") << QByteArray("caf\xC3\xA9 \xE2\x82\xAC \xC5\x82 \xE6\x97\xA5\xE6\x9C\xAC");
    QTest::newRow("marker-like text") << QByteArray("01!\xC2\xAC: inside");
    QTest::newRow("9999 characters") << QByteArray(9999, 'z');
}

void TestTrellinCtl::setAndGetAreExact()
{
    QFETCH(QByteArray, text);
    QCOMPARE(ctl({ QStringLiteral("set"), QStringLiteral("7"), QStringLiteral("12") }, text).code, 0);
    const Result r = ctl({ QStringLiteral("get"), QStringLiteral("7"), QStringLiteral("12") });
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, text);
}

void TestTrellinCtl::setReportsWhatItLogged()
{
    QCOMPARE(ctl({ "set", "2", "5" }, "x").out, QByteArray("Box 2, position 5 saved\n"));
    QCOMPARE(ctl({ "set", "2", "5" }, "x").out, QByteArray("Already saved in box 2, position 5\n"));
    QCOMPARE(ctl({ "set", "2", "5" }, "y").out, QByteArray("Box 2, position 5 saved\n")); // no question
    QCOMPARE(ctl({ "set", "2", "5" }, "").out, QByteArray("Box 2, position 5 cleared\n"));
    QCOMPARE(ctl({ "get", "2", "5" }).out, QByteArray());

    const Result tooLong = ctl({ "set", "2", "6" }, QByteArray(10000, 'a'));
    QCOMPARE(tooLong.code, 1);
    QVERIFY(tooLong.err.contains("9,999"));
    QCOMPARE(tooLong.err.count('\n'), 1);
    QCOMPARE(ctl({ "get", "2", "6" }).out, QByteArray());

    const Result invalid = ctl({ "set", "2", "6" }, QByteArray("\xFF\xFE bad"));
    QCOMPARE(invalid.code, 1);
    QVERIFY(!QFileInfo::exists(m_data + QStringLiteral("/MoxenoTrellin2.txt")) || ctl({ "get", "2", "6" }).out.isEmpty());
}

void TestTrellinCtl::listShowsFirstLines()
{
    ctl({ "set", "3", "9" }, "first\r\nsecond");
    ctl({ "set", "3", "2" }, "two\nlines");
    ctl({ "set", "3", "40" }, "forty");
    QCOMPARE(ctl({ "list", "3" }).out, QByteArray("2\ttwo\n9\tfirst\n40\tforty\n"));
    QCOMPARE(ctl({ "list", "4" }).out, QByteArray());
}

void TestTrellinCtl::renameMoveAndClear()
{
    QCOMPARE(ctl({ "rename", "3", "Fifteen chars!!" }).code, 0);
    const Result tooLong = ctl({ "rename", "3", "Sixteen chars!!!" });
    QCOMPARE(tooLong.code, 1);
    QCOMPARE(tooLong.err, QByteArray("trellinctl: Only 15 characters allowed.\n"));

    ctl({ "set", "3", "1" }, "moving");
    const Result moved = ctl({ "move", "3", "right" });
    QCOMPARE(moved.code, 0);
    QCOMPARE(moved.out, QByteArray("4\n"));
    QCOMPARE(ctl({ "get", "4", "1" }).out, QByteArray("moving"));
    QVERIFY(ctl({ "names" }).out.startsWith("Box 1\nBox 2\nBox 4\nFifteen chars!!\nBox 5\n"));
    QCOMPARE(ctl({ "move", "99", "right" }).code, 1);
    QCOMPARE(ctl({ "move", "1", "left" }).code, 1);

    const Result cleared = ctl({ "clear", "4", "--texts" });
    QCOMPARE(cleared.code, 0);
    QCOMPARE(cleared.out, QByteArray("Box 'Fifteen chars!!' cleared successfully.\n"));
    QVERIFY(QFileInfo::exists(m_data + QStringLiteral("/MoxenoTrellin4.bak")));
    QCOMPARE(ctl({ "get", "4", "1" }).out, QByteArray());
}

void TestTrellinCtl::exitCodes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::newRow("no command") << QStringList {} << 2;
    QTest::newRow("unknown command") << QStringList { "frobnicate" } << 2;
    QTest::newRow("box 0") << QStringList { "get", "0", "1" } << 2;
    QTest::newRow("box 100") << QStringList { "list", "100" } << 2;
    QTest::newRow("position not a number") << QStringList { "get", "1", "x" } << 2;
    QTest::newRow("signed number") << QStringList { "get", "+1", "1" } << 2;
    QTest::newRow("missing argument") << QStringList { "get", "1" } << 2;
    QTest::newRow("extra argument") << QStringList { "names", "x" } << 2;
    QTest::newRow("bad direction") << QStringList { "move", "1", "up" } << 2;
    QTest::newRow("bad clear option") << QStringList { "clear", "1", "--all" } << 2;
    QTest::newRow("help") << QStringList { "--help" } << 0;
}

void TestTrellinCtl::exitCodes()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    const Result r = ctl(args);
    QCOMPARE(r.code, code);
    if (code == 2)
        QVERIFY(r.err.contains("usage: trellinctl"));
}

void TestTrellinCtl::keysPrintsActionsOrTheError()
{
    const Result ok = ctl({ "keys", "+(ab)~{TAB 2}" });
    QCOMPARE(ok.code, 0);
    QCOMPARE(ok.out, QByteArray("down SHIFT\nchar 'a'\nchar 'b'\nup SHIFT\nkey ENTER\nkey TAB\nkey TAB\n"));
    for (const char* bad : { "{BACKSPA", "CE}", "{NOSUCHKEY}", "+(a" }) {
        const Result r = ctl({ "keys", bad });
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.startsWith("trellinctl: character "), r.err.constData());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.out.isEmpty());
    }
    QCOMPARE(ctl({ "keys", "{BS}" }).out, QByteArray("key BACKSPACE\n"));
}

void TestTrellinCtl::dataFolderFromSettings()
{
    // Without --data the settings name the folder; a missing folder is one clear line.
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir->filePath(QStringLiteral("xdg")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("cfg")));
    QDir().mkpath(m_dir->filePath(QStringLiteral("cfg/MoxenoTrellin")));
    QFile ini(m_dir->filePath(QStringLiteral("cfg/MoxenoTrellin/MoxenoTrellin.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(("[Defaults]\r\nDataPath=" + m_data + "/\r\n").toUtf8());
    ini.close();
    process.setProcessEnvironment(env);
    ctl({ "set", "9", "9" }, "via settings");
    process.start(QStringLiteral(TRELLINCTL), { "get", "9", "9" });
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.readAllStandardOutput(), QByteArray("via settings"));

    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Defaults]\r\nDataPath=/nonexistent/folder/\r\n");
    ini.close();
    process.start(QStringLiteral(TRELLINCTL), { "names" });
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(process.readAllStandardError(),
             QByteArray("trellinctl: the data folder /nonexistent/folder/ does not exist\n"));
}

void TestTrellinCtl::parallelWritersLoseNothing()
{
    // Two writers rewrite the same box file at the same time; every position must survive.
    auto writer = [this](int first) {
        auto* process = new QProcess;
        QString script;
        for (int pos = first; pos < first + 12; ++pos)
            script += QStringLiteral("printf 'text %1' | '%2' --data '%3' set 1 %1\n").arg(pos).arg(QStringLiteral(TRELLINCTL), m_data);
        process->start(QStringLiteral("sh"), { QStringLiteral("-c"), script });
        return process;
    };
    QProcess* a = writer(1);
    QProcess* b = writer(50);
    QVERIFY(a->waitForFinished(60000));
    QVERIFY(b->waitForFinished(60000));
    delete a;
    delete b;
    const QByteArray list = ctl({ "list", "1" }).out;
    QCOMPARE(list.count('\n'), 24);
    for (int pos : { 1, 12, 50, 61 })
        QVERIFY(list.contains(QStringLiteral("%1\ttext %1\n").arg(pos).toUtf8()));
}

TRELLIN_TEST_MAIN(TestTrellinCtl)
#include "tst_trellinctl.moc"

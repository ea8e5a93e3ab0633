#include "ChildProcess.h"
#include "DataColumns.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "cli/TrellinCtl.h"

#include <QRegularExpression>
#include <QStandardPaths>

// Runs the real trellinctl binary on a temporary data folder; each case uses boxes of its own.
// Its --help, man page and shell completion, made by the build from its command table, list
// exactly the table's commands and options; the man page renders without warnings.
class TestTrellinCtl : public QObject
{
    Q_OBJECT

    using Result = ChildProcess::Outcome; // a hang fails the checks on what it returned
    QTemporaryDir m_dir;
    const QString m_data = m_dir.filePath(u"data"_s);
    const QString m_ini = QDir::homePath() + u"/.config/MoxenoTrellin/MoxenoTrellin.ini"_s;

    Result ctl(const QStringList& args, const QByteArray& input = QByteArray(), bool withData = true)
    {
        return ChildProcess::run(QStringLiteral(TRELLINCTL),
            (withData ? QStringList {"--data", m_data} : QStringList()) + args, input);
    }

    // A failure told once: exit status 1, nothing on standard output, one line on standard error.
    static bool toldOnce(const Result& r, const QByteArray& why)
    {
        return r.code == 1 && r.out.isEmpty() && r.err.count('\n') == 1 && r.err.contains(why);
    }
    static QByteArray built(const char* file)
    {
        return TestFiles::read(QStringLiteral(TRELLINCTL_DOCS "/") + file);
    }

    // Every match of a pattern's first group, in order.
    static QStringList matches(const QByteArray& text, const char* pattern)
    {
        QStringList found;
        auto it = QRegularExpression(QString::fromLatin1(pattern), QRegularExpression::MultilineOption)
                      .globalMatch(QString::fromUtf8(text));
        while (it.hasNext())
            found.append(it.next().captured(1));
        return found;
    }

private slots:
    void initTestCase() { QVERIFY(QDir().mkpath(m_data)); }

    void setGetAndMessages()
    {
        // Given back as stored: every line end as CR LF (LF CR is two), a final newline, text like
        // a record marker, non-ASCII, and the longest text allowed.
        for (const auto& [text, stored] :
            {std::pair {QByteArray("01!\xC2\xAC: caf\xC3\xA9 \xE6\x97\xA5\r\nb\nc\rd\n\re\r\n"),
                 QByteArray("01!\xC2\xAC: caf\xC3\xA9 \xE6\x97\xA5\r\nb\r\nc\r\nd\r\n\r\ne\r\n")},
                std::pair {QByteArray(9999, 'z'), QByteArray(9999, 'z')}}) {
            QCOMPARE(ctl({"set", "--force", "7", "12"}, text).code, 0);
            QCOMPARE(ctl({"get", "7", "12"}).out, stored);
        }
        QCOMPARE(ctl({"set", "2", "5"}, "x").out, QByteArray("Box 2, position 5 saved\n"));
        QCOMPARE(ctl({"set", "2", "5"}, "x").out, QByteArray("Already saved in box 2, position 5\n"));

        // Exit status 1, one line on stderr, and nothing stored.
        for (const auto& [bad, why] : {std::pair {QByteArray(10000, 'a'), "over the limit of 9,999"},
                 std::pair {QByteArray("\xFF\xFE bad"), "not valid UTF-8"}}) {
            const Result r = ctl({"set", "2", "6"}, bad);
            QVERIFY2(toldOnce(r, why), r.err.constData());
            QCOMPARE(ctl({"get", "2", "6"}).out, QByteArray());
        }
        // A write that fails is told once, on standard error, with its reason.
        const QString blocked = m_data + u"/MoxenoTrellin20.txt_/x"_s;
        QVERIFY(QDir().mkpath(blocked));
        const Result r = ctl({"set", "20", "1"}, "text");
        QVERIFY2(toldOnce(r, "trellinctl: box 20, position 1 not saved: "), r.err.constData());
        QVERIFY(QDir(blocked).removeRecursively());
    }

    // Replacing or clearing what is stored takes --force, the same for texts and macros, whatever
    // the window's warning setting; without it the command fails and what is stored stays.
    void overwriteNeedsForce_data()
    {
        addColumns<QStringList, QStringList, QByteArray, QByteArray, QByteArray>(
            {"set", "get", "stored", "saved", "cleared"});
        QTest::newRow("text") << QStringList {"set"} << QStringList {"get"} << QByteArray("x")
                              << QByteArray("Box 31, position 5 saved\n")
                              << QByteArray("Box 31, position 5 cleared\n");
        QTest::newRow("macro") << QStringList {"macro", "set"} << QStringList {"macro", "get"}
                               << QByteArray("M>x") << QByteArray("Macro 5 saved in box 31\n")
                               << QByteArray("Macro 5 cleared in box 31\n");
    }
    void overwriteNeedsForce()
    {
        auto [set, get, stored, saved] = fetchColumns<QStringList, QStringList, QByteArray, QByteArray>(
            {"set", "get", "stored", "saved"});
        const QStringList at {"31", "5"};
        QVERIFY(TestFiles::write(m_ini, "[Settings]\r\nWarnOverwrite=0\r\n"));
        QCOMPARE(ctl(set + at, stored).out, saved);
        for (const QByteArray& input : {stored + "y", QByteArray()}) {
            const Result refused = ctl(set + at, input);
            QVERIFY2(toldOnce(refused, "--force"), refused.err.constData());
            QCOMPARE(ctl(get + at).out, stored);
        }
        QCOMPARE(ctl(set + QStringList {"--force"} + at, stored + "y").out, saved);
        QCOMPARE(ctl(get + at).out, stored + "y");
        QTEST(ctl(set + at + QStringList {"--force"}, QByteArray()).out, "cleared");
        QCOMPARE(ctl(get + at).out, QByteArray());
    }

    // Only a command about settings writes the settings file: every other one leaves it byte for
    // byte as it was, whether it succeeds or fails, and with the overwrite warning off.
    void settingsFileUntouched_data()
    {
        const DataTable<QStringList, QByteArray> row({"args", "input"});
        row("set", {"set", "40", "1"}, "one");
        row("set over a text", {"set", "40", "1"}, "two");
        row("set --force", {"set", "--force", "40", "1"}, "two");
        row("macro set", {"macro", "set", "40", "1"}, "M>one");
        row("macro set over a macro", {"macro", "set", "40", "1"}, "M>two");
        row("macro set --force", {"macro", "set", "--force", "40", "1"}, "M>two");
        row("macro set --force deletes", {"macro", "set", "--force", "40", "1"}, {});
        for (const QStringList& args : {QStringList {"get", "40", "1"}, {"list", "40"}, {"names"},
                 {"rename", "40", "Forty"}, {"move", "40", "right"}, {"clear", "41", "--texts"},
                 {"macro", "list", "40"}, {"macro", "get", "40", "1"}, {"search", "two"}, {"options"},
                 {"play", "--dry-run", "41", "1"}, {"run-text", "--dry-run", "x"}, {"calc", "1+1"},
                 {"keys", "a"}, {"data-folder"}, {"copy", "40", "1"}})
            QTest::newRow(qPrintable(args.join(u' '))) << args << QByteArray();
    }
    void settingsFileUntouched()
    {
        auto [args, input] = fetchColumns<QStringList, QByteArray>({"args", "input"});
        const QByteArray settings = "; kept as written\r\n[Settings]\r\nWarnOverwrite=0\r\nBoxNo= 7\r\n\r\n"
                                    "[Defaults]\r\nDataPath="
            + m_data.toUtf8() + "\r\n";
        QVERIFY(TestFiles::write(m_ini, settings));
        const Result r = ctl(args, input, false);
        QVERIFY2(r.code == 0 || r.code == 1, r.err.constData());
        QCOMPARE(TestFiles::read(m_ini), settings);
    }

    void namesListRenameMoveAndClear()
    {
        QCOMPARE(ctl({"rename", "3", "Fifteen chars!!"}).code, 0);
        ctl({"set", "3", "9"}, "first\r\nsecond");
        ctl({"set", "3", "2"}, "two\nlines");
        ctl({"set", "3", "40"}, "forty");
        QCOMPARE(ctl({"list", "3"}).out, QByteArray("2\ttwo\n9\tfirst\n40\tforty\n"));

        QCOMPARE(ctl({"move", "3", "right"}).out, QByteArray("4\n"));
        QCOMPARE(ctl({"get", "4", "40"}).out, QByteArray("forty"));
        const QList<QByteArray> names = ctl({"names"}).out.split('\n');
        QCOMPARE(names.size(), 100); // 99 lines and the empty rest after the last newline
        QCOMPARE(names.mid(2, 3), (QList<QByteArray> {"Box 4", "Fifteen chars!!", "Box 5"}));
        QCOMPARE(ctl({"move", "99", "right"}).code, 1);

        QCOMPARE(
            ctl({"clear", "4", "--texts"}).out, QByteArray("Box 'Fifteen chars!!' cleared successfully.\n"));
        QCOMPARE(ctl({"list", "4"}).out, QByteArray());
        QCOMPARE(ctl({"restore", "4"}).out, QByteArray("Box 'Fifteen chars!!' restored from its backup.\n"));
        QCOMPARE(ctl({"get", "4", "40"}).out, QByteArray("forty"));
        QCOMPARE(ctl({"restore", "4"}).code, 0);
        QCOMPARE(ctl({"list", "4"}).out, QByteArray());
        const Result none = ctl({"restore", "5"});
        QVERIFY(none.code == 1 && none.err.contains("box 5 has no backup"));
    }

    void usageAndKeys()
    {
        // Bad arguments: exit status 2, the usage on stderr and nothing on stdout.
        for (const QStringList& args :
            {QStringList {}, {"frobnicate"}, {"list", "100"}, {"get", "+1", "1"}, {"move", "1", "up"},
                {"--data=", "names"}, {"--data"}, {"list", "1", "--texts"}, {"--bogus", "names"},
                {"replace", "a"}, {"data-folder", "a", "b"}, {"calc"}, {"calc", "--dp", "12", "1"},
                {"names", "--dp", "2"}, {"search"}, {"search", "--no-text", "--no-macros", "x"},
                {"search", "--box", "100", "x"}, {"names", "--case"}, {"copy", "1"}, {"show", "1"}}) {
            const Result r = ctl(args, {}, false);
            QVERIFY2(r.code == 2 && r.err.contains("usage: trellinctl") && r.out.isEmpty(),
                qPrintable(args.join(u' ')));
        }
        QCOMPARE(ctl({"keys", "+(ab)~{BS}"}).out,
            "down SHIFT\nchar 'a'\nchar 'b'\nup SHIFT\nkey ENTER\nkey BACKSPACE\n");
        const Result bad = ctl({"keys", "{BACKSPA"});
        QCOMPARE(bad.code, 1);
        QCOMPARE(bad.out + bad.err, QByteArray("trellinctl: character 1: '{' is never closed by '}'\n"));
    }

    // Replace all on standard input (its rules are FindReplace's): line ends and non-ASCII pass
    // through untouched, arguments after "--" or starting with "-" are texts; no data folder is
    // needed. Input that is not UTF-8 is refused rather than mangled.
    void replace()
    {
        struct Row
        {
            QStringList args;
            QByteArray in, out, err;
        };
        for (const Row& row : {Row {{"replace", "cat", "dog"}, "Cat cat\r\ncat\n", "Cat dog\r\ndog\n", "2\n"},
                 Row {{"replace", "\xC3\xA9", "e"}, "caf\xC3\xA9\r\n", "cafe\r\n", "1\n"},
                 Row {{"replace", "--", "-x", ""}, "-x-y", "-y", "1\n"},
                 Row {{"replace", "-x", "--y"}, "a-x", "a--y", "1\n"}}) {
            const Result r = ctl(row.args, row.in, false);
            QCOMPARE(r.code, 0);
            QCOMPARE(r.out, row.out);
            QCOMPARE(r.err, row.err);
        }
        const Result bad = ctl({"replace", "a", "b"}, "\xFF a", false);
        QVERIFY(bad.code == 1 && bad.out.isEmpty() && bad.err.contains("not valid UTF-8"));
    }

    // A failure is told once, on standard error, with its reason; standard output stays empty.
    // Macros are stored as "name>body", listed by name and played dry: every host step a line,
    // the outcome last, with the clock fixed by --now. Only a finished playback exits with 0.
    void macrosAndDryRuns()
    {
        QCOMPARE(ctl({"macro", "set", "5", "3"}, "Greeting>Hi{TAB}~").out, "Macro 3 saved in box 5\n");
        QCOMPARE(ctl({"macro", "list", "5"}).out.split('\n').mid(1, 3),
            (QList<QByteArray> {"2\tMacro 2", "3\tGreeting", "4\tMacro 4"}));
        QCOMPARE(ctl({"macro", "get", "5", "3"}).out, "Greeting>Hi{TAB}~");
        QCOMPARE(ctl({"play", "--dry-run", "5", "3"}).out,
            "PaceStep\nPaceStep\nSendKeystrokes\tHi\nPaceStep\nPaceStep\nSendKeystrokes\t{TAB}\nPaceStep\n"
            "PaceStep\nSendKeystrokes\t~\nPaceStep\nfinished\n");

        const Result dated = ctl(
            {"run-text", "--dry-run", "--now", "2026-12-07 09:05:03", "{DATE dd/mm/yyyy}{CNT 2,3}{CNT}"});
        QCOMPARE(dated.code, 0);
        QCOMPARE(QString::fromUtf8(dated.out).split(u'\n').filter(u"SendKeystrokes"_s),
            (QStringList {"SendKeystrokes\t07/12/2026", "SendKeystrokes\t2"}));
        const Result failed = ctl({"run-text", "--dry-run", "{BACKSPACE}"});
        QVERIFY2(failed.code == 1 && failed.out.endsWith("'{' is never closed by '}'\n")
                && failed.out.contains("\nerror\t"),
            failed.out.constData());
        QCOMPARE(ctl({"macro", "set", "--force", "5", "3"}, "").out, "Macro 3 cleared in box 5\n");
        QCOMPARE(ctl({"play", "--dry-run", "5", "3"}).code, 1);
    }

    // The display, then the history line, or the reason on standard error; no data folder needed.
    void calc()
    {
        struct Row
        {
            QStringList args;
            int code;
            QByteArray out, errStart = {};
        };
        for (const Row& row : {
                 Row {{"10/3"}, 0, "3.3333\n10/3 = 3.3333 (4 dp)\n"},
                 Row {{"--dp", "-", "10/3"}, 0, "3.333333333333\n10/3 = 3.333333333333\n"},
                 Row {{"--dp", "0", "--", "-2.5*1,000"}, 0, "-2,500.\n-2.5*1,000 = -2,500. (0 dp)\n"},
                 Row {{"--dp=1", "-7/8"}, 0, "-.9\n-7/8 = -.9 (1 dp)\n"},
                 Row {{"-7/8", "--dp", "1"}, 2, ""},
                 Row {{"5*3**"}, 0, "5*3*\n5*3**\n"},
                 Row {{"2^3"}, 1, "", "Calculator cannot evaluate\n2^3\n"},
                 Row {{"(2+3"}, 1, "Error\n"},
             }) {
            const Result r = ctl(QStringList {"calc"} + row.args, {}, false);
            QVERIFY2(r.code == row.code && r.err.startsWith(row.errStart), qPrintable(row.args.join(u' ')));
            QCOMPARE(r.out, row.out);
        }
    }

    // Without --data the settings name the folder; a missing one is one clear line. The files
    // move with the stored folder (refused moves are DataFolderMove's tests, a move while the
    // window runs is the end-to-end test's).
    void dataFolderFromSettingsAndItsMove()
    {
        const QString from = m_dir.filePath(u"held"_s), to = m_dir.filePath(u"to"_s);
        const auto run = [this](const QStringList& args) { return ctl(args, {}, false); };
        QVERIFY(TestFiles::write(m_ini, "[Defaults]\r\nDataPath=/nonexistent/folder/\r\n"));
        QCOMPARE(run({"names"}).err, "trellinctl: the data folder /nonexistent/folder/ does not exist\n");
        QVERIFY(QDir().mkpath(from));
        QVERIFY(TestFiles::write(m_ini, "[Defaults]\r\nDataPath=" + from.toUtf8() + "/\r\n"));
        QCOMPARE(ctl({"set", "2", "3"}, "kept", false).code, 0);
        QCOMPARE(TestFiles::read(from + "/MoxenoTrellin2.txt"), "03!\xAC:kept\r\n");

        const Result moved = run({"data-folder", to});
        QVERIFY2(moved.code == 0
                && moved.out.startsWith("Data folder changed to " + to.toUtf8() + "/, 1 data files moved"),
            moved.err.constData());
        QCOMPARE(run({"data-folder"}).out, (to + "/\n").toUtf8());
        QCOMPARE(run({"get", "2", "3"}).out, QByteArray("kept"));
        QVERIFY(!QFileInfo::exists(from + "/MoxenoTrellin2.txt"));
        QCOMPARE(run({"options"}).out,
            QByteArray("ClipColour\t16761024\nWarnOverwrite\t1\nMacroDelay\t0.01\nMacroPromptBefore\t1\n"
                       "MacroInformAfter\t1\n"));
    }

    // Every hit in the order Find next shows them: texts by box and position, then macros; a
    // search without a hit exits with 1 and says so on standard error.
    void searchListsEveryHit()
    {
        ctl({"set", "9", "4"}, "Oak tree\r\nsecond line");
        ctl({"set", "2", "30"}, "old OAK");
        ctl({"macro", "set", "1", "7"}, "Oaken>type this");
        ctl({"macro", "set", "9", "2"}, "other>an oak body");

        QCOMPARE(ctl({"search", "oak"}).out,
            QByteArray(
                "TEXT\t2\t30\told OAK\nTEXT\t9\t4\tOak tree\nMACRO\t1\t7\tOaken\nMACRO\t9\t2\tother\n"));
        QCOMPARE(ctl({"search", "--case", "--no-text", "oak"}).out, QByteArray("MACRO\t9\t2\tother\n"));
        QCOMPARE(
            ctl({"search", "--box", "9", "--no-macros", "OAK"}).out, QByteArray("TEXT\t9\t4\tOak tree\n"));
        QCOMPARE(ctl({"search", "!\xC2\xAC:"}).out, QByteArray());

        const Result none = ctl({"search", "--box", "2", "--no-text", "oak"});
        QCOMPARE(none.code, 1);
        QCOMPARE(none.err, QByteArray("trellinctl: \"oak\" was not found in box Box 2\n"));
    }
    // A file that exists but cannot be read (a folder in its place, which stops root too) is
    // told, never shown as an empty box: exit status 1 and the reason naming the file.
    void unreadableFilesAreTold()
    {
        QVERIFY(QDir().mkpath(m_data + u"/MoxenoTrellin61.txt"_s));
        QVERIFY(QDir().mkpath(m_data + u"/MoxenoTrellinMacros61.txt"_s));
        for (const QStringList& args : {QStringList {"get", "61", "1"}, {"list", "61"},
                 {"macro", "get", "61", "1"}, {"macro", "list", "61"}, {"play", "--dry-run", "61", "1"},
                 {"search", "--box", "61", "one"}}) {
            const Result r = ctl(args);
            QVERIFY2(r.code == 1 && r.out.isEmpty() && r.err.contains("MoxenoTrellin")
                    && r.err.contains("61.txt") && !r.err.contains("not found in box"),
                qPrintable(args.join(u' ') + u':' + r.err));
        }
        // Searching every box names the file and still lists what the others hold.
        ctl({"set", "62", "1"}, "one more");
        const Result all = ctl({"search", "one more"});
        QVERIFY2(all.code == 1 && all.out == "TEXT\t62\t1\tone more\n"
                && all.err.contains(m_data.toUtf8() + "/MoxenoTrellin61.txt"),
            all.err.constData());
        QVERIFY(QDir(m_data + u"/MoxenoTrellin61.txt"_s).removeRecursively());
        QVERIFY(QDir(m_data + u"/MoxenoTrellinMacros61.txt"_s).removeRecursively());
    }

    void listTheTable_data()
    {
        const DataTable<QStringList, QStringList> row({"listed", "expected"});
        QStringList synopses, subcommands, names;
        for (const CtlCommand& command : TrellinCtl::commands()) {
            synopses.append(command.synopsis());
            names.append(command.name);
            if (command.name.contains(u' '))
                subcommands.append(command.name.section(u' ', 1));
        }
        const QByteArray man = built("man/man1/trellinctl.1");
        const QByteArray bash = built("bash-completion/completions/trellinctl");
        const QByteArray zsh = built("zsh/vendor-completions/_trellinctl");
        // --help: two blanks, the synopsis, then its help line.
        row("help", matches(ctl({"--help"}, {}, false).out, "^  (\\S.*?)(?:  +|\\n {20,})\\S"), synopses);
        QString manCommands = QString::fromUtf8(man).section(u".SH COMMANDS"_s, 1).section(u".SH "_s, 0, 0);
        row("man page", matches(manCommands.toUtf8(), "^\\.B (.*)$").replaceInStrings(u"\\-"_s, u"-"_s),
            synopses);
        row("bash commands", matches(bash, "^        '([^']*)'\\) opts="), names);
        row("zsh commands", matches(zsh, "^        \\('([^']*)'\\) opts="), names);
        const QByteArray zshSubcommands = zsh.mid(zsh.indexOf("subcommands=("));
        row("zsh subcommands",
            matches(zshSubcommands.left(zshSubcommands.indexOf(")")), "^        '([^':]*):"), subcommands);
    }
    void listTheTable()
    {
        QFETCH(QStringList, listed);
        QTEST(listed, "expected");
    }

    // What bash offers after the words typed so far (the last one being completed).
    void bashCompletes_data()
    {
        const DataTable<QStringList, QString> row({"words", "offered"});
        row("subcommand", {"macro", "s"}, "set");
        row("command after --data", {"--data", "/tmp", "ca"}, "calc");
        row("options of the command", {"set", "--"}, "--data --force");
        row("direction", {"move", "3", ""}, "left right");
        row("value of an option", {"calc", "--dp", ""}, QString());
    }
    void bashCompletes()
    {
        QFETCH(QStringList, words);
        const ChildProcess::Outcome bash = ChildProcess::run(u"bash"_s,
            QStringList {"-c",
                "source \"$0\"; COMP_WORDS=(trellinctl \"$@\"); COMP_CWORD=$#; _trellinctl; echo "
                "\"${COMPREPLY[*]}\"",
                QStringLiteral(TRELLINCTL_DOCS "/bash-completion/completions/trellinctl")}
                + words);
        QCOMPARE(bash.code, 0);
        QCOMPARE(bash.err, QByteArray());
        QTEST(QString::fromUtf8(bash.out).trimmed(), "offered");
    }

    void manPageRendersWithoutWarnings()
    {
        if (QStandardPaths::findExecutable(u"man"_s).isEmpty())
            QSKIP("man is not installed");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"MANWIDTH"_s, u"80"_s);
        const ChildProcess::Outcome man = ChildProcess::run(u"man"_s,
            {"--warnings", "-l", QStringLiteral(TRELLINCTL_DOCS "/man/man1/trellinctl.1")}, {}, environment);
        QCOMPARE(man.err, QByteArray());
        QCOMPARE(man.code, 0);
        QVERIFY(man.out.contains("EXIT STATUS"));
    }
};

TRELLIN_TEST_MAIN(TestTrellinCtl)
#include "tst_trellinctl.moc"

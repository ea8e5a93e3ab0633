#include "ChildProcess.h"
#include "DataColumns.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "cli/TrellinCtl.h"

#include <QRegularExpression>
#include <QStandardPaths>

// --help, the man page and the shell completion that the build made from trellinctl's command
// table list exactly the table's commands and options; the man page renders without warnings.
class TestCtlDocs : public QObject
{
    Q_OBJECT

    static QByteArray help() { return ChildProcess::run(QStringLiteral(TRELLINCTL), {"--help"}).out; }
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
    void listTheTable_data()
    {
        addColumns<QStringList, QStringList>({"listed", "expected"});
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
        QTest::newRow("help") << matches(help(), "^  (\\S.*?)(?:  +|\\n {20,})\\S") << synopses;
        QString manCommands = QString::fromUtf8(man)
                                  .section(QStringLiteral(".SH COMMANDS"), 1)
                                  .section(QStringLiteral(".SH "), 0, 0);
        QTest::newRow("man page") << matches(manCommands.toUtf8(), "^\\.B (.*)$")
                                         .replaceInStrings(QStringLiteral("\\-"), QStringLiteral("-"))
                                  << synopses;
        QTest::newRow("bash commands") << matches(bash, "^        '([^']*)'\\) opts=") << names;
        QTest::newRow("zsh commands") << matches(zsh, "^        \\('([^']*)'\\) opts=") << names;
        const QByteArray zshSubcommands = zsh.mid(zsh.indexOf("subcommands=("));
        QTest::newRow("zsh subcommands") << matches(zshSubcommands.left(zshSubcommands.indexOf(")")),
            "^        '([^':]*):") << subcommands;
    }
    void listTheTable()
    {
        QFETCH(QStringList, listed);
        QTEST(listed, "expected");
    }

    // What bash offers after the words typed so far (the last one being completed).
    void bashCompletes_data()
    {
        addColumns<QStringList, QString>({"words", "offered"});
        QTest::newRow("subcommand") << QStringList {"macro", "s"} << QStringLiteral("set");
        QTest::newRow("command after --data")
            << QStringList {"--data", "/tmp", "ca"} << QStringLiteral("calc");
        QTest::newRow("options of the command")
            << QStringList {"set", "--"} << QStringLiteral("--data --force");
        QTest::newRow("direction") << QStringList {"move", "3", ""} << QStringLiteral("left right");
        QTest::newRow("value of an option") << QStringList {"calc", "--dp", ""} << QString();
    }
    void bashCompletes()
    {
        QFETCH(QStringList, words);
        const ChildProcess::Outcome bash = ChildProcess::run(QStringLiteral("bash"),
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
        if (QStandardPaths::findExecutable(QStringLiteral("man")).isEmpty())
            QSKIP("man is not installed");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        const ChildProcess::Outcome man = ChildProcess::run(QStringLiteral("man"),
            {"--warnings", "-l", QStringLiteral(TRELLINCTL_DOCS "/man/man1/trellinctl.1")}, {}, environment);
        QCOMPARE(man.err, QByteArray());
        QCOMPARE(man.code, 0);
        QVERIFY(man.out.contains("EXIT STATUS"));
    }
};

TRELLIN_TEST_MAIN(TestCtlDocs)
#include "tst_ctldocs.moc"

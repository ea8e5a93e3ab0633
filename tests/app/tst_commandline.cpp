#include "ChildProcess.h"
#include "DataColumns.h"
#include "TestEnvironment.h"

// Both programs answer --help and --version anywhere, without a display. Without an X11 session
// the program says so in one line and ends with status 1, where Qt would abort with a core dump;
// an argument it does not know ends it with status 2.
class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void answers_data()
    {
        // "environment": NAME=value to set, NAME to remove; "output": the start of standard output;
        // "error": all of standard error.
        const DataTable<QString, QStringList, QStringList, int, QString, QString> row(
            {"program", "arguments", "environment", "status", "output", "error"});
        const QString program = QStringLiteral(TRELLIN_PROGRAM);
        const QString ctl = QStringLiteral(TRELLINCTL);
        const QString version = QStringLiteral(TRELLIN_VERSION "\n");
        const QStringList noDisplay {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
        row("--help", program, {"--help"}, noDisplay, 0, "Usage: moxeno-trellin [OPTION]...\n", "");
        row("-h after Qt's options", program, {"-display", ":1", "-h"}, noDisplay, 0, "Usage: ", "");
        row("--version", program, {"--version"}, noDisplay, 0, "moxeno-trellin " + version, "");
        row("-v", program, {"-v"}, noDisplay, 0, "moxeno-trellin " + version, "");
        row("trellinctl --version", ctl, {"--version"}, noDisplay, 0, "trellinctl " + version, "");
        row("trellinctl --help", ctl, {"--help"}, noDisplay, 0, "usage: trellinctl", "");
        row("no display", program, {}, noDisplay, 1, "",
            "moxeno-trellin: needs an X11 session (or XWayland): no X11 display (DISPLAY is not set)\n");
        row("Wayland without XWayland", program, {}, noDisplay + QStringList {"WAYLAND_DISPLAY=wayland-0"}, 1,
            "", "moxeno-trellin: needs an X11 session (or XWayland): no X11 display (DISPLAY is not set)\n");
        row("no X server on the display", program, {}, noDisplay + QStringList {"DISPLAY=:4711"}, 1, "",
            "moxeno-trellin: needs an X11 session (or XWayland): no X11 display (cannot connect to :4711)\n");
        row("unknown argument", program, {"--frobnicate"},
            noDisplay + QStringList {"QT_QPA_PLATFORM=offscreen"}, 2, "",
            "moxeno-trellin: '--frobnicate' is not understood; see moxeno-trellin --help\n");
        row("-platform chosen", program, {"-platform", "offscreen", "stray"}, noDisplay, 2, "",
            "moxeno-trellin: 'stray' is not understood; see moxeno-trellin --help\n");
        row("--new-instance is understood", program, {"-platform", "offscreen", "--new-instance", "stray"},
            noDisplay, 2, "", "moxeno-trellin: 'stray' is not understood; see moxeno-trellin --help\n");
    }
    void answers()
    {
        auto [program, arguments, environment, status, output, error]
            = fetchColumns<QString, QStringList, QStringList, int, QString, QString>(
                {"program", "arguments", "environment", "status", "output", "error"});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& change : environment) {
            if (change.contains(u'='))
                env.insert(change.section(u'=', 0, 0), change.section(u'=', 1));
            else
                env.remove(change);
        }
        const ChildProcess::Outcome run = ChildProcess::run(program, arguments, {}, env);
        const QString out = QString::fromUtf8(run.out);
        QCOMPARE(QString::fromUtf8(run.err), error);
        QCOMPARE(run.code, status);
        QCOMPARE(out.left(output.size()), output);
        QCOMPARE(out.isEmpty(), output.isEmpty());
        // Nothing was written to the home folder on the way.
        QVERIFY(!QFileInfo::exists(QDir::homePath() + QStringLiteral("/.local/share/MoxenoTrellin")));
    }
};

TRELLIN_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"

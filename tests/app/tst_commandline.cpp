#include "ChildProcess.h"
#include "DataColumns.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "remote/InstanceServer.h"

#include <QScopeGuard>

#include <future>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// Both programs answer --help and --version anywhere, without a display. Without an X11 session
// the program says so in one line and ends with status 1, where Qt would abort with a core dump;
// an argument it does not know ends it with status 2. A running copy answers on its socket.
class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    // The socket of a copy that crashed is replaced; the new one answers this user only and a
    // second copy finds it; a request gets its reply while events go on; the socket goes with
    // its server.
    void servesOneCopy()
    {
        const QByteArray path = QFile::encodeName(InstanceChannel::socketPath());
        QVERIFY(QDir().mkpath(QFileInfo(InstanceChannel::socketPath()).path()));
        QVERIFY(TestFiles::makeSocket(InstanceChannel::socketPath()));

        QStringList asked;
        std::optional<InstanceServer> server(std::in_place, [&asked](const QStringList& words) {
            asked = words;
            return InstanceChannel::Reply {3, u"out"_s, u"err"_s};
        });
        QCOMPARE(server->listen(), InstanceServer::Start::Listening);
        struct stat status
        {
        };
        QCOMPARE(::stat(path.constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, mode_t(S_IRUSR | S_IWUSR));

        InstanceServer second([](const QStringList&) { return InstanceChannel::Reply {}; });
        QCOMPARE(second.listen(), InstanceServer::Start::OtherCopyRuns);

        auto reply = std::async(std::launch::async, [] {
            return InstanceChannel::send({"play", "3", "5"}, 10000);
        });
        QTRY_VERIFY(reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
        const std::optional<InstanceChannel::Reply> got = reply.get();
        QVERIFY(got);
        QCOMPARE(asked, QStringList({"play", "3", "5"}));
        QCOMPARE(u"%1|%2|%3"_s.arg(got->status).arg(got->out, got->err), "3|out|err");

        server.reset();
        QVERIFY(!QFile::exists(InstanceChannel::socketPath()));
    }

    // A copy that takes a request but never accepts it does not answer; one that accepts it and
    // then ends, or takes longer than the caller waits, is told as such.
    void unansweredRequests()
    {
        QVERIFY(QDir().mkpath(QFileInfo(InstanceChannel::socketPath()).path()));
        sockaddr_un address;
        QVERIFY(InstanceChannel::socketAddress(QFile::encodeName(InstanceChannel::socketPath()), address));
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        QCOMPARE(::listen(listener, 4), 0);
        auto copy = std::async(std::launch::async, [listener] {
            const int unanswered = ::accept(listener, nullptr, nullptr);
            for (const bool ends : {true, false}) {
                const int accepted = ::accept(listener, nullptr, nullptr);
                // The request is read first, as the program does: closing with data unread resets
                // the connection, and the client may see the reset before the acceptance.
                for (char c = 0; c != '\n' && ::read(accepted, &c, 1) == 1;) { }
                (void)!::write(accepted, InstanceChannel::kAccepted, sizeof InstanceChannel::kAccepted - 1);
                if (ends)
                    ::close(accepted);
            }
            return unanswered;
        });
        // Wakes the copy's accept when a check fails before every request was made.
        const auto stop = qScopeGuard([listener] {
            ::shutdown(listener, SHUT_RDWR);
            ::close(listener);
        });
        const auto error
            = [](int timeoutMs) { return InstanceChannel::send({"show"}, timeoutMs).value().err; };
        QCOMPARE(error(10000), "the running Moxeno Trellin does not answer");
        QCOMPARE(error(10000), "the running Moxeno Trellin ended before it answered");
        QCOMPARE(error(200), "the running Moxeno Trellin did not answer in time");
        ::close(copy.get());
        QFile::remove(InstanceChannel::socketPath());
    }

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
        QVERIFY(!QFileInfo::exists(QDir::homePath() + u"/.local/share/MoxenoTrellin"_s));
    }
};

TRELLIN_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"

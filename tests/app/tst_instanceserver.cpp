#include "TestEnvironment.h"
#include "remote/InstanceServer.h"

#include <QFile>
#include <QScopeGuard>

#include <future>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

class TestInstanceServer : public QObject
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
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
        const int crashed = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(crashed, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        ::close(crashed);

        QStringList asked;
        std::optional<InstanceServer> server(std::in_place, [&asked](const QStringList& words) {
            asked = words;
            return InstanceChannel::Reply {3, QStringLiteral("out"), QStringLiteral("err")};
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
        QCOMPARE(got->status, 3);
        QCOMPARE(got->out, QStringLiteral("out"));
        QCOMPARE(got->err, QStringLiteral("err"));

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
};

TRELLIN_TEST_MAIN(TestInstanceServer)
#include "tst_instanceserver.moc"

#include "TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

// The real program in a real X session: a real mouse click copies a stored text to the
// clipboard, where another program (xclip) reads it; a right click stores what xclip put there.
class TestProgramE2E : public QObject
{
    Q_OBJECT

private:
    QString m_data;
    QProcess m_program;
    QString m_window;

    static QString run(const QString& program, const QStringList& arguments, int timeoutMs = 10000)
    {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            return QString();
        }
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    static QString clipboard()
    {
        return run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}, 3000);
    }
    // Window-relative pixel position of a point given in the window's twips (96 DPI here).
    void click(int xTwips, int yTwips, int button)
    {
        run(QStringLiteral("xdotool"),
            {"mousemove", "--window", m_window, QString::number(xTwips / 15), QString::number(yTwips / 15),
                "click", QString::number(button)});
    }
    // Centre of position button 1, 2 or 3: the frames stand at 240/600 and 120/240 twips.
    void clickPosition(int position, int button)
    {
        click(240 + 120 + (position - 1) * 240 + 126, 600 + 240 + 126, button);
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X session of scripts/x11-session.sh");
        m_data = QDir::homePath() + QStringLiteral("/.local/share/MoxenoTrellin/");
        QVERIFY(QDir().mkpath(m_data));
        QFile box(m_data + QStringLiteral("MoxenoTrellin1.txt"));
        QVERIFY(box.open(QIODevice::WriteOnly));
        box.write("01!\xac:Hello from box one\r\n");
        box.close();

        m_program.setProcessChannelMode(QProcess::ForwardedChannels);
        m_program.start(QStringLiteral(TRELLIN_PROGRAM), {});
        QVERIFY(m_program.waitForStarted());
        m_window = run(QStringLiteral("xdotool"),
            {"search", "--sync", "--onlyvisible", "--name", "^Moxeno Trellin$"}, 20000)
                       .split(u'\n', Qt::SkipEmptyParts)
                       .value(0);
        QVERIFY2(!m_window.isEmpty(), "the main window did not appear");
        QThread::msleep(500);
    }

    void leftClickCopiesToTheSystemClipboard()
    {
        clickPosition(1, 1);
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), QStringLiteral("Hello from box one"), kSlowMachineMs);
    }

    void rightClickStoresTheSystemClipboard()
    {
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {"-i", "-selection", "clipboard"});
        QVERIFY(xclip.waitForStarted());
        xclip.write("From another program");
        xclip.closeWriteChannel();
        QVERIFY(xclip.waitForFinished(5000));
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), QStringLiteral("From another program"), kSlowMachineMs);

        clickPosition(2, 3);
        const auto stored = [this] {
            QFile box(m_data + QStringLiteral("MoxenoTrellin1.txt"));
            return box.open(QIODevice::ReadOnly) ? box.readAll() : QByteArray();
        };
        QTRY_VERIFY_WITH_TIMEOUT(stored().contains("02!\xac:From another program"), kSlowMachineMs);
    }

    void closeLabelEndsTheProgramAndStoresTheBox()
    {
        click(10320 + 200, 9570 + 120, 1);
        QVERIFY(m_program.waitForFinished(10000));
        QCOMPARE(m_program.exitCode(), 0);
        QFile ini(QDir::homePath() + QStringLiteral("/.config/MoxenoTrellin/MoxenoTrellin.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("BoxNo=1"));
    }

    void cleanupTestCase()
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished();
        }
    }
};

TRELLIN_GUI_TEST_MAIN(TestProgramE2E)
#include "tst_programe2e.moc"

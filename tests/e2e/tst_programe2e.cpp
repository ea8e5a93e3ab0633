#include "GuiTestMain.h"
#include "TestFiles.h"

#include <QProcess>

// The real program in a real X session: a real mouse click copies a stored text to the
// clipboard, where another program (xclip) reads it; a right click stores what xclip put there.
class TestProgramE2E : public QObject
{
    Q_OBJECT

    QString m_data;
    QProcess m_program;
    QString m_window;

    // The standard output of a helper program; nothing when it does not finish in time.
    static QString run(const QString& program, const QStringList& arguments)
    {
        QProcess process; // killed on destruction when it does not finish
        process.start(program, arguments);
        return process.waitForFinished(kSlowMachineMs) ? QString::fromUtf8(process.readAllStandardOutput())
                                                       : QString();
    }
    static QString clipboard() { return run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}); }
    // Clicks a point given in the window's twips (15 to a pixel at 96 DPI).
    void click(int xTwips, int yTwips, int button)
    {
        run(QStringLiteral("xdotool"),
            {"mousemove", "--window", m_window, QString::number(xTwips / 15), QString::number(yTwips / 15),
                "click", QString::number(button)});
    }
    // The centre of position button 1 or 2: the frames stand at 240/600 and 120/240 twips.
    static constexpr int kPosition1X = 240 + 120 + 126, kPosition2X = kPosition1X + 240,
                         kPositionY = 600 + 240 + 126;

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X session of scripts/x11-session.sh");
        m_data = QDir::homePath() + QStringLiteral("/.local/share/MoxenoTrellin/");
        QVERIFY(TestFiles::write(
            m_data + QStringLiteral("MoxenoTrellin1.txt"), "01!\xac:Hello from box one\r\n"));

        m_program.setProcessChannelMode(QProcess::ForwardedChannels);
        m_program.start(QStringLiteral(TRELLIN_PROGRAM), {});
        QVERIFY(m_program.waitForStarted());
        m_window = run(
            QStringLiteral("xdotool"), {"search", "--sync", "--onlyvisible", "--name", "^Moxeno Trellin$"})
                       .split(u'\n', Qt::SkipEmptyParts)
                       .value(0);
        QVERIFY2(!m_window.isEmpty(), "the main window did not appear");
        // A click is sure to reach the window once the window manager has taken it in and
        // made it the active window.
        QTRY_COMPARE_WITH_TIMEOUT(
            run(QStringLiteral("xdotool"), {"getactivewindow"}).trimmed(), m_window, kSlowMachineMs);
    }

    void clicksCopyAndStoreTheSystemClipboard()
    {
        click(kPosition1X, kPositionY, 1);
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), QStringLiteral("Hello from box one"), kSlowMachineMs);

        const QString other = QStringLiteral("From another program: \u00DF \u20AC \u65E5\u672C");
        run(QStringLiteral("sh"), {"-c", "printf '" + other + "' | xclip -i -selection clipboard"});
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), other, kSlowMachineMs);

        click(kPosition2X, kPositionY, 3);
        QTRY_VERIFY_WITH_TIMEOUT(TestFiles::read(m_data + QStringLiteral("MoxenoTrellin1.txt"))
                                     .contains(("02!\u00AC:" + other).toUtf8()),
            kSlowMachineMs);
    }

    void closeLabelEndsTheProgramAndStoresTheBox()
    {
        click(10320 + 200, 9570 + 120, 1);
        QVERIFY(m_program.waitForFinished(kSlowMachineMs));
        QCOMPARE(m_program.exitCode(), 0);
        QVERIFY(TestFiles::read(QDir::homePath() + QStringLiteral("/.config/MoxenoTrellin/MoxenoTrellin.ini"))
                    .contains("BoxNo=1"));
    }
};

TRELLIN_GUI_TEST_MAIN(TestProgramE2E)
#include "tst_programe2e.moc"

#include "GuiTestMain.h"
#include "platform/qt/QtClipboard.h"

#include <QProcess>

// The clipboard as another program (xclip) sees it: non-Latin text passes unchanged; line breaks
// arrive as LF, as programs here expect.
class TestX11Clipboard : public QObject
{
    Q_OBJECT
    QtClipboard m_clipboard;

private slots:
    void otherProgramReadsOurText()
    {
        const QString text = QStringLiteral("héllo € ł 日本\r\nsecond line");
        QVERIFY(m_clipboard.replaceText(text));
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"});
        // xclip asks this process for the text, so the event loop must keep running meanwhile.
        QTRY_COMPARE_WITH_TIMEOUT(xclip.state(), QProcess::NotRunning, kSlowMachineMs);
        QCOMPARE(xclip.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(xclip.readAllStandardOutput()), QString(text).replace("\r\n", "\n"));
    }
};

TRELLIN_GUI_TEST_MAIN(TestX11Clipboard)
#include "tst_x11clipboard.moc"

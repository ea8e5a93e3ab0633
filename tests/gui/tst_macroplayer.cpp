#include "DataColumns.h"
#include "GuiTestMain.h"
#include "MainWindowFixture.h"
#include "gui/macros/MacroPlayer.h"
#include "macros/ClockFormats.h"

#include <QLineEdit>

static QWidget* visibleProgressWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QStringLiteral("Form2") && widget->isVisible())
            return widget;
    return nullptr;
}

// The keys and window switches a script stands for: '<' switches past the progress window, '>'
// to the last window, a tab is the Tab key, any other character is typed.
static QStringList calls(const char* script)
{
    QStringList lines;
    for (const char* c = script; *c; ++c)
        lines << (*c == '<'  ? QStringLiteral("switch past progress")
                : *c == '>'  ? QStringLiteral("switch last")
                : *c == '\t' ? QStringLiteral("keys key TAB")
                             : QStringLiteral("keys char '%1'").arg(QLatin1Char(*c)));
    return lines;
}

class TestMacroPlayer : public QObject
{
    Q_OBJECT
private slots:
    // "answers" are the replies to the dialogs in turn. "settings": MacroPromptBefore and
    // MacroInformAfter. How each step dialog is left, and Cancel in the progress window, are clicked
    // in the real program by the end-to-end test.
    void play_data()
    {
        const DataTable<QString, QString, QStringList, QStringList, QString> row(
            {"body", "settings", "answers", "calls", "logged"});
        const QString finished
            = QStringLiteral("Macro 'Greeting' from box 'Box 1' finished playing correctly");
        const QString aborted = QStringLiteral("Macro 'Greeting' from box 'Box 1' aborted by user");
        const QString error
            = QStringLiteral("An error was encountered playing macro 'Greeting' from box 'Box 1'");
        row("finished, asked and told", "a\r\nb{TAB}", "11", {"Yes", "OK"}, calls("<ab\t>"), finished);
        row("not told", "ab", "10", {"Yes"}, calls("<ab>"), finished);
        row("not asked", "ab", "01", {"OK"}, calls("<ab>"), finished);
        row("declined", "ab", "11", {"No"}, calls(""), QString());
        row("empty", "", "11", {}, calls(""), QString());
        row("error midway", "a{WAIT x}b", "01", {"OK"}, calls("<a>"), error);
        row("input first, continue", "{GET Name~Smith}", "00", {"Jones"}, calls("<>Jones>"), finished);
        row("input, abort", "{GET Name~Smith}b", "00", {"Abort", "OK"}, calls("<>"), aborted);
    }

    void play()
    {
        auto [body, settings, answers, calls, logged]
            = fetchColumns<QString, QString, QStringList, QStringList, QString>(
                {"body", "settings", "answers", "calls", "logged"});

        MainWindowFixture f;
        QVERIFY(f.show());
        QVERIFY(f.macros.saveMacro(QStringLiteral("Greeting>") + body, 1, 1));
        QVERIFY(f.settings.setText(Settings::Key::MacroPromptBefore, settings.left(1)));
        QVERIFY(f.settings.setText(Settings::Key::MacroInformAfter, settings.mid(1)));
        QVERIFY(f.settings.setText(Settings::Key::MacroDelay, QStringLiteral("0")));
        const QRect geometry = f.window.geometry();
        RecordingPlatform platform;
        ClockFormats formats;
        MacroPlayer player {f.context, f.macros, platform, platform, &f.window, formats};

        for (const QString& answer : answers) {
            if (answer == u"Yes" || answer == u"No") {
                f.dialogs.expect([answer, &f](QDialog& dialog) {
                    QCOMPARE(f.dialogs.seen.last(), QStringLiteral("Moxeno Trellin|Play macro Greeting?"));
                    DialogScript::messageButton(answer == u"Yes" ? QMessageBox::Yes : QMessageBox::No)(
                        dialog);
                });
            } else if (answer == u"OK") {
                // The report comes after the main window is back and the progress window gone.
                f.dialogs.expect([&f, &logged, geometry](QDialog& dialog) {
                    QVERIFY(f.window.isVisible());
                    QCOMPARE(f.window.geometry(), geometry);
                    QVERIFY(!visibleProgressWindow());
                    QCOMPARE(static_cast<QMessageBox&>(dialog).text(), logged + u'.');
                    DialogScript::messageButton(QMessageBox::Ok)(dialog);
                });
            } else {
                f.dialogs.expect([answer](QDialog& dialog) {
                    QCOMPARE(dialog.objectName(), QStringLiteral("Form3"));
                    auto* text = dialog.findChild<QLineEdit*>(QStringLiteral("Text1"));
                    if (answer == u"Abort")
                        return DialogScript::clickLabel(QStringLiteral("LabelAbort"))(dialog);
                    QCOMPARE(text->cursorPosition(), int(text->text().size()));
                    text->selectAll();
                    QTest::keyClicks(text, QStringLiteral("Jones"));
                    QTest::keyClick(text, Qt::Key_Enter);
                });
            }
        }
        const qsizetype logBefore = f.log.entries().size();
        QCOMPARE(player.play(1, 1, QStringLiteral("Greeting"), QStringLiteral("Box 1")),
            answers.value(0) != u"No");

        QCOMPARE(platform.calls, calls);
        if (logged.isEmpty())
            QCOMPARE(f.log.entries().size(), logBefore);
        else
            QCOMPARE(f.lastMessage(), logged);
        QVERIFY(f.window.isVisible());
        QVERIFY(!visibleProgressWindow());
    }
};

TRELLIN_GUI_TEST_MAIN(TestMacroPlayer)
#include "tst_macroplayer.moc"

#include "DialogScript.h"
#include "DomainFixture.h"
#include "GuiTestMain.h"
#include "StepTable.h"
#include "TestFiles.h"
#include "core/DataContext.h"
#include "gui/calc/CalculatorFrame.h"
#include "gui/dialogs/GuiPrompter.h"
#include "macros/TypingInserter.h"
#include "platform/RecordingPlatform.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

// The calculator panel in a window of its own, with recorded clipboard, keys and window switches,
// real settings in a temporary folder and a status log.
struct Panel : SettingsFixture
{
    explicit Panel(const QList<std::pair<Settings::Key, QString>>& stored = {})
    {
        QDir().mkpath(dir.filePath(u"config"_s));
        for (const auto& [key, value] : stored)
            (void)settings.setText(key, value);
        frame = std::make_unique<CalculatorFrame>(context, platform);
        frame->setSender(&inserter, &platform);
        frame->resize(320, 300);
        frame->show();
        frame->activateWindow();
        display = frame->findChild<QLineEdit*>(u"TextCalc"_s);
        history = frame->findChild<QListWidget*>(u"ListCalc"_s);
        places = frame->findChild<QComboBox*>(u"ComboDecPlaces"_s);
        QObject::connect(
            frame.get(), &CalculatorFrame::statusText, [this](const QString& text) { status = text; });
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
    }

    QWidget* widget(const QString& name) const { return frame->findChild<QWidget*>(name); }
    QLineEdit* memoryBox(int index) const { return frame->findChild<QLineEdit*>(u"TextMem%1"_s.arg(index)); }
    // Actions: t type, e type and Enter, c new calculation, k key on the display, K release of
    // Enter, @ caret to, r click, f focus, x double-click, p choose places, v clipboard content,
    // m answer the next message with a button, h click on a history line, b Backspace at the end of
    // a field (B Backspace alone), o hover over a part, C forget the recorded calls, F no window to switch
    // to, U settings file that cannot be written (W can again).
    void act(char action, const QString& arg)
    {
        const auto key = [&](Qt::Key key) { QTest::keyClick(display, key); };
        const QMap<QString, int> buttons {{"Yes", QMessageBox::Yes}, {"No", QMessageBox::No}};
        // A click on a history line ("-": below the lines): L left, R right, C Ctrl+right.
        const auto onHistory = [&] {
            QWidget* viewport = history->viewport();
            const QPoint at = arg[1] == u'-'
                ? QPoint(5, viewport->height() - 3)
                : history->visualItemRect(history->item(arg.mid(1).toInt())).center();
            QTest::mouseClick(viewport, arg[0] == u'L' ? Qt::LeftButton : Qt::RightButton,
                arg[0] == u'C' ? Qt::ControlModifier : Qt::NoModifier, at);
        };
        const std::map<char, std::function<void()>> actions {
            // typed into the display, as the user does after clicking it; "c" replaces what it shows
            {'t', [&] { display->setFocus(), QTest::keyClicks(display, arg); }},
            {'e', [&] { act('t', arg), key(Qt::Key_Return); }},
            {'c', [&] { display->setFocus(), display->selectAll(), act('e', arg); }},
            {'k', [&] { key(arg == QLatin1String("Delete") ? Qt::Key_Delete : Qt::Key_Return); }},
            {'K', [&] { QTest::keyRelease(display, Qt::Key_Return); }},
            {'@', [&] { display->setCursorPosition(arg.toInt()); }},
            {'r', [&] { QTest::mouseClick(widget(arg), Qt::LeftButton); }},
            {'f', [&] { widget(arg)->setFocus(); }},
            {'x', [&] { QTest::mouseDClick(widget(arg), Qt::LeftButton); }},
            {'p', [&] { places->setCurrentText(arg), emit places->activated(places->currentIndex()); }},
            {'v', [&] { platform.content = arg; }}, {'C', [&] { platform.calls.clear(); }},
            {'F', [&] { platform.failing = true; }},
            {'U',
                [&] {
                    QFile::remove(settingsStore.iniPath());
                    QVERIFY(TestFiles::makeSocket(settingsStore.iniPath()));
                }},
            {'W', [&] { QVERIFY(QFile::remove(settingsStore.iniPath())); }},
            {'o',
                [&] {
                    QTest::mouseMove(frame.get(), {1, 1}), status.clear(),
                        QTest::mouseMove(widget(arg), {3, 3});
                }},
            {'b', [&] { act('f', arg), QTest::keyClick(widget(arg), Qt::Key_End), act('B', arg); }},
            {'B', [&] { QTest::keyClick(widget(arg), Qt::Key_Backspace); }},
            {'m', [&] { script.expect(DialogScript::messageButton(buttons.value(arg, QMessageBox::Ok))); }},
            {'h', onHistory}};
        actions.at(action)();
    }
    // The parts steps can name.
    std::map<QString, QString> parts() const
    {
        QStringList texts;
        for (int row = 0; row < history->count(); ++row)
            texts.append(history->item(row)->text());
        const QWidget* focus = QApplication::focusWidget();
        std::map<QString, QString> shown {{"display", display->text()}, {"entry", texts.value(0)},
            {"entries", texts.join(u',')}, {"count", QString::number(texts.size())},
            {"row", QString::number(history->currentRow())},
            {"K", QString::number(widget(u"LabelK"_s)->isVisible())},
            {"focus", focus ? focus->objectName() : QString()}, {"clip", platform.content},
            {"said", script.seen.join(u',')}, {"hint", QString::number(!status.isEmpty())},
            {"tips",
                QStringList {history->toolTip(), memoryBox(1)->toolTip(), display->toolTip()}.join(u',')},
            {"typed", QString::number(platform.calls.size() > 1)}, {"call1", platform.calls.value(0)},
            {"places", places->currentText() + u'/' + QString::number(places->count())},
            {"storedPlaces", settings.text(Settings::Key::DecPlaces)},
            // what a message and the log said up to the reason, and how many lines were logged
            {"told", script.seen.value(script.seen.size() - 1).section(u':', 0, 0)},
            {"log", log.latest().mid(10).section(u':', 0, 0)},
            {"logged", QString::number(log.entries().size())}};
        for (const QString& n :
            QStringList {"1", "2", "3"}) { // memN shows memory N, storedN its stored value
            shown["mem" + n] = memoryBox(n.toInt())->text();
            shown["stored" + n] = settingsStore.readValue(u"Calculator"_s, "Mem" + n, u"unset"_s);
        }
        return shown;
    }
    void run(std::initializer_list<Step> steps)
    {
        runSteps(
            steps, [this](char action, const QString& arg) { act(action, arg); }, [this] { return parts(); });
    }

    RecordingPlatform platform;
    TypingInserter inserter {platform};
    GuiPrompter prompter {settings, platform};
    DataContext context {settings, log, prompter};
    DialogScript script; // every message box must be expected
    std::unique_ptr<CalculatorFrame> frame;
    QLineEdit* display = nullptr;
    QListWidget* history = nullptr;
    QComboBox* places = nullptr;
    QString status; // the last hint sent, cleared by the hover action
};

class TestCalculatorFrame : public QObject
{
    Q_OBJECT
private slots:
    // The memories and the places come from the settings; a memory emptied by typing is "0",
    // stored as such.
    void memoriesAndPlacesFromTheSettings()
    {
        Panel p({{Settings::Key::Mem3, u"12"_s}, {Settings::Key::DecPlaces, u"12"_s}});
        p.run({{' ', "", "mem1 places", "0|4/11"}, {'b', "TextMem3", "stored3", "1"},
            {'b', "TextMem3", "mem3 stored3", "0|0"}});
    }

    void typingCalculates()
    {
        Panel p;
        p.run({// The "0" goes when the display gets the focus; "=" calculates at once and never stays.
            {'t', "12*3=", "display entries row", "36.|12*3 = 36. (4 dp)|0"},
            // Enter on the result: the result is the new calculation.
            {'k', "Return", "entry", "36. = 36. (4 dp)"},
            // Clear leaves "" while the display has the focus.
            {'r', "LabelClearCalc", "display", ""}, {'r', "LabelClearWholeCalc", "count", "0"}});
    }

    void enterAfterTheMessageDoesNotCalculate()
    {
        Panel p;
        const char* said
            = "Error|Calculator cannot evaluate\n2^3\n\nUse only digits 0-9, '+', '-', '*', '/', "
              "'.', '%', and brackets.";
        p.run({{'m', "Ok", "", ""}, {'e', "2^3", "said display", qPrintable(said + u"|2^3"_s)},
            // The release of the Enter that closed the box arrives at the display: nothing happens.
            {'K', "", "said", said},
            // A change of the display re-enables Enter.
            {'m', "Ok", "", ""}, {'e', "1", "count", "0"}});
        QCOMPARE(p.script.seen.size(), 2);
    }

    void deleteAtTheEndEndsConstantMode()
    {
        Panel p;
        p.run({{'e', "5**", "K display", "1|5*"}, {'e', "3", "entry display", "5*3 = 15. (4 dp)|5*"},
            // Inside the text Delete deletes one character.
            {'@', "0", "", ""}, {'k', "Delete", "display K", "*|1"}, {'@', "1", "", ""},
            {'k', "Delete", "display K", "|0"}, {'e', "2*3", "display", "6."}});
    }

    // M+, M- and M In take the display or, with the focus in the history, its line; with the
    // focus elsewhere they do nothing. Reached by Tab, they take the field the focus left.
    void memoriesFromDisplayAndHistory()
    {
        Panel p;
        p.run({{'c', "1000*2", "", ""}, {'r', "LabelMemAdd1", "mem1", "2000"}, {'f', "ListCalc", "", ""},
            {'r', "LabelMemAdd1", "mem1", "4000"}, {'r', "LabelMemDeduct1", "mem1", "2000"},
            {'r', "LabelMemIn2", "mem2", "2,000. (4 dp)"}, {'f', "TextMem3", "", ""},
            {'r', "LabelMemIn1", "mem1", "2000"}, {'r', "LabelClearCalc", "", ""},
            {'x', "TextMem2", "display focus", "2,000. (4 dp)|TextCalc"},
            {'r', "LabelMemClear1", "mem1 stored1", "0|0"}, {'c', "7*1", "", ""},
            {'f', "LabelMemIn3", "", ""}, {'r', "LabelMemIn3", "mem3", "7"}});
    }

    // A new choice of places shows the last result at the new places and adds no history line.
    void insertCommandsAndDecimalPlaces()
    {
        Panel p({{Settings::Key::DecPlaces, u"2"_s}});
        p.run({{'c', "10/3", "entries", "10/3 = 3.33 (2 dp)"}, {'r', "LabelClearCalc", "", ""},
            {'t', "1+", "", ""}, {'r', "LabelCalcInsResult", "display", "1+3.33"},
            {'r', "LabelClearCalc", "", ""}, {'r', "LabelCalcInsCalc", "display", "10/3"},
            {'k', "Return", "", ""}, {'p', "-", "display count storedPlaces", "3.333333333333|2|-"},
            {'p', "0", "display", "3."}});
    }

    // Ctrl+right-click on a selected line asks before it deletes the line.
    void deleteFromHistory()
    {
        Panel p;
        p.run({{'c', "1+1", "", ""}, {'c', "2+2", "", ""}});
        p.history->setCurrentRow(-1);
        p.run({{'h', "C-", "said", ""}, {'h', "L1", "", ""}, {'h', "R1", "said", ""}, {'m', "No", "", ""},
            {'h', "C1", "said count", "Calculator|Delete 1+1 = 2. (4 dp)?|2"}, {'m', "Yes", "", ""},
            {'h', "C1", "entries", "2+2 = 4. (4 dp)"}});
    }

    // Hovering a part sends its hint, if it has one, through statusText; the history, the memories
    // and the display show their text as a tooltip.
    void hints()
    {
        Panel p({{Settings::Key::Mem1, u"42"_s}});
        p.act('c', u"6*7"_s);
        p.run({{'o', "FrameMem3", "hint", "1"}, {'o', "ListCalc", "hint", "1"},
            {'o', "TextMem1", "hint", "1"}, {'o', "TextCalc", "hint tips", "0|6*7 = 42. (4 dp),42,42."}});
    }

    // A setting the settings file cannot take holds for the run and is told: the places the user
    // just chose in a message and the log; a memory, stored at every change, in the log once
    // while it keeps failing.
    void unstoredSettingsAreTold()
    {
        Panel p;
        p.run({{'U', "", "", ""}, {'c', "10/4", "", ""},
            {'r', "LabelMemIn1", "mem1 log logged", "2.5|The memory 1 could not be stored|1"},
            {'r', "LabelMemAdd1", "mem1 logged", "5|1"},
            // Stored again, then failing again: told again.
            {'W', "", "", ""}, {'r', "LabelMemAdd1", "stored1 logged", "7.5|1"}, {'U', "", "", ""},
            {'r', "LabelMemAdd1", "mem1 logged", "10|2"}, {'m', "Ok", "", ""},
            {'p', "3", "told log logged places",
                "Moxeno Trellin|The number of decimal places could not be stored|"
                "The number of decimal places could not be stored|3|3/11"}});
        QCOMPARE(p.script.seen.size(), 1);
    }

    void clipboardAndSend()
    {
        Panel p;
        p.run({{'c', "-1234.5*1", "", ""}, {'r', "LabelCalcCopy", "clip", "-1,234.5"}, {'v', "2*", "", ""},
            {'@', "0", "", ""}, {'r', "LabelCalcPaste", "display", "2*-1,234.5"}});
        // A long calculation arrives whole.
        p.platform.content = u"1"_s + u"+000000001"_s.repeated(3400);
        p.run({{'r', "LabelClearCalc", "", ""}, {'r', "LabelCalcPaste", "", ""},
            {'k', "Return", "display", "3,401."}});

        // Send switches to the last window and types the display there; with no window to switch
        // to nothing is typed, and the failure is logged and told.
        p.run({{'C', "", "", ""}, {'r', "LabelCalcSend", "call1 typed logged", "switch last|1|0"},
            {'C', "", "", ""}, {'F', "", "", ""}, {'m', "OK", "", ""},
            {'r', "LabelCalcSend", "call1 typed log logged said",
                "switch last|0|The calculator could not send 3,401.|1|"
                "Calculator|The calculator could not send 3,401.: there is no window to switch back to."}});
    }
};

TRELLIN_GUI_TEST_MAIN(TestCalculatorFrame)
#include "tst_calculatorframe.moc"

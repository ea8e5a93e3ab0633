#include "DialogScript.h"
#include "GuiTestMain.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "gui/calc/CalculatorFrame.h"
#include "platform/RecordingPlatform.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>

// The calculator panel in a window of its own, with recorded clipboard, keys and window switches
// and real settings in a temporary folder.
struct Panel
{
    explicit Panel(const QList<std::pair<Settings::Key, QString>>& stored = {})
    {
        QDir().mkpath(dir.filePath(QStringLiteral("data")));
        QDir().mkpath(dir.filePath(QStringLiteral("config")));
        for (const auto& [key, value] : stored)
            (void)settings.setText(key, value);
        frame = std::make_unique<CalculatorFrame>(settings, platform);
        frame->setSender(&platform, &platform);
        frame->resize(320, 300);
        frame->show();
        frame->activateWindow();
        display = frame->findChild<QLineEdit*>(QStringLiteral("TextCalc"));
        history = frame->findChild<QListWidget*>(QStringLiteral("ListCalc"));
        places = frame->findChild<QComboBox*>(QStringLiteral("ComboDecPlaces"));
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
    }

    // Types into the display, as the user does after clicking it.
    void type(const QString& text)
    {
        display->setFocus();
        QTest::keyClicks(display, text);
    }
    void enter(const QString& text)
    {
        type(text);
        QTest::keyClick(display, Qt::Key_Return);
    }
    // A new calculation in place of whatever the display shows.
    void calc(const QString& text)
    {
        display->setFocus();
        display->selectAll();
        enter(text);
    }
    void release(const QString& label)
    {
        auto* widget = frame->findChild<QWidget*>(label);
        QVERIFY2(widget, qPrintable(label));
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    QLineEdit* memoryBox(int index) const
    {
        return frame->findChild<QLineEdit*>(QStringLiteral("TextMem%1").arg(index));
    }
    QString memory(int index) const { return memoryBox(index)->text(); }
    bool constantShown() const { return frame->findChild<QWidget*>(QStringLiteral("LabelK"))->isVisible(); }
    QStringList entries() const
    {
        QStringList texts;
        for (int row = 0; row < history->count(); ++row)
            texts.append(history->item(row)->text());
        return texts;
    }

    QTemporaryDir dir;
    SettingsStore store {dir.filePath(QStringLiteral("data")), dir.filePath(QStringLiteral("config"))};
    Settings settings {store};
    RecordingPlatform platform;
    std::unique_ptr<CalculatorFrame> frame;
    QLineEdit* display = nullptr;
    QListWidget* history = nullptr;
    QComboBox* places = nullptr;
};

class TestCalculatorFrame : public QObject
{
    Q_OBJECT
private slots:
    // The memories and the places come from the settings; a memory emptied by typing is "0",
    // stored as such.
    void memoriesAndPlacesFromTheSettings()
    {
        Panel p(
            {{Settings::Key::Mem3, QStringLiteral("12")}, {Settings::Key::DecPlaces, QStringLiteral("12")}});
        QCOMPARE(p.memory(1), QStringLiteral("0"));
        QCOMPARE(p.places->currentText(), QStringLiteral("4"));
        QCOMPARE(p.places->count(), 11);
        auto* memory = p.memoryBox(3);
        memory->setFocus();
        memory->setCursorPosition(2);
        QTest::keyClick(memory, Qt::Key_Backspace);
        QCOMPARE(p.settings.text(Settings::Key::Mem3), QStringLiteral("1"));
        QTest::keyClick(memory, Qt::Key_Backspace);
        QCOMPARE(memory->text(), QStringLiteral("0"));
        QCOMPARE(
            p.store.readValue(QStringLiteral("Calculator"), QStringLiteral("Mem3"), QStringLiteral("unset")),
            QStringLiteral("0"));
    }

    void typingCalculates()
    {
        Panel p;
        // The "0" goes when the display gets the focus; "=" calculates at once and never stays.
        p.type(QStringLiteral("12*3="));
        QCOMPARE(p.display->text(), QStringLiteral("36."));
        QCOMPARE(p.entries(), QStringList {QStringLiteral("12*3 = 36. (4 dp)")});
        QCOMPARE(p.history->currentRow(), 0);
        // Enter on the result: the result is the new calculation.
        QTest::keyClick(p.display, Qt::Key_Return);
        QCOMPARE(p.entries().first(), QStringLiteral("36. = 36. (4 dp)"));
        // Clear leaves "" while the display has the focus.
        p.release(QStringLiteral("LabelClearCalc"));
        QCOMPARE(p.display->text(), QString());
        p.release(QStringLiteral("LabelClearWholeCalc"));
        QCOMPARE(p.history->count(), 0);
    }

    void enterAfterTheMessageDoesNotCalculate()
    {
        Panel p;
        DialogScript script;
        script.expect(DialogScript::messageButton(QMessageBox::Ok));
        p.enter(QStringLiteral("2^3"));
        QCOMPARE(script.seen,
            QStringList {QStringLiteral("Error|Calculator cannot evaluate\n2^3\n\nUse only digits 0-9, '+', "
                                        "'-', '*', '/', '.', '%', and brackets.")});
        QCOMPARE(p.display->text(), QStringLiteral("2^3"));
        // The release of the Enter that closed the box arrives at the display: nothing happens.
        QTest::keyRelease(p.display, Qt::Key_Return);
        QCOMPARE(script.seen.size(), 1);
        // A change of the display re-enables Enter.
        script.expect(DialogScript::messageButton(QMessageBox::Ok));
        p.enter(QStringLiteral("1"));
        QCOMPARE(script.seen.size(), 2);
        QVERIFY(script.usedUp());
        QCOMPARE(p.history->count(), 0);
    }

    void deleteAtTheEndEndsConstantMode()
    {
        Panel p;
        p.enter(QStringLiteral("5**"));
        QVERIFY(p.constantShown());
        QCOMPARE(p.display->text(), QStringLiteral("5*"));
        p.enter(QStringLiteral("3"));
        QCOMPARE(p.entries().first(), QStringLiteral("5*3 = 15. (4 dp)"));
        QCOMPARE(p.display->text(), QStringLiteral("5*"));
        // Inside the text Delete deletes one character.
        p.display->setCursorPosition(0);
        QTest::keyClick(p.display, Qt::Key_Delete);
        QCOMPARE(p.display->text(), QStringLiteral("*"));
        QVERIFY(p.constantShown());
        p.display->setCursorPosition(1);
        QTest::keyClick(p.display, Qt::Key_Delete);
        QCOMPARE(p.display->text(), QString());
        QVERIFY(!p.constantShown());
        p.enter(QStringLiteral("2*3"));
        QCOMPARE(p.display->text(), QStringLiteral("6."));
    }

    void memoriesFromDisplayAndHistory()
    {
        Panel p;
        p.calc(QStringLiteral("1000*2"));
        p.release(QStringLiteral("LabelMemAdd1"));
        QCOMPARE(p.memory(1), QStringLiteral("2000"));
        p.history->setFocus();
        p.release(QStringLiteral("LabelMemAdd1"));
        QCOMPARE(p.memory(1), QStringLiteral("4000"));
        p.release(QStringLiteral("LabelMemDeduct1"));
        QCOMPARE(p.memory(1), QStringLiteral("2000"));
        p.release(QStringLiteral("LabelMemIn2"));
        QCOMPARE(p.memory(2), QStringLiteral("2,000. (4 dp)"));
        // With the focus elsewhere the commands do nothing.
        p.memoryBox(3)->setFocus();
        p.release(QStringLiteral("LabelMemIn1"));
        QCOMPARE(p.memory(1), QStringLiteral("2000"));

        p.release(QStringLiteral("LabelClearCalc"));
        QTest::mouseDClick(p.memoryBox(2), Qt::LeftButton);
        QCOMPARE(p.display->text(), QStringLiteral("2,000. (4 dp)"));
        QVERIFY(p.display->hasFocus());

        p.release(QStringLiteral("LabelMemClear1"));
        QCOMPARE(p.memory(1), QStringLiteral("0"));
        QCOMPARE(p.settings.text(Settings::Key::Mem1), QStringLiteral("0"));
    }

    void insertCommandsAndDecimalPlaces()
    {
        Panel p({{Settings::Key::DecPlaces, QStringLiteral("2")}});
        p.calc(QStringLiteral("10/3"));
        QCOMPARE(p.entries(), QStringList {QStringLiteral("10/3 = 3.33 (2 dp)")});
        p.release(QStringLiteral("LabelClearCalc"));
        p.type(QStringLiteral("1+"));
        p.release(QStringLiteral("LabelCalcInsResult"));
        QCOMPARE(p.display->text(), QStringLiteral("1+3.33"));
        p.release(QStringLiteral("LabelClearCalc"));
        p.release(QStringLiteral("LabelCalcInsCalc"));
        QCOMPARE(p.display->text(), QStringLiteral("10/3"));

        // A new choice shows the last result at the new places and adds no history line.
        QTest::keyClick(p.display, Qt::Key_Return);
        p.places->setCurrentText(QStringLiteral("-"));
        emit p.places->activated(p.places->currentIndex());
        QCOMPARE(p.display->text(), QStringLiteral("3.333333333333"));
        QCOMPARE(p.history->count(), 2);
        QCOMPARE(p.settings.text(Settings::Key::DecPlaces), QStringLiteral("-"));
        p.places->setCurrentText(QStringLiteral("0"));
        emit p.places->activated(p.places->currentIndex());
        QCOMPARE(p.display->text(), QStringLiteral("3."));
    }

    void deleteFromHistory()
    {
        Panel p;
        DialogScript script;
        p.calc(QStringLiteral("1+1"));
        p.calc(QStringLiteral("2+2"));
        p.history->setCurrentRow(-1);
        QWidget* viewport = p.history->viewport();
        // Without a selection nothing is asked.
        QTest::mouseClick(viewport, Qt::RightButton, Qt::ControlModifier, QPoint(5, viewport->height() - 3));
        QCOMPARE(script.seen.size(), 0);
        const QPoint second = p.history->visualItemRect(p.history->item(1)).center();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, second);
        // A right-click without Ctrl asks nothing either.
        QTest::mouseClick(viewport, Qt::RightButton, {}, second);
        script.expect(DialogScript::messageButton(QMessageBox::No));
        QTest::mouseClick(viewport, Qt::RightButton, Qt::ControlModifier, second);
        QCOMPARE(script.seen, QStringList {QStringLiteral("Calculator|Delete 1+1 = 2. (4 dp)?")});
        QCOMPARE(p.history->count(), 2);
        script.expect(DialogScript::messageButton(QMessageBox::Yes));
        QTest::mouseClick(viewport, Qt::RightButton, Qt::ControlModifier, second);
        QCOMPARE(p.entries(), QStringList {QStringLiteral("2+2 = 4. (4 dp)")});
    }

    // Hints reach the status line through statusText; the history and memories show their text
    // as a tooltip.
    void hints()
    {
        Panel p({{Settings::Key::Mem1, QStringLiteral("42")}});
        p.calc(QStringLiteral("6*7"));
        QSignalSpy status(p.frame.get(), &CalculatorFrame::statusText);
        const auto hover = [&](const QString& name, QPoint at = QPoint()) {
            QTest::mouseMove(p.frame.get(), QPoint(1, 1));
            status.clear();
            QTest::mouseMove(p.frame->findChild<QWidget*>(name), at);
            return status.isEmpty() ? QString() : status.last().first().toString();
        };
        QCOMPARE(hover(QStringLiteral("FrameMem3"), QPoint(3, 3)),
            QStringLiteral("The 3 memories are retained for next time Trellin is used."));
        hover(QStringLiteral("ListCalc"));
        QCOMPARE(p.history->toolTip(), QStringLiteral("6*7 = 42. (4 dp)"));
        QCOMPARE(
            hover(QStringLiteral("TextMem1")), QStringLiteral("Double-click to insert memory into display."));
        QCOMPARE(p.memoryBox(1)->toolTip(), QStringLiteral("42"));
        QCOMPARE(hover(QStringLiteral("TextCalc")), QString());
        QCOMPARE(p.display->toolTip(), QStringLiteral("42."));
    }

    void clipboardAndSend()
    {
        Panel p;
        p.calc(QStringLiteral("-1234.5*1"));
        p.release(QStringLiteral("LabelCalcCopy"));
        QCOMPARE(p.platform.content, QStringLiteral("-1,234.5"));
        p.platform.content = QStringLiteral("2*");
        p.display->setCursorPosition(0);
        p.release(QStringLiteral("LabelCalcPaste"));
        QCOMPARE(p.display->text(), QStringLiteral("2*-1,234.5"));
        // A long calculation arrives whole.
        p.platform.content = QStringLiteral("1") + QStringLiteral("+000000001").repeated(3400);
        p.release(QStringLiteral("LabelClearCalc"));
        p.release(QStringLiteral("LabelCalcPaste"));
        QTest::keyClick(p.display, Qt::Key_Return);
        QCOMPARE(p.display->text(), QStringLiteral("3,401."));

        p.platform.calls.clear();
        p.release(QStringLiteral("LabelCalcSend"));
        QCOMPARE(p.platform.calls.first(), QStringLiteral("switch last"));
        QVERIFY(p.platform.calls.size() > 5);
        // No window to switch to: nothing is typed, nothing is said.
        p.platform.calls.clear();
        p.platform.failing = true;
        p.release(QStringLiteral("LabelCalcSend"));
        QCOMPARE(p.platform.calls, QStringList {QStringLiteral("switch last")});
    }
};

TRELLIN_GUI_TEST_MAIN(TestCalculatorFrame)
#include "tst_calculatorframe.moc"

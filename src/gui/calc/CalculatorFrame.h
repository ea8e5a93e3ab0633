#pragma once

#include "calc/Calculator.h"
#include "calc/CalculatorMessages.h"

#include <QGroupBox>

#include <array>
#include <functional>

class Clipboard;
class CommandLabel;
class DataContext;
class HintFilter;
class TextInserter;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class WindowSwitcher;

// The "Calculator" frame: the display, the history, the decimal places, the three memories and
// the commands between them, the clipboard and the last window. Calculator holds the state and
// does the work; the frame hands it every event and shows what it holds afterwards.
class CalculatorFrame : public QGroupBox, private CalculatorMessages
{
    Q_OBJECT
public:
    CalculatorFrame(DataContext& context, Clipboard& clipboard, QWidget* parent = nullptr);

    // Where Send types the display; without both Send does nothing.
    void setSender(TextInserter* inserter, WindowSwitcher* windows);

    Calculator& calculator() { return m_calculator; }
    // Takes the decimal places from the settings again, as another program may have changed
    // them; true when they differ from the ones shown.
    bool applyStoredPlaces();

signals:
    void statusText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The rows of the frame, top to bottom; each wires its controls and their hints.
    void buildDisplay();
    void buildDisplayCommands();
    void buildHistory();
    void buildPlaces();
    void buildMemory(int index);
    // A hover hint that shows the text in the status line.
    std::function<void()> hintText(const QString& text);
    CommandLabel* commandLabel(const char* name, const char* text);

    void cannotEvaluate(const QString& message) override;
    // The display and the history as the user left them, into the calculator.
    void pull();
    // The calculator's state onto the controls.
    void refresh();
    // pull(), one command of the calculator, refresh().
    void run(const std::function<void()>& command);
    void memoryCommand(int index, void (Calculator::*command)(int, Calculator::Source));
    void deleteEntryAsked();
    void send();
    void sendFailed(const QString& reason);

    DataContext& m_context;
    Clipboard& m_clipboard;
    HintFilter* m_hints;
    TextInserter* m_inserter = nullptr;
    WindowSwitcher* m_windows = nullptr;
    Calculator m_calculator;
    bool m_showing = false;

    QLineEdit* m_display;
    QListWidget* m_history;
    const QWidget* m_lastField = nullptr; // the display or the history, whichever had the focus last
    QComboBox* m_places;
    QLabel* m_constant;
    std::array<QLineEdit*, Calculator::kMemories> m_memories {};
};

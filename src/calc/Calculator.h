#pragma once

#include "calc/Evaluator.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class CalculatorMessages;

// The calculator without its window: the display (text, caret, selection), the history of
// calculations (newest first), the last result, constant mode, the input-error latch, the
// decimal places and the three memories. The panel hands it what the user did and shows what
// it holds; trellinctl runs calculations on it directly.
class Calculator : public QObject
{
    Q_OBJECT
public:
    enum class Outcome
    {
        Calculated, // a result is on the display and in the history
        ConstantMode, // a constant-mode form was recognised
        InvalidInput, // a foreign character; the message was told, nothing else changed
        Error, // the display shows "Error"; the history is unchanged
    };

    // Where a memory command takes its value from: the control that had the keyboard focus.
    enum class Source
    {
        Display,
        History,
        Elsewhere,
    };

    static constexpr int kMemories = 3;

    explicit Calculator(QObject* parent = nullptr);

    void setMessages(CalculatorMessages* messages) { m_messages = messages; }

    // Display state. caret is where the selection starts when there is one.
    const QString& display() const { return m_display; }
    int caret() const { return m_caret; }
    int selectionLength() const { return m_selection; }
    // The display as the user left it, before an event acts on it.
    void setDisplay(const QString& text, int caret, int selectionLength = 0);

    const QStringList& history() const { return m_history; }
    int selectedEntry() const { return m_selected; }
    void selectEntry(int index);

    const QString& lastResult() const { return m_lastResult; }
    const QString& constantPrefix() const { return m_prefix; }
    const QString& constantSuffix() const { return m_suffix; }
    // The "K" indicator is on.
    bool constantMode() const { return m_constantMode; }
    bool inputErrorLatched() const { return m_latch; }

    const QString& decimalPlaces() const { return m_decimalPlaces; }
    // Sets the places used from now on, without touching the display.
    void setDecimalPlaces(const QString& places);
    // The user chose other places: the display shows the last result at those places.
    void chooseDecimalPlaces(const QString& places);

    // The equals key: evaluates the display and records the calculation.
    Outcome calculate();

    // The display's own events.
    // The user changed the text; a trailing "=" is removed and starts a calculation.
    void displayEdited(const QString& text, int caret);
    // Enter was released: calculates unless the invalid-character message was just shown.
    void enterReleased();
    // Delete was pressed; at the end of the text it clears the display and ends constant mode.
    // True when it did, and the key itself has nothing left to do.
    bool deletePressed();
    void focusIn();
    void focusOut();

    // Inserts a text at the caret in place of the selection.
    void insertIntoDisplay(const QString& text);
    void insertCalculation();
    void insertResult();
    void removeEntry(int index);
    void clearDisplay();
    void clearAll();
    void clearHistory();

    // Memories 1 to 3.
    QString memory(int index) const;
    // Sets a memory as typed; the empty text becomes "0".
    void setMemory(int index, const QString& text);
    void memoryIn(int index, Source source);
    void memoryAdd(int index, Source source);
    void memoryDeduct(int index, Source source);
    void memoryClear(int index);
    // A double-click on the memory: inserts it into the display unless it is "0".
    void memoryDoubleClicked(int index);

    // True once after a command that gives the display the keyboard focus.
    bool takeFocusRequest();

    // The text of the invalid-character message for a display text.
    static QString invalidInputMessage(const QString& typed);

signals:
    void memoryChanged(int index, const QString& text);

private:
    enum class Percent
    {
        Value,
        NoResult,
        Failure,
    };
    void changeDisplay(const QString& text, int caret);
    Outcome showError();
    bool addHistoryEntry(const QString& typed, QString& shown);
    Percent percentage(const QString& s, double& result);
    bool operandValue(const QString& text, double& value);
    std::optional<double> sourceValue(Source source) const;
    QString selectedResultPart() const;
    void changeMemory(int index, double sign, bool replace, Source source);

    Evaluator m_evaluator;
    CalculatorMessages* m_messages = nullptr;
    QString m_display = QStringLiteral("0");
    int m_caret = 0;
    int m_selection = 0;
    QStringList m_history;
    int m_selected = -1;
    QString m_lastResult;
    QString m_prefix;
    QString m_suffix;
    bool m_constantMode = false;
    bool m_latch = false;
    QString m_decimalPlaces = QStringLiteral("4");
    std::array<QString, kMemories> m_memories {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    bool m_focusRequest = false;
};

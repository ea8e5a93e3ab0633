#include "gui/calc/CalculatorFrame.h"

#include "core/Clipboard.h"
#include "core/DataContext.h"
#include "core/Settings.h"
#include "core/StatusLog.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/HintFilter.h"
#include "gui/widgets/LabelRow.h"
#include "gui/widgets/MessageBox.h"
#include "gui/widgets/ScreenTwips.h"
#include "platform/TextInserter.h"
#include "platform/WindowSwitcher.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QThread>

#include <limits>

namespace {

Settings::Key memoryKey(int index)
{
    static constexpr Settings::Key keys[] = {Settings::Key::Mem1, Settings::Key::Mem2, Settings::Key::Mem3};
    return keys[index - 1];
}

QStringList itemTexts(const QListWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

} // namespace

CalculatorFrame::CalculatorFrame(DataContext& context, Clipboard& clipboard, QWidget* parent)
    : QGroupBox(QStringLiteral("Calculator"), parent)
    , m_context(context)
    , m_clipboard(clipboard)
    , m_hints(new HintFilter(this))
{
    setObjectName(QStringLiteral("FrameCalculator"));
    m_calculator.setMessages(this);
    buildDisplay();
    buildDisplayCommands();
    buildHistory();
    buildPlaces();
    for (int index = 1; index <= Calculator::kMemories; ++index)
        buildMemory(index);
    // Every change of a memory is stored at once; the ones read at start are stored already.
    connect(&m_calculator, &Calculator::memoryChanged, this, [this](int index, const QString& text) {
        // A memory changes at every keystroke typed into it: it is told in the log only.
        m_context.checkStored(
            m_context.settings().setText(memoryKey(index), text), QStringLiteral("memory %1").arg(index));
        if (m_memories[index - 1]->text() != text)
            m_memories[index - 1]->setText(text);
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == m_display || now == m_history)
            m_lastField = now;
    });
}

std::function<void()> CalculatorFrame::hintText(const QString& text)
{
    return [this, text] { emit statusText(text); };
}

CommandLabel* CalculatorFrame::commandLabel(const char* name, const char* text)
{
    return new CommandLabel(QString::fromLatin1(name), QString::fromLatin1(text), this, QRect());
}

void CalculatorFrame::buildDisplay()
{
    const ScreenTwips tw(this);
    m_display = new QLineEdit(QStringLiteral("0"), this);
    m_display->setObjectName(QStringLiteral("TextCalc"));
    m_display->setGeometry(tw.rect(120, 240, 4455, 330));
    // A pasted calculation is never cut short (a line edit keeps 32,767 characters by default).
    m_display->setMaxLength(std::numeric_limits<int>::max());
    m_display->installEventFilter(this);
    connect(m_display, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_calculator.displayEdited(text, m_display->cursorPosition());
        refresh();
    });
    m_hints->add(m_display, [this] { m_display->setToolTip(m_display->text()); });

    m_constant = new QLabel(QStringLiteral("K"), this);
    m_constant->setObjectName(QStringLiteral("LabelK"));
    m_constant->setGeometry(tw.rect(120, 630, 240, 252));
    QFont bold = m_constant->font();
    bold.setBold(true);
    m_constant->setFont(bold);
    m_constant->hide();
}

void CalculatorFrame::buildDisplayCommands()
{
    const ScreenTwips tw(this);
    auto* sendLabel = commandLabel("LabelCalcSend", "Send");
    auto* paste = commandLabel("LabelCalcPaste", "Paste");
    auto* copy = commandLabel("LabelCalcCopy", "Copy");
    auto* clear = commandLabel("LabelClearCalc", "Clear");
    auto* clearAll = commandLabel("LabelClearWholeCalc", "Clear all");
    for (CommandLabel* label : {sendLabel, paste, copy, clear, clearAll})
        label->setGeometry(tw.rect(0, 630, 600, 252));
    sendLabel->setFont(m_constant->font());
    LabelRow::fit({sendLabel, paste, copy, clear, clearAll}, tw.px(420), tw.px(4575));
    connect(sendLabel, &CommandLabel::released, this, [this] { send(); });
    connect(paste, &CommandLabel::clicked, this,
        [this] { run([&] { m_calculator.insertIntoDisplay(m_clipboard.text()); }); });
    connect(copy, &CommandLabel::clicked, this, [this] { (void)m_clipboard.replaceText(m_display->text()); });
    connect(clear, &CommandLabel::clicked, this, [this] {
        m_calculator.clearDisplay();
        refresh();
    });
    connect(clearAll, &CommandLabel::clicked, this, [this] {
        m_calculator.clearAll();
        refresh();
    });
    m_hints->add(sendLabel,
        hintText(QStringLiteral("Send the display to the cursor position in the last window you left.")));
    m_hints->add(paste, hintText(QStringLiteral("Paste at the cursor position in the display.")));
    m_hints->add(copy, hintText(QStringLiteral("Copy to the clipboard.")));
    m_hints->add(clear, hintText(QStringLiteral("Clear the display.")));
    m_hints->add(clearAll, hintText(QStringLiteral("Clear the whole calculator, but not the memories.")));
}

void CalculatorFrame::buildHistory()
{
    const ScreenTwips tw(this);
    m_history = new QListWidget(this);
    m_history->setObjectName(QStringLiteral("ListCalc"));
    m_history->setGeometry(tw.rect(120, 960, 4455, 1650));
    m_history->viewport()->installEventFilter(this);
    connect(m_history, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_showing)
            m_calculator.selectEntry(row);
    });
    m_hints->add(m_history->viewport(), [this] {
        emit statusText(
            QStringLiteral("Calculator history. To delete selected item use Ctrl and Right-click."));
        m_history->setToolTip(m_history->currentItem() ? m_history->currentItem()->text() : QString());
    });

    auto* insertCalc = commandLabel("LabelCalcInsCalc", "Insert calc");
    auto* insertResult = commandLabel("LabelCalcInsResult", "Insert result");
    auto* clearHistory = commandLabel("LabelClearCalcLB", "Clear");
    for (CommandLabel* label : {insertCalc, insertResult, clearHistory})
        label->setGeometry(tw.rect(0, 2700, 600, 252));
    LabelRow::fit({insertCalc, insertResult, clearHistory}, tw.px(120), tw.px(2760));
    connect(
        insertCalc, &CommandLabel::clicked, this, [this] { run([&] { m_calculator.insertCalculation(); }); });
    connect(
        insertResult, &CommandLabel::clicked, this, [this] { run([&] { m_calculator.insertResult(); }); });
    connect(clearHistory, &CommandLabel::clicked, this, [this] {
        m_calculator.clearHistory();
        refresh();
    });
    m_hints->add(insertCalc,
        hintText(QStringLiteral("Insert the selected calculation at the cursor in the display.")));
    m_hints->add(
        insertResult, hintText(QStringLiteral("Insert the selected result at the cursor in the display.")));
    m_hints->add(clearHistory, hintText(QStringLiteral("Clear the calculator history.")));
}

void CalculatorFrame::buildPlaces()
{
    const ScreenTwips tw(this);
    auto* placesCaption = new QLabel(QStringLiteral("dec places"), this);
    placesCaption->setObjectName(QStringLiteral("Label2"));
    placesCaption->setGeometry(tw.rect(2820, 2700, 1080, 252));
    placesCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_places = new QComboBox(this);
    m_places->setObjectName(QStringLiteral("ComboDecPlaces"));
    m_places->setGeometry(tw.rect(3960, 2655, 615, 330));
    m_places->addItem(QStringLiteral("-"));
    for (int places = 0; places <= 9; ++places)
        m_places->addItem(QString::number(places));
    m_calculator.setDecimalPlaces(m_context.settings().text(Settings::Key::DecPlaces));
    m_places->setCurrentText(m_calculator.decimalPlaces());
    connect(m_places, &QComboBox::activated, this, [this] {
        m_calculator.chooseDecimalPlaces(m_places->currentText());
        m_context.checkStored(
            m_context.settings().setText(Settings::Key::DecPlaces, m_calculator.decimalPlaces()),
            QStringLiteral("number of decimal places"), true);
        refresh();
    });
}

bool CalculatorFrame::applyStoredPlaces()
{
    const QString shown = m_calculator.decimalPlaces();
    m_calculator.setDecimalPlaces(m_context.settings().text(Settings::Key::DecPlaces));
    if (m_calculator.decimalPlaces() == shown)
        return false;
    m_places->setCurrentText(m_calculator.decimalPlaces());
    refresh();
    return true;
}

void CalculatorFrame::buildMemory(int index)
{
    const ScreenTwips tw(this);
    const int memoryWidth = 1445;
    auto* frame = new QGroupBox(QStringLiteral("Mem %1").arg(index), this);
    frame->setObjectName(QStringLiteral("FrameMem%1").arg(index));
    frame->setGeometry(tw.rect(120 + (index - 1) * (memoryWidth + 60), 3060, memoryWidth, 1290));
    m_hints->add(
        frame, hintText(QStringLiteral("The 3 memories are retained for next time Trellin is used.")));

    QLineEdit* memory = m_memories[index - 1] = new QLineEdit(frame);
    memory->setObjectName(QStringLiteral("TextMem%1").arg(index));
    memory->setGeometry(tw.rect(90, 300, memoryWidth - 180, 330));
    m_calculator.setMemory(index, m_context.settings().text(memoryKey(index)));
    memory->setText(m_calculator.memory(index));
    memory->installEventFilter(this);
    connect(memory, &QLineEdit::textEdited, this,
        [this, index](const QString& text) { m_calculator.setMemory(index, text); });
    m_hints->add(memory, [this, memory] {
        emit statusText(QStringLiteral("Double-click to insert memory into display."));
        memory->setToolTip(memory->text());
    });

    const auto memoryLabel = [&](const char* name, const char* text) {
        return new CommandLabel(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(index),
            QString::fromLatin1(text), frame, tw.rect(0, 780, 300, 252));
    };
    auto* in = memoryLabel("LabelMemIn", "M In");
    auto* add = memoryLabel("LabelMemAdd", "M+");
    auto* deduct = memoryLabel("LabelMemDeduct", "M-");
    auto* clearMemory = memoryLabel("LabelMemClear", "MC");
    LabelRow::fit({in, add, deduct, clearMemory}, tw.px(45), tw.px(memoryWidth - 45));
    connect(
        in, &CommandLabel::released, this, [this, index] { memoryCommand(index, &Calculator::memoryIn); });
    connect(
        add, &CommandLabel::released, this, [this, index] { memoryCommand(index, &Calculator::memoryAdd); });
    connect(deduct, &CommandLabel::released, this,
        [this, index] { memoryCommand(index, &Calculator::memoryDeduct); });
    connect(clearMemory, &CommandLabel::clicked, this, [this, index] {
        m_calculator.memoryClear(index);
        refresh();
    });
    m_hints->add(in, hintText(QStringLiteral("Put display into memory.")));
    m_hints->add(add, hintText(QStringLiteral("Add the display value to the memory value.")));
    m_hints->add(deduct, hintText(QStringLiteral("Subtract the display value from the memory value.")));
    m_hints->add(clearMemory, hintText(QStringLiteral("Clear memory.")));
}

void CalculatorFrame::setSender(TextInserter* inserter, WindowSwitcher* windows)
{
    m_inserter = inserter;
    m_windows = windows;
}

void CalculatorFrame::cannotEvaluate(const QString& message)
{
    showMessageBox(this, QMessageBox::Critical, QStringLiteral("Error"), message);
}

void CalculatorFrame::pull()
{
    if (m_showing)
        return;
    if (m_display->hasSelectedText())
        m_calculator.setDisplay(
            m_display->text(), m_display->selectionStart(), int(m_display->selectedText().size()));
    else
        m_calculator.setDisplay(m_display->text(), m_display->cursorPosition());
    m_calculator.selectEntry(m_history->currentRow());
}

void CalculatorFrame::run(const std::function<void()>& command)
{
    pull();
    command();
    refresh();
}

void CalculatorFrame::refresh()
{
    m_showing = true;
    if (m_display->text() != m_calculator.display())
        m_display->setText(m_calculator.display());
    if (m_calculator.selectionLength() > 0)
        m_display->setSelection(m_calculator.caret(), m_calculator.selectionLength());
    else
        m_display->setCursorPosition(m_calculator.caret());
    m_constant->setVisible(m_calculator.constantMode());
    if (itemTexts(m_history) != m_calculator.history()) {
        m_history->clear();
        m_history->addItems(m_calculator.history());
    }
    m_history->setCurrentRow(m_calculator.selectedEntry());
    for (int index = 1; index <= Calculator::kMemories; ++index) {
        if (m_memories[index - 1]->text() != m_calculator.memory(index))
            m_memories[index - 1]->setText(m_calculator.memory(index));
    }
    m_places->setCurrentText(m_calculator.decimalPlaces());
    m_showing = false;
    // Last: the display's focus-in rule runs on what is shown now.
    if (m_calculator.takeFocusRequest())
        m_display->setFocus();
}

void CalculatorFrame::memoryCommand(int index, void (Calculator::*command)(int, Calculator::Source))
{
    // A click leaves the focus where it was: the control that has it is the one the user meant.
    // A command label reached by Tab holds the focus itself; then it is the field left for it.
    const QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<const CommandLabel*>(focus) && isAncestorOf(focus))
        focus = m_lastField;
    const Calculator::Source source = focus == m_display ? Calculator::Source::Display
        : focus == m_history                             ? Calculator::Source::History
                                                         : Calculator::Source::Elsewhere;
    run([&] { (m_calculator.*command)(index, source); });
}

void CalculatorFrame::deleteEntryAsked()
{
    const int row = m_history->currentRow();
    if (row < 0)
        return;
    if (showMessageBox(this, QMessageBox::Question, QStringLiteral("Calculator"),
            QStringLiteral("Delete %1?").arg(m_history->item(row)->text()),
            QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    m_calculator.removeEntry(row);
    refresh();
}

void CalculatorFrame::send()
{
    if (!m_inserter || !m_windows)
        return;
    const QString text = m_display->text();
    if (!m_windows->switchToLastWindow())
        return sendFailed(QStringLiteral("there is no window to switch back to"));
    QThread::yieldCurrentThread();
    // The display's text literally: a "+" or "%" in it is a character, not a modifier.
    if (const Result<> typed = m_inserter->insertText(text); !typed)
        sendFailed(typed.error());
}

void CalculatorFrame::sendFailed(const QString& reason)
{
    const QString text
        = QStringLiteral("The calculator could not send %1: %2").arg(m_display->text(), reason);
    m_context.log().logStatus(text);
    showMessageBox(this, QMessageBox::Warning, QStringLiteral("Calculator"), text + u'.');
}

void CalculatorFrame::mousePressEvent(QMouseEvent* event)
{
    m_display->setFocus();
    QGroupBox::mousePressEvent(event);
}

bool CalculatorFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_display) {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
                pull();
                if (m_calculator.deletePressed()) {
                    refresh();
                    return true;
                }
            }
            break;
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
                run([&] { m_calculator.enterReleased(); });
            }
            break;
        }
        case QEvent::FocusIn:
            if (!m_showing) {
                run([&] { m_calculator.focusIn(); });
            }
            break;
        case QEvent::FocusOut:
            if (!m_showing) {
                run([&] { m_calculator.focusOut(); });
            }
            break;
        default:
            break;
        }
    } else if (watched == m_history->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && mouse->modifiers() == Qt::ControlModifier)
            deleteEntryAsked();
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        for (int index = 1; index <= Calculator::kMemories; ++index) {
            if (watched == m_memories[index - 1]) {
                run([&] { m_calculator.memoryDoubleClicked(index); });
            }
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

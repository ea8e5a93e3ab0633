#include "calc/Calculator.h"

#include "calc/CalculatorMessages.h"
#include "calc/ResultFormat.h"
#include "core/LeadingNumber.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

bool isAllowed(QChar c)
{
    return (c >= u'0' && c <= u'9') || QStringView(u"()+-*/.%").contains(c);
}

QString withoutCommas(QString text)
{
    return text.remove(u',');
}

} // namespace

Calculator::Calculator(QObject* parent)
    : QObject(parent)
{ }

QString Calculator::invalidInputMessage(const QString& typed)
{
    return QStringLiteral("Calculator cannot evaluate\n") + typed
        + QStringLiteral("\n\nUse only digits 0-9, '+', '-', '*', '/', '.', '%', and brackets.");
}

void Calculator::setDisplay(const QString& text, int caret, int selectionLength)
{
    m_display = text;
    m_caret = std::clamp(caret, 0, int(text.size()));
    m_selection = std::clamp(selectionLength, 0, int(text.size()) - m_caret);
}

void Calculator::selectEntry(int index)
{
    m_selected = index >= 0 && index < m_history.size() ? index : -1;
}

void Calculator::setDecimalPlaces(const QString& places)
{
    m_decimalPlaces = ResultFormat::normalDecimalPlaces(places);
}

// Every change of the display clears the input-error latch, and a trailing "=" is the equals
// key: whether the user typed it or a pasted text brought it.
void Calculator::changeDisplay(const QString& text, int caret)
{
    const bool changed = text != m_display;
    setDisplay(text, caret);
    if (!changed)
        return;
    m_latch = false;
    if (m_display.endsWith(u'=')) {
        setDisplay(m_display.chopped(1), m_caret);
        calculate();
    }
}

void Calculator::displayEdited(const QString& text, int caret)
{
    m_latch = false;
    setDisplay(text, caret);
    if (m_display.endsWith(u'=')) {
        setDisplay(m_display.chopped(1), m_caret);
        calculate();
    }
}

void Calculator::enterReleased()
{
    if (!m_latch)
        calculate();
}

bool Calculator::deletePressed()
{
    if (m_selection != 0 || m_caret != m_display.size())
        return false;
    clearDisplay();
    return true;
}

void Calculator::focusIn()
{
    if (m_display == QLatin1String("0")) {
        changeDisplay(QString(), 0);
        m_lastResult.clear();
    }
}

void Calculator::focusOut()
{
    if (m_display.isEmpty()) {
        changeDisplay(QStringLiteral("0"), 1);
        m_lastResult.clear();
    }
}

Calculator::Outcome Calculator::calculate()
{
    m_lastResult.clear();
    const QString typed = m_display;
    QString s = typed;
    s.replace(u'[', u'(')
        .replace(u']', u')')
        .remove(u',')
        .replace(u'x', u'*')
        .replace(u'X', u'*')
        .remove(u' ');
    if (!std::all_of(s.begin(), s.end(), isAllowed)) {
        m_latch = true;
        if (m_messages)
            m_messages->cannotEvaluate(invalidInputMessage(typed));
        return Outcome::InvalidInput;
    }
    m_latch = false;

    Outcome outcome = Outcome::Calculated;
    if (s.endsWith(QLatin1String("++")) || s.endsWith(QLatin1String("--")) || s.endsWith(QLatin1String("**"))
        || s.endsWith(QLatin1String("//"))) {
        // "1.175**": every next calculation is 1.175* followed by what the user types.
        m_constantMode = true;
        m_prefix = s.chopped(1);
        m_history.prepend(typed);
        changeDisplay(m_prefix, int(m_prefix.size()));
        outcome = Outcome::ConstantMode;
    } else if (s.startsWith(QLatin1String("//")) || s.startsWith(QLatin1String("--"))) {
        // "//2": every next calculation is what the user types followed by /2.
        m_constantMode = true;
        m_suffix = s.mid(1);
        m_history.prepend(typed);
        changeDisplay(m_suffix, 0);
        outcome = Outcome::ConstantMode;
    } else if (s.contains(u'%')) {
        double value = 0;
        const Percent percent = percentage(s, value);
        if (percent == Percent::Failure)
            return showError();
        if (percent == Percent::Value)
            m_lastResult = ResultFormat::format(value);
        QString shown;
        if (!addHistoryEntry(typed, shown))
            return showError();
        changeDisplay(shown, int(shown.size()));
    } else {
        const Result<double> value = m_evaluator.evaluate(s);
        if (!value || !std::isfinite(*value))
            return showError();
        m_lastResult = ResultFormat::format(*value);
        QString shown;
        if (!addHistoryEntry(typed, shown))
            return showError();
        if (!m_prefix.isEmpty())
            changeDisplay(m_prefix, int(m_prefix.size()));
        else if (!m_suffix.isEmpty())
            changeDisplay(m_suffix, 0);
        else
            changeDisplay(shown, int(shown.size()));
    }
    m_selected = 0;
    m_focusRequest = true;
    return outcome;
}

Calculator::Outcome Calculator::showError()
{
    m_lastResult.clear();
    changeDisplay(QStringLiteral("Error"), 5);
    if (!m_history.isEmpty())
        m_selected = 0;
    m_focusRequest = true;
    return Outcome::Error;
}

bool Calculator::addHistoryEntry(const QString& typed, QString& shown)
{
    if (m_decimalPlaces == QLatin1String("-")) {
        shown = m_lastResult;
        m_history.prepend(typed + QStringLiteral(" = ") + shown);
        return true;
    }
    const std::optional<double> value = ResultFormat::read(m_lastResult);
    if (!value)
        return false;
    shown = ResultFormat::format(ResultFormat::roundHalfEven(*value, m_decimalPlaces.toInt()));
    m_history.prepend(typed + QStringLiteral(" = ") + shown + QStringLiteral(" (") + m_decimalPlaces
        + QStringLiteral(" dp)"));
    return true;
}

bool Calculator::operandValue(const QString& text, double& value)
{
    const Result<double> result = m_evaluator.evaluate(text);
    if (!result)
        return false;
    value = leadingNumber(Evaluator::valueText(*result));
    return true;
}

// The calculations that end in a percentage. The operator is looked for from the end at bracket
// depth 0, so the left operand may be a whole calculation: "(100+100)*15%" is 30.
Calculator::Percent Calculator::percentage(const QString& s, double& result)
{
    const auto scan = [&s](QStringView operators, qsizetype& at) {
        int depth = 0;
        at = -1;
        for (qsizetype j = s.size() - 2; j >= 0; --j) {
            const QChar c = s[j];
            if (c == u')') {
                ++depth;
            } else if (c == u'(') {
                if (depth == 0)
                    return false;
                --depth;
            } else if (depth == 0 && operators.contains(c)) {
                at = j;
                return true;
            }
        }
        return true;
    };
    const auto operands = [&](qsizetype at, double& a, double& b) {
        // Every "%" is dropped from the right operand: "15%+" reads as 15 with a trailing sign.
        return operandValue(s.left(at), a) && operandValue(s.mid(at + 1).remove(u'%'), b);
    };

    qsizetype at = -1;
    double a = 0;
    double b = 0;
    if (s.endsWith(u'+') || s.endsWith(u'-')) {
        // 200*15%+ adds 15 % of 200, 200*15%- subtracts it.
        if (!scan(u"*", at) || at <= 0 || !operands(at, a, b))
            return Percent::Failure;
        b /= 100;
        result = a * b + a;
    } else if (s.endsWith(u'%')) {
        if (!scan(u"*/+-", at))
            return Percent::Failure;
        if (at < 0)
            return Percent::NoResult;
        if (at == 0 || !operands(at, a, b))
            return Percent::Failure;
        switch (s[at].unicode()) {
        case u'*':
            result = a * (b / 100); // 200*15% is 30
            break;
        case u'/':
            result = a / b * 100; // 30 is 15 % of 200: 30/200%
            break;
        case u'+':
            result = (a + b) / b * 100; // 50+200% is 125 % of 200
            break;
        default:
            result = (a - b) / b * 100; // 230-200%: 230 is 15 % more than 200
            break;
        }
    } else {
        return Percent::NoResult;
    }
    return std::isfinite(result) ? Percent::Value : Percent::Failure;
}

void Calculator::chooseDecimalPlaces(const QString& places)
{
    setDecimalPlaces(places);
    if (m_decimalPlaces == QLatin1String("-")) {
        changeDisplay(m_lastResult, int(m_lastResult.size()));
        return;
    }
    if (m_lastResult.isEmpty())
        return;
    if (const std::optional<double> value = ResultFormat::read(m_lastResult)) {
        const QString shown
            = ResultFormat::format(ResultFormat::roundHalfEven(*value, m_decimalPlaces.toInt()));
        changeDisplay(shown, int(shown.size()));
    }
}

void Calculator::insertIntoDisplay(const QString& text)
{
    QString display = m_display;
    int caret = m_caret;
    int selection = m_selection;
    if (display == QLatin1String("0"))
        display.clear();
    caret = std::clamp(caret, 0, int(display.size()));
    selection = std::clamp(selection, 0, int(display.size()) - caret);
    m_focusRequest = true;
    changeDisplay(display.left(caret) + text + display.mid(caret + selection), caret + int(text.size()));
}

void Calculator::insertCalculation()
{
    if (m_selected < 0)
        return;
    const QString entry = m_history.at(m_selected);
    const qsizetype equals = entry.lastIndexOf(u'=');
    // The calculation is what stands before " = "; a line without it is inserted whole.
    insertIntoDisplay(equals >= 1 ? entry.left(equals - 1) : entry);
}

void Calculator::insertResult()
{
    if (m_selected < 0)
        return;
    const QString entry = m_history.at(m_selected);
    const qsizetype equals = entry.lastIndexOf(u'=');
    if (equals < 0) {
        // A constant-mode line has no result.
        insertIntoDisplay(entry);
        return;
    }
    const QString result = entry.mid(equals + 2);
    const qsizetype note = result.indexOf(u'(');
    if (note < 0)
        insertIntoDisplay(result);
    else
        insertIntoDisplay(note >= 1 ? result.left(note - 1) : entry);
}

void Calculator::removeEntry(int index)
{
    if (index < 0 || index >= m_history.size())
        return;
    m_history.removeAt(index);
    if (m_selected == index)
        m_selected = -1;
    else if (m_selected > index)
        --m_selected;
}

void Calculator::clearDisplay()
{
    changeDisplay(QString(), 0);
    m_lastResult.clear();
    m_prefix.clear();
    m_suffix.clear();
    m_constantMode = false;
    m_focusRequest = true;
}

void Calculator::clearAll()
{
    clearDisplay();
    clearHistory();
}

void Calculator::clearHistory()
{
    m_history.clear();
    m_selected = -1;
}

QString Calculator::memory(int index) const
{
    return index >= 1 && index <= kMemories ? m_memories[index - 1] : QString();
}

void Calculator::setMemory(int index, const QString& text)
{
    if (index < 1 || index > kMemories || text == m_memories[index - 1])
        return;
    m_memories[index - 1] = text.isEmpty() ? QStringLiteral("0") : text;
    emit memoryChanged(index, m_memories[index - 1]);
}

// The result part of the selected history line: what follows " = ", with its decimal-places
// note. Null when nothing is selected or the line has no result.
QString Calculator::selectedResultPart() const
{
    if (m_selected < 0)
        return QString();
    const QString& entry = m_history.at(m_selected);
    const qsizetype equals = entry.lastIndexOf(u'=');
    return equals < 0 ? QString() : entry.mid(equals + 2);
}

std::optional<double> Calculator::sourceValue(Source source) const
{
    if (source == Source::Display)
        return leadingNumber(withoutCommas(m_display));
    if (source == Source::History) {
        const QString part = selectedResultPart();
        if (!part.isNull())
            return leadingNumber(withoutCommas(part));
    }
    return std::nullopt;
}

void Calculator::changeMemory(int index, double sign, bool replace, Source source)
{
    const std::optional<double> value = sourceValue(source);
    if (!value)
        return;
    const double result = replace ? *value : leadingNumber(memory(index)) + sign * *value;
    // A value past the double range leaves the memory as it was.
    if (std::isfinite(result))
        setMemory(index, Evaluator::valueText(result));
}

void Calculator::memoryIn(int index, Source source)
{
    if (source == Source::History) {
        // The result part as it stands, decimal-places note and grouping included.
        const QString part = selectedResultPart();
        if (!part.isNull())
            setMemory(index, part);
        return;
    }
    changeMemory(index, 1, true, source);
}

void Calculator::memoryAdd(int index, Source source)
{
    changeMemory(index, 1, false, source);
}

void Calculator::memoryDeduct(int index, Source source)
{
    changeMemory(index, -1, false, source);
}

void Calculator::memoryClear(int index)
{
    setMemory(index, QStringLiteral("0"));
}

void Calculator::memoryDoubleClicked(int index)
{
    const QString text = memory(index);
    if (!text.isEmpty() && text != QLatin1String("0"))
        insertIntoDisplay(text);
}

bool Calculator::takeFocusRequest()
{
    return std::exchange(m_focusRequest, false);
}

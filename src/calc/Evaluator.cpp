#include "calc/Evaluator.h"

#include "core/GeneralNumber.h"
#include "core/LeadingNumber.h"

#include <QLocale>

#include <cmath>

namespace {

bool isOperator(QChar c)
{
    return c == u'*' || c == u'/' || c == u'+' || c == u'-';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Deepest bracket nesting of a text; a ")" without its "(" does not go below 0.
int bracketDepth(const QString& text)
{
    int depth = 0;
    int deepest = 0;
    for (QChar c : text) {
        if (c == u'(')
            deepest = std::max(deepest, ++depth);
        else if (c == u')' && depth > 0)
            --depth;
    }
    return deepest;
}

// Whether the text holds a pair the sign rewriting changes ("--", "+-", "*-", "/-", "E-", "E+")
// ending at a position in [from, to). One pass over the characters: cheaper than the six
// searches that would each find nothing.
bool hasSignPair(const QString& text, qsizetype from = 1, qsizetype to = -1)
{
    const qsizetype end = to < 0 ? text.size() : std::min(to, text.size());
    for (qsizetype i = std::max<qsizetype>(from, 1); i < end; ++i) {
        const QChar c = text[i];
        const QChar before = text[i - 1];
        if ((c == u'-' && (isOperator(before) || before == u'E')) || (c == u'+' && before == u'E'))
            return true;
    }
    return false;
}

void rewriteSignPairs(QString& text)
{
    text.replace(QLatin1String("--"), QLatin1String("+"))
        .replace(QLatin1String("+-"), QLatin1String("-"))
        .replace(QLatin1String("*-"), QLatin1String("*M"))
        .replace(QLatin1String("/-"), QLatin1String("/M"))
        .replace(QLatin1String("E-"), QLatin1String("Em"))
        .replace(QLatin1String("E+"), QLatin1String("Ep"));
}

// Leftmost index of either character, -1 for none; QString::indexOf scans many characters at once.
qsizetype firstOf(const QString& text, QChar a, QChar b)
{
    const qsizetype i = text.indexOf(a);
    const qsizetype j = i < 0 ? text.indexOf(b) : QStringView(text).left(i).indexOf(b);
    return j < 0 ? i : j;
}

// The operation around the operator at i: its operands reach from the nearest operator on the
// left (searched down to position lowestLeft) to the nearest one on the right. [start, end).
std::pair<qsizetype, qsizetype> operationAround(const QString& text, qsizetype i, qsizetype lowestLeft)
{
    qsizetype left = i - 1;
    while (left >= lowestLeft && !isOperator(text[left]))
        --left;
    if (left < lowestLeft)
        left = -1;
    qsizetype right = i + 1;
    while (right < text.size() && !isOperator(text[right]))
        ++right;
    return {left + 1, right};
}

QString unmarked(QString text)
{
    return text.replace(u'A', u'-')
        .replace(u'M', u'-')
        .replace(QLatin1String("Em"), QLatin1String("E-"))
        .replace(QLatin1String("Ep"), QLatin1String("E+"));
}

} // namespace

QString Evaluator::valueText(double value)
{
    return GeneralNumber::toText(value, QLocale::c());
}

bool Evaluator::isNumberText(const QString& text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    const bool leadingSign = n > 0 && (text[0] == u'+' || text[0] == u'-');
    if (leadingSign)
        ++i;
    int digits = 0;
    int points = 0;
    for (; i < n && (isDigit(text[i]) || text[i] == u'.'); ++i) {
        if (text[i] == u'.')
            ++points;
        else
            ++digits;
    }
    if (digits == 0 || points > 1)
        return false;
    if (i < n && text[i] == u'E') {
        ++i;
        // "Em" and "Ep" are the exponent signs a reduction step wrote as markers.
        if (i < n && (text[i] == u'+' || text[i] == u'-' || text[i] == u'm' || text[i] == u'p'))
            ++i;
        const qsizetype start = i;
        while (i < n && isDigit(text[i]))
            ++i;
        if (i == start)
            return false;
    }
    if (!leadingSign && i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    return i == n;
}

double Evaluator::numberTextValue(const QString& text)
{
    QString number = unmarked(text);
    double sign = 1;
    if (number.size() > 1 && (number.endsWith(u'-') || number.endsWith(u'+'))) {
        sign = number.endsWith(u'-') ? -1 : 1;
        number.chop(1);
    }
    return sign * leadingNumber(number);
}

QString Evaluator::applyOperation(const QString& text)
{
    // A sign in the first place belongs to the first operand, never the operator.
    qsizetype i = 1;
    while (i < text.size() && !isOperator(text[i]))
        ++i;
    if (i >= text.size())
        return QString();
    const QChar op = text[i];
    const QString plain = unmarked(text); // same length, so i still points at the operator
    const double a = leadingNumber(plain.left(i));
    const double b = leadingNumber(plain.mid(i + 1));
    double r = 0;
    if (op == u'*') {
        r = a * b;
    } else if (op == u'/') {
        if (b == 0)
            return QStringLiteral("0");
        r = a / b;
    } else if (op == u'+') {
        r = a + b;
    } else {
        r = a - b;
    }
    if (!std::isfinite(r))
        return QStringLiteral("0");
    return valueText(r);
}

QString Evaluator::reduceMulDiv(const QString& text)
{
    return reduceFirst(text, u'*', u'/', 0);
}

QString Evaluator::reduceAddSub(const QString& text)
{
    // The first character is the sign of the first operand, never a boundary.
    return reduceFirst(text, u'+', u'-', 1);
}

// Replaces the operation around the first "first" or "second" operator by its value.
QString Evaluator::reduceFirst(const QString& text, QChar first, QChar second, qsizetype lowestLeft)
{
    const qsizetype i = firstOf(text, first, second);
    if (i < 0)
        return text;
    const auto [start, end] = operationAround(text, i, lowestLeft);
    QString sub = text.mid(start, end - start);
    if (!isNumberText(sub))
        sub = reduceStep(sub);
    return text.left(start) + sub + text.mid(end);
}

QString Evaluator::reduceStep(const QString& text)
{
    QString t = text;
    if (hasSignPair(t))
        rewriteSignPairs(t);
    // A leading "+" is a sign ("-(-3)+1" becomes "+3+1"); left in, it would be taken for the
    // operator of an operand without a left side, and the step would never change the text.
    if (t.startsWith(u'+'))
        t.remove(0, 1);
    if (t.startsWith(u'-'))
        t[0] = u'A';
    int count = 0;
    for (qsizetype i = 0; i < t.size() && count < 2; ++i) {
        if (isOperator(t[i]))
            ++count;
    }
    if (count < 2)
        return applyOperation(t);
    if (!t.contains(u'/') && !t.contains(u'*'))
        return reduceAddSub(t);
    return reduceMulDiv(t);
}

bool Evaluator::reduceInPlace(QString& text, PairWindow& pairs)
{
    // Every change below alters the text for good (a sign pair always shortens it or writes
    // a marker, a leading "+" goes, a leading "-" becomes "A"), so none needs the old text kept
    // to tell whether the step changed it.
    bool changed = false;
    const bool rewrite = pairs.from < pairs.to && hasSignPair(text, pairs.from, pairs.to);
    if (rewrite) {
        rewriteSignPairs(text);
        changed = true;
    }
    if (text.startsWith(u'+')) {
        text.remove(0, 1);
        changed = true;
    }
    if (text.startsWith(u'-')) {
        text[0] = u'A';
        changed = true;
    }
    int count = 0;
    for (qsizetype i = 0; i < text.size() && count < 2; ++i) {
        if (isOperator(text[i]))
            ++count;
    }
    if (count < 2) {
        // The last operation: its value text (or "") is never the text it came from.
        text = applyOperation(text);
        pairs = PairWindow {};
        return true;
    }
    qsizetype lowestLeft = 0;
    qsizetype i = firstOf(text, u'*', u'/');
    if (i < 0) {
        // The first character is the sign of the first operand, never a boundary.
        lowestLeft = 1;
        i = firstOf(text, u'+', u'-');
    }
    const auto [start, end] = operationAround(text, i, lowestLeft);
    const qsizetype length = end - start;
    QString sub = text.mid(start, length);
    if (!isNumberText(sub))
        sub = reduceStep(sub);
    if (QStringView(text).sliced(start, length) != sub) {
        text.replace(start, length, sub);
        changed = true;
    }
    // A rewrite may leave pairs anywhere ("-+-" gives "--"); otherwise the text had none, and
    // new ones can only straddle the ends of the splice.
    pairs = rewrite ? PairWindow {} : PairWindow {start, start + sub.size() + 1};
    return changed;
}

QString Evaluator::reduceBracket(const QString& text)
{
    const qsizetype p = text.indexOf(u'(');
    if (p < 0)
        return text;
    int depth = 1;
    qsizetype q = p + 1;
    for (; q < text.size(); ++q) {
        if (text[q] == u'(')
            ++depth;
        else if (text[q] == u')' && --depth == 0)
            break;
    }
    if (depth != 0) {
        m_failed = true;
        m_reason = QStringLiteral("unmatched bracket");
        return text;
    }
    QString inner = text.mid(p + 1, q - p - 1);
    if (inner.contains(u'('))
        inner = reduceBracket(inner);
    if (m_failed)
        return text;
    const double value = evaluateText(inner);
    if (m_failed)
        return text;
    return text.left(p) + valueText(value) + text.mid(q + 1);
}

double Evaluator::evaluateText(QString text)
{
    if (m_failed || text.isEmpty())
        return 0;
    m_steps = 0;
    text.replace(QLatin1String("--"), QLatin1String("+"))
        .replace(QLatin1String("+-"), QLatin1String("-"))
        .replace(QLatin1String("E-"), QLatin1String("Em"))
        .replace(QLatin1String("E+"), QLatin1String("Ep"));
    if (text.startsWith(u'+'))
        text.remove(0, 1);
    if (text.isEmpty())
        return 0;
    while (text.contains(u'(')) {
        text = reduceBracket(text);
        if (m_failed)
            return 0;
    }
    PairWindow pairs;
    while (!isNumberText(text)) {
        if (text.isEmpty())
            return 0;
        ++m_steps;
        // A step that changes nothing would give the same text up to the limit: stop there now.
        if (!reduceInPlace(text, pairs))
            m_steps = kStepLimit + 1;
        if (m_steps > kStepLimit) {
            m_failed = true;
            m_reason = QStringLiteral("more than %1 steps").arg(kStepLimit);
            return 0;
        }
    }
    return numberTextValue(text);
}

Result<double> Evaluator::evaluate(const QString& text)
{
    m_failed = false;
    m_reason.clear();
    if (bracketDepth(text) > kMaxBracketDepth)
        return Result<double>::failure(QStringLiteral("brackets nested too deeply"));
    const double value = evaluateText(text);
    if (m_failed)
        return Result<double>::failure(m_reason);
    return value;
}

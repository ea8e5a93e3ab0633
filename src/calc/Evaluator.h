#pragma once

#include "core/Result.h"

#include <QString>

#include <limits>

// Evaluates an arithmetic expression of digits, ".", "+", "-", "*", "/" and brackets by
// rewriting its text: the innermost bracket groups are replaced by the text of their value,
// then one operation per step is evaluated and spliced back as a value text, until the text is
// a single number. "*" and "/" bind tighter than "+" and "-"; equal ranks go left to right.
// Every intermediate value passes through its value text, so it keeps at most 15 significant
// digits (1/3*3 is 0.999999999999999).
//
// While a text is reduced, signs that must not be taken for operators are written as letters
// of the same length: "A" for a minus at the very start, "M" for a minus right after "*" or
// "/", "Em" and "Ep" for the exponent signs of "E-" and "E+".
//
// A division by zero or an overflow in one operation gives 0 for that operation and the
// evaluation goes on; an unmatched "(" or a text that needs more than kStepLimit steps fails.
class Evaluator
{
public:
    static constexpr int kStepLimit = 9999;
    // Deeper bracket nesting fails at once: each level costs two nested calls.
    static constexpr int kMaxBracketDepth = 1000;

    Result<double> evaluate(const QString& text);

    // A double as text: at most 15 significant digits, "." as decimal point, exponent form
    // "1E+23" or "1.5E-20" for very large or small magnitudes.
    static QString valueText(double value);

    // True when the whole text is one number: an optional sign, digits with at most one ".",
    // optionally "E" (or the markers "Em"/"Ep") with an optionally signed exponent, and, only
    // without a leading sign, one trailing "+" or "-" ("15-" is -15).
    static bool isNumberText(const QString& text);
    // The value of a number text, trailing sign and exponent markers included.
    static double numberTextValue(const QString& text);

private:
    // One reduction step: the leftmost "*" or "/" operation (else "+" or "-") replaced by the
    // text of its value. A step that cannot change the text gives it back unchanged.
    static QString reduceStep(const QString& text);
    // Where sign pairs may be in a text being reduced: the positions of their second
    // characters, [from, to); elsewhere the text has none.
    struct PairWindow
    {
        qsizetype from = 0;
        qsizetype to = std::numeric_limits<qsizetype>::max();
    };
    // reduceStep() on the whole text, in place: the operation's value is spliced into the text
    // rather than the text rebuilt, and only the characters around the previous splice are
    // searched for sign pairs. False when the step could not change the text.
    static bool reduceInPlace(QString& text, PairWindow& pairs);
    static QString reduceMulDiv(const QString& text);
    static QString reduceAddSub(const QString& text);
    static QString reduceFirst(const QString& text, QChar first, QChar second, qsizetype lowestLeft);
    // The value text of the one operation in the text; "" without an operator, "0" when the
    // operation fails (division by zero, overflow).
    static QString applyOperation(const QString& text);

    // Both set m_failed instead of returning a value when the evaluation cannot go on.
    double evaluateText(QString text);
    QString reduceBracket(const QString& text);

    // Shared by all nested evaluations: each evaluation, also of a bracket's contents, starts
    // counting from 0.
    int m_steps = 0;
    bool m_failed = false;
    QString m_reason;
};

#pragma once

#include <QString>

// The one thing the calculator has to tell the user in a message box: the display holds a
// character it cannot evaluate. The window shows a box with the title "Error"; trellinctl
// prints the text.
class CalculatorMessages
{
public:
    virtual ~CalculatorMessages() = default;
    virtual void cannotEvaluate(const QString& message) = 0;
};

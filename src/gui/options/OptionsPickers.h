#pragma once

#include <QColor>
#include <QString>

#include <optional>

class QWidget;

// The system's colour picker and folder browser, as the options dialogs use them. The program
// answers with the real dialogs (SystemPickers); tests answer from a script.
class OptionsPickers
{
public:
    virtual ~OptionsPickers() = default;

    // The chosen colour, or nothing when the user cancels.
    virtual std::optional<QColor> pickColour(const QColor& current, QWidget* parent) = 0;
    // The chosen folder, or nothing when the user cancels.
    virtual std::optional<QString> pickFolder(const QString& title, const QString& start, QWidget* parent)
        = 0;
};

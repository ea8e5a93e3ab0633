#pragma once

#include "gui/options/OptionsPickers.h"

// The colour picker and folder browser of the desktop, through Qt's standard dialogs.
class SystemPickers : public OptionsPickers
{
public:
    std::optional<QColor> pickColour(const QColor& current, QWidget* parent) override;
    std::optional<QString> pickFolder(const QString& title, const QString& start, QWidget* parent) override;
};

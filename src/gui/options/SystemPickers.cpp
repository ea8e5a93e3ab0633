#include "gui/options/SystemPickers.h"

#include <QColorDialog>
#include <QFileDialog>

std::optional<QColor> SystemPickers::pickColour(const QColor& current, QWidget* parent)
{
    const QColor chosen = QColorDialog::getColor(current, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

std::optional<QString> SystemPickers::pickFolder(const QString& title, const QString& start, QWidget* parent)
{
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, start);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

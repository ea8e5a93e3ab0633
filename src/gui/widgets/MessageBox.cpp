#include "gui/widgets/MessageBox.h"

#include "gui/widgets/ScreenTwips.h"

#include <QGridLayout>
#include <QSpacerItem>

namespace {

// Room for the icon and the three buttons of a title bar, and its margins, in twips.
constexpr int kTitleBarButtons = 1800;

} // namespace

QMessageBox::StandardButton showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
    const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, parent);
    // A short message makes a narrow box, whose title bar cuts the title; the box is made wide
    // enough for the title in a bold title-bar font and the window buttons beside it.
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int titleWidth
        = QFontMetrics(titleFont).horizontalAdvance(title) + ScreenTwips(&box).px(kTitleBarButtons);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
            grid->rowCount(), 0, 1, grid->columnCount());
    if (buttons.testFlag(QMessageBox::Yes))
        box.setDefaultButton(QMessageBox::Yes);
    return QMessageBox::StandardButton(box.exec());
}

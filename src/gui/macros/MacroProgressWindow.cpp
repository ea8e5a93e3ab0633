#include "gui/macros/MacroProgressWindow.h"

#include "gui/widgets/AppIcon.h"
#include "gui/widgets/ScreenTwips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

MacroProgressWindow::MacroProgressWindow(const QString& macroName, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Moxeno Trellin Macros"));
    setWindowIcon(AppIcon::icon());
    const ScreenTwips tw(this);

    m_label = new QLabel(QStringLiteral("Playing macro ") + macroName, this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry(tw.rect(120, 120, 3840, 255));
    m_cancel = new QPushButton(QStringLiteral("Double-click to Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CommandCancel"));
    m_cancel->setGeometry(tw.rect(120, 480, 3840, 495));
    connect(m_cancel, &QPushButton::clicked, this, &MacroProgressWindow::cancel);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(tw.px(4080), tw.px(1095));
}

void MacroProgressWindow::cancel()
{
    m_abort = true;
    hide();
}

void MacroProgressWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    cancel();
}

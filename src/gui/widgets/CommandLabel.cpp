#include "gui/widgets/CommandLabel.h"

#include "gui/widgets/KeyClick.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QTextDocumentFragment>

namespace {

// What a screen reader sees of a command label: a button named by its caption (or by the
// accessible name the form gives a label without one) that can be pressed.
class CommandLabelAccessible : public QAccessibleWidget
{
public:
    explicit CommandLabelAccessible(CommandLabel* label)
        : QAccessibleWidget(label, QAccessible::Button)
    { }

    QString text(QAccessible::Text kind) const override
    {
        if (kind != QAccessible::Name || !widget()->accessibleName().isEmpty())
            return QAccessibleWidget::text(kind);
        const QString caption = static_cast<const CommandLabel*>(widget())->text();
        const QString plain
            = Qt::mightBeRichText(caption) ? QTextDocumentFragment::fromHtml(caption).toPlainText() : caption;
        return plain.simplified();
    }

    QStringList actionNames() const override
    {
        return QStringList {pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            static_cast<CommandLabel*>(widget())->trigger();
        else
            QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString& action) const override
    {
        return action == pressAction() ? QStringList {QStringLiteral("Space"), QStringLiteral("Return")}
                                       : QAccessibleWidget::keyBindingsForAction(action);
    }
};

QAccessibleInterface* accessibleFor(const QString& className, QObject* object)
{
    if (className == QLatin1String("CommandLabel"))
        return new CommandLabelAccessible(static_cast<CommandLabel*>(object));
    return nullptr;
}

} // namespace

CommandLabel::CommandLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    (void)installed;
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    // Colours of their own rather than a style sheet: a style sheet restyles every widget of the
    // window it is set on, which made the main window's start several times slower.
    QPalette colours = palette();
    colours.setColor(QPalette::Active, QPalette::WindowText, QColor(0x00, 0x00, 0x7f));
    colours.setColor(QPalette::Inactive, QPalette::WindowText, QColor(0x00, 0x00, 0x7f));
    colours.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0xa0, 0xa0, 0xa0));
    setPalette(colours);
    // Tab only: a mouse click leaves the focus where it was, as it always has.
    setFocusPolicy(Qt::TabFocus);
}

CommandLabel::CommandLabel(const QString& name, const QString& text, QWidget* parent, const QRect& geometry)
    : CommandLabel(text, parent)
{
    setObjectName(name);
    setGeometry(geometry);
}

CommandLabel* CommandLabel::button(
    const QString& name, const QString& text, QWidget* parent, const QRect& geometry)
{
    auto* label = new CommandLabel(name, text, parent, geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Raised);
    return label;
}

void CommandLabel::trigger(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    if (!isEnabled())
        return;
    emit released(button, modifiers);
    if (button == Qt::LeftButton)
        emit clicked();
}

void CommandLabel::focusInEvent(QFocusEvent* event)
{
    m_tabbedTo = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    // QLabel makes its text document here too, to hand it the focus; a plain caption has none.
    if (plainCaption())
        QFrame::focusInEvent(event);
    else
        QLabel::focusInEvent(event);
}

void CommandLabel::focusOutEvent(QFocusEvent* event)
{
    m_tabbedTo = false;
    QLabel::focusOutEvent(event);
}

void CommandLabel::keyPressEvent(QKeyEvent* event)
{
    if (!m_tabbedTo) {
        QLabel::keyPressEvent(event);
        return;
    }
    if (const std::optional<KeyClick> click = KeyClick::of(*event, true)) {
        if (click->button != Qt::NoButton)
            trigger(click->button, click->modifiers);
        return;
    }
    QLabel::keyPressEvent(event);
}

void CommandLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button();
    event->accept();
}

void CommandLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const bool inside = rect().contains(event->position().toPoint());
    const bool leftClick = event->button() == Qt::LeftButton && m_pressed == Qt::LeftButton && inside;
    m_pressed = Qt::NoButton;
    // The release is reported wherever it happens, as the mouse-up of a label is; a click
    // needs press and release on the label.
    emit released(event->button(), event->modifiers());
    if (leftClick)
        emit clicked();
}

void CommandLabel::enterEvent(QEnterEvent* event)
{
    underline(isEnabled());
    QLabel::enterEvent(event);
}

void CommandLabel::leaveEvent(QEvent* event)
{
    underline(false);
    QLabel::leaveEvent(event);
}

void CommandLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        underline(isEnabled() && underMouse());
    QLabel::changeEvent(event);
}

void CommandLabel::underline(bool on)
{
    if (font().underline() == on)
        return;
    QFont underlined = font();
    underlined.setUnderline(on);
    setFont(underlined);
}

bool CommandLabel::plainCaption() const
{
    return textFormat() == Qt::PlainText || (textFormat() == Qt::AutoText && !Qt::mightBeRichText(text()));
}

bool CommandLabel::event(QEvent* event)
{
    if (event->type() != QEvent::Polish || !plainCaption())
        return QLabel::event(event);
    // QLabel gives every label that can take the focus a text document when it is polished, for
    // a text the user could select. A plain caption is painted as text (paintCaption), and the
    // documents, built and laid out again at every font change, were a tenth of the start.
    const Qt::FocusPolicy policy = focusPolicy();
    setFocusPolicy(Qt::NoFocus);
    const bool handled = QLabel::event(event);
    setFocusPolicy(policy);
    return handled;
}

void CommandLabel::paintEvent(QPaintEvent* event)
{
    // Under a style sheet QLabel takes its colours from the sheet; it paints those labels itself.
    if (plainCaption() && !style()->inherits("QStyleSheetStyle")) {
        QPainter painter(this);
        drawFrame(&painter);
        paintCaption(painter);
    } else {
        QLabel::paintEvent(event);
    }
    if (!hasFocus() || !m_tabbedTo)
        return;
    QPainter painter(this);
    QPen pen(palette().color(foregroundRole()));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}

void CommandLabel::paintCaption(QPainter& painter)
{
    // The place QLabel gives a text: inside frame and margin, indented by half an "x" when framed.
    const QString caption = text();
    const Qt::LayoutDirection direction = caption.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
    const Qt::Alignment align = QStyle::visualAlignment(direction, alignment());
    QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    int shift = indent();
    if (shift < 0 && frameWidth() > 0)
        shift = fontMetrics().horizontalAdvance(u'x') / 2 - margin();
    if (shift > 0) {
        if (align & Qt::AlignLeft)
            area.setLeft(area.left() + shift);
        if (align & Qt::AlignRight)
            area.setRight(area.right() - shift);
        if (align & Qt::AlignTop)
            area.setTop(area.top() + shift);
        if (align & Qt::AlignBottom)
            area.setBottom(area.bottom() - shift);
    }
    int flags = int(align) | Qt::TextExpandTabs
        | (direction == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft);
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    style()->drawItemText(&painter, area, flags, palette(), isEnabled(), caption, foregroundRole());
}

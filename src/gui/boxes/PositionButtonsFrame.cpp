#include "gui/boxes/PositionButtonsFrame.h"

#include "boxes/BoxStore.h"
#include "boxes/PositionActions.h"
#include "core/Clipboard.h"
#include "core/DataFiles.h"
#include "gui/boxes/PositionButton.h"
#include "gui/widgets/HintFilter.h"
#include "gui/widgets/ScreenTwips.h"

#include <QApplication>
#include <QMouseEvent>

namespace {

constexpr int kButtonSize = 252;
constexpr std::array<int, 15> kColumnLefts {
    0, 240, 480, 840, 1080, 1320, 1680, 1920, 2160, 2520, 2760, 3000, 3360, 3600, 3840};
constexpr std::array<int, 7> kRowTops {0, 360, 600, 960, 1200, 1560, 1800};

} // namespace

PositionButtonsFrame::PositionButtonsFrame(
    BoxStore& store, PositionActions& actions, Clipboard& clipboard, QWidget* parent)
    : QFrame(parent)
    , m_store(store)
    , m_actions(actions)
    , m_clipboard(clipboard)
{
    setObjectName(QStringLiteral("FrameClipboardButtons"));
    setMouseTracking(true);
    const ScreenTwips tw(this);
    // Set once on the frame, which holds only the buttons: they take it from there.
    QFont font = this->font();
    font.setPixelSize(std::max(9, tw.px(kButtonSize) - 5));
    font.setBold(true);
    setFont(font);
    for (int position = 1; position <= DataFiles::kPositionCount; ++position) {
        auto* button = new PositionButton(position, this);
        const auto [row, column] = cellOf(position);
        button->setGeometry(tw.rect(columnLeft(column), rowTop(row), kButtonSize, kButtonSize));
        button->installEventFilter(this);
        connect(button, &PositionButton::pressedWith, this, &PositionButtonsFrame::pressed);
        connect(button, &PositionButton::releasedWith, this, &PositionButtonsFrame::released);
        m_buttons[std::size_t(position)] = button;
    }
    setButtonColour(QColor(0xC0, 0xC0, 0xFF));
    connect(&m_store, &BoxStore::boxLoaded, this, &PositionButtonsFrame::refreshCaptions);
}

int PositionButtonsFrame::columnLeft(int column)
{
    return kColumnLefts.at(std::size_t(column));
}

int PositionButtonsFrame::rowTop(int row)
{
    return kRowTops.at(std::size_t(row));
}

std::pair<int, int> PositionButtonsFrame::cellOf(int position)
{
    if (position <= 9)
        return {0, position - 1};
    const int index = position - 10;
    return {1 + index / 15, index % 15};
}

QString PositionButtonsFrame::occupiedHint()
{
    return QStringLiteral("L/click = Copy   R/click = Paste   Ctl+R/click = Delete   Alt+R/click = Cut   "
                          "Shift+R/click = Edit   Alt+drag/drop = Move");
}

QString PositionButtonsFrame::emptyHint()
{
    return QStringLiteral("R/click = Paste   Shift+R/click = Edit");
}

PositionButton* PositionButtonsFrame::button(int position) const
{
    if (position < 1 || position > DataFiles::kPositionCount)
        return nullptr;
    return m_buttons[std::size_t(position)];
}

PositionButton* PositionButtonsFrame::buttonAt(const QPointF& globalPosition) const
{
    return qobject_cast<PositionButton*>(childAt(mapFromGlobal(globalPosition).toPoint()));
}

void PositionButtonsFrame::setButtonColour(const QColor& colour)
{
    m_colour = colour;
    for (int position = 1; position <= DataFiles::kPositionCount; ++position)
        button(position)->setColour(colour);
}

QString PositionButtonsFrame::accessibleName(int position, QStringView text, bool* shortened)
{
    constexpr qsizetype kShown = 40;
    const QString name = QStringLiteral("Position %1").arg(position, 2, 10, QChar(u'0'));
    if (text.isEmpty())
        return name + QStringLiteral(", empty");
    // The first line without its CRs, read only as far as it is shown: the text may be long.
    QString start;
    for (const QChar c : text) {
        if (c == u'\n' || start.size() > kShown)
            break;
        if (c != u'\r')
            start += c;
    }
    const bool cut = start.size() > kShown || start.size() < text.trimmed().size();
    if (cut)
        start = start.left(kShown).trimmed() + u'\u2026';
    if (shortened)
        *shortened = cut;
    return name + QStringLiteral(", holds: ") + start;
}

void PositionButtonsFrame::refreshCaptions()
{
    // A name shows the start of a text, so the start is all that is decoded: when it ends
    // before the text does, only blank characters after the first line leave the name in doubt.
    constexpr qsizetype kStart = 256;
    for (int position = 1; position <= DataFiles::kPositionCount; ++position) {
        const QString start = m_store.cachedStart(position, kStart);
        bool shortened = false;
        QString name = accessibleName(position, start, &shortened);
        if (start.size() == kStart && !shortened)
            name = accessibleName(position, m_store.cached(position));
        button(position)->setText(start.isEmpty() ? QString() : QStringLiteral("+"));
        button(position)->setAccessibleName(name);
    }
}

void PositionButtonsFrame::hover(int position)
{
    // A box whose file cannot be read offers nothing to store into it.
    if (!m_store.loadError().isEmpty())
        emit statusText(
            QStringLiteral("Box %1 cannot be read: %2").arg(m_store.loadedBox()).arg(m_store.loadError()));
    else
        emit statusText(m_store.isOccupied(position) ? occupiedHint() : emptyHint());
    emit viewerShows(QStringLiteral("%1:").arg(position), m_store.cached(position));
}

void PositionButtonsFrame::pressed(int position, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held
        = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (button != Qt::LeftButton || held != Qt::AltModifier)
        return;
    m_dragSource = position;
    emit statusText(QStringLiteral("Moving ..."));
    QApplication::setOverrideCursor(Qt::DragMoveCursor);
}

void PositionButtonsFrame::released(
    int position, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPointF& global)
{
    if (m_dragSource != 0) {
        // A drag takes the mouse: its release is the drop, never a mouse-up of the source.
        const int source = m_dragSource;
        m_dragSource = 0;
        QApplication::restoreOverrideCursor();
        if (PositionButton* target = buttonAt(global))
            drop(source, target->position());
        return;
    }
    mouseUp(position, button, modifiers);
}

void PositionButtonsFrame::mouseUp(int position, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    PositionButton* clicked = this->button(position);
    const int box = m_store.loadedBox();
    switch (PositionActions::operationFor(button, modifiers)) {
    case PositionActions::Operation::Copy:
        m_actions.copy(box, position);
        break;
    case PositionActions::Operation::Paste:
        if (!m_clipboard.text().isEmpty()) {
            clicked->setFocus();
            (void)m_actions.paste(box, position);
        }
        break;
    case PositionActions::Operation::Delete:
        clicked->setFocus();
        (void)m_actions.remove(box, position, false);
        break;
    case PositionActions::Operation::Cut:
        m_actions.cut(box, position);
        break;
    case PositionActions::Operation::Edit:
        emit statusText(QStringLiteral("Editing ..."));
        clicked->setFocus();
        // A cancelled edit leaves "Editing ..." until the next hint replaces it.
        if (m_actions.edit(box, position))
            emit statusText(QStringLiteral("Ready"));
        break;
    case PositionActions::Operation::None:
        break;
    }
    emit viewerTextShows(m_store.cached(position));
}

void PositionButtonsFrame::drop(int source, int target)
{
    emit statusText(QStringLiteral("Moving ..."));
    button(target)->setFocus();
    if (source == target)
        return;
    m_actions.move(m_store.loadedBox(), source, target);
    emit viewerTextShows(QString());
    emit statusText(QStringLiteral("Ready"));
}

bool PositionButtonsFrame::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<PositionButton*>(watched);
    // The keyboard's focus shows what hovering shows.
    if (button && HintFilter::byKeyboard(event) && m_dragSource == 0)
        hover(button->position());
    if (button && event->type() == QEvent::MouseMove) {
        // While a drag is under way the status line keeps "Moving ...".
        if (m_dragSource == 0)
            hover(button->position());
        // A mouse move the button ignores would reach the frame and its "Ready" hint.
        if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
            return true;
    }
    return QFrame::eventFilter(watched, event);
}

#include "gui/boxes/ClipboardTextFrame.h"

#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "gui/boxes/PositionButtonsFrame.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/HintFilter.h"
#include "gui/widgets/ScreenTwips.h"

ClipboardTextFrame::ClipboardTextFrame(
    BoxStore& store, BoxManager& boxes, PositionActions& actions, Clipboard& clipboard, QWidget* parent)
    : QGroupBox(QStringLiteral("Text"), parent)
    , m_store(store)
    , m_boxes(boxes)
{
    setObjectName(QStringLiteral("FrameClipboardText"));
    const ScreenTwips tw(this);
    m_buttons = new PositionButtonsFrame(store, actions, clipboard, this);
    m_buttons->setGeometry(tw.rect(120, 240, 4095, 2055));
    connect(m_buttons, &PositionButtonsFrame::statusText, this, &ClipboardTextFrame::statusText);
    connect(m_buttons, &PositionButtonsFrame::viewerShows, this, &ClipboardTextFrame::viewerShows);
    connect(m_buttons, &PositionButtonsFrame::viewerTextShows, this, &ClipboardTextFrame::viewerTextShows);

    auto* hints = new HintFilter(this);
    const auto ready = [this] { emit statusText(QStringLiteral("Ready")); };
    hints->add(this, ready);
    hints->add(m_buttons, ready);

    // Row 1 holds nine buttons; the undo labels and the search label use the rest of it.
    for (int level : {1, 2}) {
        auto* undo = new CommandLabel(QStringLiteral("LabelTextUndo%1").arg(level), QString::number(level),
            m_buttons, tw.rect(2400 + level * 300, 0, 252, 252));
        undo->setAlignment(Qt::AlignCenter);
        undo->setFrameShape(QFrame::Box);
        connect(undo, &CommandLabel::released, this, [this, level](Qt::MouseButton button) {
            if (button == Qt::LeftButton)
                m_boxes.copyUndoToClipboard(level);
            else if (button == Qt::RightButton)
                m_boxes.clearUndo(level);
        });
        hints->add(undo, [this, level] { undoHint(level); });
    }
    auto* search = new CommandLabel(
        QStringLiteral("LabelSearchText"), QStringLiteral("Search"), m_buttons, tw.rect(3360, 0, 735, 252));
    search->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    hints->add(search, [this] { emit statusText(QStringLiteral("Search text.")); });
    connect(search, &CommandLabel::clicked, this, &ClipboardTextFrame::searchTextRequested);
}

void ClipboardTextFrame::undoHint(int level)
{
    const QString title
        = level == 1 ? QStringLiteral("Last deleted text.") : QStringLiteral("Previous deleted text.");
    emit statusText(title + QStringLiteral(" Click to copy to clipboard; right-click to clear."));
    emit viewerShows(title, m_store.undoText(level));
}

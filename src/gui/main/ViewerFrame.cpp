#include "gui/main/ViewerFrame.h"

#include "core/Clipboard.h"
#include "core/LineBreaks.h"
#include "gui/dialogs/ClipboardViewer.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/HintFilter.h"
#include "gui/widgets/LabelRow.h"
#include "gui/widgets/ScreenTwips.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QString kClipboardContents = QStringLiteral("Clipboard contents:");
constexpr int kFirstRow = 90;

} // namespace

ViewerFrame::ViewerFrame(BoxManager& boxes, Clipboard& clipboard, QWidget* parent)
    : QFrame(parent)
    , m_boxes(boxes)
    , m_clipboard(clipboard)
{
    setObjectName(QStringLiteral("FrameViewer"));
    const ScreenTwips tw(this);
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("TextSeeTitle"));
    m_title->setReadOnly(true);
    m_title->setGeometry(tw.rect(0, 450, 3375, 270));

    m_view = new QPlainTextEdit(this);
    m_view->setObjectName(QStringLiteral("TextSee"));
    m_view->setReadOnly(true);
    m_view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setGeometry(tw.rect(0, 720, 6015, 3015));
    m_view->viewport()->installEventFilter(this);

    // Both viewer fields have the button face as background.
    for (QWidget* field : {static_cast<QWidget*>(m_title), static_cast<QWidget*>(m_view)}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        field->setPalette(palette);
    }
    buildClipboardCommands();
    buildBoxCommands();
}

void ViewerFrame::buildBoxCommands()
{
    const ScreenTwips tw(this);
    auto* searchAll = new CommandLabel(QStringLiteral("LabelSearchAll"), QStringLiteral("Search all"), this,
        tw.rect(0, kFirstRow, 900, 255));
    auto* moveLeft = new CommandLabel(QStringLiteral("LabelMoveBox1"), QStringLiteral("<Move box"), this,
        tw.rect(1000, kFirstRow, 900, 255));
    auto* moveRight = new CommandLabel(QStringLiteral("LabelMoveBox0"), QStringLiteral("Move box>"), this,
        tw.rect(2000, kFirstRow, 900, 255));
    auto* rename = new CommandLabel(QStringLiteral("LabelRenameBox"), QStringLiteral("Rename box"), this,
        tw.rect(3000, kFirstRow, 960, 255));
    auto* clear = new CommandLabel(QStringLiteral("LabelClearBox"), QStringLiteral("Clear box"), this,
        tw.rect(4060, kFirstRow, 820, 255));
    // The first row in the font size the clipboard row settled on.
    const auto* clipboardRow = findChild<QLabel*>(QStringLiteral("LabelClearClipboard"));
    LabelRow::fit({searchAll, moveLeft, moveRight, rename, clear}, 0, tw.px(4860),
        QFontInfo(clipboardRow->font()).pixelSize());
    connect(clear, &CommandLabel::clicked, this, &ViewerFrame::clearBoxRequested);
    // At the end of the row while the box has a backup; the row then shares its width with it.
    auto* undoClear = new CommandLabel(QStringLiteral("LabelUndoClear"), QStringLiteral("Undo clear"), this,
        tw.rect(4060, kFirstRow, 800, 255));
    undoClear->hide();
    m_undoClear = undoClear;
    m_boxRow = {searchAll, moveLeft, moveRight, rename, clear};
    m_rowPixelSize = QFontInfo(clipboardRow->font()).pixelSize();
    connect(undoClear, &CommandLabel::clicked, this, &ViewerFrame::undoClearRequested);
    connect(moveRight, &CommandLabel::clicked, this,
        [this] { emit moveBoxRequested(BoxManager::Direction::Right); });
    connect(moveLeft, &CommandLabel::clicked, this,
        [this] { emit moveBoxRequested(BoxManager::Direction::Left); });
    connect(rename, &CommandLabel::clicked, this, &ViewerFrame::renameBoxRequested);
    connect(searchAll, &CommandLabel::clicked, this, &ViewerFrame::searchAllRequested);

    auto* hints = new HintFilter(this);
    const auto boxHint = [this](const QString& before, const QString& after) {
        return [this, before, after] { emit statusText(before + m_boxCaption + after); };
    };
    hints->add(this, [this] { emit statusText(QStringLiteral("Ready")); });
    hints->add(searchAll, [this] { emit statusText(QStringLiteral("Search text and macros.")); });
    hints->add(clear, boxHint(QStringLiteral("Clear all text and/or macros in box '"), QStringLiteral("'.")));
    hints->add(undoClear,
        boxHint(QStringLiteral("Swap box '"), QStringLiteral("' with the backup its last clear kept.")));
    hints->add(rename, boxHint(QStringLiteral("Rename box '"), QStringLiteral("'.")));
    hints->add(moveRight, boxHint(QStringLiteral("Move box '"), QStringLiteral("' one place to the right.")));
    hints->add(moveLeft, boxHint(QStringLiteral("Move box '"), QStringLiteral("' one place to the left.")));
    hints->add(m_view->viewport(), [this] {
        emit statusText(QStringLiteral("Double-click to copy the contents straight to the clipboard."));
    });
}

void ViewerFrame::setUndoClearShown(bool shown)
{
    if (shown == m_undoClear->isVisible())
        return;
    QList<QLabel*> row = m_boxRow;
    if (shown)
        row.append(m_undoClear);
    LabelRow::fit(row, 0, ScreenTwips(this).px(4860), m_rowPixelSize);
    m_undoClear->setVisible(shown);
}

void ViewerFrame::buildClipboardCommands()
{
    const ScreenTwips tw(this);
    auto* refill
        = new CommandLabel(QStringLiteral("LabelCopyToClip"), QString(), this, tw.rect(3450, 457, 255, 255));
    refill->setFrameShape(QFrame::Box);
    refill->setAccessibleName(QStringLiteral("Refill clipboard"));
    auto* edit = new CommandLabel(QStringLiteral("LabelEditClipboard"), QStringLiteral("Edit clipboard"),
        this, tw.rect(3780, 450, 1080, 270));
    auto* clear = new CommandLabel(QStringLiteral("LabelClearClipboard"), QStringLiteral("Clear clipboard"),
        this, tw.rect(4905, 450, 1110, 270));
    LabelRow::fit({edit, clear}, tw.px(3780), tw.px(6015));
    connect(clear, &CommandLabel::released, this, &ViewerFrame::clearClipboard);
    connect(edit, &CommandLabel::released, this, &ViewerFrame::editClipboard);

    auto* hints = new HintFilter(this);
    hints->add(clear, [this] { clipboardHint(QStringLiteral("Clear clipboard contents.")); });
    hints->add(edit, [this] { clipboardHint(QStringLiteral("Work with clipboard contents.")); });
    hints->add(refill, [this] { m_boxes.refillClipboard(); });
    // Passing the mouse over it refills; the keyboard and screen readers press it.
    connect(refill, &CommandLabel::released, this, [this] { m_boxes.refillClipboard(); });
}

void ViewerFrame::display(const QString& title, const QString& text)
{
    if (title != m_title->text()) {
        m_title->setText(title);
        emit titleChanged(title);
    }
    setText(text);
}

void ViewerFrame::setText(const QString& text)
{
    m_text = text;
    // Filled through the document: the text edit's own setPlainText selects the whole new text
    // to give it a format, which lays the lines out once more. The view's cursor, keeping its
    // place on insert, stays at the start of the new text.
    if (!m_view->textCursor().keepPositionOnInsert()) {
        QTextCursor cursor = m_view->textCursor();
        cursor.setKeepPositionOnInsert(true);
        m_view->setTextCursor(cursor);
    }
    m_view->document()->setPlainText(LineBreaks::toLineFeeds(text));
}

void ViewerFrame::clearText()
{
    m_text.clear();
    m_view->clear();
}

QString ViewerFrame::title() const
{
    return m_title->text();
}

void ViewerFrame::clipboardHint(const QString& status)
{
    emit statusText(status);
    display(kClipboardContents, m_clipboard.text());
}

void ViewerFrame::clearClipboard()
{
    if (m_boxes.clearClipboard())
        display(kClipboardContents, QString());
}

void ViewerFrame::editClipboard()
{
    if (!m_clipboardViewer)
        m_clipboardViewer = new ClipboardViewer(m_clipboard, this);
    m_clipboardViewer->open();
}

bool ViewerFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        m_boxes.copyToClipboard(m_text);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

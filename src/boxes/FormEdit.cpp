#include "boxes/FormEdit.h"

#include "app/AppIcon.h"
#include "app/CommandLabel.h"
#include "app/DialogPosition.h"
#include "app/ModalHook.h"
#include "app/ScreenTwips.h"
#include "core/LineBreaks.h"
#include "platform/Clipboard.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

constexpr int kClientWidth = 9660;
constexpr int kClientHeight = 6930;

DialogPosition position(SettingsStore& settings)
{
    return DialogPosition(settings, QStringLiteral("FmEditMacrosLeft"), QStringLiteral("FmEditMacrosTop"));
}

CommandLabel* command(const QString& name, const QString& caption, QWidget* parent, const QRect& geometry)
{
    auto* label = new CommandLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Raised);
    return label;
}

QLabel* label(const QString& name, const QString& caption, QWidget* parent, const QRect& geometry)
{
    auto* result = new QLabel(caption, parent);
    result->setObjectName(name);
    result->setGeometry(geometry);
    return result;
}

QString selectedText(const QPlainTextEdit* text)
{
    QString selected = text->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, u'\n');
    return selected;
}

} // namespace

QString FormEdit::tipsText()
{
    return QStringLiteral("Tips:    Shift +   Ctrl ^   Alt %   Enter ~") + QString(37, u' ')
        + QStringLiteral("Press F1 or click here for more help in writing macros");
}

FormEdit::FormEdit(SettingsStore& settings, Clipboard& clipboard, SendKeys sendKeys, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_clipboard(clipboard)
    , m_sendKeys(std::move(sendKeys))
{
    setObjectName(QStringLiteral("FormEdit"));
    setWindowIcon(AppIcon::icon());
    setModal(true);
    const ScreenTwips tw(this);

    m_Frame1 = new QFrame(this);
    m_Frame1->setObjectName(QStringLiteral("Frame1"));
    m_Frame1->setGeometry(tw.rect(120, 60, 9420, 420));
    m_Label2 = label(
        QStringLiteral("Label2"), QStringLiteral(" Macro name:"), m_Frame1, tw.rect(0, 60, 1200, 300));
    m_Text2 = new QLineEdit(m_Frame1);
    m_Text2->setObjectName(QStringLiteral("Text2"));
    m_Text2->setGeometry(tw.rect(1260, 60, 4800, 300));
    m_Label3 = label(
        QStringLiteral("Label3"), QStringLiteral(" Macro position:"), m_Frame1, tw.rect(6300, 60, 1500, 300));
    m_TextPosition = new QLineEdit(m_Frame1);
    m_TextPosition->setObjectName(QStringLiteral("TextPosition"));
    m_TextPosition->setGeometry(tw.rect(7860, 60, 720, 300));

    m_Text1 = new QPlainTextEdit(this);
    m_Text1->setObjectName(QStringLiteral("Text1"));
    m_Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_Text1->setGeometry(tw.rect(120, 540, 9420, 5100));
    m_Text1->installEventFilter(this);

    m_Label1 = command(QStringLiteral("Label1"), tipsText(), this, tw.rect(120, 5700, 9420, 480));
    m_Label1->setFrameShape(QFrame::NoFrame);
    m_Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_Label1->setTextFormat(Qt::PlainText);
    m_Label1->setWordWrap(true);

    const int row = 6300;
    m_LabelPaste
        = command(QStringLiteral("LabelPaste"), QStringLiteral("Paste"), this, tw.rect(120, row, 1080, 330));
    m_LabelCopySelection = command(QStringLiteral("LabelCopySelection"), QStringLiteral("Copy selection"),
        this, tw.rect(1320, row, 1560, 330));
    m_LabelClearAll = command(
        QStringLiteral("LabelClearAll"), QStringLiteral("Clear all"), this, tw.rect(3000, row, 1080, 330));
    m_LabelSelectAll = command(
        QStringLiteral("LabelSelectAll"), QStringLiteral("Select all"), this, tw.rect(4200, row, 1080, 330));
    m_LabelCancel = command(
        QStringLiteral("LabelCancel"), QStringLiteral("Cancel"), this, tw.rect(7260, row, 1080, 330));
    m_LabelSave
        = command(QStringLiteral("LabelSave"), QStringLiteral("Save"), this, tw.rect(8460, row, 1080, 330));
    QFont bold = m_LabelSave->font();
    bold.setBold(true);
    m_LabelSave->setFont(bold);

    // The commands act on the release of any mouse button.
    connect(m_LabelSave, &CommandLabel::released, this, &FormEdit::save);
    connect(m_LabelCancel, &CommandLabel::released, this, &FormEdit::cancel);
    connect(m_LabelPaste, &CommandLabel::released, this, &FormEdit::paste);
    connect(m_LabelCopySelection, &CommandLabel::released, this, &FormEdit::copySelection);
    connect(m_LabelClearAll, &CommandLabel::released, this, &FormEdit::clearAll);
    connect(m_LabelSelectAll, &CommandLabel::released, this, &FormEdit::toggleSelectAll);
    connect(
        m_Label1, &CommandLabel::released, this, [this](Qt::MouseButton button) { tipsReleased(button); });

    setFixedSize(tw.px(kClientWidth), tw.px(kClientHeight));
    const QPoint edges = position(m_settings).restore(tw.screenSize().width(), tw.screenSize().height());
    move(tw.point(edges.x(), edges.y()));
}

void FormEdit::prepare(const EditRequest& request)
{
    setWindowTitle(request.caption);
    m_original = request.text;
    m_macroNumber = request.macroNumber;
    m_Text2->setText(request.macroName);
    m_Frame1->setVisible(request.macro);
    m_Label1->setVisible(request.macro);
    if (request.macro)
        m_TextPosition->setText(QString::number(request.macroNumber));
    m_Text1->setPlainText(LineBreaks::forEditor(request.text));
}

EditResult FormEdit::result() const
{
    return EditResult {m_saved, LineBreaks::fromEditor(m_Text1->toPlainText(), m_original), m_Text2->text()};
}

EditResult FormEdit::edit(const EditRequest& request)
{
    prepare(request);
    m_saved = false;
    m_Text1->setFocus();
    exec();
    storePosition();
    return result();
}

void FormEdit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ModalHook::opened(*this);
}

void FormEdit::storePosition()
{
    const ScreenTwips tw(this);
    position(m_settings).store(tw.toTwips(pos()));
}

void FormEdit::save()
{
    if (m_Text2->text().isEmpty())
        m_Text2->setText(QStringLiteral("Macro %1").arg(m_macroNumber));
    m_saved = true;
    hide();
    accept();
}

void FormEdit::cancel()
{
    m_saved = false;
    hide();
    reject();
}

void FormEdit::paste()
{
    // A clipboard without text removes the selection, as pasting nothing over it would.
    m_Text1->insertPlainText(LineBreaks::forEditor(m_clipboard.ClipboardGetText()));
    m_Text1->setFocus();
}

void FormEdit::copySelection()
{
    m_clipboard.replaceText(selectedText(m_Text1));
    m_Text1->setFocus();
}

void FormEdit::clearAll()
{
    m_Text1->clear();
    m_Text1->setFocus();
}

void FormEdit::toggleSelectAll()
{
    m_Text1->setFocus();
    QTextCursor cursor = m_Text1->textCursor();
    const qsizetype length = m_Text1->toPlainText().size();
    if (cursor.hasSelection() && cursor.selectionEnd() - cursor.selectionStart() == length) {
        cursor.clearSelection();
    } else {
        cursor.setPosition(0);
        cursor.setPosition(int(length), QTextCursor::KeepAnchor);
    }
    m_Text1->setTextCursor(cursor);
}

void FormEdit::tipsReleased(Qt::MouseButton button)
{
    if (button == Qt::LeftButton) {
        if (m_sendKeys)
            m_sendKeys(QStringLiteral("{F1}"));
    } else if (button == Qt::RightButton) {
        QString text = m_Text1->toPlainText();
        text.replace(QStringLiteral("{t}"), QStringLiteral("{TAB}"));
        text.replace(QStringLiteral("{T}"), QStringLiteral("{TAB}"));
        m_Text1->setPlainText(text);
    }
}

bool FormEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_Text1 && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_A && key->modifiers() == Qt::ControlModifier)
            m_Text1->selectAll();
    }
    return QDialog::eventFilter(watched, event);
}

#include "gui/dialogs/EditDialog.h"

#include "core/Clipboard.h"
#include "core/LineBreaks.h"
#include "gui/widgets/AppIcon.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/DialogPlacement.h"
#include "gui/widgets/EditorText.h"
#include "gui/widgets/NamedWidget.h"
#include "gui/widgets/ScreenTwips.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

constexpr int kClientWidth = 9660;
constexpr int kClientHeight = 6930;

DialogPlacement position(Settings& settings)
{
    return DialogPlacement(
        settings, Settings::Key::EditLeft, Settings::Key::EditTop, DialogPlacement::kDialogTooFar);
}

QLabel* label(const QString& name, const QString& caption, QWidget* parent, const QRect& geometry)
{
    return NamedWidget::make<QLabel>(name, parent, geometry, caption);
}

QString selectedText(const QPlainTextEdit* text)
{
    QString selected = text->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, u'\n');
    return selected;
}

} // namespace

QString EditDialog::tipsText()
{
    return QStringLiteral("Tips:    Shift +   Ctrl ^   Alt %   Enter ~") + QString(37, u' ')
        + QStringLiteral("Press F1 or click here for more help in writing macros");
}

EditDialog::EditDialog(Settings& settings, Clipboard& clipboard, SendKeys sendKeys, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_clipboard(clipboard)
    , m_sendKeys(std::move(sendKeys))
{
    setObjectName(QStringLiteral("FormEdit"));
    setWindowIcon(AppIcon::icon());
    setModal(true);
    const ScreenTwips tw(this);

    m_macroFields = new QFrame(this);
    m_macroFields->setObjectName(QStringLiteral("Frame1"));
    m_macroFields->setGeometry(tw.rect(120, 60, 9420, 420));
    m_nameLabel = label(
        QStringLiteral("Label2"), QStringLiteral(" Macro name:"), m_macroFields, tw.rect(0, 60, 1200, 300));
    m_macroName = new QLineEdit(m_macroFields);
    m_macroName->setObjectName(QStringLiteral("Text2"));
    m_macroName->setGeometry(tw.rect(1260, 60, 4800, 300));
    m_positionLabel = label(QStringLiteral("Label3"), QStringLiteral(" Macro position:"), m_macroFields,
        tw.rect(6300, 60, 1500, 300));
    m_macroPosition = new QLineEdit(m_macroFields);
    m_macroPosition->setObjectName(QStringLiteral("TextPosition"));
    m_macroPosition->setGeometry(tw.rect(7860, 60, 720, 300));

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setGeometry(tw.rect(120, 540, 9420, 5100));

    // The tips and the help line each on a line of their own: wrapping the one text at the
    // label's width broke the help sentence wherever the font made it end.
    m_tips = new CommandLabel(QStringLiteral("Label1"),
        tipsText().replace(QString(37, u' '), QStringLiteral("\n")), this, tw.rect(120, 5700, 9420, 480));
    m_tips->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_tips->setTextFormat(Qt::PlainText);

    const int row = 6300;
    m_paste = CommandLabel::button(
        QStringLiteral("LabelPaste"), QStringLiteral("Paste"), this, tw.rect(120, row, 1080, 330));
    m_copySelection = CommandLabel::button(QStringLiteral("LabelCopySelection"),
        QStringLiteral("Copy selection"), this, tw.rect(1320, row, 1560, 330));
    m_clearAll = CommandLabel::button(
        QStringLiteral("LabelClearAll"), QStringLiteral("Clear all"), this, tw.rect(3000, row, 1080, 330));
    m_selectAll = CommandLabel::button(
        QStringLiteral("LabelSelectAll"), QStringLiteral("Select all"), this, tw.rect(4200, row, 1080, 330));
    m_cancel = CommandLabel::button(
        QStringLiteral("LabelCancel"), QStringLiteral("Cancel"), this, tw.rect(7260, row, 1080, 330));
    m_save = CommandLabel::button(
        QStringLiteral("LabelSave"), QStringLiteral("Save"), this, tw.rect(8460, row, 1080, 330));
    QFont bold = m_save->font();
    bold.setBold(true);
    m_save->setFont(bold);

    // The commands act on the release of any mouse button.
    connect(m_save, &CommandLabel::released, this, &EditDialog::save);
    connect(m_cancel, &CommandLabel::released, this, &EditDialog::cancel);
    connect(m_paste, &CommandLabel::released, this, &EditDialog::paste);
    connect(m_copySelection, &CommandLabel::released, this, &EditDialog::copySelection);
    connect(m_clearAll, &CommandLabel::released, this, &EditDialog::clearAll);
    connect(m_selectAll, &CommandLabel::released, this, &EditDialog::toggleSelectAll);
    connect(m_tips, &CommandLabel::released, this, [this](Qt::MouseButton button) { tipsReleased(button); });

    setFixedSize(tw.px(kClientWidth), tw.px(kClientHeight));
    position(m_settings).restore(*this);
}

void EditDialog::prepare(const EditRequest& request)
{
    setWindowTitle(request.caption);
    m_initialText = request.text;
    m_macroNumber = request.macroNumber;
    m_macroName->setText(request.macroName);
    m_macroFields->setVisible(request.macro);
    m_tips->setVisible(request.macro);
    if (request.macro)
        m_macroPosition->setText(QString::number(request.macroNumber));
    m_text->setPlainText(LineBreaks::toLineFeeds(request.text));
}

EditResult EditDialog::result() const
{
    return EditResult {
        m_saved, LineBreaks::fromEditor(EditorText::text(m_text), m_initialText), m_macroName->text()};
}

EditResult EditDialog::edit(const EditRequest& request)
{
    prepare(request);
    m_saved = false;
    m_text->setFocus();
    exec();
    storePosition();
    return result();
}

void EditDialog::storePosition()
{
    // The prompter's dialogs reach the settings only: a position that cannot be stored is left
    // to the main window's, which is told when the window closes.
    (void)position(m_settings).store(*this);
}

void EditDialog::save()
{
    if (m_macroName->text().isEmpty())
        m_macroName->setText(QStringLiteral("Macro %1").arg(m_macroNumber));
    m_saved = true;
    hide();
    accept();
}

void EditDialog::cancel()
{
    m_saved = false;
    hide();
    reject();
}

void EditDialog::paste()
{
    // A clipboard without text removes the selection, as pasting nothing over it would.
    m_text->insertPlainText(LineBreaks::toLineFeeds(m_clipboard.text()));
    m_text->setFocus();
}

void EditDialog::copySelection()
{
    m_clipboard.replaceText(selectedText(m_text));
    m_text->setFocus();
}

void EditDialog::clearAll()
{
    m_text->clear();
    m_text->setFocus();
}

void EditDialog::toggleSelectAll()
{
    m_text->setFocus();
    QTextCursor cursor = m_text->textCursor();
    const qsizetype length = EditorText::text(m_text).size();
    if (cursor.hasSelection() && cursor.selectionEnd() - cursor.selectionStart() == length) {
        cursor.clearSelection();
    } else {
        cursor.setPosition(0);
        cursor.setPosition(int(length), QTextCursor::KeepAnchor);
    }
    m_text->setTextCursor(cursor);
}

void EditDialog::tipsReleased(Qt::MouseButton button)
{
    if (button == Qt::LeftButton) {
        if (m_sendKeys)
            m_sendKeys(QStringLiteral("{F1}"));
    } else if (button == Qt::RightButton) {
        QString text = EditorText::text(m_text);
        text.replace(QStringLiteral("{t}"), QStringLiteral("{TAB}"));
        text.replace(QStringLiteral("{T}"), QStringLiteral("{TAB}"));
        m_text->setPlainText(text);
    }
}

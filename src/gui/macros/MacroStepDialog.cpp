#include "gui/macros/MacroStepDialog.h"

#include "gui/widgets/AppIcon.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/ScreenTwips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

bool isEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyRelease)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return !key->isAutoRepeat() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}

} // namespace

MacroStepDialog::MacroStepDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Moxeno Trellin - macro playing ..."));
    setWindowIcon(AppIcon::icon());
    setModal(true);
    const ScreenTwips tw(this);

    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("Label1"));
    m_heading->setGeometry(tw.rect(120, 120, 5760, 255));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("Label2"));
    m_text->setGeometry(tw.rect(120, 480, 5760, 735));
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_answerBox = new QLineEdit(this);
    m_answerBox->setObjectName(QStringLiteral("Text1"));
    m_answerBox->setGeometry(tw.rect(120, 1320, 5760, 315));
    m_answerBox->installEventFilter(this);

    m_abort = CommandLabel::button(
        QStringLiteral("LabelAbort"), QStringLiteral("Abort"), this, tw.rect(120, 1800, 1200, 300));
    m_miss = CommandLabel::button(
        QStringLiteral("LabelMiss"), QStringLiteral("Miss"), this, tw.rect(2400, 1800, 1200, 300));
    m_continue = CommandLabel::button(
        QStringLiteral("LabelContinue"), QStringLiteral("Continue"), this, tw.rect(4680, 1800, 1200, 300));
    for (CommandLabel* label : {m_abort, m_miss, m_continue})
        label->setFont(bold);
    connect(m_abort, &CommandLabel::clicked, this, [this] { leave(StepAnswer::Abort); });
    connect(m_miss, &CommandLabel::clicked, this, [this] { leave(StepAnswer::Miss); });
    connect(m_continue, &CommandLabel::clicked, this, [this] { leave(StepAnswer::Continue); });
    setFixedSize(tw.px(6000), tw.px(2280));
}

void MacroStepDialog::setMessage(const QString& text)
{
    m_heading->setText(QStringLiteral("Message"));
    m_text->setText(text);
    m_answerBox->hide();
    m_miss->hide();
}

void MacroStepDialog::setInput(const QString& prompt, const QString& defaultText)
{
    m_heading->setText(QStringLiteral("Input data"));
    m_text->setText(prompt);
    m_answerBox->setText(defaultText);
    m_answerBox->show();
    m_miss->show();
}

StepAnswer MacroStepDialog::ask()
{
    // Closing the window or Escape leaves the answer at Abort.
    m_answer = StepAnswer::Abort;
    exec();
    return m_answer;
}

QString MacroStepDialog::answerText() const
{
    return m_answerBox->text();
}

void MacroStepDialog::leave(StepAnswer answer)
{
    m_answer = answer;
    hide();
    done(answer == StepAnswer::Abort ? Rejected : Accepted);
}

void MacroStepDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_answerBox->isHidden())
        m_answerBox->setFocus();
    caretToEnd();
}

void MacroStepDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // The dialog is shown before it is made active, and the focus it then gets selects the
    // answer box's text: a key typed would replace the default instead of adding to it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        caretToEnd();
}

void MacroStepDialog::caretToEnd()
{
    // The caret stands after the default text, ready to add to it or delete it.
    if (!m_answerBox->isHidden())
        m_answerBox->end(false);
}

void MacroStepDialog::keyReleaseEvent(QKeyEvent* event)
{
    if (isEnter(event))
        return leave(StepAnswer::Continue);
    QDialog::keyReleaseEvent(event);
}

bool MacroStepDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_answerBox && isEnter(event)) {
        leave(StepAnswer::Continue);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

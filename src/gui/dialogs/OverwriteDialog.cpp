#include "gui/dialogs/OverwriteDialog.h"

#include "gui/widgets/AppIcon.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/DialogPlacement.h"
#include "gui/widgets/ScreenTwips.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

QPlainTextEdit* readOnlyText(QWidget* parent, const QString& name)
{
    auto* text = new QPlainTextEdit(parent);
    text->setObjectName(name);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return text;
}

DialogPlacement position(Settings& settings)
{
    return DialogPlacement(
        settings, Settings::Key::OverwriteLeft, Settings::Key::OverwriteTop, DialogPlacement::kDialogTooFar);
}

} // namespace

OverwriteDialog::OverwriteDialog(Settings& settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("FormOWrite"));
    setWindowIcon(AppIcon::icon());
    setModal(true);
    const ScreenTwips tw(this);

    m_question = new QLabel(this);
    m_question->setObjectName(QStringLiteral("Label1"));
    m_question->setGeometry(tw.rect(120, 120, 9420, 225));
    m_storedText = readOnlyText(this, QStringLiteral("Text1"));
    m_storedText->setGeometry(tw.rect(120, 360, 9420, 2655));
    m_withLabel = new QLabel(QStringLiteral("with"), this);
    m_withLabel->setObjectName(QStringLiteral("Label2"));
    m_withLabel->setGeometry(tw.rect(120, 3240, 9420, 225));
    m_withLabel->hide();
    m_newText = readOnlyText(this, QStringLiteral("Text2"));
    m_newText->setGeometry(tw.rect(120, 3600, 9420, 2775));
    m_newText->hide();

    m_answerFrame = new QFrame(this);
    m_answerFrame->setObjectName(QStringLiteral("Frame1"));
    m_answerFrame->setGeometry(tw.rect(0, kFrameTop, kClientWidth, kClientHeight - kFrameTop));
    m_dontAsk
        = new QCheckBox(QStringLiteral("Don't ask me about overwriting / deleting in future"), m_answerFrame);
    m_dontAsk->setObjectName(QStringLiteral("CheckDontAsk"));
    m_dontAsk->setGeometry(tw.rect(120, 60, 6600, 300));
    m_yes = CommandLabel::button(
        QStringLiteral("LabelYes"), QStringLiteral("Yes"), m_answerFrame, tw.rect(7560, 60, 855, 300));
    m_no = CommandLabel::button(
        QStringLiteral("LabelNo"), QStringLiteral("No"), m_answerFrame, tw.rect(8580, 60, 855, 300));
    for (CommandLabel* label : {m_yes, m_no}) {
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
    // Yes and No act on the release of any mouse button.
    connect(m_yes, &CommandLabel::released, this, [this] { answer(true); });
    connect(m_no, &CommandLabel::released, this, [this] { answer(false); });

    setFixedSize(tw.px(kClientWidth), tw.px(kClientHeight));
    position(m_settings).restore(*this);
}

void OverwriteDialog::setRequest(const OverwriteRequest& request)
{
    const ScreenTwips tw(this);
    setWindowTitle(request.caption);
    m_question->setText(request.question);
    m_storedText->setPlainText(request.storedText);
    if (request.deletion) {
        m_answerFrame->move(0, tw.px(kShortFrameTop));
        setFixedSize(tw.px(kClientWidth), tw.px(kShortClientHeight));
    } else {
        m_withLabel->show();
        m_newText->show();
        m_newText->setPlainText(request.newText);
    }
}

bool OverwriteDialog::dontAskTicked() const
{
    return m_dontAsk->isChecked();
}

void OverwriteDialog::answer(bool yes)
{
    m_answeredYes = yes;
    hide();
    done(yes ? Accepted : Rejected);
}

void OverwriteDialog::storePosition()
{
    // The prompter's dialogs reach the settings only: a position that cannot be stored is left
    // to the main window's, which is told when the window closes.
    (void)position(m_settings).store(*this);
}

OverwriteAnswer OverwriteDialog::ask(const OverwriteRequest& request)
{
    setRequest(request);
    m_answeredYes = false;
    exec();
    storePosition();
    return OverwriteAnswer {m_answeredYes, dontAskTicked()};
}

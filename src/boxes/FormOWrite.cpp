#include "boxes/FormOWrite.h"

#include "app/AppIcon.h"
#include "app/CommandLabel.h"
#include "app/DialogPosition.h"
#include "app/ModalHook.h"
#include "app/ScreenTwips.h"

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

DialogPosition position(SettingsStore& settings)
{
    return DialogPosition(settings, QStringLiteral("FmOWLeft"), QStringLiteral("FmOWTop"));
}

} // namespace

FormOWrite::FormOWrite(SettingsStore& settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("FormOWrite"));
    setWindowIcon(AppIcon::icon());
    setModal(true);
    const ScreenTwips tw(this);

    m_Label1 = new QLabel(this);
    m_Label1->setObjectName(QStringLiteral("Label1"));
    m_Label1->setGeometry(tw.rect(120, 120, 9420, 225));
    m_Text1 = readOnlyText(this, QStringLiteral("Text1"));
    m_Text1->setGeometry(tw.rect(120, 360, 9420, 2655));
    m_Label2 = new QLabel(QStringLiteral("with"), this);
    m_Label2->setObjectName(QStringLiteral("Label2"));
    m_Label2->setGeometry(tw.rect(120, 3240, 9420, 225));
    m_Label2->hide();
    m_Text2 = readOnlyText(this, QStringLiteral("Text2"));
    m_Text2->setGeometry(tw.rect(120, 3600, 9420, 2775));
    m_Text2->hide();

    m_Frame1 = new QFrame(this);
    m_Frame1->setObjectName(QStringLiteral("Frame1"));
    m_Frame1->setGeometry(tw.rect(0, kFrameTop, kClientWidth, kClientHeight - kFrameTop));
    m_CheckDontAsk
        = new QCheckBox(QStringLiteral("Don't ask me about overwriting / deleting in future"), m_Frame1);
    m_CheckDontAsk->setObjectName(QStringLiteral("CheckDontAsk"));
    m_CheckDontAsk->setGeometry(tw.rect(120, 60, 6600, 300));
    m_LabelYes = new CommandLabel(QStringLiteral("Yes"), m_Frame1);
    m_LabelYes->setObjectName(QStringLiteral("LabelYes"));
    m_LabelYes->setAlignment(Qt::AlignCenter);
    m_LabelYes->setGeometry(tw.rect(7560, 60, 855, 300));
    m_LabelNo = new CommandLabel(QStringLiteral("No"), m_Frame1);
    m_LabelNo->setObjectName(QStringLiteral("LabelNo"));
    m_LabelNo->setAlignment(Qt::AlignCenter);
    m_LabelNo->setGeometry(tw.rect(8580, 60, 855, 300));
    for (CommandLabel* label : {m_LabelYes, m_LabelNo}) {
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Raised);
    }
    // Yes and No act on the release of any mouse button.
    connect(m_LabelYes, &CommandLabel::released, this, [this] { answer(true); });
    connect(m_LabelNo, &CommandLabel::released, this, [this] { answer(false); });

    setFixedSize(tw.px(kClientWidth), tw.px(kClientHeight));
    const QPoint edges = position(m_settings).restore(tw.screenSize().width(), tw.screenSize().height());
    move(tw.point(edges.x(), edges.y()));
}

void FormOWrite::setRequest(const OverwriteRequest& request)
{
    const ScreenTwips tw(this);
    setWindowTitle(request.caption);
    m_Label1->setText(request.question);
    m_Text1->setPlainText(request.storedText);
    if (request.deletion) {
        m_Frame1->move(0, tw.px(kShortFrameTop));
        setFixedSize(tw.px(kClientWidth), tw.px(kShortClientHeight));
    } else {
        m_Label2->show();
        m_Text2->show();
        m_Text2->setPlainText(request.newText);
    }
}

bool FormOWrite::dontAskTicked() const
{
    return m_CheckDontAsk->isChecked();
}

void FormOWrite::answer(bool yes)
{
    m_yes = yes;
    hide();
    done(yes ? Accepted : Rejected);
}

void FormOWrite::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ModalHook::opened(*this);
}

void FormOWrite::storePosition()
{
    const ScreenTwips tw(this);
    position(m_settings).store(tw.toTwips(pos()));
}

OverwriteAnswer FormOWrite::ask(const OverwriteRequest& request)
{
    setRequest(request);
    m_yes = false;
    exec();
    storePosition();
    return OverwriteAnswer {m_yes, dontAskTicked()};
}

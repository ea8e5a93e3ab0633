#include "gui/options/AboutDialog.h"

#include "core/DataContext.h"
#include "core/Settings.h"
#include "gui/options/AdvancedOptionsDialog.h"
#include "gui/options/OptionsPickers.h"
#include "gui/widgets/AppIcon.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/NamedWidget.h"
#include "gui/widgets/ScreenTwips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

QLabel* label(const QString& name, const QString& caption, QWidget* parent, const QRect& geometry)
{
    return NamedWidget::make<QLabel>(name, parent, geometry, caption);
}

} // namespace

AboutDialog::AboutDialog(DataContext& context, OptionsPickers& pickers, const QColor& buttonColour,
    const QString& makerAddress, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_pickers(pickers)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About..."));
    setWindowIcon(AppIcon::icon());
    setModal(true);
    const ScreenTwips tw(this);

    auto* icon = label(QStringLiteral("picIcon"), QString(), this, tw.rect(120, 120, 480, 480));
    icon->setPixmap(AppIcon::pixmap(tw.px(480)));
    icon->setToolTip(QStringLiteral("Visit Moxeno website for more products and support."));
    QLabel* title = label(
        QStringLiteral("lblTitle"), QStringLiteral("Moxeno Trellin"), this, tw.rect(720, 120, 5160, 300));
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPixelSize(tw.px(240));
    title->setFont(bold);
    label(QStringLiteral("lblVersion"), QStringLiteral("Release %1").arg(QStringLiteral(TRELLIN_VERSION)),
        this, tw.rect(720, 450, 5160, 240));
    label(QStringLiteral("Label2"), QStringLiteral("For help press F1."), this, tw.rect(720, 720, 5160, 240));
    auto* visit = new CommandLabel(QStringLiteral("lblVisitMoxeno"),
        QStringLiteral("Moxeno  %1").arg(makerAddress), this, tw.rect(720, 990, 5160, 240));
    visit->setToolTip(QStringLiteral("Click here to visit Moxeno online"));
    connect(visit, &CommandLabel::released, this, &AboutDialog::makerPageRequested);

    auto* options = new QGroupBox(QStringLiteral("Options"), this);
    options->setObjectName(QStringLiteral("Frame2"));
    options->setGeometry(tw.rect(120, 1380, 5760, 1680));
    m_colourButton = new QPushButton(options);
    m_colourButton->setObjectName(QStringLiteral("CommandClipTextCol"));
    m_colourButton->setGeometry(tw.rect(120, 300, 480, 300));
    m_colourButton->setAutoDefault(false);
    m_colourButton->installEventFilter(this);
    label(QStringLiteral("Label3"), QStringLiteral("Trellin button colour; right click to reset default"),
        options, tw.rect(720, 330, 4920, 240));
    m_warnOverwrite
        = new QCheckBox(QStringLiteral("  Warn me before overwriting or deleting saved text"), options);
    m_warnOverwrite->setObjectName(QStringLiteral("CheckOverwriteMsg"));
    m_warnOverwrite->setGeometry(tw.rect(120, 750, 5520, 300));
    m_warnOverwrite->setChecked(m_context.warnOverwrite());
    CommandLabel* advanced = CommandLabel::button(
        QStringLiteral("LabelAdvanced"), QStringLiteral("Advanced"), options, tw.rect(120, 1200, 1200, 300));
    connect(advanced, &CommandLabel::released, this, &AboutDialog::showAdvanced);

    CommandLabel* close = CommandLabel::button(
        QStringLiteral("LabelClose"), QStringLiteral("Close"), this, tw.rect(4680, 3240, 1200, 300));
    connect(close, &CommandLabel::released, this, &QDialog::accept);

    setColour(buttonColour);
    setFixedSize(tw.px(kClientWidth), tw.px(kClientHeight));
}

unsigned AboutDialog::toBgr(const QColor& colour)
{
    return unsigned(colour.red()) + 256u * unsigned(colour.green()) + 65536u * unsigned(colour.blue());
}

QColor AboutDialog::defaultColour()
{
    const unsigned bgr = Settings::kDefaultClipColour;
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void AboutDialog::setColour(const QColor& colour)
{
    m_colour = colour;
    m_colourButton->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid #6d6d8f; }")
            .arg(colour.name()));
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (watched != m_colourButton || (!press && event->type() != QEvent::MouseButtonRelease))
        return QDialog::eventFilter(watched, event);
    const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
    // A push button takes only the left button; the right one resets the colour, so its press
    // is taken here and its release comes back to the button.
    if (press)
        return button != Qt::LeftButton;
    colourReleased(button);
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::colourReleased(Qt::MouseButton button)
{
    QColor chosen = defaultColour();
    if (button == Qt::LeftButton) {
        const std::optional<QColor> picked = m_pickers.pickColour(m_colour, this);
        // Black would make the captions unreadable, and cancelling keeps what there is.
        if (!picked || !picked->isValid() || toBgr(*picked) == 0)
            return;
        chosen = picked->toRgb();
    }
    setColour(chosen);
    emit buttonColourChanged(chosen);
    m_context.checkStored(m_context.settings().setNumber(Settings::Key::ClipColour, int(toBgr(chosen))),
        QStringLiteral("button colour"), true);
}

void AboutDialog::showAdvanced()
{
    AdvancedOptionsDialog advanced(m_context, m_pickers, this);
    connect(&advanced, &AdvancedOptionsDialog::helpRequested, this, &AboutDialog::helpRequested);
    connect(&advanced, &AdvancedOptionsDialog::dataFolderChanged, this, &AboutDialog::dataFolderChanged);
    advanced.exec();
}

void AboutDialog::done(int result)
{
    m_context.storeWarnOverwrite(m_warnOverwrite->isChecked());
    QDialog::done(result);
}

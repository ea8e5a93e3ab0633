#include "gui/main/StatusBar.h"

#include "core/StatusLog.h"
#include "gui/main/MakerPage.h"
#include "gui/widgets/AppIcon.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/HintFilter.h"
#include "gui/widgets/ScreenTwips.h"

#include <QComboBox>
#include <QLabel>

namespace {

// The bar's own place in the main window, in twips; its controls are placed relative to it.
constexpr int kLeft = 120;
constexpr int kTop = 9120;

} // namespace

StatusBar::StatusBar(StatusLog& log, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("StatusBar"));
    const ScreenTwips tw(this);
    const auto at = [&tw](int left, int top, int width, int height) {
        return tw.rect(left, top, width, height).translated(-tw.point(kLeft, kTop));
    };
    setGeometry(tw.rect(kLeft, kTop, 11175 - kLeft, 9855 - kTop));

    m_log = new QComboBox(this);
    m_log->setObjectName(QStringLiteral("ComboMainRes"));
    m_log->setPlaceholderText(QStringLiteral("Results"));
    m_log->setGeometry(at(120, 9120, 9015, 330));
    m_log->setMaxVisibleItems(20);
    m_log->addItems(log.entries());
    m_log->setCurrentIndex(m_log->count() > 0 ? 0 : -1);
    connect(&log, &StatusLog::logged, this, [this](const QString& line) {
        m_log->insertItem(0, line);
        m_log->setCurrentIndex(0);
    });

    m_menu = new QComboBox(this);
    m_menu->setObjectName(QStringLiteral("ComboMain"));
    m_menu->addItems({QStringLiteral("Select"), QStringLiteral("Help"), QStringLiteral("About this software"),
        QStringLiteral("Visit Moxeno website!")});
    m_menu->setGeometry(at(9240, 9120, 1935, 330));
    connect(m_menu, &QComboBox::activated, this, &StatusBar::menuChosen);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("LabelMain"));
    m_status->setGeometry(at(240, 9600, 9960, 255));
    auto* close = new CommandLabel(
        QStringLiteral("LabelClose"), QStringLiteral("Close"), this, at(10320, 9600, 480, 255));
    connect(close, &CommandLabel::clicked, this, &StatusBar::closeRequested);
    auto* icon = new CommandLabel(QStringLiteral("picIcon"), QString(), this, at(10920, 9600, 240, 240));
    icon->setPixmap(AppIcon::pixmap(16));
    icon->setAlignment(Qt::AlignCenter);
    icon->setAccessibleName(QStringLiteral("Visit Moxeno website"));
    connect(icon, &CommandLabel::clicked, this, [] { MakerPage::openMakerPage(); });

    auto* hints = new HintFilter(this);
    hints->add(
        icon, [this] { setStatus(QStringLiteral("Visit Moxeno website for more products and support.")); });
}

void StatusBar::setStatus(const QString& text)
{
    m_status->setText(text);
}

QString StatusBar::status() const
{
    return m_status->text();
}

void StatusBar::menuChosen(int index)
{
    // Back to "Select" before the chosen window opens: the narrow box would otherwise show the
    // cut caption of the choice for as long as that (modal) window stays open.
    m_menu->setCurrentIndex(0);
    switch (index) {
    case 1:
        emit helpRequested();
        break;
    case 2:
        emit aboutRequested();
        break;
    case 3:
        MakerPage::openMakerPage();
        break;
    default:
        break;
    }
}

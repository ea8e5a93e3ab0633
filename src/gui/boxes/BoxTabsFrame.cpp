#include "gui/boxes/BoxTabsFrame.h"

#include "core/DataFiles.h"
#include "gui/widgets/CachingTabBar.h"
#include "gui/widgets/HintFilter.h"
#include "gui/widgets/ScreenTwips.h"

#include <QFrame>
#include <QSlider>

namespace {

// The frame's own place in the main window, in twips; its controls are placed relative to it.
constexpr int kLeft = 120;
constexpr int kTop = 120;

} // namespace

BoxTabsFrame::BoxTabsFrame(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("BoxTabs"));
    const ScreenTwips tw(this);
    const auto place = [&tw](QWidget* widget, int left, int top, int width, int height) {
        widget->setGeometry(tw.rect(left, top, width, height).translated(-tw.point(kLeft, kTop)));
    };
    setGeometry(tw.rect(kLeft, kTop, 11055, 4455 - kTop));

    m_tabs = new CachingTabBar(this);
    m_tabs->setObjectName(QStringLiteral("TabStripMain"));
    m_tabs->setUsesScrollButtons(true);
    m_tabs->setExpanding(false);
    m_tabs->setElideMode(Qt::ElideNone);
    m_tabs->setDrawBase(false);
    for (int box = 1; box <= DataFiles::kBoxCount; ++box)
        m_tabs->addTab(QStringLiteral("Box %1").arg(box));
    place(m_tabs, 120, 120, 11055, 360);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) { emit boxChosen(index + 1); });

    m_page = new QFrame(this);
    m_page->setObjectName(QStringLiteral("TabStripMainPane"));
    m_page->setFrameShape(QFrame::StyledPanel);
    place(m_page, 120, 480, 11055, 4455 - 480);

    // Made after the page, so it stands above the page's frames, in the viewer's first row.
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QStringLiteral("Slider1"));
    m_slider->setRange(1, DataFiles::kBoxCount);
    m_slider->setPageStep(10);
    // Without tracking, a drag chooses its box only when the mouse lets go.
    m_slider->setTracking(false);
    place(m_slider, 9960, 520, 1095, 255);
    connect(m_slider, &QSlider::valueChanged, this, [this](int box) {
        if (box != selectedBox())
            emit boxChosen(box);
    });

    auto* hints = new HintFilter(this);
    const auto ready = [this] { emit statusText(QStringLiteral("Ready")); };
    hints->add(m_tabs, ready);
    hints->add(m_page, ready);
    hints->add(m_slider, [this] { emit statusText(QStringLiteral("Move quickly between boxes.")); });
}

QWidget* BoxTabsFrame::page() const
{
    return m_page;
}

void BoxTabsFrame::showBox(int box)
{
    const QSignalBlocker tabsBlocked(m_tabs);
    const QSignalBlocker sliderBlocked(m_slider);
    m_tabs->setCurrentIndex(box - 1);
    m_slider->setValue(box);
}

int BoxTabsFrame::selectedBox() const
{
    return m_tabs->currentIndex() + 1;
}

void BoxTabsFrame::setCaptions(const QStringList& captions)
{
    for (int box = 1; box <= DataFiles::kBoxCount && box <= captions.size(); ++box)
        m_tabs->setTabText(box - 1, captions.at(box - 1));
}

void BoxTabsFrame::setCaption(int box, const QString& caption)
{
    m_tabs->setTabText(box - 1, caption);
}

QString BoxTabsFrame::caption(int box) const
{
    return m_tabs->tabText(box - 1);
}

#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QGroupBox;
class QWidget;

// Converts the twips layout to pixels of the screen a window is on, at its logical DPI.
class ScreenTwips
{
public:
    explicit ScreenTwips(const QWidget* widget = nullptr);

    double dpi() const { return m_dpi; }
    int px(int twips) const;
    int twips(int pixels) const;
    QRect rect(int left, int top, int width, int height) const;
    QPoint point(int left, int top) const;
    QPoint toTwips(const QPoint& pixels) const;
    // The screen size in twips.
    QSize screenSize() const { return m_screenTwips; }
    // The area all screens together cover, in twips.
    QRect screensRect() const { return m_screensTwips; }

    // The layout keeps 240 twips at the top of a frame for its title; a style that draws the
    // title above the frame's line needs more. Moves the box's controls down by what is missing,
    // so none of the first row sits on the line.
    static void keepBelowTitle(QGroupBox* box);

private:
    double m_dpi = 96.0;
    QSize m_screenTwips;
    QRect m_screensTwips;
};

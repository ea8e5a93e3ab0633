#pragma once

#include <QWidget>

class CachingTabBar;
class QFrame;
class QSlider;

// The 99 box tabs, the page below them that holds the box's frames, and the slider that moves
// quickly between boxes. A click on a tab chooses its box at once; the slider chooses when the
// mouse lets go of it (or at once from the keyboard).
class BoxTabsFrame : public QWidget
{
    Q_OBJECT
public:
    explicit BoxTabsFrame(QWidget* parent = nullptr);

    // The page under the tabs: the text, macro and viewer frames are placed on it.
    QWidget* page() const;

    // Shows the box as chosen, without announcing it.
    void showBox(int box);
    int selectedBox() const;

    void setCaptions(const QStringList& captions);
    void setCaption(int box, const QString& caption);
    QString caption(int box) const;

signals:
    void boxChosen(int box);
    void statusText(const QString& text);

private:
    CachingTabBar* m_tabs;
    QFrame* m_page;
    QSlider* m_slider;
};

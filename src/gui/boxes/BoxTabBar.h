#pragma once

#include <QHash>
#include <QTabBar>

// The tab bar of the 99 boxes. QTabBar lays out every tab again, asking each for its size hint,
// whenever one tab is added or renamed: 99 tabs made one after another cost thousands of text
// measurements. The size hints of a caption are kept here until the font or the style changes,
// so adding or renaming a tab measures only that tab.
class BoxTabBar : public QTabBar
{
    Q_OBJECT
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void changeEvent(QEvent* event) override;

private:
    struct Hints
    {
        QSize size;
        QSize minimum;
    };
    mutable QHash<QString, Hints> m_hints; // by caption; an invalid size is not measured yet
};

#pragma once

#include <QList>
#include <QTabBar>

// A tab bar that measures each tab's caption once. QTabBar lays out every tab again, asking each
// for its size hints, whenever one tab is added or renamed: 99 tabs made one after another cost
// about 5,000 size hints. The hints are kept by tab with the caption they were measured for,
// until the font or the style changes, so adding or renaming a tab measures only that tab.
class CachingTabBar : public QTabBar
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
        QString caption;
        QSize size; // invalid until measured
        QSize minimum;
    };
    Hints& hints(int index) const;

    mutable QList<Hints> m_hints; // by tab index
};

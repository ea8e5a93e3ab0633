#pragma once

#include "search/PickList.h"

#include <QFrame>

class DataContext;
class QLabel;
class QLineEdit;
class QListWidget;

// The quick pick: a frameless popup at the mouse pointer listing the occupied positions and
// macros of a box, each with its number and first line. Typing filters across every box; Up,
// Down, Page Up and Page Down move; Enter chooses the row, Ctrl+Enter chooses it for the
// clipboard only; Escape or a click elsewhere closes it. As a popup it takes the keyboard
// without taking the focus from the window the user works in, so that window has it again the
// moment the popup closes.
class QuickPick : public QFrame
{
    Q_OBJECT
public:
    explicit QuickPick(DataContext& context, QWidget* parent = nullptr);

    // Shows the rows of box at the mouse pointer, inside that pointer's screen, and takes the
    // keyboard. False (and closed) when another program holds the keyboard for longer than a
    // second.
    bool open(int box);

signals:
    // A row was chosen; the popup has closed and the display knows it, so keys sent now reach
    // the window the user works in.
    void chosen(const SearchHit& hit, bool copyOnly);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showRows(const PickList::Rows& rows);
    // Chooses the current row once the rows of the filter typed have come.
    void choose(bool copyOnly);
    void chooseNow(bool copyOnly);

    DataContext& m_context;
    QLineEdit* m_filter;
    QListWidget* m_list;
    QLabel* m_note;
    PickList m_rows;
    QList<SearchHit> m_hits;
    int m_box = 0;
};

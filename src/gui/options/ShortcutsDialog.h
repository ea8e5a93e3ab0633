#pragma once

#include "core/Settings.h"

#include <QDialog>
#include <QList>

class DataContext;
class QKeySequenceEdit;

// "Moxeno Trellin - shortcuts": the key combinations that reach the program from every window:
// show the window, open the quick pick, play macros 1 to 10 of the box on show. Save stores
// them; the program takes each one at once and says which another program already holds.
class ShortcutsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ShortcutsDialog(DataContext& context, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void save();

    DataContext& m_context;
    QList<QKeySequenceEdit*> m_edits; // one per key, ShortcutShow first
};

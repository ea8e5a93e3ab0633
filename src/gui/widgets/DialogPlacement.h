#pragma once

#include "core/Settings.h"

#include <QPoint>

class QWidget;

// Where a window opens and what it remembers when it closes: its left and top edges in twips,
// in two settings. One rule for the main window and every dialog: an edge that would leave the
// title bar off the screens reads as 36 (see Settings::edge), or as the window's own default
// when it lies past the right or bottom end.
class DialogPlacement
{
public:
    DialogPlacement(Settings& settings, Settings::Key left, Settings::Key top,
        QPoint tooFar = QPoint(Settings::kDefaultEdge, Settings::kDefaultEdge));

    // The stored edges, in twips, checked against the screens the window can be on.
    QPoint restoredEdges(const QWidget& window) const;
    void restore(QWidget& window) const;
    // A minimised or half-hidden window reports edges of 0 or less; those are not stored, so
    // the previous position stays. Fails when the settings file cannot be written.
    Result<> store(const QWidget& window);

    // Edges for the overwrite and edit dialogs when the stored ones lie past the screen's end.
    static constexpr QPoint kDialogTooFar {336, 372};

private:
    Settings& m_settings;
    Settings::Key m_left;
    Settings::Key m_top;
    QPoint m_tooFar;
};

#pragma once

#include <QList>

class QLabel;

namespace LabelRow {

// Places labels side by side between two edges (pixels), the space left over shared out
// between them, with at least two blanks between neighbours; when their captions do not fit in
// the font, it gets smaller, down to 8 pixels.
void fit(const QList<QLabel*>& labels, int left, int right, int largestPixelSize = 11);

} // namespace LabelRow

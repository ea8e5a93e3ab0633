#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon: a trellis of snippet squares on a blue tile, one square lit as the one
// just copied. Painted in code, so every size is sharp and no image file has to ship.
namespace AppIcon {

QIcon icon();
QPixmap pixmap(int size);

} // namespace AppIcon

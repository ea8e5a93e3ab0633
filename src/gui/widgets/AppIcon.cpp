#include "gui/widgets/AppIcon.h"

#include <QPainter>
#include <QPainterPath>

QPixmap AppIcon::pixmap(int size)
{
    QPixmap image(size, size);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, size > 16);

    const qreal s = size;
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.18, s * 0.18);
    QLinearGradient blue(0, 0, 0, s);
    blue.setColorAt(0, QColor(0x3d, 0x7b, 0xd9));
    blue.setColorAt(1, QColor(0x1f, 0x4e, 0x9c));
    painter.fillPath(tile, blue);
    painter.setPen(QPen(QColor(0x17, 0x3a, 0x75), size > 16 ? s / 32 : 1));
    painter.drawPath(tile);

    // Three by three squares, the colour of the position buttons; the middle one is lit.
    const qreal margin = s * 0.17;
    const qreal gap = s * 0.07;
    const qreal cell = (s - 2 * margin - 2 * gap) / 3;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRectF square(margin + column * (cell + gap), margin + row * (cell + gap), cell, cell);
            const bool lit = row == 1 && column == 1;
            painter.fillRect(square, lit ? QColor(0xff, 0xd2, 0x4a) : QColor(0xc0, 0xc0, 0xff));
        }
    }
    return image;
}

QIcon AppIcon::icon()
{
    // The sizes a window manager draws beside a title or in a task list. Every size goes to the
    // X server with each window shown (_NET_WM_ICON), and a 256-pixel one alone is 256 KiB,
    // painted and converted on Qt's thread pool at start; menus and large switchers take the
    // installed icon named by the desktop file instead.
    QIcon result;
    for (int size : {16, 24, 32, 48, 64})
        result.addPixmap(pixmap(size));
    return result;
}

#pragma once

#include <QProxyStyle>

// The application style with the frame of a group box drawn as a line instead of an image.
// Fusion draws that frame from a picture in its resources: loading it makes Qt load every
// image-format plug-in (and the JPEG library), and drawing it starts Qt's thread pool, all
// before the main window's first paint. The line keeps Fusion's look: a one-pixel grey outline
// at a fifth of its strength with rounded corners; the faint tint inside (about 1 % darker) is
// left out. Other styles (a desktop's own) draw their frames themselves.
class GroupFrameStyle : public QProxyStyle
{
public:
    GroupFrameStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
        const QWidget* widget = nullptr) const override;

private:
    bool m_fusion = false;
};

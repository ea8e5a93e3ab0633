#pragma once

// Window positions and the designed layout are in twips (1440 to the inch); the screen works
// in pixels at its logical DPI.
class Twips
{
public:
    static constexpr double kPerInch = 1440.0;

    static int toPixels(int twips, double dpi);
    static int fromPixels(int pixels, double dpi);
};

#pragma once

// Window positions and the layout are in twips (1440 to the inch); the screen works
// in pixels at its logical DPI.
namespace Twips {

constexpr double kPerInch = 1440.0;

int toPixels(int twips, double dpi);
int fromPixels(int pixels, double dpi);

} // namespace Twips

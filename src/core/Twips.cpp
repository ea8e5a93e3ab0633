#include "core/Twips.h"

#include <cmath>

int Twips::toPixels(int twips, double dpi)
{
    return int(std::lround(twips * dpi / kPerInch));
}

int Twips::fromPixels(int pixels, double dpi)
{
    return int(std::lround(pixels * kPerInch / dpi));
}

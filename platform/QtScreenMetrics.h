#pragma once

#include "ScreenMetrics.h"

namespace tw::platform {

// The primary screen: twips per pixel = 1440 / logical DPI.
class QtScreenMetrics : public ScreenMetrics
{
public:
    float twipsPerPixelX() const override;
    float twipsPerPixelY() const override;
    int widthPixels() const override;
    int heightPixels() const override;
};

// Converts twips to pixels with the given factor, rounded to the nearest pixel.
int twipsToPixels(double twips, float twipsPerPixel);

} // namespace tw::platform

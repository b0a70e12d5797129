#pragma once

namespace tw::platform {

// The drag bars, the pick bar's pictures and the hand-over to renaming convert with this factor whatever
// the screen's own twips per pixel are.
inline constexpr int fixedTwipsPerPixel = 15;

// The screen as the window layout sees it; tests set any screen.
class ScreenMetrics
{
public:
    virtual ~ScreenMetrics() = default;
    virtual float twipsPerPixelX() const = 0;
    virtual float twipsPerPixelY() const = 0;
    virtual int widthPixels() const = 0;
    virtual int heightPixels() const = 0;

    float widthTwips() const { return static_cast<float>(widthPixels()) * twipsPerPixelX(); }
    float heightTwips() const { return static_cast<float>(heightPixels()) * twipsPerPixelY(); }
};

} // namespace tw::platform

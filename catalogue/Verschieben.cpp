#include "Verschieben.h"

#include <cmath>

namespace tw::catalogue {

namespace {

// The browser takes whole pixels, rounded half to even.
double ganzePixel(double v)
{
    return std::nearbyint(v);
}

} // namespace

bool verschiebenSchritt(Stapel& s, int y)
{
    if (s.barTop <= 1.0f) {
        s.barTop = 10.0f;
        s.browserTop = ganzePixel(static_cast<double>(s.barTop + s.barHeight) / 15.0);
        s.fensterTop = static_cast<float>((s.browserTop + s.browserHeight) * 15.0);
        return false;
    }
    if (15.0 * s.browserTop < static_cast<double>(s.fensterTop)) {
        s.browserTop = ganzePixel(static_cast<double>(s.barTop + s.barHeight) / 15.0);
        s.fensterTop = static_cast<float>(y) * 15.0f - s.fensterHeight + 150.0f;
        s.browserHeight = ganzePixel(static_cast<double>(s.fensterTop) / 15.0 - s.browserTop);
    } else {
        s.browserTop = ganzePixel((static_cast<double>(s.fensterTop) + 15.0 * s.browserHeight) / 15.0 - 3.0);
        s.barTop = static_cast<float>(15.0 * s.browserTop) - s.barHeight;
    }
    return true;
}

} // namespace tw::catalogue

#include "ExplorerZiehen.h"

#include <cmath>

namespace tw::stack {

ExplorerZug explorerZiehen(int y, float dateiauswahlTop, float twipsPerPixelY)
{
    ExplorerZug zug;
    const qint32 t = (y - 10) * 15;
    if (!(static_cast<double>(t) + 300 < static_cast<double>(dateiauswahlTop)))
        return zug;
    zug.bewegt = true;
    zug.barTop = t;
    zug.browserTop = 20 + t / 15;
    // The browser's pixel properties take whole numbers; halves go to the even neighbour.
    const float height = dateiauswahlTop / twipsPerPixelY - static_cast<float>(y) - 10.0f;
    zug.browserHeight = static_cast<int>(std::nearbyint(height));
    return zug;
}

} // namespace tw::stack

#include "MonitorZiehen.h"

#include <algorithm>
#include <cmath>

namespace tw::stack {

MonitorZug monitorZiehen(int y, float aenderungenTop, float barHeight)
{
    MonitorZug zug;
    const qint32 t = (y - 10) * 15;
    if (!(static_cast<double>(t) + 300 < static_cast<double>(aenderungenTop)))
        return zug;
    zug.bewegt = true;
    zug.barTop = t;
    zug.monitorTop = static_cast<float>(t) + 300.0f;
    // Just above the limit the bar's bottom edge lies below the rename window's top; a window cannot be
    // less than nothing high.
    zug.monitorHeight = std::max(0.0f, aenderungenTop - (static_cast<float>(t) + barHeight));
    return zug;
}

BrowserPlatz browserAufMonitor(float monitorTop, float monitorHeight)
{
    // The browser's pixel properties take whole numbers; halves go to the even neighbour.
    BrowserPlatz platz;
    platz.top = static_cast<int>(std::nearbyint(monitorTop / 15.0f));
    platz.height = static_cast<int>(std::nearbyint(std::max(0.0f, monitorHeight) / 15.0f));
    return platz;
}

} // namespace tw::stack

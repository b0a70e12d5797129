#include "Stapelziehen.h"

#include "platform/ScreenMetrics.h"

#include <algorithm>
#include <cmath>

namespace tw::stack {

namespace {

constexpr float tpp = static_cast<float>(platform::fixedTwipsPerPixel);
constexpr double tppD = platform::fixedTwipsPerPixel;

double ganzePixel(double v)
{
    return std::nearbyint(v);
}

} // namespace

bool verschiebenSchritt(Stapel& s, int y)
{
    if (s.barTop <= 1.0f) {
        s.barTop = 10.0f;
        s.browserTop = ganzePixel(static_cast<double>(s.barTop + s.barHeight) / tppD);
        s.fensterTop = static_cast<float>((s.browserTop + s.browserHeight) * tppD);
        return false;
    }
    if (tppD * s.browserTop < static_cast<double>(s.fensterTop)) {
        s.browserTop = ganzePixel(static_cast<double>(s.barTop + s.barHeight) / tppD);
        s.fensterTop = static_cast<float>(y) * tpp - s.fensterHeight + 150.0f;
        s.browserHeight = ganzePixel(static_cast<double>(s.fensterTop) / tppD - s.browserTop);
    } else {
        s.browserTop = ganzePixel((static_cast<double>(s.fensterTop) + tppD * s.browserHeight) / tppD - 3.0);
        s.barTop = static_cast<float>(tppD * s.browserTop) - s.barHeight;
    }
    return true;
}

bool renamestapelZiehen(Renamestapel& s, int y)
{
    if (s.barTop <= 1.0f) {
        s.barTop = 10.0f;
        s.monitorTop = s.barTop + s.barHeight;
        s.fensterTop = s.monitorTop + s.monitorHeight;
        return false;
    }
    s.fensterTop = static_cast<float>(y) * tpp - s.fensterHeight + 150.0f;
    if (s.monitorTop < s.fensterTop) {
        s.monitorHeight = s.fensterTop - s.monitorTop;
    } else {
        s.monitorTop = s.fensterTop + s.monitorHeight - 150.0f;
        s.barTop = s.monitorTop - s.barHeight;
    }
    return true;
}

ExplorerZug explorerZiehen(int y, float dateiauswahlTop, float twipsPerPixelY)
{
    ExplorerZug zug;
    const qint32 t = (y - 10) * platform::fixedTwipsPerPixel;
    if (!(static_cast<double>(t) + 300 < static_cast<double>(dateiauswahlTop)))
        return zug;
    zug.bewegt = true;
    zug.barTop = t;
    zug.browserTop = 20 + t / platform::fixedTwipsPerPixel;
    const float height = dateiauswahlTop / twipsPerPixelY - static_cast<float>(y) - 10.0f;
    zug.browserHeight = static_cast<int>(std::nearbyint(height));
    return zug;
}

MonitorZug monitorZiehen(int y, float aenderungenTop, float barHeight)
{
    MonitorZug zug;
    const qint32 t = (y - 10) * platform::fixedTwipsPerPixel;
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
    BrowserPlatz platz;
    platz.top = static_cast<int>(std::nearbyint(monitorTop / tpp));
    platz.height = static_cast<int>(std::nearbyint(std::max(0.0f, monitorHeight) / tpp));
    return platz;
}

} // namespace tw::stack

#pragma once

#include <QtGlobal>

namespace tw::stack {

// Where one mouse move of the drag with the pick bar's rename handle puts the bar and the monitor, all
// in twips.
struct MonitorZug
{
    // False when the bar would come within 300 twips of the rename window: nothing moves.
    bool bewegt = false;
    qint32 barTop = 0;
    float monitorTop = 0;
    float monitorHeight = 0;
};

// The pointer is at screen row y (pixels). The bar keeps its top edge 10 pixels above the pointer
// (fixed 15 twips per pixel), the monitor begins 300 twips below the bar's top and fills the space from
// the bar's bottom edge down to the rename window. Upwards there is no limit.
MonitorZug monitorZiehen(int y, float aenderungenTop, float barHeight);

// The browser's place in screen pixels.
struct BrowserPlatz
{
    int top = 0;
    int height = 0;
};

// The browser on the monitor's place, converted with the fixed 15 twips per pixel.
BrowserPlatz browserAufMonitor(float monitorTop, float monitorHeight);

} // namespace tw::stack

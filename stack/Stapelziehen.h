#pragma once

#include <QtGlobal>

// The arithmetic of the drags that move the windows of the stack: pointer rows in screen pixels,
// converted with the fixed platform::fixedTwipsPerPixel; window places in twips, the browser's in whole
// pixels (halves go to the even neighbour).
namespace tw::stack {

// The selection window's drag bar: pick bar and selection window in twips, the browser in pixels.
struct Stapel
{
    float barTop = 0;
    float barHeight = 0;
    float fensterTop = 0;
    float fensterHeight = 0;
    double browserTop = 0;
    double browserHeight = 0;
};

// One mouse move with the pointer at screen row y. Returns false when the pick bar has reached the top
// of the screen: the drag ends and the three windows are put one below the other from 10 twips down.
bool verschiebenSchritt(Stapel& s, int y);

// The rename window's drag bar: pick bar, monitor and rename window, all in twips.
struct Renamestapel
{
    float barTop = 0;
    float barHeight = 0;
    float monitorTop = 0;
    float monitorHeight = 0;
    float fensterTop = 0;
    float fensterHeight = 0;
};

// One mouse move with the pointer at screen row y; false at the top of the screen, as above.
bool renamestapelZiehen(Renamestapel& s, int y);

// Where one move of the pick bar's handle puts the bar and the browser.
struct ExplorerZug
{
    // False when the bar would come within 300 twips of the selection window: nothing moves.
    bool bewegt = false;
    qint32 barTop = 0;     // twips
    int browserTop = 0;    // screen pixels
    int browserHeight = 0; // screen pixels
};

// The bar keeps its top edge 10 pixels above the pointer and the browser fills the space from 20 pixels
// below the bar's top down to the selection window (its top in twips). Upwards there is no limit.
ExplorerZug explorerZiehen(int y, float dateiauswahlTop, float twipsPerPixelY);

// Where one move of the pick bar's rename handle puts the bar and the monitor, in twips.
struct MonitorZug
{
    // False when the bar would come within 300 twips of the rename window: nothing moves.
    bool bewegt = false;
    qint32 barTop = 0;
    float monitorTop = 0;
    float monitorHeight = 0;
};

// The bar keeps its top edge 10 pixels above the pointer, the monitor begins 300 twips below the bar's
// top and fills the space from the bar's bottom edge down to the rename window.
MonitorZug monitorZiehen(int y, float aenderungenTop, float barHeight);

// The browser's place in screen pixels.
struct BrowserPlatz
{
    int top = 0;
    int height = 0;
};

// The browser on the monitor's place.
BrowserPlatz browserAufMonitor(float monitorTop, float monitorHeight);

} // namespace tw::stack

#pragma once

#include <QtGlobal>

namespace tw::stack {

// Where one mouse move of the drag with the pick bar's handle puts the bar and the browser.
struct ExplorerZug
{
    // False when the bar would come within 300 twips of the selection window: nothing moves.
    bool bewegt = false;
    qint32 barTop = 0;     // twips
    int browserTop = 0;    // screen pixels
    int browserHeight = 0; // screen pixels
};

// The pointer is at screen row y (pixels); the selection window's top is in twips. The bar keeps its
// top edge 10 pixels above the pointer (fixed 15 twips per pixel) and the browser fills the space from
// 20 pixels below the bar's top down to the selection window. Upwards there is no limit.
ExplorerZug explorerZiehen(int y, float dateiauswahlTop, float twipsPerPixelY);

} // namespace tw::stack

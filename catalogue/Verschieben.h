#pragma once

namespace tw::catalogue {

// The places the selection window's drag bar moves: pick bar and selection window in twips, the
// browser in whole screen pixels.
struct Stapel
{
    float barTop = 0;
    float barHeight = 0;
    float fensterTop = 0;
    float fensterHeight = 0;
    double browserTop = 0;
    double browserHeight = 0;
};

// One mouse move of the drag with the pointer at screen row y (pixels); the conversion is a fixed 15
// twips per pixel. Returns false when the pick bar has reached the top of the screen: the drag ends and
// the three windows are put one below the other from 10 twips down.
bool verschiebenSchritt(Stapel& s, int y);

} // namespace tw::catalogue

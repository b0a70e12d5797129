#pragma once

namespace tw::rename {

// The places the rename window's drag bar moves, all in twips.
struct Renamestapel
{
    float barTop = 0;
    float barHeight = 0;
    float monitorTop = 0;
    float monitorHeight = 0;
    float fensterTop = 0;
    float fensterHeight = 0;
};

// One mouse move of the rename window's drag with the pointer at screen row y (pixels, 15 twips each).
// Returns false when the pick bar has reached the top of the screen: the drag ends and pick bar, monitor
// and window are stacked from 10 twips down.
bool renamestapelZiehen(Renamestapel& s, int y);

} // namespace tw::rename

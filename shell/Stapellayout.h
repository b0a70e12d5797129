#pragma once

#include "platform/ScreenMetrics.h"

namespace tw::shell {

// Where step 1 puts its three windows: the browser in pixels, the pick bar and the selection window
// in twips.
struct Stapellayout
{
    double browserLeft = 0;
    double browserTop = 0;
    double browserWidth = 0;
    double browserHeight = 0;
    float barLeft = 0;
    float barTop = 0;
    float barWidth = 0;
    float auswahlLeft = 0;
    float auswahlTop = 0;
    float auswahlWidth = 0;
    float auswahlHeight = 0;
};

// The stack fills a 1024 x 768 pixel frame at the top left of the screen, or the whole screen when it
// is narrower. On a narrow screen the browser's top comes from the selection window's top before that
// window is placed.
Stapellayout stapelBerechnen(const platform::ScreenMetrics& screen, float auswahlTopVorher);

} // namespace tw::shell

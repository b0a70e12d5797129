#pragma once

#include "platform/Formular.h"
#include "platform/ScreenMetrics.h"

namespace tw::shell {

using platform::Formular;
using platform::Steuerelement;

// Fits a window laid out for 1024 x 768 pixels to the screen: on a screen larger in either direction
// the window gets the width of 1024 pixels; on a smaller one every control is scaled by the ratio of the
// screen to 1024 x 768. mode is not used.
void Display_anpassen(Formular& form, int mode, const platform::ScreenMetrics& screen);

} // namespace tw::shell

#include "DisplayAnpassen.h"

#include <cmath>

namespace tw::shell {

void Display_anpassen(Formular& form, int /*mode*/, const platform::ScreenMetrics& screen)
{
    const float tx = screen.twipsPerPixelX();
    const float ty = screen.twipsPerPixelY();
    const float w = screen.widthTwips();
    const float h = screen.heightTwips();
    const float referenzBreite = 1024.0f * tx;
    const float referenzHoehe = 768.0f * ty;

    if (referenzBreite == w && referenzHoehe == h)
        return;
    // The intermediates are single precision, the factors double, as the layout code always had them.
    const double fx = (static_cast<double>(w) / static_cast<double>(1024.0f * tx / 100.0f)) / 100.0;
    const double fy = (static_cast<double>(h) / static_cast<double>(768.0f * ty / 100.0f)) / 100.0;

    if (referenzBreite < w || referenzHoehe < h) {
        form.Width = referenzBreite;
        return;
    }
    for (Steuerelement& c : form.Controls) {
        if (c.Width)
            c.Width = static_cast<float>(static_cast<double>(*c.Width) * fx);
        if (c.Height)
            c.Height = static_cast<float>(static_cast<double>(*c.Height) * fy);
        if (c.Top)
            c.Top = static_cast<float>(static_cast<double>(*c.Top) * fy);
        if (c.Left)
            c.Left = static_cast<float>(static_cast<double>(*c.Left) * fx);
        if (c.FontSize)
            c.FontSize = std::round(*c.FontSize * fy * 10000.0) / 10000.0;
    }
}

} // namespace tw::shell

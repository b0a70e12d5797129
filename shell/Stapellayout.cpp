#include "Stapellayout.h"

namespace tw::shell {

Stapellayout stapelBerechnen(const platform::ScreenMetrics& screen, float auswahlTopVorher)
{
    const float tx = screen.twipsPerPixelX();
    const float ty = screen.twipsPerPixelY();
    const float sw = screen.widthTwips();
    const float sh = screen.heightTwips();
    Stapellayout l;
    if (tx * 1024.0f > sw) {
        l.browserWidth = static_cast<double>(sw / tx);
        l.browserTop = static_cast<double>(auswahlTopVorher / ty);
        l.barWidth = sw;
        l.barTop = sh / 3.0f - 300.0f;
        l.auswahlWidth = sw;
        l.auswahlHeight = sh / 2.0f;
        l.auswahlTop = sh / 3.0f;
    } else {
        l.browserWidth = 1024;
        l.browserTop = 768 / 3;
        l.barWidth = tx * 1024.0f;
        l.barTop = ty * 768.0f / 3.0f - 300.0f;
        l.auswahlWidth = tx * 1024.0f;
        l.auswahlHeight = ty * 768.0f / 2.0f;
        l.auswahlTop = ty * 768.0f / 3.0f;
    }
    return l;
}

} // namespace tw::shell

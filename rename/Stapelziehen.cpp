#include "Stapelziehen.h"

namespace tw::rename {

bool renamestapelZiehen(Renamestapel& s, int y)
{
    if (s.barTop <= 1.0f) {
        s.barTop = 10.0f;
        s.monitorTop = s.barTop + s.barHeight;
        s.fensterTop = s.monitorTop + s.monitorHeight;
        return false;
    }
    s.fensterTop = static_cast<float>(y) * 15.0f - s.fensterHeight + 150.0f;
    if (s.monitorTop < s.fensterTop) {
        s.monitorHeight = s.fensterTop - s.monitorTop;
    } else {
        s.monitorTop = s.fensterTop + s.monitorHeight - 150.0f;
        s.barTop = s.monitorTop - s.barHeight;
    }
    return true;
}

} // namespace tw::rename

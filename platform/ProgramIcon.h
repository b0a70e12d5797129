#pragma once

#include <QIcon>

namespace tw::platform {

// The program's emblem, two sheets and an arrow, drawn at 16 to 256 pixels. The one place it is drawn.
QIcon programIcon();

} // namespace tw::platform

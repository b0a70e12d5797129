#pragma once

#include <QIcon>
#include <QImage>

namespace tw::platform {

// The program's emblem, two sheets and an arrow, drawn at 16 to 256 pixels. The one place it is drawn
// (app/tauschwerk.svg is its copy for the icon theme).
QIcon programIcon();
// The emblem at one size; needs no application object.
QImage programIconImage(int size);

} // namespace tw::platform

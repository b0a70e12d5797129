#pragma once

#include "platform/Browser.h"
#include "shell/Einstellungen.h"

#include <functional>
#include <memory>

namespace tw::shell {

// What the start window shares with the other windows for the life of the process.
struct Gemeinsam
{
    Einstellungen einstellungen = Einstellungen::leer();
    // The browser window of the current step 1; empty before the first one.
    std::unique_ptr<platform::Browser> IE;
    qint16 Programmstart = 0;
    qint32 Sitzung = 0;
    // Shows or hides the start window.
    std::function<void(bool)> startfensterSichtbar;
};

} // namespace tw::shell

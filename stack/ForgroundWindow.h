#pragma once

namespace tw::stack {

// The foreground watcher, called by the start window's timer every 20 ms.
void Fenster_pruefen();

} // namespace tw::stack

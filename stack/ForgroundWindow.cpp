#include "ForgroundWindow.h"

namespace tw::stack {

void Fenster_pruefen()
{
    // Keeps the window stack together once the stack's windows exist.
}

} // namespace tw::stack

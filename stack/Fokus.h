#pragma once

class QWidget;

namespace tw::stack {

// A form's focus operation: activates the window and gives it the keyboard focus, which goes back to
// the control that last had it in that window. Nothing for a window that is not shown.
void fokussieren(QWidget* fenster);

} // namespace tw::stack

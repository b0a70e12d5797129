#include "Fokus.h"

#include <QGuiApplication>
#include <QWidget>

namespace tw::stack {

void fokussieren(QWidget* fenster)
{
    if (!fenster || !fenster->isVisible())
        return;
    if (!fenster->isActiveWindow()) {
        fenster->activateWindow();
        // Sent now: a timer tick alone does not make the program talk to the display again.
        QGuiApplication::sync();
    }
    if (!fenster->focusWidget())
        fenster->setFocus();
}

} // namespace tw::stack

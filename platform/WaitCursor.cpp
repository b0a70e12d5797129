#include "WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace tw::platform {

void WaitCursor::waitBegins()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void WaitCursor::waitEnds()
{
    QGuiApplication::restoreOverrideCursor();
}

} // namespace tw::platform

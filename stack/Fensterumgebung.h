#pragma once

#include "platform/Result.h"

#include <QString>
#include <QtGlobal>

namespace tw::stack {

// A top-level window's handle; 0 is no window.
using Fensterhandle = quintptr;

// What the foreground watcher sees of the desktop and does to the program's windows. Tests give fake
// windows.
class Fensterumgebung
{
public:
    virtual ~Fensterumgebung() = default;

    // The program's active window; 0 when another application is in front.
    virtual Fensterhandle Vordergrundfenster() const = 0;
    // The window's title; empty for a window that does not exist.
    virtual QString Fenstertext(Fensterhandle fenster) const = 0;

    // The browser's top-level window; fails before the browser exists and after it was closed.
    virtual platform::Expected<Fensterhandle> Browserfenster() const = 0;
    // The pick bar's and the rename window's windows; 0 while they are not loaded.
    virtual Fensterhandle Auswahlbuttonfenster() const = 0;
    virtual Fensterhandle Aenderungenfenster() const = 0;

    // Raises the window and activates it.
    virtual void SetForegroundWindow(Fensterhandle fenster) = 0;
    // Raises the window without activating it.
    virtual void BringWindowToTop(Fensterhandle fenster) = 0;

    // Activates the form and gives it the keyboard focus; nothing when it is not loaded.
    virtual void Dateiauswahl_fokussieren() = 0;
    virtual void Aenderungen_fokussieren() = 0;

    // The start window's timer that drives the watcher.
    virtual void Timer_schalten(bool an) = 0;
};

} // namespace tw::stack

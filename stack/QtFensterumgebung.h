#pragma once

#include "shell/Gemeinsam.h"
#include "stack/Fensterumgebung.h"

#include <functional>

class QTimer;
class QWidget;

namespace tw::stack {

// The program's windows as the foreground watcher sees them. A window's handle is its window id; the
// front window is the program's active window, so another application in front gives 0.
class QtFensterumgebung : public Fensterumgebung
{
public:
    // The forms while they are loaded, null otherwise.
    struct Formulare
    {
        std::function<QWidget*()> auswahlbutton;
        std::function<QWidget*()> dateiauswahl;
        std::function<QWidget*()> aenderungen;
    };

    QtFensterumgebung(const shell::Gemeinsam& gemeinsam, QTimer& timer, Formulare formulare);

    Fensterhandle Vordergrundfenster() const override;
    QString Fenstertext(Fensterhandle fenster) const override;
    platform::Expected<Fensterhandle> Browserfenster() const override;
    Fensterhandle Auswahlbuttonfenster() const override;
    Fensterhandle Aenderungenfenster() const override;
    void SetForegroundWindow(Fensterhandle fenster) override;
    void BringWindowToTop(Fensterhandle fenster) override;
    void Dateiauswahl_fokussieren() override;
    void Aenderungen_fokussieren() override;
    void Timer_schalten(bool an) override;

private:
    static QWidget* formular(const std::function<QWidget*()>& zugriff);
    static Fensterhandle handle(QWidget* fenster);

    const shell::Gemeinsam& m_gemeinsam;
    QTimer& m_timer;
    Formulare m_formulare;
};

} // namespace tw::stack

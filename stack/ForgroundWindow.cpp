#include "ForgroundWindow.h"

namespace tw::stack {

bool istTauschfenster(const QString& titel)
{
    return titel.size() == 7 && titel.startsWith(QLatin1String("Tausch"));
}

void ForgroundWindow::Fenster_pruefen()
{
    m_fenster.Timer_schalten(false);
    const Fensterhandle vorn = m_fenster.Vordergrundfenster();
    if (vorn != Letztes_Fenster) {
        // Another application in front has no caption to read. The browser's title is a folder's name,
        // which may look like one of the stack's captions.
        if (vorn != 0 && !browserVorn())
            tauschfenster(m_fenster.Fenstertext(vorn));
        // Read after the changes above, so that the next check does not take them for the user's.
        Letztes_Fenster = m_fenster.Vordergrundfenster();
    }
    m_fenster.Timer_schalten(true);
}

bool ForgroundWindow::browserVorn()
{
    const auto browser = m_fenster.Browserfenster();
    if (!browser || *browser == 0 || *browser != m_fenster.Vordergrundfenster())
        return false;
    // The bar is only raised: activating it as well would reach the window manager after this check,
    // and the next checks would see the bar and then the browser come to the front, again and again.
    if (const Fensterhandle bar = m_fenster.Auswahlbuttonfenster())
        m_fenster.BringWindowToTop(bar);
    m_fenster.SetForegroundWindow(*browser);
    return true;
}

void ForgroundWindow::tauschfenster(const QString& titel)
{
    if (!istTauschfenster(titel))
        return;
    if (titel == QLatin1String("Tausch2")) {
        for (int versuch = 0; versuch < Browserversuche; ++versuch) {
            const auto browser = m_fenster.Browserfenster();
            if (!browser || *browser == 0 || *browser == m_fenster.Vordergrundfenster())
                break;
            m_fenster.BringWindowToTop(*browser);
        }
        m_fenster.Dateiauswahl_fokussieren();
    } else if (titel == QLatin1String("Tausch3")) {
        if (const Fensterhandle aenderungen = m_fenster.Aenderungenfenster())
            m_fenster.BringWindowToTop(aenderungen);
        m_fenster.Aenderungen_fokussieren();
    } else if (titel == QLatin1String("Tausch4")) {
        // The monitor never keeps the focus.
        m_fenster.Aenderungen_fokussieren();
    }
}

} // namespace tw::stack

#pragma once

#include "stack/Fensterumgebung.h"

namespace tw::stack {

// Whether a title names one of the stack's windows: "Tausch" followed by exactly one character.
bool istTauschfenster(const QString& titel);

// The foreground watcher: at each tick of the start window's timer it looks whether another window
// came to the front and then brings the browser, the pick bar or a work window up with it and gives
// the focus back to the window the user works in.
class ForgroundWindow
{
public:
    // How often the browser is raised while the selection window waits for it to come to the front.
    static constexpr int Browserversuche = 3;

    explicit ForgroundWindow(Fensterumgebung& fenster) : m_fenster(fenster) {}

    void Fenster_pruefen();

    // The front window at the end of the previous check; 0 before the first.
    Fensterhandle Letztes_Fenster = 0;

private:
    bool browserVorn();
    void tauschfenster(const QString& titel);

    Fensterumgebung& m_fenster;
};

} // namespace tw::stack

#pragma once

#include "journal/DatenBanken.h"
#include "platform/Browser.h"
#include "platform/Clock.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBox.h"
#include "platform/ScreenMetrics.h"
#include "shell/Einstellungen.h"
#include "shell/Gemeinsam.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;

namespace tw::catalogue {
class Dateiauswahl;
}
namespace tw::journal {
class Zurueck;
}
namespace tw::rename {
class Aenderungen;
class Ueberwachungsmonitor;
} // namespace tw::rename
namespace tw::stack {
class frmAuswahlbutton;
class Laufwerksquelle;
} // namespace tw::stack

namespace tw::shell {

// What the start window is given from outside; tests pass fakes.
struct StartDependencies
{
    QString programFolder;
    const platform::Clock* clock = nullptr;
    const platform::ScreenMetrics* screen = nullptr;
    platform::MessageBox* messages = nullptr;
    platform::DocumentOpener* opener = nullptr;
    QString documentation; // full path of the user guide page
    // A new browser window for step 1; nothing when none can be made.
    std::function<std::unique_ptr<platform::Browser>()> browserErstellen;
    const stack::Laufwerksquelle* laufwerke = nullptr;
    // The folder chooser of the rename window: the chosen folder, empty when cancelled.
    std::function<QString(QWidget* parent, const QString& titel)> ordnerWaehlen;
};

// The first window: step 1, the administration of earlier work and the documentation. It owns the
// state the other windows share for the life of the process.
class ProgrammStart : public QWidget, public Gemeinsam
{
    Q_OBJECT

public:
    explicit ProgrammStart(StartDependencies deps, QWidget* parent = nullptr);
    ~ProgrammStart() override;

    void Command1_Click(int index);
    void IE_Neu_erstellen();

    journal::DatenBanken& datenBanken() { return *m_datenBanken; }
    const StartDependencies& dependencies() const { return m_deps; }

    // The watcher the timer calls; the window stack sets it.
    std::function<void()> fensterPruefen;

    // The windows of step 1 while they are open.
    catalogue::Dateiauswahl* dateiauswahl() const;
    stack::frmAuswahlbutton* auswahlbutton() const;
    rename::Aenderungen* aenderungen() const;
    rename::Ueberwachungsmonitor* ueberwachungsmonitor() const;
    // The undo window while it is open.
    journal::Zurueck* zurueck() const;
    // "Dateien umschreiben": the monitor on the browser's place, the rename window on the selection
    // window's.
    void umschreibenOeffnen();

    std::array<QPushButton*, 3> Command1{};
    QLabel* Label1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Timer1_Timer();
    void startmeldungZeigen(const QString& text, platform::MessageBox::Icon icon, int versuch = 0);
    void placeControls();

    StartDependencies m_deps;
    std::unique_ptr<journal::DatenBanken> m_datenBanken;
    QPointer<catalogue::Dateiauswahl> m_dateiauswahl;
    QPointer<stack::frmAuswahlbutton> m_auswahlbutton;
    QPointer<rename::Aenderungen> m_aenderungen;
    QPointer<rename::Ueberwachungsmonitor> m_monitor;
    QPointer<journal::Zurueck> m_zurueck;
};

} // namespace tw::shell

#pragma once

#include "platform/MessageBox.h"
#include "platform/TwipsForm.h"
#include "rename/Arbeitsliste.h"
#include "rename/Namensbauer.h"
#include "rename/Ueberwachungsmonitor.h"
#include "rename/Umbenennlauf.h"
#include "shell/Gemeinsam.h"

#include <QElapsedTimer>
#include <QMap>
#include <QPointer>
#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QRadioButton;

namespace tw::catalogue {
class Dateiauswahl;
}
namespace tw::journal {
class DatenBanken;
}
namespace tw::platform {
class ImageStrip;
class WrapButton;
} // namespace tw::platform
namespace tw::stack {
class frmAuswahlbutton;
}

namespace tw::rename {

// What the rename window works with besides its own controls.
struct AenderungenUmgebung
{
    const platform::ScreenMetrics* screen = nullptr;
    shell::Gemeinsam* gemeinsam = nullptr;
    platform::MessageBox* messages = nullptr;
    journal::DatenBanken* journal = nullptr;
    // The folder chooser: the chosen folder, empty when the user cancelled.
    std::function<QString(QWidget* parent, const QString& titel)> ordnerWaehlen;
    // The pick bar above the monitor: it shows its rename handle while this window is open, and the
    // drag bar moves it with the window.
    stack::frmAuswahlbutton* auswahlbutton = nullptr;
};

// The rename window: the name pattern and its counters, the folder option, the work list, and the runs
// that rename, copy or move the marked files.
class Aenderungen : public platform::TwipsForm, private Laufbegleiter
{
    Q_OBJECT

public:
    Aenderungen(AenderungenUmgebung umgebung, catalogue::Dateiauswahl& dateiauswahl,
                Ueberwachungsmonitor& monitor, QWidget* parent = nullptr);
    ~Aenderungen() override;

    void Command1_Click(int index);
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Option3_Click(int index);
    void List1_Click(int zeile);
    void text2_LostFocus(int index);
    void Text1_Geaendert(const QString& text);
    QString Browse(const QString& titel);
    void verschiebenNach(int y);

    bool laeuft() const { return m_lauf.laeuft(); }
    const Umbenennlauf& lauf() const { return m_lauf; }
    Arbeitsliste& arbeitsliste() { return m_liste; }
    int aktionsindex() const;

    QLabel* Label2_0 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label2_1 = nullptr;
    QLineEdit* Text3 = nullptr;
    QListView* List1 = nullptr;
    std::array<QGroupBox*, 3> Frame1{};
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    std::array<platform::WrapButton*, 3> Command1{};
    std::array<QRadioButton*, 3> Option3{};
    std::array<QLabel*, 2> Label1{};
    std::array<QLineEdit*, 2> text2{};
    std::array<QRadioButton*, 2> Option1{};
    std::array<QRadioButton*, 2> Option4{};
    platform::WrapButton* Command2 = nullptr;
    platform::WrapButton* Command3 = nullptr;
    platform::WrapButton* Command4 = nullptr;
    platform::WrapButton* Command5 = nullptr;
    platform::WrapButton* Command6 = nullptr;
    platform::ImageStrip* Verschieben = nullptr;

    QString Vortext;
    bool Ziehen = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void bauen();
    void laden();
    bool entladen();
    void eingabenFreigeben(bool frei);
    // Tells the journal the session number and the pattern the record would take now.
    void standMerken();
    void feldMeldung(const Feldpruefung& pruefung);
    // Laufbegleiter
    Laufeingaben eingaben() const override;
    bool zwischendurch() override;
    bool anzeigen(const Schrittantwort& antwort) override;
    void nachrichten();
    void meldung(const QString& text, platform::MessageBox::Icon icon = platform::MessageBox::Icon::None);

    AenderungenUmgebung m_umgebung;
    catalogue::Dateiauswahl& m_dateiauswahl;
    QPointer<Ueberwachungsmonitor> m_monitor;
    QPointer<stack::frmAuswahlbutton> m_auswahlbutton;
    Arbeitsliste m_liste;
    // The run writes through these; a monitor closed meanwhile just shows nothing more.
    class Monitorverweis : public Ueberwachung
    {
    public:
        explicit Monitorverweis(QPointer<Ueberwachungsmonitor>& monitor) : m_monitor(monitor) {}
        void setLabel(MonitorLabel label, const QString& text) override;
        QString label(MonitorLabel label) const override;
        void dateiZeigen(const NeuerName& name, int eintraege) override;
        void ergebnisZeigen(const platform::FileOutcome& ergebnis) override;

    private:
        QPointer<Ueberwachungsmonitor>& m_monitor;
    };
    Monitorverweis m_monitorverweis{m_monitor};
    Journalsitzung m_protokoll;
    Katalogtabelle m_katalog;
    Umbenennlauf m_lauf;
    // Since the window's events last ran during a run.
    QElapsedTimer m_nachrichtenUhr;
    bool m_entladen = false;
    bool m_speichert = false; // the session is being saved
    bool m_pruefeFeld = false;
};

} // namespace tw::rename

#pragma once

#include "platform/FileOutcome.h"
#include "platform/FileRun.h"
#include "platform/FileTransfer.h"
#include "rename/Arbeitsliste.h"
#include "rename/Datensicherung.h"
#include "rename/Laufbericht.h"
#include "rename/Namensbauer.h"
#include "rename/Ueberwachung.h"

#include <QSet>
#include <QString>
#include <optional>
#include <vector>

namespace tw::rename {

// What the window's inputs say at the moment of a step.
struct Laufeingaben
{
    QString muster;     // the name pattern
    QString zielordner; // "Ursprungsfad" or a folder
    platform::FileAction aktion = platform::FileAction::Rename;
    int zaehlerbreite = 1; // characters of the end field
};

// What the window must do after a step.
struct Schrittantwort
{
    enum class Meldung
    {
        Keine,
        MusterFehlt,      // "Hinweis", error icon; the pattern gets the focus
        NichtsMarkiert,   // plain
        KeineDateienMehr, // plain, then the window closes
        NichtEingetragen, // error icon: a journal entry failed and the run stopped
        Fehlgeschlagen,   // warning icon: a stopped run, some of whose files failed
    };

    Meldung meldung = Meldung::Keine;
    QString text;
    QString beschriftung;           // the run button's caption
    bool zustandGewechselt = false; // the run began or ended: inputs follow laeuft()
    bool sitzungBegonnen = false;   // the start window's session count goes up by one
    bool listeFuellen = false;      // the selection window's list is refilled
    bool fensterSchliessen = false;
    // The message names files of the run that failed: it warns.
    bool fehlerGemeldet = false;
    // The window is closing or gone: nothing to show, and the run does nothing more.
    bool ende = false;
};

// What the run asks of its window.
class Laufbegleiter
{
public:
    virtual ~Laufbegleiter() = default;
    virtual Laufeingaben eingaben() const = 0;
    // Lets pending window events run between files; false when the run must not go on (the window is
    // closing or gone, and the run then touches nothing more).
    virtual bool zwischendurch() = 0;
    // Shows a step's answer during a whole run; false when the window is closing.
    virtual bool anzeigen(const Schrittantwort& antwort) = 0;
};

// The rename run over the marked entries of the work list: idle or running, the stop request, the
// current entry and the counters. Each processed file goes through one place (Aktion_ausfuehren): its
// intent noted in the session, the file operation, its journal entry, the catalogue. An intent that cannot
// be noted stops the run before the file is touched, an entry that cannot be recorded after it.
// A new name that would leave the chosen folder fails, and so does a copy onto a file that this window's
// runs made or that stands in the work list. "Alle Dateien umbennen" does the file operations on a
// thread of their own, in the order of the run, while the intents of the files after them are noted:
// each file's outcome is shown and entered once it is done, a copy's once its group is placed (about
// 200 ms after its intent at the latest), and always before the run ends.
class Umbenennlauf
{
public:
    static const QString Bereit;  // "Schrittweise beginnen"
    static const QString Laufend; // "Umbenennen"

    // transfer: what copies the files, when not the plain one (a test makes it fail).
    Umbenennlauf(Arbeitsliste& liste, Ueberwachung& monitor, Sitzungsprotokoll& protokoll,
                 Dateikatalog* katalog, platform::FileTransfer* transfer = nullptr);
    // Enters what a run cut off has done: the monitor and the journal outlive the run.
    ~Umbenennlauf();
    Umbenennlauf(const Umbenennlauf&) = delete;
    Umbenennlauf& operator=(const Umbenennlauf&) = delete;

    // One click on the run button: starts a run, processes the shown file, or ends the run.
    Schrittantwort schritt(Laufbegleiter& begleiter);
    // "Alle Dateien umbennen": starts a run and steps as often as entries are marked, then once more.
    void alle(Laufbegleiter& begleiter);
    // "Abbrechen" while running; false when the run is idle (the window closes instead).
    bool anhalten();

    bool laeuft() const { return m_laeuft; }
    const QString& beschriftung() const { return m_laeuft ? Laufend : Bereit; }
    bool abbruch() const { return m_abbruch; }
    int Listenindex() const { return m_listenindex; }
    const Zaehlwerk& zaehlwerk() const { return m_zaehlwerk; }
    // Lets go of what the runs remembered, once no run can follow, on a thread of its own: freeing the
    // paths of 100,000 files would hold up the window.
    void vergessen();

private:
    // What became of the current file: touched only once its intent was noted.
    struct Ausfuehrung
    {
        bool vorgemerkt = true;
        platform::Result eingetragen;
        QString datei; // whose entry failed
    };

    // gruppiert: a step of "Alle Dateien umbennen", whose file operation may be done beside it.
    Schrittantwort schritt(Laufbegleiter& begleiter, bool gruppiert);
    Schrittantwort antwort() const;
    Schrittantwort beenden();
    // The run stops because an entry failed, or an intent.
    Schrittantwort angehalten(const Ausfuehrung& ausfuehrung);
    // Adds the failures of the run that ends here to its message and starts a new report.
    void fehlerMelden(Schrittantwort& a);
    bool Datei_Umschreiben(const Laufeingaben& e, Schrittantwort& a, bool gruppiert);
    // Whether the current file's operation may be done beside the run, after those handed over before it.
    bool nebenher(const Laufeingaben& e, bool gruppiert) const;
    Ausfuehrung Aktion_ausfuehren(const Laufeingaben& e, bool nebenher);
    // Why the current file must not be changed, if it must not.
    std::optional<platform::FileOutcome> abgelehnt(const Laufeingaben& e, const QString& alt,
                                                   const QString& neu) const;
    // Shows and enters what became of a file.
    platform::Result eintragen(const platform::FileOutcome& ergebnis);
    // Waits for the operations on their way and enters them, or (alle false) enters those done and the
    // copies whose flush has ended, starting the flush of the others; the first entry that failed, with
    // its file.
    Ausfuehrung unterwegsAbschliessen(bool alle = true);
    void Umbenennen(const Laufeingaben& e);
    void Neuen_Pfad_erstellen(const Laufeingaben& e);

    Arbeitsliste& m_liste;
    Ueberwachung& m_monitor;
    Sitzungsprotokoll& m_protokoll;
    Dateikatalog* m_katalog;
    platform::FileTransfer m_eigeneUebertragung;
    platform::FileRun m_dateilauf;
    QSet<QString> m_unterwegs; // targets of the operations on their way (clean paths)
    Zaehlwerk m_zaehlwerk;
    NeuerName m_aktuell;
    Laufbericht m_bericht;
    // The files this window's runs have made, which no copy replaces: clean paths, and those not yet
    // hashed.
    mutable QSet<QString> m_gemacht;
    mutable std::vector<QString> m_gemachtOffen;
    int m_listenindex = -1;
    bool m_laeuft = false;
    bool m_abbruch = false;
    bool m_katalogBereit = false;
};

} // namespace tw::rename

#include "Umbenennlauf.h"

#include "journal/DatenBanken.h"
#include "platform/Beside.h"
#include "platform/FileOps.h"

#include <QDir>
#include <cerrno>
#include <utility>

namespace tw::rename {

using Meldung = Schrittantwort::Meldung;

const QString Umbenennlauf::Bereit = QStringLiteral("Schrittweise beginnen");
const QString Umbenennlauf::Laufend = QStringLiteral("Umbenennen");

Umbenennlauf::Umbenennlauf(Arbeitsliste& liste, Ueberwachung& monitor, Sitzungsprotokoll& protokoll,
                           Dateikatalog* katalog, platform::FileTransfer* transfer)
    : m_liste(liste), m_monitor(monitor), m_protokoll(protokoll), m_katalog(katalog),
      m_dateilauf(transfer ? *transfer : m_eigeneUebertragung)
{}

Umbenennlauf::~Umbenennlauf()
{
    for (const platform::FileOutcome& ergebnis : m_dateilauf.abandon())
        static_cast<void>(eintragen(ergebnis));
}

Schrittantwort Umbenennlauf::antwort() const
{
    Schrittantwort a;
    a.beschriftung = beschriftung();
    return a;
}

Schrittantwort Umbenennlauf::schritt(Laufbegleiter& begleiter)
{
    return schritt(begleiter, false);
}

Schrittantwort Umbenennlauf::schritt(Laufbegleiter& begleiter, bool gruppiert)
{
    const Laufeingaben e = begleiter.eingaben();
    if (e.muster.isEmpty()) {
        Schrittantwort a = antwort();
        a.meldung = Meldung::MusterFehlt;
        a.text = QStringLiteral("Sie müssen einen neuen Pfad eingeben");
        return a;
    }
    if (m_liste.markierteAnzahl() == 0 || m_abbruch)
        return beenden();
    if (!m_laeuft) {
        m_laeuft = true;
        Schrittantwort a = antwort();
        a.zustandGewechselt = true;
        a.sitzungBegonnen = true;
        m_zaehlwerk.Zaehler(e.muster);
        m_gemachtOffen.reserve(m_gemachtOffen.size() + static_cast<std::size_t>(m_liste.markierteAnzahl()));
        m_katalogBereit = false;
        Umbenennen(e);
        Neuen_Pfad_erstellen(e);
        return a;
    }
    Schrittantwort a = antwort();
    if (!begleiter.zwischendurch()) {
        a.ende = true;
        return a;
    }
    // The catalogue's lookup of paths is built here, with the window's inputs already locked, rather than
    // in one piece at the first file that leaves it.
    if (m_katalog && !m_katalogBereit) {
        m_katalogBereit = true;
        bool weiter = true;
        m_katalog->vorbereiten([&] { weiter = weiter && begleiter.zwischendurch(); });
        if (!weiter) {
            a.ende = true;
            return a;
        }
    }
    if (!Datei_Umschreiben(e, a, gruppiert))
        return a;
    Umbenennen(e);
    Neuen_Pfad_erstellen(e);
    return a;
}

Schrittantwort Umbenennlauf::beenden()
{
    if (const Ausfuehrung unterwegs = unterwegsAbschliessen(); !unterwegs.eingetragen)
        return angehalten(unterwegs);
    m_laeuft = false;
    m_protokoll.Lauf_beendet();
    Schrittantwort a = antwort();
    a.zustandGewechselt = true;
    a.listeFuellen = true;
    if (m_liste.anzahl() > 0) {
        if (!m_abbruch) {
            a.meldung = Meldung::NichtsMarkiert;
            a.text = QStringLiteral("Sie müssen eine Datei makieren!");
        }
        m_abbruch = false;
        m_zaehlwerk.Collection_leeren();
    }
    if (m_liste.anzahl() == 0) {
        m_zaehlwerk.Collection_leeren();
        a.meldung = Meldung::KeineDateienMehr;
        a.text = QStringLiteral("Es sind Keine Dateien zum Schreiben mehr da");
        a.fensterSchliessen = true;
    }
    fehlerMelden(a);
    return a;
}

void Umbenennlauf::fehlerMelden(Schrittantwort& a)
{
    a.fehlerGemeldet = m_bericht.fehlgeschlagen() > 0;
    if (a.fehlerGemeldet) {
        if (a.meldung == Meldung::Keine)
            a.meldung = Meldung::Fehlgeschlagen;
        a.text += (a.text.isEmpty() ? QString() : QStringLiteral("\n\n")) + m_bericht.text();
    }
    m_bericht = Laufbericht();
}

void Umbenennlauf::alle(Laufbegleiter& begleiter)
{
    if (m_abbruch || m_liste.anzahl() == 0 || begleiter.eingaben().muster.isEmpty())
        return;
    // A missing journal entry ends the whole run: the remaining clicks must not start another.
    const auto weiter = [&begleiter](const Schrittantwort& a) {
        return !a.ende && begleiter.anzeigen(a) && a.meldung != Meldung::NichtEingetragen;
    };
    // After a.ende or a failed pause the window, and this run with it, may be gone.
    Schrittantwort a = schritt(begleiter, true);
    if (weiter(a)) {
        const int n = m_liste.markierteAnzahl();
        for (int i = 0; i <= n; ++i) {
            if (i < n && !begleiter.zwischendurch())
                return;
            a = schritt(begleiter, true);
            if (!weiter(a))
                break;
        }
    }
    // Operations left on their way when the window stopped taking answers.
    if (!a.ende)
        static_cast<void>(unterwegsAbschliessen());
}

void Umbenennlauf::vergessen()
{
    platform::letGoBeside(std::exchange(m_gemacht, {}));
    platform::letGoBeside(std::exchange(m_gemachtOffen, {}));
}

bool Umbenennlauf::anhalten()
{
    if (!m_laeuft)
        return false;
    m_abbruch = true;
    return true;
}

bool Umbenennlauf::nebenher(const Laufeingaben& e, bool gruppiert) const
{
    if (e.aktion == platform::FileAction::Copy)
        return true;
    // A file that an operation on its way is to bring here waits for it: after a crash with both on their
    // way, the disk could not tell which of them had happened.
    return gruppiert &&
           m_protokoll.zielUnerheblich(aktionstext(static_cast<int>(e.aktion)), m_aktuell.alterPfad,
                                       m_aktuell.neuerPfad) &&
           (m_unterwegs.isEmpty() || !m_unterwegs.contains(QDir::cleanPath(m_aktuell.alterPfad)));
}

bool Umbenennlauf::Datei_Umschreiben(const Laufeingaben& e, Schrittantwort& a, bool gruppiert)
{
    const bool daneben = nebenher(e, gruppiert);
    // What is done here follows what is on its way, and its intent is noted against the disk they leave.
    if (!daneben) {
        if (const Ausfuehrung vorher = unterwegsAbschliessen(); !vorher.eingetragen) {
            a = angehalten(vorher);
            return false;
        }
    }
    Ausfuehrung ausfuehrung = Aktion_ausfuehren(e, daneben);
    if (ausfuehrung.vorgemerkt)
        m_liste.entfernen(m_listenindex);
    // A single step shows its file done; a whole run lets its operations go on beside it, and copies wait
    // for their group, whose flush goes on while the next group is written.
    if (ausfuehrung.eingetragen && !gruppiert)
        ausfuehrung = unterwegsAbschliessen();
    else if (ausfuehrung.eingetragen && m_dateilauf.due())
        ausfuehrung = unterwegsAbschliessen(false);
    if (ausfuehrung.eingetragen)
        return true;
    a = angehalten(ausfuehrung);
    return false;
}

Schrittantwort Umbenennlauf::angehalten(const Ausfuehrung& ausfuehrung)
{
    // Once a record failed, nothing more changes on disk: the operations not begun are not done, and the
    // copies written but not yet placed go. They are entered as failed, and those done meanwhile as done,
    // as far as entries can still be made.
    for (const platform::FileOutcome& ergebnis : m_dateilauf.abandon())
        static_cast<void>(eintragen(ergebnis));
    m_laeuft = false;
    m_protokoll.Lauf_beendet();
    m_abbruch = false;
    m_zaehlwerk.Collection_leeren();
    Schrittantwort a = antwort();
    a.zustandGewechselt = true;
    a.listeFuellen = true;
    a.meldung = Meldung::NichtEingetragen;
    a.text = ausfuehrung.vorgemerkt
                 ? QStringLiteral("Die Aktion für %1 konnte nicht in die Sitzung eingetragen werden:\n%2\n\n"
                                  "Der Lauf wurde angehalten, damit keine Datei ohne Eintrag geändert wird.")
                       .arg(ausfuehrung.datei, ausfuehrung.eingetragen.message())
                 : QStringLiteral("Die Aktion für %1 konnte nicht vorab festgehalten werden:\n%2\n\n"
                                  "Die Datei wurde nicht verändert; der Lauf wurde angehalten.")
                       .arg(ausfuehrung.datei, ausfuehrung.eingetragen.message());
    fehlerMelden(a);
    return a;
}

std::optional<platform::FileOutcome> Umbenennlauf::abgelehnt(const Laufeingaben& e, const QString& alt,
                                                             const QString& neu) const
{
    const auto ablehnung = [&](int fehler, const QString& grund) {
        return platform::FileOutcome{e.aktion, alt, neu, fehler, grund};
    };
    if (!bleibtImOrdner(m_aktuell, e.zielordner))
        return ablehnung(
            EINVAL, QStringLiteral("„%1“ ist kein Dateiname in diesem Ordner.").arg(m_aktuell.neuerName));
    // A copy may replace a file from before the run, which goes to the trash; not one the run made, nor one
    // it is still to process (it would copy the wrong content later).
    if (e.aktion == platform::FileAction::Copy && neu != alt) {
        const QString sauber = QDir::cleanPath(neu);
        // The made files are hashed only when a copy asks: a rename run need not pay for it per file.
        if (!m_gemachtOffen.empty()) {
            m_gemacht.reserve(m_gemacht.size() + static_cast<qsizetype>(m_gemachtOffen.size()));
            for (const QString& pfad : std::exchange(m_gemachtOffen, {}))
                m_gemacht.insert(QDir::cleanPath(pfad));
        }
        if (m_gemacht.contains(sauber) || m_unterwegs.contains(sauber) || m_liste.enthaelt(neu))
            return ablehnung(EEXIST, platform::errorText(EEXIST));
    }
    return std::nullopt;
}

platform::Result Umbenennlauf::eintragen(const platform::FileOutcome& ergebnis)
{
    m_monitor.ergebnisZeigen(ergebnis);
    m_bericht.erfassen(ergebnis);
    // An operation done beside the run is no longer on its way.
    if (!m_unterwegs.isEmpty())
        m_unterwegs.remove(QDir::cleanPath(ergebnis.target));
    if (ergebnis.done())
        m_gemachtOffen.push_back(ergebnis.target);
    return m_protokoll.Aktion_eintragen(ergebnis.source, ergebnis.target,
                                        ergebnis.done() ? aktionstext(static_cast<int>(ergebnis.action))
                                                        : QString::fromLatin1(journal::AktionFehler));
}

Umbenennlauf::Ausfuehrung Umbenennlauf::unterwegsAbschliessen(bool alle)
{
    Ausfuehrung erste;
    if (m_dateilauf.isEmpty())
        return erste;
    for (const platform::FileOutcome& ergebnis : alle ? m_dateilauf.complete() : m_dateilauf.advance()) {
        if (platform::Result r = eintragen(ergebnis); !r && erste.eingetragen)
            erste = {true, r, ergebnis.source};
    }
    return erste;
}

Umbenennlauf::Ausfuehrung Umbenennlauf::Aktion_ausfuehren(const Laufeingaben& e, bool nebenher)
{
    const QString& alt = m_aktuell.alterPfad;
    const QString& neu = m_aktuell.neuerPfad;
    // The one place where a file is changed: what is about to happen is known here, and so is what did.
    // A crash in between leaves the intent, from which the next start settles this one file.
    if (platform::Result vorgemerkt =
            m_protokoll.Aktion_vorhaben(alt, neu, aktionstext(static_cast<int>(e.aktion)));
        !vorgemerkt)
        return {false, vorgemerkt, alt};
    // The record leaves the catalogue whatever the outcome: the entry leaves the work list as well.
    if (m_katalog)
        m_katalog->entfernen(alt);
    const std::optional<platform::FileOutcome> ablehnung = abgelehnt(e, alt, neu);
    if (nebenher) {
        // Entered once done (a copy with its group), in the order of the run, whether done or refused.
        if (ablehnung)
            m_dateilauf.addRefused(*ablehnung);
        else {
            m_dateilauf.add(alt, neu, e.aktion);
            m_unterwegs.insert(QDir::cleanPath(neu));
        }
        return {true, platform::Result::success(), alt};
    }
    return {true, eintragen(ablehnung ? *ablehnung : platform::performFileAction(e.aktion, alt, neu)), alt};
}

void Umbenennlauf::Umbenennen(const Laufeingaben& e)
{
    if (m_laeuft)
        m_zaehlwerk.Umbenennen(e.zaehlerbreite);
}

void Umbenennlauf::Neuen_Pfad_erstellen(const Laufeingaben& e)
{
    const int eintrag = m_liste.ersteMarkierte();
    if (eintrag < 0)
        return;
    m_listenindex = eintrag;
    m_aktuell = rename::Neuen_Pfad_erstellen(m_liste.text(eintrag), e.muster, m_zaehlwerk, e.zielordner);
    m_monitor.dateiZeigen(m_aktuell, m_liste.anzahl());
}

} // namespace tw::rename

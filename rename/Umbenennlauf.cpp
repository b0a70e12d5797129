#include "Umbenennlauf.h"

#include "journal/DatenBanken.h"
#include "platform/FileOps.h"

#include <QDir>
#include <cerrno>

namespace tw::rename {

using Meldung = Schrittantwort::Meldung;

const QString Umbenennlauf::Bereit = QStringLiteral("Schrittweise beginnen");
const QString Umbenennlauf::Laufend = QStringLiteral("Umbenennen");

Umbenennlauf::Umbenennlauf(Arbeitsliste& liste, Ueberwachung& monitor, Sitzungsprotokoll& protokoll,
                           Dateikatalog* katalog)
    : m_liste(liste), m_monitor(monitor), m_protokoll(protokoll), m_katalog(katalog)
{}

Schrittantwort Umbenennlauf::antwort() const
{
    Schrittantwort a;
    a.beschriftung = beschriftung();
    return a;
}

Schrittantwort Umbenennlauf::schritt(Laufbegleiter& begleiter)
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
        m_gemacht.reserve(m_gemacht.size() + m_liste.markierteAnzahl());
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
    if (!Datei_Umschreiben(e, a))
        return a;
    Umbenennen(e);
    Neuen_Pfad_erstellen(e);
    return a;
}

Schrittantwort Umbenennlauf::beenden()
{
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
    if (!weiter(schritt(begleiter)))
        return;
    const int n = m_liste.markierteAnzahl();
    for (int i = 0; i < n; ++i) {
        if (!begleiter.zwischendurch() || !weiter(schritt(begleiter)))
            return;
    }
    static_cast<void>(weiter(schritt(begleiter)));
}

bool Umbenennlauf::anhalten()
{
    if (!m_laeuft)
        return false;
    m_abbruch = true;
    return true;
}

bool Umbenennlauf::Datei_Umschreiben(const Laufeingaben& e, Schrittantwort& a)
{
    const Ausfuehrung ausfuehrung = Aktion_ausfuehren(e);
    if (ausfuehrung.vorgemerkt)
        m_liste.entfernen(m_listenindex);
    if (ausfuehrung.eingetragen)
        return true;
    m_laeuft = false;
    m_protokoll.Lauf_beendet();
    m_abbruch = false;
    m_zaehlwerk.Collection_leeren();
    a = antwort();
    a.zustandGewechselt = true;
    a.listeFuellen = true;
    a.meldung = Meldung::NichtEingetragen;
    const QString datei = m_aktuell.alterOrdner + m_aktuell.alterName;
    a.text = ausfuehrung.vorgemerkt
                 ? QStringLiteral("Die Aktion für %1 konnte nicht in die Sitzung eingetragen werden:\n%2\n\n"
                                  "Der Lauf wurde angehalten, damit keine Datei ohne Eintrag geändert wird.")
                       .arg(datei, ausfuehrung.eingetragen.message())
                 : QStringLiteral("Die Aktion für %1 konnte nicht vorab festgehalten werden:\n%2\n\n"
                                  "Die Datei wurde nicht verändert; der Lauf wurde angehalten.")
                       .arg(datei, ausfuehrung.eingetragen.message());
    fehlerMelden(a);
    return false;
}

platform::FileOutcome Umbenennlauf::dateiAendern(const Laufeingaben& e, const QString& alt,
                                                 const QString& neu) const
{
    const auto abgelehnt = [&](int fehler, const QString& grund) {
        return platform::FileOutcome{e.aktion, alt, neu, fehler, grund};
    };
    if (!bleibtImOrdner(m_aktuell, e.zielordner))
        return abgelehnt(
            EINVAL, QStringLiteral("„%1“ ist kein Dateiname in diesem Ordner.").arg(m_aktuell.neuerName));
    // A copy may replace a file from before the run, which goes to the trash; not one the run made, nor one
    // it is still to process (it would copy the wrong content later).
    if (e.aktion == platform::FileAction::Copy && neu != alt &&
        (m_gemacht.contains(QDir::cleanPath(neu)) || m_liste.enthaelt(neu)))
        return abgelehnt(EEXIST, platform::errorText(EEXIST));
    return platform::performFileAction(e.aktion, alt, neu);
}

Umbenennlauf::Ausfuehrung Umbenennlauf::Aktion_ausfuehren(const Laufeingaben& e)
{
    const QString alt = m_aktuell.alterOrdner + m_aktuell.alterName;
    const QString& neu = m_aktuell.neuerPfad;
    // The one place where a file is changed: what is about to happen is known here, and so is what did.
    // A crash in between leaves the intent, from which the next start settles this one file.
    if (platform::Result vorgemerkt =
            m_protokoll.Aktion_vorhaben(alt, neu, aktionstext(static_cast<int>(e.aktion)));
        !vorgemerkt)
        return {false, vorgemerkt};
    const platform::FileOutcome ergebnis = dateiAendern(e, alt, neu);
    m_monitor.ergebnisZeigen(ergebnis);
    m_bericht.erfassen(ergebnis);
    if (ergebnis.done())
        m_gemacht.insert(QDir::cleanPath(neu));
    const platform::Result eingetragen =
        m_protokoll.Aktion_eintragen(alt, neu,
                                     ergebnis.done() ? aktionstext(static_cast<int>(e.aktion))
                                                     : QString::fromLatin1(journal::AktionFehler));
    // The record leaves the catalogue whatever the outcome: the entry leaves the work list as well.
    if (m_katalog)
        m_katalog->entfernen(alt);
    return {true, eingetragen};
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

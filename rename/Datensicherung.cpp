#include "Datensicherung.h"

#include "journal/DatenBanken.h"
#include "platform/RecordSet.h"

namespace tw::rename {

QString aktionstext(int aktion)
{
    switch (aktion) {
    case Umbenennen:
        return QString::fromLatin1(journal::AktionUmbenannt);
    case Kopieren:
        return QString::fromLatin1(journal::AktionKopiert);
    case Verschieben:
        return QString::fromLatin1(journal::AktionVerschoben);
    default:
        return QString::fromLatin1(journal::AktionFehler);
    }
}

int Datei_aendern(const QString& quelle, const QString& ziel, int aktion, Ueberwachung& monitor)
{
    if (aktion < Umbenennen || aktion > Verschieben) {
        monitor.setLabel(MonitorLabel::Label6_0, QStringLiteral("Datei ") + ziel + QStringLiteral(" wurde "));
        return 0;
    }
    const platform::FileOutcome ergebnis =
        platform::performFileAction(static_cast<platform::FileAction>(aktion), quelle, ziel);
    monitor.ergebnisZeigen(ergebnis);
    return ergebnis.error;
}

platform::Result Journalsitzung::Aktion_vorhaben(const QString& alterPfad, const QString& neuerPfad,
                                                 const QString& aktion)
{
    return m_db.Aktion_vorhaben(alterPfad, neuerPfad, aktion);
}

void Journalsitzung::Lauf_beendet()
{
    // A failure here shows at the next intent, which stops the run, or at the save.
    static_cast<void>(m_db.sichern());
}

platform::Result Journalsitzung::Aktion_eintragen(const QString& alterPfad, const QString& neuerPfad,
                                                  const QString& aktion)
{
    return m_db.Aktion_eintragen(alterPfad, neuerPfad, aktion);
}

bool Journalsitzung::zielUnerheblich(const QString& aktion, const QString& alterPfad,
                                     const QString& neuerPfad)
{
    return m_db.zielUnerheblich(aktion, alterPfad, neuerPfad);
}

void Katalogtabelle::entfernen(const QString& pfad)
{
    static_cast<void>(m_katalog.deleteExact(u"Pfad", pfad));
}

void Katalogtabelle::vorbereiten(const std::function<void()>& zwischendurch)
{
    platform::Breather atem(zwischendurch);
    m_katalog.prepareIndex(u"Pfad", &atem);
}

} // namespace tw::rename

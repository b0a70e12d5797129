#include "Ueberwachung.h"

namespace tw::rename {

namespace {

QString verb(platform::FileAction aktion)
{
    switch (aktion) {
    case platform::FileAction::Rename:
        return QStringLiteral("umbennant");
    case platform::FileAction::Copy:
        return QStringLiteral("kopiert");
    case platform::FileAction::Move:
        return QStringLiteral("verschoben");
    }
    return {};
}

} // namespace

QString ergebniszeile(const platform::FileOutcome& e)
{
    if (e.done())
        return QStringLiteral("Datei ") + e.target + QStringLiteral(" wurde ") + verb(e.action);
    return QStringLiteral("Pfad ") + e.target + QStringLiteral(" wurde nicht ") + verb(e.action) +
           QStringLiteral(" wegen Fehler ") + e.reason;
}

void Ueberwachung::dateiZeigen(const NeuerName& n, int eintraege)
{
    setLabel(MonitorLabel::Label2, n.alterOrdner);
    setLabel(MonitorLabel::Label4, n.alterName);
    setLabel(MonitorLabel::Label3, n.neuerPfad);
    setLabel(MonitorLabel::Label5, n.neuerName);
    setLabel(MonitorLabel::Label7, n.neuerOrdner);
    setLabel(MonitorLabel::Label6_2, QStringLiteral("Noch %1 Dateien zum Umbennen").arg(eintraege));
}

void Ueberwachung::ergebnisZeigen(const platform::FileOutcome& ergebnis)
{
    setLabel(MonitorLabel::Label6_0, ergebniszeile(ergebnis));
}

} // namespace tw::rename

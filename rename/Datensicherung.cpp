#include "Datensicherung.h"

#include "catalogue/KatalogLogik.h"
#include "journal/DatenBanken.h"
#include "platform/FileOps.h"
#include "platform/FileTransfer.h"
#include "platform/RecordSet.h"

#include <cerrno>

namespace tw::rename {

namespace {

QString verb(int aktion)
{
    switch (aktion) {
    case Umbenennen:
        return QStringLiteral("umbennant");
    case Kopieren:
        return QStringLiteral("kopiert");
    case Verschieben:
        return QStringLiteral("verschoben");
    default:
        return {};
    }
}

} // namespace

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
    platform::Result r;
    if (!platform::representable(quelle) || !platform::representable(ziel)) {
        // A name that came through mangled would address another file.
        r = platform::Result::failure(EILSEQ, QStringLiteral("Der Dateiname enthält Zeichen, die nicht "
                                                             "dargestellt werden können."));
    } else {
        switch (aktion) {
        case Umbenennen:
            r = platform::renameFile(quelle, ziel);
            break;
        case Kopieren:
            r = platform::copyFile(quelle, ziel);
            break;
        case Verschieben:
            r = platform::moveFile(quelle, ziel);
            break;
        default:
            break;
        }
    }
    if (r.ok()) {
        monitor.setLabel(MonitorLabel::Label6_0, QStringLiteral("Datei ") + ziel + QStringLiteral(" wurde ") + verb(aktion));
        return 0;
    }
    monitor.setLabel(MonitorLabel::Label6_0, QStringLiteral("Pfad ") + ziel + QStringLiteral(" wurde nicht ") +
                                                 verb(aktion) + QStringLiteral(" wegen Fehler ") + r.message());
    return r.code() != 0 ? r.code() : -1;
}

void Aktion_ausfuehren(Ueberwachung& monitor, int aktion, journal::DatenBanken& journal, platform::RecordSet* katalog)
{
    const QString alt = monitor.label(MonitorLabel::Label2) + monitor.label(MonitorLabel::Label4);
    const QString neu = monitor.label(MonitorLabel::Label3);
    QString text = aktionstext(aktion);
    if (Datei_aendern(alt, neu, aktion, monitor) != 0)
        text = QString::fromLatin1(journal::AktionFehler);
    journal.Aktion_eintragen(alt, neu, text);

    if (!katalog)
        return;
    // The path filter may show a neighbour first (a two-part filter for an apostrophe, a trailing
    // asterisk in a name): remove only the record of exactly this path.
    if (katalog->setFilter(catalogue::Pfadfilter(alt))) {
        for (katalog->MoveFirst(); !katalog->Eof(); katalog->MoveNext()) {
            if (katalog->text(u"Pfad") == alt) {
                katalog->Delete();
                break;
            }
        }
    }
    katalog->MoveFirst();
}

} // namespace tw::rename

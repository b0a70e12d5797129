// Prepares a day's work for the end-to-end test of the undo: renames, copies and moves real files
// through the rename run's performer and saves them as one session of today's journal, as the rename
// window does when it closes.
#include "journal/DatenBanken.h"
#include "rename/Datensicherung.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: undo_setup PROGRAM_FOLDER DATA_FOLDER\n");
        return 2;
    }
    const QDir daten(args[2]);
    daten.mkpath(QStringLiteral("a"));
    daten.mkpath(QStringLiteral("b"));
    struct Schritt
    {
        const char* alt;
        const char* neu;
        int aktion;
    };
    const Schritt schritte[] = {
        {"a/eins.txt", "a/Urlaub_01.txt", tw::rename::Umbenennen},
        {"a/zwei <&>.txt", "a/Urlaub_02.txt", tw::rename::Umbenennen},
        {"a/drei.txt", "b/Urlaub_03.txt", tw::rename::Kopieren},
        {"a/vier.txt", "b/Urlaub_04.txt", tw::rename::Verschieben},
    };

    tw::platform::SystemClock clock;
    tw::journal::DatenBanken db(args[1], clock);
    db.Sitzung_beginnen();
    tw::rename::MonitorTexte monitor;
    for (const Schritt& s : schritte) {
        const QString alt = daten.filePath(QString::fromUtf8(s.alt));
        const QString neu = daten.filePath(QString::fromUtf8(s.neu));
        QFile datei(alt);
        if (!datei.open(QIODevice::WriteOnly) || datei.write(s.alt) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(alt));
            return 1;
        }
        datei.close();
        if (tw::rename::Datei_aendern(alt, neu, s.aktion, monitor) != 0) {
            std::fprintf(stderr, "%s\n", qPrintable(monitor.label(tw::rename::MonitorLabel::Label6_0)));
            return 1;
        }
        if (const auto eingetragen = db.Aktion_eintragen(alt, neu, tw::rename::aktionstext(s.aktion));
            !eingetragen) {
            std::fprintf(stderr, "%s\n", qPrintable(eingetragen.message()));
            return 1;
        }
    }
    const auto saved = db.Sitzung_speichern(db.Programmstart_ermitteln(), 1, QStringLiteral("Urlaub_©00©"));
    if (!saved) {
        std::fprintf(stderr, "%s\n", qPrintable(saved.message()));
        return 1;
    }
    std::printf("%s\n", qPrintable(db.journalPfadHeute()));
    return 0;
}

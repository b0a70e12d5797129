// Prepares a day's work for the end-to-end test of the undo: renames, copies and moves real files
// through the rename run's performer and saves them as one session of today's journal, as the rename
// window does when it closes.
#include "journal/DatenBanken.h"
#include "rename/Datensicherung.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <tuple>

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
    const auto scheitern = [](const QString& warum) {
        std::fprintf(stderr, "%s\n", qPrintable(warum));
        return 1;
    };

    tw::platform::SystemClock clock;
    tw::journal::DatenBanken db(args[1], clock);
    db.Sitzung_beginnen();
    tw::rename::MonitorTexte monitor;
    for (const auto& [von, nach, aktion] :
         {std::tuple{"a/eins.txt", "a/Urlaub_01.txt", tw::rename::Umbenennen},
          std::tuple{"a/zwei <&>.txt", "a/Urlaub_02.txt", tw::rename::Umbenennen},
          std::tuple{"a/drei.txt", "b/Urlaub_03.txt", tw::rename::Kopieren},
          std::tuple{"a/vier.txt", "b/Urlaub_04.txt", tw::rename::Verschieben}}) {
        const QString alt = daten.filePath(QString::fromUtf8(von));
        const QString neu = daten.filePath(QString::fromUtf8(nach));
        QFile datei(alt);
        if (!datei.open(QIODevice::WriteOnly) || datei.write(von) < 0)
            return scheitern(QStringLiteral("cannot write ") + alt);
        datei.close();
        if (tw::rename::Datei_aendern(alt, neu, aktion, monitor) != 0)
            return scheitern(monitor.label(tw::rename::MonitorLabel::Label6_0));
        if (const auto eingetragen = db.Aktion_eintragen(alt, neu, tw::rename::aktionstext(aktion));
            !eingetragen)
            return scheitern(eingetragen.message());
    }
    const auto saved = db.Sitzung_speichern(db.Programmstart_ermitteln(), 1, QStringLiteral("Urlaub_©00©"));
    if (!saved)
        return scheitern(saved.message());
    std::printf("%s\n", qPrintable(db.journalPfadHeute()));
    return 0;
}

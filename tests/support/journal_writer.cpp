// A second program working on the day's journal of a folder at the same time as others, to test that
// nothing is lost: it saves a number of one-action sessions ("speichern"), saves them and undoes every
// second one at once ("rueckgaengig"), leaves them unsaved as a crashed program would ("liegenlassen"), or
// recovers what crashed programs left ("wiederherstellen").
#include "journal/DatenBanken.h"
#include "journal/Rueckgaengig.h"
#include "journal/Wiederherstellung.h"
#include "platform/RecordSet.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

using namespace tw;

namespace {

int scheitern(const platform::Result& r)
{
    std::fprintf(stderr, "%s\n", qPrintable(r.message()));
    return 1;
}

// Undoes the session just saved, found by its numbers.
platform::Result rueckgaengig(const QString& pfad, qint16 start, int sitzung)
{
    platform::RecordSet rs;
    if (platform::Result r = rs.Open(pfad); !r)
        return r;
    for (rs.toFirst(); !rs.Eof(); rs.toNext()) {
        if (rs.text(u"Programmstart") == QString::number(start) &&
            rs.text(u"Sitzung") == QString::number(sitzung)) {
            journal::DateiUmkehrer umkehrer;
            platform::AtomicFileWriter writer;
            const auto e = journal::Rueckgaengig(pfad, journal::Sitzungssatz::lesen(rs), umkehrer, writer);
            return e.journal ? platform::Result::success()
                             : platform::Result::failure(journal::ergebnisMeldung(e));
        }
    }
    return platform::Result::failure(QStringLiteral("Sitzung %1/%2 fehlt").arg(start).arg(sitzung));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString modus = args.value(4, QStringLiteral("speichern"));
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: journal_writer FOLDER PROGRAMMSTART COUNT "
                             "[speichern|rueckgaengig|liegenlassen|wiederherstellen]\n");
        return 2;
    }
    platform::SystemClock clock;
    journal::DatenBanken db(args[1], clock);
    if (modus == QLatin1String("wiederherstellen")) {
        std::printf("%d\n", int(journal::offeneSitzungenWiederherstellen(db).sitzungen.size()));
        return 0;
    }
    const auto start = static_cast<qint16>(args[2].toInt());
    const int count = args[3].toInt();
    for (int i = 1; i <= count; ++i) {
        const bool zurueck = modus == QLatin1String("rueckgaengig") && i % 2 == 0;
        db.Sitzung_beginnen();
        db.Sitzungsstand(start, i, QStringLiteral("Muster"));
        platform::Result r = db.Aktion_eintragen(
            QStringLiteral("/alt/%1-%2").arg(start).arg(i), QStringLiteral("/neu/%1-%2").arg(start).arg(i),
            zurueck ? QStringLiteral("Fehler") : QStringLiteral("Umbenannt"));
        if (r && modus != QLatin1String("liegenlassen"))
            r = db.Sitzung_speichern(start, i, QStringLiteral("Muster"));
        if (r && zurueck)
            r = rueckgaengig(db.journalPfadHeute(), start, i);
        if (!r)
            return scheitern(r);
    }
    return 0;
}

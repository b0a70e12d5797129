// Drives real rename runs and journal saves for the kill tests, and checks what a kill left.
//
//   absturz_treiber anlegen DATA N MANIFEST       files to work on, and their names and contents
//   absturz_treiber arbeiten PROGRAM DATA          rename, copy and move them, saving each session;
//                                                  prints "phase <name> <ms>" before each phase and
//                                                  "gespeichert <Programmstart> <Sitzung> <n> <ms>"
//                                                  once a save is done
//   absturz_treiber pruefen PROGRAM DATA MANIFEST LOG
//       after a kill: every journal reads and holds every session reported saved; the start-up
//       recovery leaves no recovery file; the tree is the start's with the journal's actions applied;
//       undoing every session, the newest first, gives back the start's tree.
//   absturz_treiber zugleich PROGRAM START N MODE
//       a program beside others on the day's journal: saves N one-action sessions ("speichern"), saves
//       them and undoes every second one at once ("rueckgaengig"), leaves them unsaved as a crashed
//       program would ("liegenlassen"), or recovers what crashed programs left and prints how many
//       ("wiederherstellen").
#include "journal/DatenBanken.h"
#include "journal/Ergebnisstring.h"
#include "journal/Rueckgaengig.h"
#include "journal/Sitzungsauswahl.h"
#include "journal/Wiederherstellung.h"
#include "platform/RecordSet.h"
#include "rename/Datensicherung.h"
#include "rename/Namensbauer.h"
#include "rename/Umbenennlauf.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <cstdio>

using namespace tw;

namespace {

using Baum = QMap<QString, QByteArray>; // relative path: content

int g_fehler = 0;

void fehler(const QString& text)
{
    std::printf("FEHLER %s\n", qPrintable(text));
    ++g_fehler;
}

// Every file below the folder with its content. Hidden files are the temporaries a copy cut off leaves;
// they are counted, not compared.
Baum baumLesen(const QString& daten, int* reste = nullptr)
{
    Baum b;
    QDirIterator it(daten, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (!it.fileName().startsWith(u'.'))
            b[QDir(daten).relativeFilePath(f.fileName())] = f.open(QIODevice::ReadOnly) ? f.readAll() : "?";
        else if (reste)
            ++*reste;
    }
    return b;
}

// Each line with the milliseconds since the start, so that the kill test learns how long each phase takes.
void zeigen(const QString& text)
{
    static QElapsedTimer seit;
    if (!seit.isValid())
        seit.start();
    std::printf("%s %lld\n", qPrintable(text), seit.elapsed());
    std::fflush(stdout);
}

int anlegen(const QString& daten, int n, const QString& manifest)
{
    QDir d(daten);
    for (const char* ordner : {"a", "b", "c"})
        d.mkpath(QString::fromLatin1(ordner));
    auto* zufall = QRandomGenerator::global();
    for (int i = 0; i < n; ++i) {
        const QString name = QStringLiteral("Bild %1\t°.jpg").arg(i, 5, 10, QLatin1Char('0'));
        QByteArray inhalt(int(zufall->bounded(1, 8192)), '\0');
        zufall->fillRange(reinterpret_cast<quint32*>(inhalt.data()), inhalt.size() / 4);
        QFile f(d.filePath(QStringLiteral("a/") + name));
        if (!f.open(QIODevice::WriteOnly) || f.write(inhalt) != inhalt.size())
            return 1;
        // Every seventh copy replaces a file of the user's, which goes to the trash.
        if (i % 7 == 3) {
            QFile alt(d.filePath(QStringLiteral("b/K_") + name));
            if (!alt.open(QIODevice::WriteOnly) || alt.write("vorher") != 6)
                return 1;
        }
    }
    QFile m(manifest);
    if (!m.open(QIODevice::WriteOnly))
        return 1;
    QDataStream out(&m);
    out << baumLesen(daten);
    return m.flush() ? 0 : 1;
}

struct Begleiter : rename::Laufbegleiter
{
    rename::Laufeingaben e;
    rename::Laufeingaben eingaben() const override { return e; }
    bool zwischendurch() override
    {
        QCoreApplication::processEvents();
        return true;
    }
    bool anzeigen(const rename::Schrittantwort& a) override
    {
        if (a.meldung == rename::Schrittantwort::Meldung::NichtEingetragen)
            std::fprintf(stderr, "%s\n", qPrintable(a.text));
        return true;
    }
};

int arbeiten(const QString& programm, const QString& daten)
{
    platform::SystemClock uhr;
    journal::DatenBanken db(programm, uhr);
    const qint16 start = db.Programmstart_ermitteln();
    const QDir d(daten);
    qint32 nummer = 0;
    // One session of the phase: a run over the given files, then its save.
    const auto sitzung = [&](const char* phase, const QStringList& pfade, platform::FileAction aktion,
                             const QString& muster, const QString& ziel) {
        zeigen(QStringLiteral("phase ") + QLatin1String(phase));
        db.Sitzung_beginnen();
        db.Sitzungsstand(start, ++nummer, muster);
        rename::Journalsitzung protokoll(db);
        rename::Arbeitsliste liste;
        liste.setEintraege(pfade);
        liste.alleMarkieren(true);
        rename::MonitorTexte monitor;
        rename::Umbenennlauf lauf(liste, monitor, protokoll, nullptr);
        Begleiter begleiter;
        begleiter.e = {muster, ziel, aktion, 1};
        lauf.alle(begleiter);
        zeigen(QStringLiteral("phase sichern"));
        if (const platform::Result r = db.Sitzung_speichern(start, nummer, muster); !r) {
            std::fprintf(stderr, "%s\n", qPrintable(r.message()));
            return false;
        }
        zeigen(QStringLiteral("gespeichert %1 %2 %3").arg(start).arg(nummer).arg(pfade.size()));
        return true;
    };
    const auto dateien = [&d]() {
        QStringList pfade;
        for (const QString& n : QDir(d.filePath(QStringLiteral("a"))).entryList(QDir::Files, QDir::Name))
            pfade << d.filePath(QStringLiteral("a/") + n);
        return pfade;
    };
    const QString alterName = rename::nameEinfuegen({});

    using platform::FileAction;
    if (!sitzung("umbenennen", dateien(), FileAction::Rename, rename::nameEinfuegen(QStringLiteral("K_")),
                 rename::Ursprungsfad) ||
        !sitzung("kopieren", dateien(), FileAction::Copy, alterName, d.filePath(QStringLiteral("b"))))
        return 1;
    // Many small sessions in a row, so that kills meet journal saves as often as runs.
    zeigen(QStringLiteral("phase speichern"));
    for (const QString& pfad : dateien().mid(0, 30))
        if (!sitzung("einzeln", {pfad}, FileAction::Rename, rename::nameEinfuegen(QStringLiteral("S_")),
                     rename::Ursprungsfad))
            return 1;
    if (!sitzung("verschieben", dateien(), FileAction::Move, alterName, d.filePath(QStringLiteral("c"))))
        return 1;
    zeigen(QStringLiteral("phase fertig"));
    return 0;
}

struct Satz
{
    QString journal;
    journal::Sitzungssatz satz;
    QVector<journal::Aktionseintrag> aktionen;
};

// Every session of every journal of the folder, in the order saved.
QVector<Satz> saetze(const QString& programm)
{
    QVector<Satz> alle;
    const QDir d(programm);
    for (const QString& name : d.entryList({QStringLiteral("Sich*.xml")}, QDir::Files, QDir::Name)) {
        platform::RecordSet rs;
        if (const platform::Result r = rs.Open(d.filePath(name)); !r) {
            fehler(QStringLiteral("Journal unlesbar: %1").arg(r.message()));
            continue;
        }
        for (rs.toFirst(); !rs.Eof(); rs.toNext()) {
            const auto satz = journal::Sitzungssatz::lesen(rs);
            const auto aktionen = journal::aktionenLesen(satz.Ergebnisstring.toString());
            if (!aktionen)
                fehler(QStringLiteral("Ergebnisstring zerfällt nicht in Aktionen (%1)").arg(name));
            alle.append({d.filePath(name), satz, aktionen.value_or(QVector<journal::Aktionseintrag>())});
        }
    }
    return alle;
}

int pruefen(const QString& programm, const QString& daten, const QString& manifest, const QString& log)
{
    QFile m(manifest), l(log);
    if (!m.open(QIODevice::ReadOnly) || !l.open(QIODevice::ReadOnly))
        return 2;
    Baum anfang;
    QDataStream in(&m);
    in >> anfang;
    QString phase = QStringLiteral("?");
    const QVector<Satz> vorher = saetze(programm);
    for (const QByteArray& z : l.readAll().split('\n')) {
        const QList<QByteArray> w = z.split(' ');
        if (w.value(0) == "phase")
            phase = QString::fromUtf8(w.value(1));
        if (w.value(0) != "gespeichert")
            continue;
        const bool da = std::any_of(vorher.begin(), vorher.end(), [&](const Satz& s) {
            return s.satz.Programmstart.toString() == QString::fromUtf8(w.value(1)) &&
                   s.satz.Sitzung.toString() == QString::fromUtf8(w.value(2)) &&
                   s.aktionen.size() == w.value(3).toInt();
        });
        if (!da)
            fehler(QStringLiteral("gemeldete Sitzung fehlt: ") + QString::fromUtf8(z));
    }

    platform::SystemClock uhr;
    journal::DatenBanken db(programm, uhr);
    const journal::Wiederherstellung w = journal::offeneSitzungenWiederherstellen(db);
    const QString meldung = journal::startMeldung(w, std::nullopt);
    if (!w.unlesbar.isEmpty() || !w.nichtGespeichert.isEmpty() || !w.journale.isEmpty())
        fehler(QStringLiteral("Wiederherstellung: ") + meldung);
    if (!QDir(programm).entryList({QStringLiteral("Sitzung_*")}, QDir::Files).isEmpty())
        fehler(QStringLiteral("eine Wiederherstellungsdatei ist geblieben"));

    // The tree must be the start's with every recorded action applied, in order.
    const QVector<Satz> alle = saetze(programm);
    Baum erwartet = anfang;
    int aktionen = 0;
    const QDir d(daten);
    for (const Satz& s : alle) {
        for (const journal::Aktionseintrag& a : s.aktionen) {
            ++aktionen;
            const QString alt = d.relativeFilePath(a.AlterPfad);
            const QString neu = d.relativeFilePath(a.NeuerPfad);
            if (a.Aktion == QLatin1String(journal::AktionFehler))
                continue;
            if (!erwartet.contains(alt)) {
                fehler(QStringLiteral("%1 von einer Datei, die es nicht gab: %2").arg(a.Aktion, alt));
                continue;
            }
            erwartet[neu] = erwartet[alt];
            if (a.Aktion != QLatin1String(journal::AktionKopiert))
                erwartet.remove(alt);
        }
    }
    int reste = 0;
    const Baum jetzt = baumLesen(daten, &reste);
    for (auto it = jetzt.begin(); it != jetzt.end(); ++it)
        if (erwartet.value(it.key()) != it.value())
            fehler(QStringLiteral("auf der Platte, aber nicht so im Journal: ") + it.key());
    for (auto it = erwartet.begin(); it != erwartet.end(); ++it)
        if (!jetzt.contains(it.key()))
            fehler(QStringLiteral("laut Journal da, aber fehlt: ") + it.key());

    for (qsizetype i = alle.size() - 1; i >= 0; --i) {
        journal::DateiUmkehrer umkehrer;
        platform::AtomicFileWriter writer;
        const auto e = journal::Rueckgaengig(alle[i].journal, alle[i].satz, umkehrer, writer);
        if (!e.fehlgeschlagen.isEmpty() || !e.journal)
            fehler(QStringLiteral("Rückgängig: ") + journal::ergebnisMeldung(e));
    }
    const Baum danach = baumLesen(daten);
    if (danach != anfang)
        fehler(QStringLiteral("nach dem Rückgängigmachen nicht wie am Anfang: %1 statt %2 Dateien")
                   .arg(danach.size())
                   .arg(anfang.size()));
    std::printf("%s phase=%s sitzungen=%d aktionen=%d wiederhergestellt=%d reste=%d\n",
                g_fehler ? "FEHLER" : "ok", qPrintable(phase), int(alle.size()), aktionen,
                int(w.sitzungen.size()), reste);
    return g_fehler ? 1 : 0;
}

int zugleich(const QString& programm, qint16 start, int n, const QString& modus)
{
    platform::SystemClock uhr;
    journal::DatenBanken db(programm, uhr);
    if (modus == QLatin1String("wiederherstellen")) {
        std::printf("%d\n", int(journal::offeneSitzungenWiederherstellen(db).sitzungen.size()));
        return 0;
    }
    // Undoes the session just saved, found by its numbers.
    const auto rueckgaengig = [&](int sitzung) {
        const QString pfad = db.journalPfadHeute();
        platform::RecordSet rs;
        platform::Result r = rs.Open(pfad);
        if (r)
            r = rs.setFilter(*journal::auswahlFilter(QString::number(start), QString::number(sitzung)));
        if (r && (r = rs.MoveFirst())) {
            journal::DateiUmkehrer umkehrer;
            platform::AtomicFileWriter writer;
            const auto e = journal::Rueckgaengig(pfad, journal::Sitzungssatz::lesen(rs), umkehrer, writer);
            if (!e.journal)
                r = platform::Result::failure(journal::ergebnisMeldung(e));
        }
        return r;
    };
    for (int i = 1; i <= n; ++i) {
        const bool zurueck = modus == QLatin1String("rueckgaengig") && i % 2 == 0;
        db.Sitzung_beginnen();
        db.Sitzungsstand(start, i, QStringLiteral("Muster"));
        platform::Result r = db.Aktion_eintragen(
            QStringLiteral("/alt/%1-%2").arg(start).arg(i), QStringLiteral("/neu/%1-%2").arg(start).arg(i),
            zurueck ? QStringLiteral("Fehler") : QStringLiteral("Umbenannt"));
        if (r && modus != QLatin1String("liegenlassen"))
            r = db.Sitzung_speichern(start, i, QStringLiteral("Muster"));
        if (r && zurueck)
            r = rueckgaengig(i);
        if (!r) {
            std::fprintf(stderr, "%s\n", qPrintable(r.message()));
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = QCoreApplication::arguments();
    const QString modus = a.value(1);
    if (modus == QLatin1String("anlegen") && a.size() == 5)
        return anlegen(a[2], a[3].toInt(), a[4]);
    if (modus == QLatin1String("arbeiten") && a.size() == 4)
        return arbeiten(a[2], a[3]);
    if (modus == QLatin1String("pruefen") && a.size() == 6)
        return pruefen(a[2], a[3], a[4], a[5]);
    if (modus == QLatin1String("zugleich") && a.size() == 6)
        return zugleich(a[2], static_cast<qint16>(a[3].toInt()), a[4].toInt(), a[5]);
    std::fprintf(stderr, "usage: see the head of absturz_treiber.cpp\n");
    return 2;
}

#include "Rueckgaengig.h"

#include "journal/DatenBanken.h"
#include "platform/Beside.h"
#include "platform/FieldDef.h"
#include "platform/FileOps.h"
#include "platform/FileOutcome.h"
#include "platform/FileTransfer.h"
#include "platform/RecordSet.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <chrono>
#include <future>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <tuple>
#include <unistd.h>

namespace tw::journal {

using platform::Result;

namespace {

bool gleicherInhalt(const QString& a, const QString& b)
{
    QFile fa(a);
    QFile fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 block = qint64(1) << 20;
    for (;;) {
        const QByteArray da = fa.read(block);
        const QByteArray db = fb.read(block);
        if (da != db)
            return false;
        if (da.isEmpty())
            return fa.error() == QFileDevice::NoError && fb.error() == QFileDevice::NoError;
    }
}

QString unlesbar(const QString& pfad, const Result& gelesen)
{
    return QStringLiteral("Die Sicherungsdatei %1 kann nicht gelesen werden; sie bleibt unverändert.\n%2")
        .arg(QDir::toNativeSeparators(pfad), gelesen.message());
}

// The first record of the view that holds the session's five values becomes current.
bool satzFinden(platform::RecordSet& rs, const Sitzungssatz& satz)
{
    for (rs.toFirst(); !rs.Eof(); rs.toNext()) {
        if (satz.gleich(rs))
            return true;
    }
    return false;
}

// Which file a path names and what it holds: every save replaces a journal by a new file.
std::optional<std::tuple<dev_t, ino_t, off_t, long, long>> dateistand(const QString& pfad)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(pfad).constData(), &st) != 0)
        return std::nullopt;
    return std::tuple(st.st_dev, st.st_ino, st.st_size, long(st.st_mtim.tv_sec), long(st.st_mtim.tv_nsec));
}

// A journal read before the files were touched, and the file it was read from.
struct GelesenesJournal
{
    platform::RecordSet satz;
    std::optional<std::tuple<dev_t, ino_t, off_t, long, long>> stand;
};

Result sitzungAustragen(const QString& pfad, const Sitzungssatz& satz, const QVector<Fehlschlag>& offen,
                        platform::AtomicFileWriter& writer, bool& geloescht, platform::Breather& atem,
                        GelesenesJournal& vorher)
{
    const QString name = QDir::toNativeSeparators(pfad);
    platform::FileLock lock(pfad);
    if (Result gesperrt = lock.acquire(); !gesperrt)
        return gesperrt;
    if (!platform::fileExists(pfad))
        return Result::failure(ENOENT,
                               QStringLiteral("Die Sicherungsdatei %1 ist nicht mehr vorhanden.").arg(name));
    // Read again only when another save replaced it meanwhile: reading 100,000 actions takes a while.
    platform::RecordSet& journal = vorher.satz;
    if (!vorher.stand || dateistand(pfad) != vorher.stand) {
        journal.Close();
        if (Result gelesen = journal.Open(pfad, &atem); !gelesen)
            return Result::failure(gelesen.code(), unlesbar(pfad, gelesen));
    }
    if (!satzFinden(journal, satz))
        return Result::failure(
            ENOENT, QStringLiteral("Die Sitzung steht nicht mehr in der Sicherungsdatei %1.").arg(name));
    atem.tick();

    Result geaendert;
    if (offen.isEmpty()) {
        geaendert = journal.Delete();
    } else {
        QVector<Aktionseintrag> bleiben;
        bleiben.reserve(offen.size());
        for (const Fehlschlag& f : offen)
            bleiben.append(f.aktion);
        geaendert = journal.setValue(u"Ergebnisstring", ergebnisstringBilden(bleiben));
    }
    if (geaendert)
        geaendert = journal.Update();
    if (!geaendert)
        return geaendert;

    if (journal.RecordCount() == 0) {
        if (Result entfernt = platform::deleteFile(pfad); !entfernt)
            return entfernt;
        geloescht = true;
        return Result::success();
    }
    const auto inhalt = [&](const platform::AtomicFileWriter::Sink& sink) {
        return journal.writeXml(sink, &atem);
    };
    if (Result geschrieben = writer.replace(pfad, inhalt, &atem); !geschrieben)
        return Result::failure(geschrieben.code(),
                               QStringLiteral("Die Sicherungsdatei konnte nicht geschrieben werden: %1")
                                   .arg(geschrieben.message()));
    return Result::success();
}

} // namespace

Result DateiUmkehrer::ausfuehren(const QString& neu, const QString& alt, platform::FileAction aktion)
{
    return platform::performFileAction(aktion, neu, alt).result();
}

Result DateiUmkehrer::zurueckbenennen(const QString& neu, const QString& alt)
{
    return ausfuehren(neu, alt, platform::FileAction::Rename);
}

Result DateiUmkehrer::zurueckverschieben(const QString& neu, const QString& alt)
{
    return ausfuehren(neu, alt, platform::FileAction::Move);
}

Result DateiUmkehrer::kopieLoeschen(const QString& kopie, const QString& original, const QString& zeit)
{
    if (!platform::representable(kopie) || !platform::representable(original))
        return Result::failure(EILSEQ, platform::errorText(EILSEQ));
    if (zeit != m_zeit) {
        m_zeit = zeit;
        m_zeitpunkt = QDateTime::fromString(zeit, QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    }
    const std::optional<platform::TrashedFile> ersetzt =
        m_papierkorb.replacedBy(kopie, original, m_zeitpunkt);
    struct stat k = {};
    if (::lstat(QFile::encodeName(kopie).constData(), &k) != 0) {
        const int err = errno;
        // An undo that stopped between deleting the copy and the return of what it replaced goes on.
        if (err == ENOENT && ersetzt)
            return zurueckholen(*ersetzt, kopie);
        return Result::failure(err, err == ENOENT ? QStringLiteral("Die Kopie ist nicht mehr vorhanden.")
                                                  : platform::errorText(err));
    }
    if (!S_ISREG(k.st_mode))
        return Result::failure(EINVAL,
                               QStringLiteral("Unter dem Pfad der Kopie steht keine gewöhnliche Datei."));
    struct stat o = {};
    if (::stat(QFile::encodeName(original).constData(), &o) != 0)
        return Result::failure(
            ENOENT, QStringLiteral("Das Original ist nicht mehr vorhanden; die Kopie bleibt erhalten, "
                                   "denn sie könnte die einzige sein."));
    if (k.st_dev == o.st_dev && k.st_ino == o.st_ino)
        return Result::failure(EINVAL, QStringLiteral("Kopie und Original sind dieselbe Datei."));
    if (k.st_size != o.st_size || !gleicherInhalt(kopie, original))
        return Result::failure(EINVAL,
                               QStringLiteral("Die Kopie unterscheidet sich vom Original; sie wurde seit dem "
                                              "Kopieren verändert und bleibt erhalten."));
    if (::unlink(QFile::encodeName(kopie).constData()) != 0) {
        const int err = errno;
        return Result::failure(err, platform::errorText(err));
    }
    return ersetzt ? zurueckholen(*ersetzt, kopie) : Result::success();
}

Result DateiUmkehrer::zurueckholen(const platform::TrashedFile& ersetzt, const QString& pfad)
{
    const Result zurueck = m_papierkorb.restore(ersetzt, pfad);
    if (zurueck)
        return zurueck;
    return Result::failure(
        zurueck.code(), QStringLiteral("Die Kopie ist gelöscht, aber die Datei, die sie ersetzt hatte, kann "
                                       "nicht aus dem Papierkorb zurückgeholt werden: %1")
                            .arg(zurueck.message()));
}

QVector<Fehlschlag> aktionenUmkehren(const QString& ergebnisstring, Umkehrer& umkehrer,
                                     const Zwischendurch& zwischendurch)
{
    QVector<Fehlschlag> fehlgeschlagen;
    platform::Breather atem(zwischendurch);
    Aktionsleser leser(ergebnisstring);
    for (Aktionseintrag a; leser.naechste(a);) {
        atem.tick();
        Result r;
        if (a.Aktion == QLatin1String(AktionUmbenannt))
            r = umkehrer.zurueckbenennen(a.NeuerPfad, a.AlterPfad);
        else if (a.Aktion == QLatin1String(AktionKopiert))
            r = umkehrer.kopieLoeschen(a.NeuerPfad, a.AlterPfad, a.Zeit);
        else if (a.Aktion == QLatin1String(AktionVerschoben))
            r = umkehrer.zurueckverschieben(a.NeuerPfad, a.AlterPfad);
        else
            continue;
        if (!r)
            fehlgeschlagen.append({a, r.message()});
    }
    return fehlgeschlagen;
}

RueckgaengigErgebnis Rueckgaengig(const QString& journalPfad, const Sitzungssatz& satz, Umkehrer& umkehrer,
                                  platform::AtomicFileWriter& writer, const Zwischendurch& zwischendurch)
{
    using Stand = RueckgaengigErgebnis::Stand;
    RueckgaengigErgebnis e;
    const JournalVorgang vorgang;
    if (!vorgang.frei()) {
        e.stand = Stand::Besetzt;
        e.grund = JournalVorgang::besetzt().message();
        return e;
    }
    platform::Breather atem(zwischendurch);
    // Checked before any file is touched: a session undone meanwhile elsewhere is not reversed twice.
    GelesenesJournal vorher;
    {
        platform::RecordSet& journal = vorher.satz;
        const auto stand = dateistand(journalPfad);
        if (!platform::fileExists(journalPfad)) {
            e.stand = Stand::NichtGefunden;
        } else if (Result gelesen = journal.Open(journalPfad, &atem); !gelesen) {
            e.stand = Stand::NichtLesbar;
            e.grund = unlesbar(journalPfad, gelesen);
            return e;
        } else if (!satzFinden(journal, satz)) {
            e.stand = Stand::NichtGefunden;
        }
        if (e.stand == Stand::NichtGefunden) {
            e.grund =
                QStringLiteral("Die Sitzung steht nicht mehr in der Sicherungsdatei; sie wurde wohl schon "
                               "rückgängig gemacht.");
            return e;
        }
        // Kept only when the file read is the one that stood there before.
        if (stand && dateistand(journalPfad) == stand)
            vorher.stand = stand;
    }
    atem.tick();

    // Walked twice rather than split into a list: once to see that every record is whole before a file is
    // touched, once to reverse them. A list of 100,000 actions would be held beside the journal's text.
    const QString text = platform::valueText(satz.Ergebnisstring);
    Aktionsleser pruefung(text);
    for (QStringView teile[4]; pruefung.naechste(teile);) {
        if (teile[3] != QLatin1String(AktionFehler))
            ++e.umzukehren;
        atem.tick();
    }
    if (pruefung.kaputt()) {
        e.stand = Stand::Beschaedigt;
        e.grund = QStringLiteral("Die Liste der Aktionen dieser Sitzung lässt sich nicht in ganze Einträge "
                                 "zerlegen; vermutlich enthält ein Pfad das Trennzeichen „%1“.")
                      .arg(Trennzeichen);
        e.umzukehren = 0;
        return e;
    }
    atem.tick();
    e.fehlgeschlagen = aktionenUmkehren(text, umkehrer, zwischendurch);
    atem.tick();
    e.journal =
        sitzungAustragen(journalPfad, satz, e.fehlgeschlagen, writer, e.journalGeloescht, atem, vorher);
    return e;
}

RueckgaengigErgebnis RueckgaengigNebenher(const QString& journalPfad, const Sitzungssatz& satz,
                                          Umkehrer& umkehrer, platform::AtomicFileWriter& writer,
                                          const Zwischendurch& zwischendurch)
{
    return platform::runBeside(
        [&] { return Rueckgaengig(journalPfad, satz, umkehrer, writer); },
        [&] { return Rueckgaengig(journalPfad, satz, umkehrer, writer, zwischendurch); }, zwischendurch);
}

QString ergebnisMeldung(const RueckgaengigErgebnis& e)
{
    using Stand = RueckgaengigErgebnis::Stand;
    const QString nichts = QStringLiteral("\nEs wurde nichts geändert.");
    switch (e.stand) {
    case Stand::Beschaedigt:
    case Stand::NichtGefunden:
    case Stand::NichtLesbar:
    case Stand::Besetzt:
        return e.grund + nichts;
    case Stand::Ausgefuehrt:
        break;
    }
    if (e.fehlgeschlagen.isEmpty() && e.journal)
        return QStringLiteral("Es wurde die Sitzung rückgängig gemacht!");
    if (e.fehlgeschlagen.isEmpty())
        return QStringLiteral("Alle Aktionen der Sitzung wurden rückgängig gemacht, aber die Sicherungsdatei "
                              "konnte nicht geändert werden; die Sitzung steht noch darin.\n%1")
            .arg(e.journal.message());

    QString text =
        QStringLiteral("Die Sitzung wurde nicht ganz rückgängig gemacht: %1 von %2 Aktionen konnten "
                       "nicht rückgängig gemacht werden.\n")
            .arg(e.fehlgeschlagen.size())
            .arg(e.umzukehren);
    // A box taller than the screen would hide its button.
    constexpr qsizetype gezeigt = 10;
    for (qsizetype i = 0; i < e.fehlgeschlagen.size() && i < gezeigt; ++i) {
        const Fehlschlag& f = e.fehlgeschlagen[i];
        text += QStringLiteral("\n%1: %2\n    Alter Pfad: %3\n    Neuer Pfad: %4\n    Grund: %5\n")
                    .arg(i + 1)
                    .arg(f.aktion.Aktion, QDir::toNativeSeparators(f.aktion.AlterPfad),
                         QDir::toNativeSeparators(f.aktion.NeuerPfad), f.grund);
    }
    if (e.fehlgeschlagen.size() > gezeigt)
        text += QStringLiteral("\n… und %1 weitere.\n").arg(e.fehlgeschlagen.size() - gezeigt);
    if (e.journal)
        text +=
            QStringLiteral("\nDiese Aktionen bleiben in der Sicherungsdatei und können später noch einmal "
                           "rückgängig gemacht werden.");
    else
        text +=
            QStringLiteral("\nDie Sicherungsdatei konnte nicht geändert werden; die Sitzung steht noch ganz "
                           "darin.\n%1")
                .arg(e.journal.message());
    return text;
}

} // namespace tw::journal

#include "DatenBanken.h"

#include "platform/FieldDef.h"
#include "platform/FileTransfer.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

namespace tw::journal {

using platform::Expected;
using platform::Result;

namespace {

constexpr qint16 hoechsterProgrammstart = 32767;

Result appendJournalFields(platform::RecordSet& rs)
{
    using platform::adType::VarChar;
    for (const auto& [name, size] :
         {std::pair{"Programmstart", 100}, std::pair{"Sitzung", 100}, std::pair{"Aktionsstring", -1},
          std::pair{"Ergebnisstring", -1}, std::pair{"Zeit", 100}}) {
        if (Result r = rs.Append(QString::fromLatin1(name), VarChar, size); !r)
            return r;
    }
    return rs.Open();
}

// Side files of a day: "_2" to this number.
constexpr int letzteAusweichdatei = 20;

enum class Stand
{
    Fehlt,
    Gelesen,
    Unlesbar,
};

// A journal that cannot be read, or lacks a field of the journal, is left exactly as it is.
Stand zumAnfuegenOeffnen(const QString& pfad, platform::RecordSet& journal, QString& grund,
                         platform::Breather* atem)
{
    if (!platform::fileExists(pfad))
        return Stand::Fehlt;
    if (Result geoeffnet = journal.Open(pfad, atem); !geoeffnet) {
        grund = geoeffnet.message();
        return Stand::Unlesbar;
    }
    for (const char* feld : {"Programmstart", "Sitzung", "Aktionsstring", "Ergebnisstring", "Zeit"}) {
        if (journal.fieldIndex(QString::fromLatin1(feld)) < 0) {
            grund = QStringLiteral("Das Feld „%1“ fehlt.").arg(QLatin1String(feld));
            return Stand::Unlesbar;
        }
    }
    return Stand::Gelesen;
}

} // namespace

Expected<DatenBanken::Ziel> DatenBanken::zielFinden(const QDate& tag, platform::RecordSet& journal,
                                                    std::vector<std::unique_ptr<platform::FileLock>>* sperren,
                                                    platform::Breather* atem) const
{
    Ziel ziel;
    for (int nummer = 1; nummer <= letzteAusweichdatei; ++nummer) {
        ziel.pfad = journalPfad(tag, nummer);
        if (sperren) {
            sperren->push_back(std::make_unique<platform::FileLock>(ziel.pfad));
            if (Result gesperrt = sperren->back()->acquire(); !gesperrt)
                return gesperrt;
        }
        journal = platform::RecordSet();
        QString grund;
        const Stand stand = zumAnfuegenOeffnen(ziel.pfad, journal, grund, atem);
        if (nummer == 1)
            ziel.grund = grund;
        if (stand != Stand::Unlesbar) {
            ziel.neu = stand == Stand::Fehlt;
            return ziel;
        }
    }
    return Result::failure(
        QStringLiteral("Weder die Sicherungsdatei %1 noch eine der Ausweichdateien bis %2 "
                       "kann gelesen werden.\n%3")
            .arg(QDir::toNativeSeparators(journalPfad(tag)), QFileInfo(ziel.pfad).fileName(), ziel.grund));
}

DatenBanken::DatenBanken(QString programFolder, const platform::Clock& clock)
    : m_folder(std::move(programFolder)), m_clock(clock),
      m_writer(std::make_unique<platform::AtomicFileWriter>())
{}

DatenBanken::~DatenBanken() = default;

void DatenBanken::setWriter(std::unique_ptr<platform::AtomicFileWriter> writer)
{
    m_writer = std::move(writer);
}

QString DatenBanken::journalPfad(const QDate& day, int nummer) const
{
    const QString zusatz = nummer > 1 ? QStringLiteral("_%1").arg(nummer) : QString();
    return QDir(m_folder).filePath(QStringLiteral("Sich_") + platform::dayText(day) + zusatz +
                                   QStringLiteral(".xml"));
}

QString DatenBanken::journalPfadHeute() const
{
    return journalPfad(m_clock.now().date());
}

qint16 DatenBanken::Programmstart_ermitteln(std::optional<UnlesbaresJournal>* unlesbar) const
{
    platform::RecordSet journal;
    const QDate heute = m_clock.now().date();
    const Expected<Ziel> ziel = zielFinden(heute, journal, nullptr);
    if (unlesbar && !ziel)
        *unlesbar = UnlesbaresJournal{journalPfad(heute), ziel.error().message(), QString()};
    else if (unlesbar && !ziel->grund.isEmpty())
        *unlesbar = UnlesbaresJournal{journalPfad(heute), ziel->grund, ziel->pfad};
    if (!ziel || ziel->neu || !journal.setSort(QStringLiteral("Zeit DESC")) || !journal.MoveFirst())
        return 1;
    // Of sessions saved within the same second, the last one saved is the newest.
    const QString zeit = journal.text(u"Zeit");
    QString start = journal.text(u"Programmstart");
    for (journal.toNext(); !journal.Eof() && journal.text(u"Zeit") == zeit; journal.toNext())
        start = journal.text(u"Programmstart");
    bool ok = false;
    const int newest = start.trimmed().toInt(&ok);
    // An unusable number starts the count afresh rather than stopping the program.
    if (!ok || newest < 0 || newest >= hoechsterProgrammstart)
        return 1;
    return static_cast<qint16>(newest + 1);
}

void DatenBanken::Sitzung_beginnen()
{
    using platform::adType::VarChar;
    m_vorab.reset();
    // Mounts may have changed since the last session.
    m_zugZiel.clear();
    m_zugQuellen.clear();
    const QDateTime jetzt = m_clock.now();
    m_stand.tag = jetzt.date();
    m_stand.zeit = platform::dateTimeText(jetzt);
    m_aktionsliste = std::make_unique<platform::RecordSet>();
    // Distinct fields of a known type on a new set: nothing here can fail.
    const bool angelegt = m_aktionsliste->Append(QStringLiteral("AlterPfad"), VarChar, -1) &&
                          m_aktionsliste->Append(QStringLiteral("NeuerPfad"), VarChar, -1) &&
                          m_aktionsliste->Append(QStringLiteral("Zeit"), VarChar, 100) &&
                          m_aktionsliste->Append(QStringLiteral("Aktion"), VarChar, 100) &&
                          m_aktionsliste->Open();
    Q_ASSERT(angelegt);
    Q_UNUSED(angelegt);
}

void DatenBanken::Sitzungsstand(qint16 programmstart, qint32 sitzung, const QString& aktionsstring)
{
    m_stand.Programmstart = programmstart;
    if (sitzung == m_stand.Sitzung && aktionsstring == m_stand.Aktionsstring)
        return;
    m_stand.Sitzung = sitzung;
    m_stand.Aktionsstring = aktionsstring;
    // A file that cannot take this cannot take the next intent either, and that one stops the run.
    if (m_vorab)
        static_cast<void>(m_vorab->stand(sitzung, aktionsstring));
}

Result DatenBanken::vorabOeffnen()
{
    if (m_vorab)
        return Result::success();
    if (m_stand.zeit.isEmpty()) {
        m_stand.tag = m_clock.now().date();
        m_stand.zeit = platform::dateTimeText(m_clock.now());
    }
    Expected<std::unique_ptr<Vorabprotokoll>> neu = Vorabprotokoll::anlegen(m_folder, m_stand);
    if (!neu)
        return Result::failure(neu.error().code(),
                               QStringLiteral("Die Wiederherstellungsdatei kann nicht angelegt werden: %1")
                                   .arg(neu.error().message()));
    m_vorab = std::move(*neu);
    return Result::success();
}

namespace {

Result vorabFehler(const Result& r)
{
    return Result::failure(
        r.code(),
        QStringLiteral("In die Wiederherstellungsdatei kann nicht geschrieben werden: %1").arg(r.message()));
}

} // namespace

bool DatenBanken::einSchritt(const QString& vonOrdner, const QString& nachOrdner) const
{
    return platform::renamesInOneStep(vonOrdner, nachOrdner);
}

// A rename in its folder, and a move within one mount of a file system that renames without replacing,
// never goes through a copy, so what stood at the new name does not matter for settling it; not looking
// spares a lookup in what may be a folder of 100,000 names.
bool DatenBanken::zielUnerheblich(const QString& aktion, const QString& alterPfad, const QString& neuerPfad)
{
    if (aktion == QLatin1String(AktionUmbenannt))
        return true;
    if (aktion != QLatin1String(AktionVerschoben))
        return false;
    const auto ordner = [](QStringView pfad) {
        const qsizetype schnitt = pfad.lastIndexOf(u'/');
        return schnitt <= 0 ? pfad.left(schnitt + 1) : pfad.left(schnitt);
    };
    const QStringView von = ordner(alterPfad);
    const QStringView nach = ordner(neuerPfad);
    if (von.isEmpty() || nach.isEmpty())
        return false;
    if (nach != m_zugZiel) {
        m_zugZiel = nach.toString();
        m_zugQuellen.clear();
        m_zugQuelle.clear();
    }
    if (von != m_zugQuelle) {
        m_zugQuelle = von.toString();
        const auto bekannt = m_zugQuellen.constFind(m_zugQuelle);
        m_zugEinSchritt = bekannt != m_zugQuellen.cend()
                              ? *bekannt
                              : *m_zugQuellen.insert(m_zugQuelle, einSchritt(m_zugQuelle, m_zugZiel));
    }
    return m_zugEinSchritt;
}

Result DatenBanken::Aktion_vorhaben(const QString& alterPfad, const QString& neuerPfad, const QString& aktion)
{
    if (Result offen = vorabOeffnen(); !offen)
        return offen;
    const Aktionseintrag a{alterPfad, neuerPfad, platform::dateTimeText(m_clock.now()), aktion};
    const QString ziel =
        zielUnerheblich(aktion, alterPfad, neuerPfad) ? QStringLiteral("?") : dateikennung(neuerPfad);
    if (Result r = m_vorab->vorhaben(a, ziel); !r)
        return vorabFehler(r);
    return Result::success();
}

Result DatenBanken::Aktion_eintragen(const QString& alterPfad, const QString& neuerPfad,
                                     const QString& aktion)
{
    // An action must never go unrecorded, so a missing list is begun here.
    if (!m_aktionsliste)
        Sitzung_beginnen();
    platform::RecordSet& list = *m_aktionsliste;
    if (Result r = list.AddNew(); !r)
        return r;
    const Aktionseintrag a{alterPfad, neuerPfad, platform::dateTimeText(m_clock.now()), aktion};
    const std::pair<const char16_t*, QString> werte[] = {
        {u"AlterPfad", a.AlterPfad}, {u"NeuerPfad", a.NeuerPfad}, {u"Zeit", a.Zeit}, {u"Aktion", a.Aktion}};
    for (const auto& [feld, wert] : werte) {
        if (Result r = list.setValue(feld, wert); !r)
            return r;
    }
    if (Result r = list.Update(); !r)
        return r;
    if (Result offen = vorabOeffnen(); !offen)
        return offen;
    if (Result r = m_vorab->eingetragen(a); !r)
        return vorabFehler(r);
    return Result::success();
}

Result DatenBanken::sichern()
{
    return m_vorab ? m_vorab->sichern() : Result::success();
}

QString DatenBanken::vorabPfad() const
{
    return m_vorab ? m_vorab->pfad() : QString();
}

QString DatenBanken::ergebnisstring(platform::Breather* atem) const
{
    if (!m_aktionsliste || !m_aktionsliste->MoveFirst())
        return {};
    const QString separator(Trennzeichen);
    constexpr int stueck = 2048;
    QString text = m_aktionsliste->getstring(separator, separator, stueck);
    // Grown by doubling, the text of 100,000 actions would be copied over and over.
    const int anzahl = m_aktionsliste->RecordCount();
    if (anzahl > stueck)
        text.reserve(qsizetype(double(text.size()) * anzahl / stueck * 1.1));
    while (!m_aktionsliste->Eof()) {
        if (atem)
            atem->tick();
        m_aktionsliste->appendString(text, separator, separator, stueck);
    }
    return text;
}

int DatenBanken::aktionenAnzahl() const
{
    return m_aktionsliste ? m_aktionsliste->RecordCount() : 0;
}

Result JournalVorgang::besetzt()
{
    return Result::failure(EBUSY, QStringLiteral("Die Sicherungsdatei wird gerade von einem anderen Vorgang "
                                                 "geschrieben; bitte versuchen Sie es gleich noch einmal."));
}

Result DatenBanken::Sitzung_speichern(qint16 programmstart, qint32 sitzung, const QString& aktionsstring,
                                      platform::Breather* atem)
{
    m_hinweis.clear();
    if (aktionenAnzahl() == 0)
        return Result::success();
    const JournalVorgang vorgang;
    if (!vorgang.frei())
        return JournalVorgang::besetzt();
    Sitzungsstand(programmstart, sitzung, aktionsstring);
    const QDateTime now = m_clock.now();
    const Expected<Ablage> ablage =
        satzSchreiben(now.date(), m_stand, ergebnisstring(atem), platform::dateTimeText(now), atem);
    if (!ablage) {
        // The session stays in memory for the next try, and on disk for the next start.
        if (m_vorab)
            static_cast<void>(m_vorab->sichern());
        return ablage.error();
    }
    // Should the file stay after all, the next start finds the session already in the journal.
    if (m_vorab)
        static_cast<void>(m_vorab->entfernen());
    m_vorab.reset();
    // The saved list is not wanted again (the next run begins its own), and a large one would stay beside the
    // undo that may follow; a second call now writes nothing instead of the session twice.
    std::unique_ptr<platform::RecordSet> gespeichert = std::move(m_aktionsliste);
    gespeichert->Close(atem);
    if (ablage->unlesbar)
        m_hinweis =
            QStringLiteral("Die Sicherungsdatei %1 kann nicht gelesen werden; sie bleibt unverändert.\n%2\n\n"
                           "Die Sitzung wurde stattdessen in %3 gespeichert. Im Fenster „Änderungen "
                           "rückganig machen“ ist sie unter diesem Namen zu finden.")
                .arg(QDir::toNativeSeparators(ablage->unlesbar->pfad), ablage->unlesbar->grund,
                     QDir::toNativeSeparators(ablage->pfad));
    return Result::success();
}

Expected<DatenBanken::Ablage> DatenBanken::Satz_anfuegen(const QDate& tag, const Sitzungskopf& kopf,
                                                         const QString& ergebnisstring, const QString& zeit)
{
    const JournalVorgang vorgang;
    if (!vorgang.frei())
        return JournalVorgang::besetzt();
    return satzSchreiben(tag, kopf, ergebnisstring, zeit);
}

Expected<DatenBanken::Ablage> DatenBanken::satzSchreiben(const QDate& tag, const Sitzungskopf& kopf,
                                                         const QString& ergebnisstring, const QString& zeit,
                                                         platform::Breather* atem)
{
    platform::RecordSet journal;
    std::vector<std::unique_ptr<platform::FileLock>> sperren;
    const Expected<Ziel> ziel = zielFinden(tag, journal, &sperren, atem);
    if (!ziel)
        return ziel.error();
    if (ziel->neu) {
        if (Result created = appendJournalFields(journal); !created)
            return created;
    }
    if (Result neu = journal.AddNew(); !neu)
        return neu;
    const QString values[5][2] = {
        {QStringLiteral("Programmstart"), QString::number(kopf.Programmstart)},
        {QStringLiteral("Sitzung"), ziel->neu ? QStringLiteral("1") : QString::number(kopf.Sitzung)},
        {QStringLiteral("Aktionsstring"), kopf.Aktionsstring},
        {QStringLiteral("Ergebnisstring"), ergebnisstring},
        {QStringLiteral("Zeit"), zeit},
    };
    for (const auto& [field, value] : values) {
        if (Result gesetzt = journal.setValue(field, value); !gesetzt)
            return gesetzt;
    }
    if (Result eingefuegt = journal.Update(); !eingefuegt)
        return eingefuegt;
    const auto inhalt = [&](const platform::AtomicFileWriter::Sink& sink) {
        return journal.writeXml(sink, atem);
    };
    if (Result written = m_writer->replace(ziel->pfad, inhalt, atem); !written)
        return Result::failure(
            written.code(),
            QStringLiteral("Die Sicherungsdatei konnte nicht geschrieben werden: %1").arg(written.message()));
    Ablage ablage{ziel->pfad, ziel->neu, std::nullopt};
    if (ziel->pfad != journalPfad(tag))
        ablage.unlesbar = UnlesbaresJournal{journalPfad(tag), ziel->grund, ziel->pfad};
    return ablage;
}

} // namespace tw::journal

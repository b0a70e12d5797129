#include "DatenBanken.h"

#include "platform/FieldDef.h"

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
Stand zumAnfuegenOeffnen(const QString& pfad, platform::RecordSet& journal, QString& grund)
{
    if (!platform::fileExists(pfad))
        return Stand::Fehlt;
    if (Result geoeffnet = journal.Open(pfad); !geoeffnet) {
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

Expected<DatenBanken::Ziel>
DatenBanken::zielFinden(const QDate& tag, platform::RecordSet& journal,
                        std::vector<std::unique_ptr<platform::FileLock>>* sperren) const
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
        const Stand stand = zumAnfuegenOeffnen(ziel.pfad, journal, grund);
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

qint16 DatenBanken::Programmstart_ermitteln() const
{
    platform::RecordSet journal;
    const Expected<Ziel> ziel = zielFinden(m_clock.now().date(), journal, nullptr);
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

Result DatenBanken::Aktion_eintragen(const QString& alterPfad, const QString& neuerPfad,
                                     const QString& aktion)
{
    // An action must never go unrecorded, so a missing list is begun here.
    if (!m_aktionsliste)
        Sitzung_beginnen();
    platform::RecordSet& list = *m_aktionsliste;
    if (Result r = list.AddNew(); !r)
        return r;
    const std::pair<const char16_t*, QString> werte[] = {{u"AlterPfad", alterPfad},
                                                         {u"NeuerPfad", neuerPfad},
                                                         {u"Zeit", platform::dateTimeText(m_clock.now())},
                                                         {u"Aktion", aktion}};
    for (const auto& [feld, wert] : werte) {
        if (Result r = list.setValue(feld, wert); !r)
            return r;
    }
    return list.Update();
}

QString DatenBanken::ergebnisstring() const
{
    if (!m_aktionsliste || !m_aktionsliste->MoveFirst())
        return {};
    const QString separator(Trennzeichen);
    QString text;
    while (!m_aktionsliste->Eof())
        text += m_aktionsliste->getstring(separator, separator);
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

Result DatenBanken::Sitzung_speichern(qint16 programmstart, qint32 sitzung, const QString& aktionsstring)
{
    m_hinweis.clear();
    if (aktionenAnzahl() == 0)
        return Result::success();
    const JournalVorgang vorgang;
    if (!vorgang.frei())
        return JournalVorgang::besetzt();
    const QString ergebnis = ergebnisstring();

    const QDateTime now = m_clock.now();
    platform::RecordSet journal;
    std::vector<std::unique_ptr<platform::FileLock>> sperren;
    const Expected<Ziel> ziel = zielFinden(now.date(), journal, &sperren);
    if (!ziel)
        return ziel.error();
    const QString& path = ziel->pfad;
    if (ziel->neu) {
        if (Result created = appendJournalFields(journal); !created)
            return created;
    }

    if (Result neu = journal.AddNew(); !neu)
        return neu;
    const QString values[5][2] = {
        {QStringLiteral("Programmstart"), QString::number(programmstart)},
        {QStringLiteral("Sitzung"), ziel->neu ? QStringLiteral("1") : QString::number(sitzung)},
        {QStringLiteral("Aktionsstring"), aktionsstring},
        {QStringLiteral("Ergebnisstring"), ergebnis},
        {QStringLiteral("Zeit"), platform::dateTimeText(now)},
    };
    for (const auto& [field, value] : values) {
        if (Result gesetzt = journal.setValue(field, value); !gesetzt)
            return gesetzt;
    }
    if (Result eingefuegt = journal.Update(); !eingefuegt)
        return eingefuegt;

    if (Result written = m_writer->replace(path, journal.toXml()); !written)
        return Result::failure(
            written.code(),
            QStringLiteral("Die Sicherungsdatei konnte nicht geschrieben werden: %1").arg(written.message()));
    if (path != journalPfad(now.date()))
        m_hinweis =
            QStringLiteral("Die Sicherungsdatei %1 kann nicht gelesen werden; sie bleibt unverändert.\n%2\n\n"
                           "Die Sitzung wurde stattdessen in %3 gespeichert. Im Fenster „Änderungen "
                           "rückganig machen“ ist sie unter diesem Namen zu finden.")
                .arg(QDir::toNativeSeparators(journalPfad(now.date())), ziel->grund,
                     QDir::toNativeSeparators(path));
    return Result::success();
}

} // namespace tw::journal

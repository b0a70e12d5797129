#include "DatenBanken.h"

#include "platform/FieldDef.h"

#include <QDir>

namespace tw::journal {

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

} // namespace

DatenBanken::DatenBanken(QString programFolder, const platform::Clock& clock)
    : m_folder(std::move(programFolder)), m_clock(clock),
      m_writer(std::make_unique<platform::AtomicFileWriter>())
{}

DatenBanken::~DatenBanken() = default;

void DatenBanken::setWriter(std::unique_ptr<platform::AtomicFileWriter> writer)
{
    m_writer = std::move(writer);
}

QString DatenBanken::journalPfad(const QDate& day) const
{
    return QDir(m_folder).filePath(QStringLiteral("Sich_") + platform::dayText(day) + QStringLiteral(".xml"));
}

QString DatenBanken::journalPfadHeute() const
{
    return journalPfad(m_clock.now().date());
}

qint16 DatenBanken::Programmstart_ermitteln() const
{
    const QString path = journalPfadHeute();
    if (!platform::fileExists(path))
        return 1;
    platform::RecordSet journal;
    if (!journal.Open(path) || !journal.setSort(QStringLiteral("Zeit DESC")) || !journal.MoveFirst())
        return 1;
    // Of sessions saved within the same second, the last one saved is the newest.
    const QString zeit = journal.text(u"Zeit");
    QString start = journal.text(u"Programmstart");
    for (journal.MoveNext(); !journal.Eof() && journal.text(u"Zeit") == zeit; journal.MoveNext())
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
    m_aktionsliste->Append(QStringLiteral("AlterPfad"), VarChar, -1);
    m_aktionsliste->Append(QStringLiteral("NeuerPfad"), VarChar, -1);
    m_aktionsliste->Append(QStringLiteral("Zeit"), VarChar, 100);
    m_aktionsliste->Append(QStringLiteral("Aktion"), VarChar, 100);
    m_aktionsliste->Open();
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
    list.setValue(u"AlterPfad", alterPfad);
    list.setValue(u"NeuerPfad", neuerPfad);
    list.setValue(u"Zeit", platform::dateTimeText(m_clock.now()));
    list.setValue(u"Aktion", aktion);
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

Result DatenBanken::Sitzung_speichern(qint16 programmstart, qint32 sitzung, const QString& aktionsstring)
{
    if (aktionenAnzahl() == 0)
        return Result::success();
    const QString ergebnis = ergebnisstring();

    const QDateTime now = m_clock.now();
    const QString path = journalPfad(now.date());
    platform::FileLock lock(path);
    if (Result locked = lock.acquire(); !locked)
        return locked;

    platform::RecordSet journal;
    const bool exists = platform::fileExists(path);
    if (exists) {
        // A journal that cannot be read is left as it is rather than overwritten.
        if (Result opened = journal.Open(path); !opened)
            return Result::failure(opened.code(),
                                   QStringLiteral("Die Sicherungsdatei %1 kann nicht gelesen werden: %2")
                                       .arg(QDir::toNativeSeparators(path), opened.message()));
    } else if (Result created = appendJournalFields(journal); !created) {
        return created;
    }

    journal.AddNew();
    const QString values[5][2] = {
        {QStringLiteral("Programmstart"), QString::number(programmstart)},
        {QStringLiteral("Sitzung"), exists ? QString::number(sitzung) : QStringLiteral("1")},
        {QStringLiteral("Aktionsstring"), aktionsstring},
        {QStringLiteral("Ergebnisstring"), ergebnis},
        {QStringLiteral("Zeit"), platform::dateTimeText(now)},
    };
    for (const auto& [field, value] : values) {
        if (Result r = journal.setValue(field, value); !r)
            return Result::failure(r.code(), QStringLiteral("Die Sicherungsdatei %1 hat kein Feld %2.")
                                                 .arg(QDir::toNativeSeparators(path), field));
    }
    journal.Update();

    if (Result written = m_writer->replace(path, journal.toXml()); !written)
        return Result::failure(
            written.code(),
            QStringLiteral("Die Sicherungsdatei konnte nicht geschrieben werden: %1").arg(written.message()));
    return Result::success();
}

} // namespace tw::journal

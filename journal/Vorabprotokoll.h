#pragma once

#include "journal/Ergebnisstring.h"
#include "platform/AppendFile.h"
#include "platform/Result.h"

#include <QDate>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QVector>
#include <memory>

namespace tw::journal {

// The recovery files of open sessions lie in the program folder as "Sitzung_<process>_<n>.offen", which
// no journal pattern matches; one that cannot be read is set aside with ".unlesbar" added.
inline constexpr const char* VorabMuster = "Sitzung_*.offen";
inline constexpr const char* VorabUnlesbar = ".unlesbar";

// What the session record takes besides its actions.
struct Sitzungskopf
{
    qint16 Programmstart = 1;
    qint32 Sitzung = 0;
    QString Aktionsstring;
    QDate tag;    // the day the session began, whose journal takes it
    QString zeit; // when it began
};

// One action as the recovery file holds it.
struct VorabAktion
{
    Aktionseintrag eintrag; // Aktion: the outcome, or the intended action while offen
    bool offen = false;     // no outcome was written: the disk must tell
    QString ziel; // what stood at the new path before: "device:inode", "-" for nothing, "?" not looked
};

// A recovery file as read back.
struct OffeneSitzung
{
    Sitzungskopf kopf; // Sitzung and Aktionsstring as last recorded
    QVector<VorabAktion> aktionen;
    QString letzteZeit;      // of the last record: the moment closest to the end
    bool abgerissen = false; // the last record was cut off in the middle of its write
};

// Reads a recovery file up to a record cut off at its end. Fails when the file cannot be read whole: its
// first line is no valid start of a session, or a damaged record stands before a whole one.
platform::Expected<OffeneSitzung> vorabLesen(const QByteArray& inhalt);

// "device:inode" of what stands at the path (not following a link), "-" for nothing.
QString dateikennung(const QString& pfad);

// The recovery file of an open session, held locked while it is open. The intent of a file operation goes
// in before it, with one write; its outcome after it, together with a later record or within 200 ms, so
// that a crash leaves only the files in flight to be settled. What is written reaches the disk in
// groups, at most 200 ms apart, flushed beside the run; the first record after a pause and whatever stands
// when sichern() is called reach it before the call returns.
class Vorabprotokoll
{
public:
    static constexpr int Sicherungsabstand = 200; // ms

    static platform::Expected<std::unique_ptr<Vorabprotokoll>> anlegen(const QString& ordner,
                                                                       const Sitzungskopf& kopf);
    ~Vorabprotokoll();

    const QString& pfad() const { return m_datei.path(); }
    platform::Result stand(qint32 sitzung, const QString& aktionsstring);
    // ziel: dateikennung() of the new path before the operation.
    platform::Result vorhaben(const Aktionseintrag& aktion, const QString& ziel);
    platform::Result eingetragen(const Aktionseintrag& aktion);
    platform::Result sichern();
    // The session is saved: the file goes.
    platform::Result entfernen();

private:
    explicit Vorabprotokoll(platform::AppendFile datei);
    // Writes m_ausstehend, whose last record begins at neuAb.
    platform::Result anfuegen(qsizetype neuAb);
    platform::Result ausstehendeSchreiben();
    platform::Result nebenherSichern();

    platform::AppendFile m_datei;
    QElapsedTimer m_seitSicherung;
    QElapsedTimer m_seitSatz;
    QByteArray m_ausstehend; // outcomes not yet written; its capacity serves every record
    bool m_ungesichert = false;
    QTimer m_takt;
};

} // namespace tw::journal

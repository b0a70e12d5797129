#pragma once

#include "journal/Ergebnisstring.h"
#include "journal/Sitzungsauswahl.h"
#include "platform/FileOutcome.h"
#include "platform/Result.h"
#include "platform/Trash.h"

#include <QDateTime>
#include <QString>
#include <QVector>
#include <functional>

namespace tw::platform {
class AtomicFileWriter;
}

namespace tw::journal {

// Reverses single actions of a session.
class Umkehrer
{
public:
    virtual ~Umkehrer() = default;
    virtual platform::Result zurueckbenennen(const QString& neu, const QString& alt) = 0;
    virtual platform::Result zurueckverschieben(const QString& neu, const QString& alt) = 0;
    // zeit: when the copy was recorded, as the journal writes it.
    virtual platform::Result kopieLoeschen(const QString& kopie, const QString& original,
                                           const QString& zeit) = 0;
};

// Through the file operations of the rename run, which never replaces a file that now stands at the old path.
// A copy is deleted only while it still is one: a regular file of its own beside an original of the same
// content, so that nothing the user changed or kept since is lost. The file that the copy replaced comes
// back from the trash when it is still there.
class DateiUmkehrer : public Umkehrer
{
public:
    platform::Result zurueckbenennen(const QString& neu, const QString& alt) override;
    platform::Result zurueckverschieben(const QString& neu, const QString& alt) override;
    platform::Result kopieLoeschen(const QString& kopie, const QString& original,
                                   const QString& zeit) override;

private:
    platform::Result ausfuehren(const QString& neu, const QString& alt, platform::FileAction aktion);
    platform::Result zurueckholen(const platform::TrashedFile& ersetzt, const QString& pfad);

    platform::TrashSearch m_papierkorb;
    // The copies of a run share their few times of day; parsing one asks the time zone each time.
    QString m_zeit;
    QDateTime m_zeitpunkt;
};

// An action that could not be reversed, and why.
struct Fehlschlag
{
    Aktionseintrag aktion;
    QString grund;
};

// Called every 10 ms of a long undo, so that a window can let its event loop run.
using Zwischendurch = std::function<void()>;

// Reverses the actions of an Ergebnisstring that splits into whole records, in list order, the oldest
// first; texts other than those of a file operation are skipped. Returns the actions that could not be
// reversed.
QVector<Fehlschlag> aktionenUmkehren(const QString& ergebnisstring, Umkehrer& umkehrer,
                                     const Zwischendurch& zwischendurch = {});

struct RueckgaengigErgebnis
{
    enum class Stand
    {
        Ausgefuehrt,   // the actions were run; see fehlgeschlagen and journal
        Beschaedigt,   // the Ergebnisstring does not split into whole action records
        NichtGefunden, // the journal no longer holds the session
        NichtLesbar,   // the journal cannot be read
        Besetzt,       // another save or undo of this process is running
    };

    Stand stand = Stand::Ausgefuehrt;
    // Why nothing was changed, for every Stand but Ausgefuehrt.
    QString grund;
    // Actions of a file operation in the session.
    int umzukehren = 0;
    QVector<Fehlschlag> fehlgeschlagen;
    // Rewriting the journal after the actions.
    platform::Result journal;
    bool journalGeloescht = false;
};

// Reverses a session of the journal and takes it out of the file. The file is read again under the
// journal lock right before it is rewritten, and only the record with these five values goes, so a
// session saved meanwhile is kept. Actions that could not be reversed stay in the record for a later
// try; the file is replaced atomically, or deleted when no record is left.
RueckgaengigErgebnis Rueckgaengig(const QString& journalPfad, const Sitzungssatz& satz, Umkehrer& umkehrer,
                                  platform::AtomicFileWriter& writer,
                                  const Zwischendurch& zwischendurch = {});

// As Rueckgaengig, on a thread of its own while zwischendurch lets the caller's events run every few
// milliseconds: a file system that makes one operation wait for its journal holds up no window. The
// umkehrer and writer are the worker's until it returns.
RueckgaengigErgebnis RueckgaengigNebenher(const QString& journalPfad, const Sitzungssatz& satz,
                                          Umkehrer& umkehrer, platform::AtomicFileWriter& writer,
                                          const Zwischendurch& zwischendurch);

// What the user is told afterwards: success only when every action was reversed and the session has
// left the journal; otherwise how many and which actions failed, or why nothing was changed.
QString ergebnisMeldung(const RueckgaengigErgebnis& ergebnis);

} // namespace tw::journal

#pragma once

#include "journal/Vorabprotokoll.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/RecordSet.h"
#include "platform/Result.h"

#include <QHash>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace tw::journal {

// Separator of the values in Ergebnisstring: the cent sign.
inline constexpr QChar Trennzeichen = QChar(0x00A2);

inline constexpr const char* AktionUmbenannt = "Umbenannt";
inline constexpr const char* AktionKopiert = "Kopiert";
inline constexpr const char* AktionVerschoben = "Verschoben";
inline constexpr const char* AktionFehler = "Fehler";

// Marks a save or an undo of a journal as running in this process. Waiting for the journal lock lets
// events run, and a second one started from there (a window closed meanwhile, a timer) must not
// interleave with the first.
class JournalVorgang
{
public:
    JournalVorgang() : m_frei(!s_laeuft.exchange(true)) {}
    ~JournalVorgang()
    {
        if (m_frei)
            s_laeuft = false;
    }
    JournalVorgang(const JournalVorgang&) = delete;
    JournalVorgang& operator=(const JournalVorgang&) = delete;

    // False while another one runs; this one must then not start.
    bool frei() const { return m_frei; }
    static platform::Result besetzt();

private:
    bool m_frei;
    // An undo works on a thread of its own.
    inline static std::atomic<bool> s_laeuft{false};
};

// A journal that cannot be read, and the side file that takes the day's sessions instead.
struct UnlesbaresJournal
{
    QString pfad;
    QString grund;
    QString ausweichPfad;
};

// The day's journal files and the current session's action list. From its first action until it is saved,
// a session is also kept in a recovery file of its own (Vorabprotokoll), from which the next start
// recovers it after a crash.
class DatenBanken
{
public:
    DatenBanken(QString programFolder, const platform::Clock& clock);
    virtual ~DatenBanken();

    // "Sich_dd.MM.yyyy.xml" of the given day in the program folder; from 2 on the day's side files
    // "Sich_dd.MM.yyyy_2.xml", which take the sessions while the day's file cannot be read.
    QString journalPfad(const QDate& day, int nummer = 1) const;
    QString journalPfadHeute() const;

    // The number of this program start within today's journal: 1 on the first start of the day, 1
    // when the journal cannot be read or its newest number is not usable, else the newest plus 1.
    // unlesbar, when given, is set when today's journal cannot be read.
    qint16 Programmstart_ermitteln(std::optional<UnlesbaresJournal>* unlesbar = nullptr) const;

    // A new, empty action list; it replaces the list of an earlier session. The recovery file of an
    // earlier session that was not saved stays for the next start.
    void Sitzung_beginnen();
    // What the session record will take besides the actions, as last known; the recovery file notes
    // every change.
    void Sitzungsstand(qint16 programmstart, qint32 sitzung, const QString& aktionsstring);
    // Notes in the recovery file, before a file is touched, what is about to happen to it. When this
    // fails the file must not be touched.
    platform::Result Aktion_vorhaben(const QString& alterPfad, const QString& neuerPfad,
                                     const QString& aktion);
    // Appends one action with the current time, and its outcome to the recovery file.
    platform::Result Aktion_eintragen(const QString& alterPfad, const QString& neuerPfad,
                                      const QString& aktion);
    // Whether the intent of this action can do without what stood at the new path: only a move that may go
    // through a second name or a copy needs it, to be settled after a crash.
    bool zielUnerheblich(const QString& aktion, const QString& alterPfad, const QString& neuerPfad);
    // The recovery file to disk now (at the end of a run).
    platform::Result sichern();
    // The current session's recovery file; empty while there is none.
    QString vorabPfad() const;
    // Folds the action list into one record of today's journal. Nothing is written for an empty
    // list. The file is replaced atomically under the journal lock; a failure leaves the old journal
    // as it was and the list in memory, so a later call retries. A journal that cannot be read is
    // never touched: the session goes to the day's first side file that is free or readable, and
    // hinweis() says so. Once saved, the recovery file and the list go; a failed save keeps both. The
    // breather ticks while the journal is read, written and sent to disk.
    platform::Result Sitzung_speichern(qint16 programmstart, qint32 sitzung, const QString& aktionsstring,
                                       platform::Breather* atem = nullptr);

    // Where a record went.
    struct Ablage
    {
        QString pfad;
        bool neu = false;                          // the record created the file (and is session 1)
        std::optional<UnlesbaresJournal> unlesbar; // the day's own file, when it could not take it
    };
    // Adds one session record to the journal of the day, as Sitzung_speichern does: under the journal
    // lock, replaced atomically, into a side file while the day's file cannot be read; Sitzung is 1 in
    // the record that creates the file.
    platform::Expected<Ablage> Satz_anfuegen(const QDate& tag, const Sitzungskopf& kopf,
                                             const QString& ergebnisstring, const QString& zeit);
    const QString& programmordner() const { return m_folder; }
    const platform::Clock& uhr() const { return m_clock; }
    // What the user should know about the last save, naming the files; empty when there is nothing.
    const QString& hinweis() const { return m_hinweis; }

    // The actions recorded so far, joined as they are saved.
    QString ergebnisstring(platform::Breather* atem = nullptr) const;
    int aktionenAnzahl() const;

    // Seam for tests that make the replacement fail.
    void setWriter(std::unique_ptr<platform::AtomicFileWriter> writer);

protected:
    // Whether a move between these folders is one rename (platform::renamesInOneStep); a test stands in
    // for a file system where it is not.
    virtual bool einSchritt(const QString& vonOrdner, const QString& nachOrdner) const;

private:
    struct Ziel
    {
        QString pfad;
        bool neu = false;
        QString grund; // why the day's own file cannot be read
    };
    // The journal a session of the day goes to, opened into journal unless it is new: the day's file
    // while it can be read or does not exist, otherwise the first side file that is free or
    // readable. With locks, each file is locked before it is looked at, and the locks stay held.
    platform::Expected<Ziel> zielFinden(const QDate& tag, platform::RecordSet& journal,
                                        std::vector<std::unique_ptr<platform::FileLock>>* sperren,
                                        platform::Breather* atem = nullptr) const;

    QString m_folder;
    const platform::Clock& m_clock;
    platform::Result vorabOeffnen();
    platform::Expected<Ablage> satzSchreiben(const QDate& tag, const Sitzungskopf& kopf,
                                             const QString& ergebnisstring, const QString& zeit,
                                             platform::Breather* atem = nullptr);

    std::unique_ptr<platform::RecordSet> m_aktionsliste;
    Sitzungskopf m_stand;
    std::unique_ptr<Vorabprotokoll> m_vorab;
    std::unique_ptr<platform::AtomicFileWriter> m_writer;
    QString m_hinweis;
    // Whether a move from a folder to m_zugZiel is one rename, by source folder; asked once per folder.
    QString m_zugZiel;
    QString m_zugQuelle;
    bool m_zugEinSchritt = false;
    QHash<QString, bool> m_zugQuellen;
};

} // namespace tw::journal

#pragma once

#include "journal/DatenBanken.h"
#include "journal/Vorabprotokoll.h"
#include "platform/Trash.h"

#include <QDateTime>
#include <QString>
#include <QVector>
#include <optional>

namespace tw::journal {

// What the start-up recovery did.
struct Wiederherstellung
{
    struct Sitzung
    {
        QString journal;
        qint16 programmstart = 0;
        qint32 sitzung = 0;
        int aktionen = 0;
    };
    struct Beiseite
    {
        QString datei;
        QString neu;
        QString grund;
    };
    struct Behalten
    {
        QString datei;
        QString grund;
    };

    QVector<Sitzung> sitzungen;
    QVector<Beiseite> unlesbar;          // set aside under a new name
    QVector<Behalten> nichtGespeichert;  // kept for the next start
    QVector<UnlesbaresJournal> journale; // journals that could not take a session
};

// Folds the recovery file of every session whose program has ended into the journal of the day the
// session began, as the record Sitzung_speichern would have written, and removes it; a session already in
// the journal is not written twice. A file whose owner still runs is never touched.
Wiederherstellung offeneSitzungenWiederherstellen(DatenBanken& db);

// An action whose outcome was never written, settled by looking at the disk: a rename or move is done when
// the old path is gone and the new one present, a copy when a file other than the one that stood there
// stands at the new path. What a half-done operation left is undone, so that the action is one the undo
// can reverse or one that changed nothing: a second name or a partial copy of a move goes, and the file
// that a copy had already sent to the trash comes back.
Aktionseintrag offeneAktionKlaeren(const VorabAktion& aktion, platform::TrashSearch& papierkorb,
                                   const QDateTime& jetzt);

// The start window's one message about the recovery and an unreadable journal of today; empty when
// there is nothing to say.
QString startMeldung(const Wiederherstellung& w, const std::optional<UnlesbaresJournal>& heute);

} // namespace tw::journal

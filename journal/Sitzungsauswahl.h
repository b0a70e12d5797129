#pragma once

#include "platform/Breather.h"
#include "platform/Result.h"

#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

namespace tw::platform {
class RecordSet;
}

namespace tw::journal {

// One session record of a journal with its five values as read; an invalid QVariant is NULL.
struct Sitzungssatz
{
    QVariant Programmstart;
    QVariant Sitzung;
    QVariant Aktionsstring;
    QVariant Ergebnisstring;
    QVariant Zeit;

    // The current record of the set; a field the set lacks reads as NULL.
    static Sitzungssatz lesen(const platform::RecordSet& rs);
    // Whether the current record of the set holds exactly these five values, NULL and empty told apart.
    bool gleich(const platform::RecordSet& rs) const;
};

// Opens a journal file as the undo window does. It fails when the file is no journal of the program:
// unreadable, without records or without one of the journal's fields, or the first record's
// Programmstart is no number other than 0. The breather ticks while it is read.
platform::Result journalOeffnen(const QString& pfad, platform::RecordSet& rs,
                                platform::Breather* atem = nullptr);
// As journalOeffnen, on a thread of its own while zwischendurch lets the caller's events run; rs is the
// worker's until it returns.
platform::Result journalOeffnenNebenher(const QString& pfad, platform::RecordSet& rs,
                                        const std::function<void()>& zwischendurch);

// Each Programmstart of the view once, in the order of first appearance.
QStringList Programmstarts(platform::RecordSet& rs);
// The Sitzung values of the view; a run of equal values gives one entry.
QStringList Sitzungen(platform::RecordSet& rs);

// "Programmstart= '1'", or with a session "Programmstart= '1' and Sitzung= '2'". Nothing for a value
// the filter language cannot hold, so that a failed filter never leaves the previous choice in force.
std::optional<QString> auswahlFilter(const QString& programmstart,
                                     const std::optional<QString>& sitzung = {});

} // namespace tw::journal

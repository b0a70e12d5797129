#pragma once

#include "platform/FileOutcome.h"

#include <QList>
#include <QString>

namespace tw::rename {

// The files of one run that failed, for the message at its end: a run with failures never ends in a box
// that reads like success.
class Laufbericht
{
public:
    void erfassen(const platform::FileOutcome& ergebnis);
    int bearbeitet() const { return m_bearbeitet; }
    int fehlgeschlagen() const { return m_fehlgeschlagen; }
    // How many of how many failed, the first few with their reason, and how the journal lists them;
    // empty when none failed.
    QString text() const;

private:
    QList<platform::FileOutcome> m_erste;
    int m_bearbeitet = 0;
    int m_fehlgeschlagen = 0;
};

} // namespace tw::rename

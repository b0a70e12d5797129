#pragma once

#include "platform/FileOps.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace tw::test {

// A journal as ADO itself saves one: no declaration, CR LF lines, single quotes, hex character
// references, and every session a pending insert inside rs:insert. Each row holds Programmstart,
// Sitzung, Aktionsstring, Ergebnisstring and Zeit; a shorter row leaves the rest NULL.
QByteArray adoJournalXml(const QList<QStringList>& rows);

// An Ergebnisstring of the given actions, four values each: old path, new path, time, action.
QString ergebnis(const QList<QStringList>& aktionen);

// Every record of a journal file, its five values each; none when the file cannot be read.
QList<QStringList> journalRecords(const QString& path);

// Writes the temporary file completely, then fails where the rename would replace the file.
class FailingWriter : public platform::AtomicFileWriter
{
public:
    bool tempWritten = false;

protected:
    platform::Result commit(const QString& tempPath, const QString& path) override;
};

} // namespace tw::test

#pragma once

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

} // namespace tw::test

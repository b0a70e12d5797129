#pragma once

#include "journal/Sitzungsauswahl.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace tw::platform {
class AtomicFileWriter;
}

namespace tw::journal {

// The text with <, >, & and " written as character references, so that a file name cannot bring
// markup or script into the page.
QString htmlMaskiert(const QString& text);

// The page's lines for a session: the head, a first row with the first action, the program start and
// the session, a row per further action, the tail. Without a record only the head and the tail.
QStringList seitenZeilen(const std::optional<Sitzungssatz>& satz);

// UTF-8 with a byte order mark, each line ended by CR LF.
QByteArray seitenText(const QStringList& zeilen);

// Deletes "Lesen.xml" in the program folder and writes the page "versionen.html" there; gives the
// page's path. A session without actions gets no page.
platform::Expected<QString> Anzeigen(const QString& programmordner, const std::optional<Sitzungssatz>& satz,
                                     platform::AtomicFileWriter& writer);

} // namespace tw::journal

#pragma once

#include "rename/Ueberwachung.h"

#include <QString>

namespace tw::journal {
class DatenBanken;
}
namespace tw::platform {
class RecordSet;
}

namespace tw::rename {

// Action index of the folder option: rename in place, copy into a folder, move into a folder.
enum Aktion
{
    Umbenennen = 0,
    Kopieren = 1,
    Verschieben = 2,
};

// The journal's text for an action index.
QString aktionstext(int aktion);

// Renames, copies or moves one file and writes the result line on the monitor. Returns 0, or the
// error number of the failure. Rename and move never replace an existing file.
int Datei_aendern(const QString& quelle, const QString& ziel, int aktion, Ueberwachung& monitor);

// Processes the file the monitor shows: the file operation, one journal action, and the file's record
// removed from the catalogue (when there is one).
void Aktion_ausfuehren(Ueberwachung& monitor, int aktion, journal::DatenBanken& journal,
                       platform::RecordSet* katalog);

} // namespace tw::rename

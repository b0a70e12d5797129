#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace tw::stack {

// One entry of the drive list: a mounted volume, named by the folder it is mounted on.
struct Laufwerk
{
    QString wurzel; // root folder, without a trailing separator except for "/"
    QString text;   // what the list shows
};

// A mount as the system reports it.
struct Einhaengung
{
    QString wurzel;
    QByteArray dateisystem; // file system type, e.g. "ext4", "proc"
    QString name;           // volume label, may be empty
    bool ordner = true;     // false for a single file mounted over another (containers do that)
};

// The drive list from the mounts: the volumes that hold real file systems, sorted by root, one entry
// per root. The root of the whole tree is always kept, whatever its type.
QList<Laufwerk> laufwerkeAus(const QList<Einhaengung>& einhaengungen);

// The local folder a browser address shows ("file:///mnt/data/" gives "/mnt/data"); empty when the
// address is not a local folder.
QString ordnerAusAdresse(const QString& adresse);

// The address that sends the browser to a volume's root.
QString adresseVon(const QString& wurzel);

// One drive sync. ordner is the folder the browser shows, wurzel the root of the volume that holds it.
// Returns the index of the entry to select, or -1 to leave the list as it is. Letztes_Laufwerk is the
// volume root shown at the last sync that saw one; a root seen again selects nothing.
int Laufwerk_abgleichen(const QString& ordner, const QString& wurzel, const QList<Laufwerk>& liste,
                        QString& Letztes_Laufwerk);

} // namespace tw::stack

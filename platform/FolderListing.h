#pragma once

#include "platform/Browser.h"

#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace tw::platform {

// The columns of the browser's list, which are also the keys its listing sorts by.
enum FolderColumn
{
    NameColumn,
    SizeColumn,
    TypeColumn,
    DateColumn,
    ColumnCount
};

inline const QString FolderType = QStringLiteral("Dateiordner");
inline const QString UnknownType = QStringLiteral("Datei");

// The text after the last "." of a file name, as the shell and the catalogue take it (".bashrc" has the
// extension "bashrc"); null when there is no "." or nothing after it.
QString extensionOf(QStringView fileName);
QStringView extensionViewOf(QStringView fileName);
// The shell's description of an item's kind by its name: "Dateiordner", the MIME comment in the default
// locale's language, "ABC-Datei" for an extension nobody knows, or "Datei" without an extension.
// Names with the same exact extension share one lookup unless a pattern other than "*.ext" may match.
QString shellTypeFor(const QString& fileName, bool dir);
// The same, always asked of the MIME database.
QString shellTypeLookedUp(const QString& fileName, bool dir);
// The same for an item on disk.
QString shellType(const QString& path);
ShellItem shellItemFor(const QString& path);
// The same for an item whose name and kind as a file are known already, as the listing knows them.
ShellItem shellItemFor(const QString& path, const QString& name, const QString& fileType);

// The local folder an address names: a file:// URL, a plain absolute path, or the start address of
// drive C, which is homeFolder. Empty when the address names no local folder path.
QString folderForAddress(const QString& address, const QString& homeFolder);
QString childPath(const QString& folder, const QString& name);

struct FolderEntry
{
    QString name;
    qint64 size = 0;
    qint64 modified = 0; // milliseconds since the epoch
    bool dir = false;
    quint32 kind = 0; // in the listing's kinds

    bool operator==(const FolderEntry& other) const
    {
        return dir == other.dir && size == other.size && modified == other.modified && name == other.name;
    }
};

// One folder's items in view order, with the row of each name.
struct FolderListing
{
    std::vector<FolderEntry> entries;
    QHash<QString, int> rows;
    // Each kind once (shellTypeFor, found while listing, away from the UI thread).
    QStringList kinds;

    const QString& kindOf(const FolderEntry& entry) const { return kinds[entry.kind]; }
};

// Lists and sorts a folder by one column; null when cancelled. Folders come first, as in the shell,
// in either order; names compare with numbers by their value. Safe to run away from the UI thread.
std::shared_ptr<const FolderListing> listFolder(const QString& folder, int column, Qt::SortOrder order,
                                                const std::function<bool()>& cancelled);

} // namespace tw::platform

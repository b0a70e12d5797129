#pragma once

#include "Result.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QVector>
#include <ctime>
#include <optional>

namespace tw::platform {

// A file in the user's trash (the freedesktop trash that file managers show and restore from).
struct TrashedFile
{
    QString file; // in the trash's files folder
    QString info; // its .trashinfo
    QDateTime deleted;
};

// Puts a file that a copy of source is about to replace into the trash of its file system: the home trash
// when the file lies on the home trash's file system, else the volume's ($topdir/.Trash/$uid or
// $topdir/.Trash-$uid). The information file is complete before the file moves, and it names source, so
// that the undo of the copy finds this file and no other. A file the trash cannot take stays where it is.
Expected<TrashedFile> trashReplaced(const QString& path, const QString& source);

// Puts a trashed file back at path, never over another file, then drops its information file.
Result restoreFromTrash(const TrashedFile& trashed, const QString& path);

// Finds what copies replaced. Each trash folder is read once and read again only when it has changed,
// so an undo of many copies does not read the whole trash per copy.
class TrashSearch
{
public:
    // The newest file that a copy of source onto path sent to the trash no later than notAfter (at any
    // time when notAfter is invalid) and that is still there.
    std::optional<TrashedFile> replacedBy(const QString& path, const QString& source,
                                          const QDateTime& notAfter);
    Result restore(const TrashedFile& trashed, const QString& path);

private:
    struct Folder
    {
        timespec changed{};
        bool read = false;
        QHash<QString, QVector<TrashedFile>> entries; // by path and source
        QHash<QString, QString> keys;                 // of entries, by information file
    };
    Folder& current(const QString& trash, const QString& topdir);

    QHash<QString, Folder> m_folders;
    QHash<quint64, QString> m_topdirs; // mount point by device
};

} // namespace tw::platform

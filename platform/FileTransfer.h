#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <sys/stat.h>
#include <sys/types.h>

namespace tw::platform {

// Renames, moves and copies single files for a rename run and its undo. Failures carry the errno value
// and errorText() of it, without a path. No operation destroys a file it replaces, replaces a file
// before its successor is complete, creates a folder, or leaves a temporary file behind.
class FileTransfer
{
public:
    virtual ~FileTransfer() = default;

    Result rename(const QString& source, const QString& target);
    Result move(const QString& source, const QString& target);
    Result copy(const QString& source, const QString& target);

protected:
    // Writes part of a copied file, as write(2) does; a test makes it fail part-way.
    virtual ssize_t writeSome(int fd, const char* data, size_t size);
    // Gives the complete copy the target's name, never over a file.
    virtual Result placeCopy(const QByteArray& temp, const QByteArray& to);

private:
    Result relocate(const QString& source, const QString& target, bool acrossFileSystems);
    Result place(const QByteArray& from, const QByteArray& to, const struct stat& info);
    Result placeThroughTemporary(const QByteArray& from, const QByteArray& to, const struct stat& info);
    Result copyThenRemove(const QByteArray& from, const QByteArray& to, const struct stat& info);
    Result copyData(int from, int to);
};

// Gives a file a new name, in its folder or another one on the same file system. An existing target is
// never replaced (EEXIST), also when it is another hard link of the source. The source's own path
// succeeds without change, so the journal and the undo see a plain rename.
Result renameFile(const QString& source, const QString& target);
// As renameFile; onto another file system the file is copied to a target created exclusively, with its
// permissions and time of last change, and the source is removed only once the copy is on disk.
Result moveFile(const QString& source, const QString& target);
// Copies a regular file. An existing target is replaced only by the complete new content, and it goes to
// the trash first (trashReplaced), so it can be had back; when the trash cannot take it, the copy fails.
// The source's own file, under whatever path, is refused (EINVAL), and so is a write-protected target
// (EACCES).
Result copyFile(const QString& source, const QString& target);

// Whether a path names the file it was read for: false when a name that was not valid UTF-8 left
// U+FFFD in it, or it holds a lone surrogate or NUL. The operations above refuse such paths (EILSEQ).
bool representable(const QString& path);

} // namespace tw::platform

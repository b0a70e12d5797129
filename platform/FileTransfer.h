#pragma once

#include "FileOutcome.h"
#include "Result.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QVector>
#include <atomic>
#include <future>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace tw::platform {

// Renames, moves and copies single files for a rename run and its undo. Failures carry the errno value
// and errorText() of it, without a path. No operation destroys a file it replaces, replaces a file
// before its successor is complete, creates a folder, or leaves a temporary file behind.
class FileTransfer
{
    friend class CopyGroup;

public:
    virtual ~FileTransfer() = default;

    Result rename(const QString& source, const QString& target);
    Result move(const QString& source, const QString& target);
    Result copy(const QString& source, const QString& target);

protected:
    // Writes part of a copied file, as write(2) does; a test makes it fail part-way.
    virtual ssize_t writeSome(int fd, const char* data, size_t size);
    // Gives the complete copy the target's name, never over a file. temp is the path of the temporary
    // file, or /proc/self/fd/N of one without a name.
    virtual Result placeCopy(const QByteArray& temp, const QByteArray& to);
    // Whether copies are written to files without a name until they take their target's (O_TMPFILE), so
    // that a copy cut off leaves nothing; else, or where the file system has none, to hidden files.
    virtual bool unnamedTemporaries() const;

private:
    Result relocate(const QString& source, const QString& target, bool acrossFileSystems);
    Result place(const QByteArray& from, const QByteArray& to, const struct stat& info);
    Result placeThroughTemporary(const QByteArray& from, const QByteArray& to, const struct stat& info);
    Result copyThenRemove(const QByteArray& from, const QByteArray& to, const struct stat& info);
    // Copies until the end of the file, or (size > 0) a short read once size bytes have come, which
    // spares the read that would find the end.
    Result copyData(int from, int to, qint64 size = 0);
    // A copy complete in a temporary file beside its target, the file still open.
    struct Written
    {
        QString source, target;
        QByteArray temp, to;
        int fd = -1;
        bool unnamed = false; // temp is /proc/self/fd/<fd>
        mode_t mode = 0;      // the source's permissions, which the temporary file may lack
        dev_t sourceDevice = 0;
        ino_t sourceInode = 0;
        qint64 bytes = 0;
        Result refused = Result::success(); // never written, for this reason
    };
    // Writes the copy to a temporary file beside the target, open and not yet flushed.
    Result writeCopy(const QString& source, const QString& target, Written& written);
    // Gives a flushed copy its name. A file found standing there goes to the trash first, unless it
    // must not be replaced.
    Result placeWritten(const Written& written);
};

// Copies of a run, flushed together. Each copy is written to a temporary file beside its target. When
// the group completes, the data of all of them reaches the disk with one flush, then each takes its
// target's name as copyFile() would give it, then the names reach the disk with a second flush. No target
// name ever stands on data that is not on disk, and a run pays two flushes a group instead of two a file.
// In a run all of that happens on a thread of its own while the next group is written.
class CopyGroup
{
public:
    // Limits of a group: its files stay open until it completes, and its results wait for it. While the
    // flush of one group is under way, the next may grow to three times these before it waits. Up to
    // 256 files, as far as the process may open four groups' files at once.
    static int maxFiles();
    static constexpr qint64 MaxBytes = qint64(32) << 20;
    static constexpr int MaxAgeMs = 100;

    explicit CopyGroup(FileTransfer& transfer) : m_transfer(transfer) {}
    ~CopyGroup(); // abandons what was never completed
    CopyGroup(const CopyGroup&) = delete;
    CopyGroup& operator=(const CopyGroup&) = delete;

    // Writes a copy into the group; a failure leaves nothing of it behind and is reported, in its
    // place among the others, when the group completes. So is a copy refused before it began.
    Result add(const QString& source, const QString& target);
    void addRefused(const FileOutcome& refused);
    bool isEmpty() const { return m_pending.empty() && !m_settled.valid(); }
    // One of the limits is reached: the copies written should go to disk now.
    bool due() const;
    // Reports the copies that the group before has placed, and starts flushing and placing those written
    // since, which goes on while the next are written. Returns nothing while the group before is still
    // under way.
    QVector<FileOutcome> advance();
    // The outcomes of the group before once it is placed, never waiting and starting nothing.
    QVector<FileOutcome> collect();
    // Flushes and places every copy, in the order added; the group is empty afterwards.
    QVector<FileOutcome> complete();
    // Places none of the copies left: their files go, and each is reported as not made. Those already
    // placed are reported as made.
    QVector<FileOutcome> abandon();

private:
    using Files = std::vector<FileTransfer::Written>;
    // The errors of each file's flush, 0 for one now on disk.
    static std::vector<int> flush(const Files& files);
    // A copy given up: its file goes.
    static FileOutcome dropped(const FileTransfer::Written& written);
    // Flushes and places; once *stop is set, the rest are dropped as abandon() drops them.
    QVector<FileOutcome> settle(Files& files, const std::atomic<bool>* stop);

    FileTransfer& m_transfer;
    Files m_pending;
    std::future<QVector<FileOutcome>> m_settled; // the group before, on its own thread
    std::atomic<bool> m_stop{false};
    qint64 m_bytes = 0;
    QElapsedTimer m_age;
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

// The start of the names of the temporary files that copies of the process pid write beside their
// targets: what a copy cut off by the end of that process left holds nothing that is not elsewhere.
QByteArray copyTemporaryPrefix(qint64 pid);

// Whether a path names the file it was read for: false when a name that was not valid UTF-8 left
// U+FFFD in it, or it holds a lone surrogate or NUL. The operations above refuse such paths (EILSEQ).
bool representable(const QString& path);

// Whether a file goes from the one folder to the other in one rename, never by way of a second link or
// a copy: both lie on one mount of a file system that renames without replacing.
bool renamesInOneStep(const QString& fromFolder, const QString& toFolder);

} // namespace tw::platform

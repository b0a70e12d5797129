#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <future>

namespace tw::platform {

// A file that records are appended to, each with one write(2), held under flock(LOCK_EX) for as long as
// it is open: another process that gets the lock knows that the owner is gone. A record that cannot be
// written whole is taken back, so the file never holds half a record before a whole one.
class AppendFile
{
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(AppendFile&& other) noexcept;
    AppendFile& operator=(AppendFile&& other) noexcept;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Creates the file with its first content, locked, and never over an existing file (EEXIST). The
    // content is written under a hidden name first, so nobody sees the file empty or unlocked.
    static Expected<AppendFile> create(const QString& path, const QByteArray& first);
    // Opens an existing file and takes its lock without waiting: EWOULDBLOCK while its owner holds it,
    // ENOENT when the file is gone or was replaced before the lock was had.
    static Expected<AppendFile> openLocked(const QString& path);

    bool isOpen() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }
    Result append(const QByteArray& record);
    // fdatasync: what was appended survives a power cut. Waits for a flush begun by syncBeside().
    Result sync();
    // Begins an fdatasync on a thread of its own and returns at once: a run need not wait the milliseconds
    // a flush takes. False while the last one still runs, which may not cover what was written since. A
    // failed one is reported by the next append or sync.
    bool syncBeside();
    Expected<QByteArray> readAll() const;
    // Gives the file another name, never over an existing one; the lock stays.
    Result renameTo(const QString& path);
    // Removes the file while the lock is still held, then closes it.
    Result remove();
    // Closes the file; the lock goes with it and the file stays.
    void close();

private:
    AppendFile(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}

    void keepSyncResult();
    // The error of a flush begun beside, once; 0 for none or while it still runs and wait is false.
    int collectSync(bool wait);

    int m_fd = -1;
    QString m_path;
    std::future<int> m_syncing; // an error number, 0 for none
    int m_syncFailed = 0;
    qint64 m_size = 0;
    bool m_torn = false; // a record could neither be written whole nor taken back
};

} // namespace tw::platform

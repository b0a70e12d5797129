#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>

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
    // fdatasync: what was appended survives a power cut.
    Result sync();
    Expected<QByteArray> readAll() const;
    // Gives the file another name, never over an existing one; the lock stays.
    Result renameTo(const QString& path);
    // Removes the file while the lock is still held, then closes it.
    Result remove();
    // Closes the file; the lock goes with it and the file stays.
    void close();

private:
    AppendFile(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}

    int m_fd = -1;
    QString m_path;
    qint64 m_size = 0;
    bool m_torn = false; // a record could neither be written whole nor taken back
};

} // namespace tw::platform

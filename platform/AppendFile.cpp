#include "AppendFile.h"

#include "FileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace tw::platform {

namespace {

Result failure(int err, const QString& path)
{
    return Result::failure(err, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), errorText(err)));
}

Result writeWhole(int fd, const QByteArray& data, const QString& path)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return failure(n < 0 ? errno : ENOSPC, path);
        p += n;
        left -= n;
    }
    return Result::success();
}

int lockNow(int fd)
{
    int r;
    do
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    return r;
}

// The new entry must survive a power cut as well as the data in it.
void syncFolderOf(const QString& path)
{
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// Gives the file a second name and drops the first, never over an existing file. A file system without
// hard links gets a plain rename: the names hold the process id, so only a leftover of a process long gone
// could stand there, and that one is checked for.
int placeNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::link(from.constData(), to.constData()) == 0) {
        if (::unlink(from.constData()) == 0)
            return 0;
        const int err = errno;
        ::unlink(to.constData());
        return err;
    }
    const int err = errno;
    if (err != EPERM && err != EOPNOTSUPP)
        return err;
    struct stat existing = {};
    if (::lstat(to.constData(), &existing) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace

AppendFile::~AppendFile()
{
    close();
}

AppendFile::AppendFile(AppendFile&& other) noexcept
    : m_fd(other.m_fd), m_path(std::move(other.m_path)), m_syncing(std::move(other.m_syncing)),
      m_syncFailed(other.m_syncFailed), m_size(other.m_size), m_torn(other.m_torn)
{
    other.m_fd = -1;
}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        m_syncing = std::move(other.m_syncing);
        m_syncFailed = other.m_syncFailed;
        m_size = other.m_size;
        m_torn = other.m_torn;
        other.m_fd = -1;
    }
    return *this;
}

Expected<AppendFile> AppendFile::create(const QString& path, const QByteArray& first)
{
    const QFileInfo info(path);
    const QString hidden =
        info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".neu");
    const QByteArray temp = QFile::encodeName(hidden);
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(temp.constData(), O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return failure(errno, hidden);
    AppendFile file(fd, path);
    Result r = lockNow(fd) == 0 ? writeWhole(fd, first, hidden) : failure(errno, hidden);
    if (r && ::fdatasync(fd) != 0 && errno != EINVAL)
        r = failure(errno, hidden);
    if (r) {
        if (const int err = placeNoReplace(temp, name); err != 0)
            r = failure(err, path);
    }
    if (!r) {
        ::unlink(temp.constData());
        return r;
    }
    syncFolderOf(path);
    file.m_size = first.size();
    return file;
}

Expected<AppendFile> AppendFile::openLocked(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return failure(errno, path);
    AppendFile file(fd, path);
    if (lockNow(fd) != 0)
        return failure(errno == EWOULDBLOCK ? EWOULDBLOCK : errno, path);
    // The lock's last holder may have removed or replaced the file before it let go.
    struct stat opened = {};
    struct stat named = {};
    if (::fstat(fd, &opened) != 0 || opened.st_nlink == 0 || ::lstat(name.constData(), &named) != 0 ||
        opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        return failure(ENOENT, path);
    file.m_size = opened.st_size;
    return file;
}

Result AppendFile::append(const QByteArray& record)
{
    if (m_fd < 0)
        return failure(EBADF, m_path);
    if (m_torn)
        return failure(EIO, m_path);
    if (const int err = collectSync(false); err != 0)
        return failure(err, m_path);
    Result r = writeWhole(m_fd, record, m_path);
    if (r)
        m_size += record.size();
    // A later record must not continue a torn one.
    else if (::ftruncate(m_fd, m_size) != 0)
        m_torn = true;
    return r;
}

Result AppendFile::sync()
{
    if (m_fd < 0)
        return failure(EBADF, m_path);
    // A flush that failed beside may have dropped pages that this one would then not see as dirty.
    if (const int err = collectSync(true); err != 0)
        return failure(err, m_path);
    if (::fdatasync(m_fd) != 0 && errno != EINVAL)
        return failure(errno, m_path);
    return Result::success();
}

bool AppendFile::syncBeside()
{
    if (m_fd < 0 ||
        (m_syncing.valid() && m_syncing.wait_for(std::chrono::seconds(0)) != std::future_status::ready))
        return false;
    keepSyncResult();
    const int fd = m_fd;
    try {
        m_syncing = std::async(std::launch::async,
                               [fd] { return ::fdatasync(fd) != 0 && errno != EINVAL ? errno : 0; });
    } catch (const std::system_error&) {
        if (::fdatasync(fd) != 0 && errno != EINVAL && m_syncFailed == 0)
            m_syncFailed = errno;
    }
    return true;
}

void AppendFile::keepSyncResult()
{
    if (!m_syncing.valid())
        return;
    if (const int err = m_syncing.get(); err != 0 && m_syncFailed == 0)
        m_syncFailed = err;
}

int AppendFile::collectSync(bool wait)
{
    if (wait ||
        (m_syncing.valid() && m_syncing.wait_for(std::chrono::seconds(0)) == std::future_status::ready))
        keepSyncResult();
    return std::exchange(m_syncFailed, 0);
}

Expected<QByteArray> AppendFile::readAll() const
{
    if (m_fd < 0)
        return failure(EBADF, m_path);
    QByteArray data;
    char buffer[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(m_fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failure(errno, m_path);
        if (n == 0)
            return data;
        data.append(buffer, n);
        at += n;
    }
}

Result AppendFile::renameTo(const QString& path)
{
    const QByteArray from = QFile::encodeName(m_path);
    const QByteArray to = QFile::encodeName(path);
    if (const int err = placeNoReplace(from, to); err != 0)
        return failure(err, path);
    syncFolderOf(path);
    m_path = path;
    return Result::success();
}

Result AppendFile::remove()
{
    if (m_fd < 0)
        return failure(EBADF, m_path);
    const Result r =
        ::unlink(QFile::encodeName(m_path).constData()) == 0 ? Result::success() : failure(errno, m_path);
    close();
    return r;
}

void AppendFile::close()
{
    // The flush beside uses the descriptor until it returns.
    collectSync(true);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace tw::platform

#include "FileTransfer.h"

#include "FileOps.h"
#include "FileOutcome.h"
#include "Trash.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace tw::platform {

namespace {

constexpr size_t kBufferSize = size_t(1) << 20;

Result failure(int err)
{
    return Result::failure(err, errorText(err));
}

Result sameFileFailure()
{
    return Result::failure(EINVAL, QStringLiteral("Quelle und Ziel sind dieselbe Datei."));
}

Result notAFileFailure()
{
    return Result::failure(EINVAL, QStringLiteral("Die Quelle ist keine gewöhnliche Datei."));
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : path.left(slash);
}

int renameNoReplace(const char* from, const char* to)
{
#ifdef RENAME_NOREPLACE
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#else
    constexpr unsigned noReplace = 1;
    return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, noReplace));
#endif
}

class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Some file systems (NFS) report a failed write only here.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int m_fd;
};

// Permissions and times are kept where the file system can hold them; FAT refuses most modes, and that
// must not stop a move to a memory stick.
Result finish(int fd, const struct stat& info)
{
    ::fchmod(fd, info.st_mode & 07777);
    const timespec times[2] = {info.st_atim, info.st_mtim};
    ::futimens(fd, times);
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        return failure(errno);
    return Result::success();
}

// Local file systems whose syncfs writes every file's data and commits it, and which rename without
// replacing. FUSE does not pass a syncfs on to its server, nor CIFS to the share.
bool wellKnownLocal(const struct statfs& fs)
{
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // xfs
    case 0x9123683E: // btrfs
    case 0xF2F52010: // f2fs
    case 0x01021994: // tmpfs
        return true;
    default:
        return false;
    }
}

// Elsewhere each file is flushed with fsync.
bool syncfsWritesFiles(int fd)
{
    struct statfs fs = {};
    return ::fstatfs(fd, &fs) == 0 && wellKnownLocal(fs);
}

void syncFolder(const QByteArray& folder)
{
    const Fd fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

// The new entry must be on disk before the only other one goes.
void syncFolderOf(const QByteArray& path)
{
    syncFolder(folderOf(path));
}

Result unrepresentable()
{
    // A name that came through mangled would address another file.
    return Result::failure(EILSEQ, QStringLiteral("Der Dateiname enthält Zeichen, die nicht dargestellt "
                                                  "werden können."));
}

FileOutcome outcomeOf(FileAction action, const QString& source, const QString& target, const Result& r)
{
    FileOutcome outcome{action, source, target, 0, {}};
    if (!r) {
        outcome.error = r.code() != 0 ? r.code() : -1;
        outcome.reason = r.message();
    }
    return outcome;
}

// Once the target holds the file the source goes; if it cannot, the target goes again so that the file
// stays where it was. A source that vanished meanwhile keeps the target: it may be the only one left.
Result removeSource(const QByteArray& from, const QByteArray& to)
{
    if (::unlink(from.constData()) == 0 || errno == ENOENT)
        return Result::success();
    const int err = errno;
    ::unlink(to.constData());
    return failure(err);
}

Result moveLink(const QByteArray& from, const QByteArray& to)
{
    std::vector<char> dest(PATH_MAX + 1);
    const ssize_t length = ::readlink(from.constData(), dest.data(), dest.size());
    if (length < 0)
        return failure(errno);
    if (size_t(length) >= dest.size())
        return failure(ENAMETOOLONG);
    dest[size_t(length)] = '\0';
    if (::symlink(dest.data(), to.constData()) != 0)
        return failure(errno);
    return removeSource(from, to);
}

} // namespace

Result FileTransfer::rename(const QString& source, const QString& target)
{
    return relocate(source, target, false);
}

Result FileTransfer::move(const QString& source, const QString& target)
{
    return relocate(source, target, true);
}

Result FileTransfer::relocate(const QString& source, const QString& target, bool acrossFileSystems)
{
    if (!representable(source) || !representable(target))
        return failure(EILSEQ);
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    struct stat info = {};
    if (::lstat(from.constData(), &info) != 0)
        return failure(errno);
    if (S_ISDIR(info.st_mode))
        return failure(EISDIR);
    if (source == target)
        return Result::success();

    const Result placed = place(from, to, info);
    if (placed.code() == EEXIST) {
        struct stat existing = {};
        if (::lstat(to.constData(), &existing) == 0 && sameFile(existing, info))
            return placeThroughTemporary(from, to, info);
    }
    if (placed.code() == EXDEV && acrossFileSystems)
        return copyThenRemove(from, to, info);
    return placed;
}

// A rename that never replaces: atomic where the file system offers it, else through a second hard
// link, else by a copy to an exclusively created target. A plain rename() after checking that the
// target is free could still replace a file created in between.
Result FileTransfer::place(const QByteArray& from, const QByteArray& to, const struct stat& info)
{
    if (renameNoReplace(from.constData(), to.constData()) == 0)
        return Result::success();
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return failure(errno);
    if (::link(from.constData(), to.constData()) == 0)
        return removeSource(from, to);
    if (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP)
        return failure(errno);
    return copyThenRemove(from, to, info);
}

// Both names lead to one file: either a second hard link, a name of its own that must stay, or the
// same entry on a file system that ignores case (a.jpg -> A.jpg). Passing through a free name tells
// them apart: only in the second case is the target free once the source name is gone.
Result FileTransfer::placeThroughTemporary(const QByteArray& from, const QByteArray& to,
                                           const struct stat& info)
{
    const QByteArray folder = folderOf(from);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QByteArray temp =
            folder + "/.tauschwerk-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const Result aside = place(from, temp, info);
        if (aside.code() == EEXIST)
            continue;
        if (!aside)
            return aside;
        const Result placed = place(temp, to, info);
        if (!placed && !place(temp, from, info))
            qWarning("Tauschwerk: %s konnte nicht zurückbenannt werden und liegt unter %s", from.constData(),
                     temp.constData());
        return placed;
    }
    return failure(EEXIST);
}

Result FileTransfer::copyThenRemove(const QByteArray& from, const QByteArray& to, const struct stat& info)
{
    if (S_ISLNK(info.st_mode))
        return moveLink(from, to);
    if (!S_ISREG(info.st_mode))
        return notAFileFailure();
    const Fd in(::open(from.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!in.valid())
        return failure(errno);
    struct stat opened = {};
    if (::fstat(in.get(), &opened) != 0)
        return failure(errno);
    Fd out(::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!out.valid())
        return failure(errno);

    Result result = copyData(in.get(), out.get());
    if (result)
        result = finish(out.get(), opened);
    if (!out.close() && result)
        result = failure(errno);
    if (!result) {
        ::unlink(to.constData());
        return result;
    }
    syncFolderOf(to);
    return removeSource(from, to);
}

Result FileTransfer::copy(const QString& source, const QString& target)
{
    if (!representable(source) || !representable(target))
        return failure(EILSEQ);
    CopyGroup one(*this);
    if (Result r = one.add(source, target); !r)
        return r;
    return one.complete().constFirst().result();
}

Result FileTransfer::writeCopy(const QString& source, const QString& target, Written& written)
{
    if (!representable(source) || !representable(target))
        return failure(EILSEQ);
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    // Without O_NONBLOCK a FIFO would wait here for a writer before it could be refused.
    const Fd in(::open(from.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!in.valid())
        return failure(errno);
    struct stat info = {};
    if (::fstat(in.get(), &info) != 0)
        return failure(errno);
    if (S_ISDIR(info.st_mode))
        return failure(EISDIR);
    if (!S_ISREG(info.st_mode))
        return notAFileFailure();

    // A file without a name takes its target's name with one directory entry, and a crash leaves
    // nothing of it; a hidden file is the way where the file system has none.
    QByteArray temp;
    int fd = -1;
    if (unnamedTemporaries()) {
        fd = ::open(folderOf(to).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, info.st_mode & 0777);
        if (fd >= 0)
            temp = "/proc/self/fd/" + QByteArray::number(fd);
        else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return failure(errno);
    }
    const bool unnamed = fd >= 0;
    if (!unnamed) {
        temp = folderOf(to) + '/' + copyTemporaryPrefix(::getpid()) + "XXXXXX";
        fd = ::mkostemp(temp.data(), O_CLOEXEC);
    }
    Fd out(fd);
    if (!out.valid())
        return failure(errno);
    const Result result = copyData(in.get(), out.get(), qint64(info.st_size));
    if (!result) {
        if (!unnamed)
            ::unlink(temp.constData());
        return result;
    }
    // The permissions are set with the flush, off the run's thread.
    const timespec times[2] = {info.st_atim, info.st_mtim};
    ::futimens(out.get(), times);
    written = {source,
               target,
               temp,
               to,
               out.release(),
               unnamed,
               mode_t(info.st_mode & 07777),
               info.st_dev,
               info.st_ino,
               qint64(info.st_size)};
    return Result::success();
}

Result FileTransfer::placeWritten(const Written& w)
{
    // Nearly every target is free: what stands in the way is looked at only when the link finds it.
    if (const Result placed = placeCopy(w.temp, w.to); placed.code() != EEXIST)
        return placed;
    struct stat existing = {};
    if (::lstat(w.to.constData(), &existing) != 0)
        return errno == ENOENT ? placeCopy(w.temp, w.to) : failure(errno);
    if (::stat(w.to.constData(), &existing) == 0) {
        // The undo of the copy would delete the source itself.
        if (existing.st_dev == w.sourceDevice && existing.st_ino == w.sourceInode)
            return sameFileFailure();
        if (S_ISDIR(existing.st_mode))
            return failure(EISDIR);
        // Write protection is the user's wish to keep that file; a rename would ignore it.
        if (::faccessat(AT_FDCWD, w.to.constData(), W_OK, AT_EACCESS) != 0)
            return failure(errno);
    }
    // The file that stood there goes to the trash only once its successor is on disk, and comes back
    // at once when the successor cannot take its place: it is always at its place or in the trash.
    const Expected<TrashedFile> trashed = trashReplaced(w.target, w.source);
    if (!trashed)
        return trashed.error();
    const Result result = placeCopy(w.temp, w.to);
    if (!result && !restoreFromTrash(*trashed, w.target))
        qWarning("Tauschwerk: %s liegt im Papierkorb unter %s", w.to.constData(),
                 QFile::encodeName(trashed->file).constData());
    return result;
}

CopyGroup::~CopyGroup()
{
    static_cast<void>(abandon());
}

FileOutcome CopyGroup::dropped(const FileTransfer::Written& w)
{
    ::close(w.fd);
    if (!w.unnamed)
        ::unlink(w.temp.constData());
    return outcomeOf(
        FileAction::Copy, w.source, w.target,
        Result::failure(ECANCELED, QStringLiteral("Der Lauf wurde angehalten, bevor die Kopie an "
                                                  "ihren Platz kam.")));
}

QVector<FileOutcome> CopyGroup::abandon()
{
    m_stop = true;
    QVector<FileOutcome> outcomes = m_settled.valid() ? m_settled.get() : QVector<FileOutcome>();
    m_stop = false;
    for (const FileTransfer::Written& w : m_pending)
        outcomes.append(w.fd >= 0 ? dropped(w) : outcomeOf(FileAction::Copy, w.source, w.target, w.refused));
    m_pending.clear();
    m_bytes = 0;
    return outcomes;
}

Result CopyGroup::add(const QString& source, const QString& target)
{
    FileTransfer::Written w;
    Result r = representable(source) && representable(target) ? m_transfer.writeCopy(source, target, w)
                                                              : unrepresentable();
    if (!r) {
        addRefused(outcomeOf(FileAction::Copy, source, target, r));
        return r;
    }
    if (m_pending.empty())
        m_age.start();
    m_bytes += w.bytes;
    m_pending.push_back(std::move(w));
    return r;
}

void CopyGroup::addRefused(const FileOutcome& refused)
{
    FileTransfer::Written w;
    w.source = refused.source;
    w.target = refused.target;
    w.refused = refused.result();
    if (m_pending.empty())
        m_age.start();
    m_pending.push_back(std::move(w));
}

int CopyGroup::maxFiles()
{
    // A flush of the disk costs nearly as much for 128 small files as for 256, and a run of small copies
    // waits mostly for its flushes; larger groups hold up the end of a run for too long. Four groups' files may be open at once besides the program's own,
    // so the limit on open files, often 1,024, is raised as far as its hard limit allows.
    static const int files = [] {
        constexpr rlim_t most = 256;
        constexpr rlim_t own = 512;
        constexpr rlim_t needed = 4 * most + own;
        struct rlimit limit = {};
        if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
            return 128;
        if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < needed) {
            struct rlimit raised = limit;
            raised.rlim_cur = limit.rlim_max == RLIM_INFINITY ? needed : std::min(limit.rlim_max, needed);
            if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
                limit = raised;
        }
        const rlim_t allowed = limit.rlim_cur == RLIM_INFINITY ? needed : limit.rlim_cur;
        return static_cast<int>(std::clamp<rlim_t>((allowed - std::min(allowed, own)) / 4, 16, most));
    }();
    return files;
}

bool CopyGroup::due() const
{
    return m_pending.size() >= size_t(maxFiles()) || m_bytes >= MaxBytes ||
           (!m_pending.empty() && m_age.elapsed() >= MaxAgeMs);
}

QVector<FileOutcome> CopyGroup::advance()
{
    // The run goes on writing while the group before is still under way, up to a limit on open files.
    if (m_settled.valid() && m_settled.wait_for(std::chrono::seconds(0)) != std::future_status::ready &&
        m_pending.size() < size_t(3 * maxFiles()) && m_bytes < 3 * MaxBytes)
        return {};
    QVector<FileOutcome> outcomes = m_settled.valid() ? m_settled.get() : QVector<FileOutcome>();
    if (m_pending.empty())
        return outcomes;
    Files files;
    files.swap(m_pending);
    m_bytes = 0;
    try {
        m_settled = std::async(std::launch::async,
                               [this, files = std::move(files)]() mutable { return settle(files, &m_stop); });
    } catch (const std::system_error&) {
        // No thread to be had: done here and now.
        outcomes += settle(files, nullptr);
    }
    return outcomes;
}

QVector<FileOutcome> CopyGroup::collect()
{
    if (m_settled.valid() && m_settled.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
        return m_settled.get();
    return {};
}

QVector<FileOutcome> CopyGroup::complete()
{
    QVector<FileOutcome> outcomes = m_settled.valid() ? m_settled.get() : QVector<FileOutcome>();
    Files files;
    files.swap(m_pending);
    m_bytes = 0;
    outcomes += settle(files, nullptr);
    return outcomes;
}

std::vector<int> CopyGroup::flush(const Files& group)
{
    std::vector<int> errors(group.size(), 0);
    std::vector<dev_t> deviceOf(group.size(), 0);
    size_t written = 0;
    for (size_t i = 0; i < group.size(); ++i) {
        const FileTransfer::Written& w = group[i];
        struct stat info = {};
        if (w.fd < 0)
            continue;
        if (::fstat(w.fd, &info) != 0) {
            errors[i] = errno;
            continue;
        }
        // The temporary file was made under the umask, or private; changed before the flush writes it.
        if ((info.st_mode & 07777) != w.mode)
            ::fchmod(w.fd, w.mode);
        deviceOf[i] = info.st_dev;
        ++written;
    }
    const auto flushFailed = [](int err) { return err != EINVAL && err != EROFS; };
    // Per file system of the group: whether one syncfs has written all of its files. A single file is
    // flushed on its own, not with whatever else waits on its file system.
    std::vector<std::pair<dev_t, bool>> devices;
    for (size_t i = 0; i < group.size(); ++i) {
        const FileTransfer::Written& w = group[i];
        if (w.fd < 0 || errors[i] != 0)
            continue;
        auto device = std::find_if(devices.begin(), devices.end(),
                                   [&](const std::pair<dev_t, bool>& d) { return d.first == deviceOf[i]; });
        if (device == devices.end()) {
            const bool whole = written > 1 && syncfsWritesFiles(w.fd);
            if (whole && ::syncfs(w.fd) != 0 && flushFailed(errno)) {
                const int err = errno;
                for (size_t j = i; j < group.size(); ++j)
                    if (group[j].fd >= 0 && errors[j] == 0 && deviceOf[j] == deviceOf[i])
                        errors[j] = err;
            }
            devices.emplace_back(deviceOf[i], whole);
            device = devices.end() - 1;
        }
        if (errors[i] != 0)
            continue;
        // After the syncfs, each file's own check learns whether its data got there, writing nothing.
        if (!device->second ? ::fsync(w.fd) != 0
                            : ::sync_file_range(w.fd, 0, 0,
                                                SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                                    SYNC_FILE_RANGE_WAIT_AFTER) != 0 &&
                                  errno != ESPIPE) {
            if (flushFailed(errno))
                errors[i] = errno;
        }
    }
    return errors;
}

QVector<FileOutcome> CopyGroup::settle(Files& group, const std::atomic<bool>* stop)
{
    const std::vector<int> errors = flush(group);
    QVector<FileOutcome> outcomes;
    outcomes.reserve(qsizetype(group.size()));
    std::vector<QByteArray> folders;
    for (size_t i = 0; i < group.size(); ++i) {
        FileTransfer::Written& w = group[i];
        if (w.fd < 0) {
            outcomes.append(outcomeOf(FileAction::Copy, w.source, w.target, w.refused));
            continue;
        }
        if (stop && *stop) {
            outcomes.append(dropped(w));
            continue;
        }
        Result r;
        int error = errors[i];
        if (w.unnamed) {
            // Linked through its descriptor, it is closed only afterwards; its data was checked in flush().
            r = error != 0 ? failure(error) : m_transfer.placeWritten(w);
            ::close(w.fd);
        } else {
            // Some file systems (NFS) report a failed write only at the close.
            if (::close(w.fd) != 0 && errno != EINTR && error == 0)
                error = errno;
            r = error != 0 ? failure(error) : m_transfer.placeWritten(w);
            if (!r)
                ::unlink(w.temp.constData());
        }
        if (const QByteArray folder = folderOf(w.to);
            r && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
        outcomes.append(outcomeOf(FileAction::Copy, w.source, w.target, r));
    }
    // The new names on disk, before anything counts on them.
    for (const QByteArray& folder : folders)
        syncFolder(folder);
    return outcomes;
}

bool FileTransfer::unnamedTemporaries() const
{
    static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
    return procMounted;
}

Result FileTransfer::placeCopy(const QByteArray& temp, const QByteArray& to)
{
    // A link never replaces what stands at its name. Through the descriptor itself where the kernel
    // lets the file's opener do that (Linux 6.10), else through its name under /proc.
    static const QByteArray descriptors = QByteArrayLiteral("/proc/self/fd/");
    if (temp.startsWith(descriptors)) {
        static std::atomic<bool> throughDescriptor{true};
        const int fd = temp.mid(descriptors.size()).toInt();
        if (throughDescriptor && ::linkat(fd, "", AT_FDCWD, to.constData(), AT_EMPTY_PATH) == 0)
            return Result::success();
        if (throughDescriptor && errno != EPERM && errno != ENOENT && errno != EINVAL)
            return failure(errno);
        throughDescriptor = false;
        if (::linkat(AT_FDCWD, temp.constData(), AT_FDCWD, to.constData(), AT_SYMLINK_FOLLOW) == 0)
            return Result::success();
        return failure(errno);
    }
    struct stat info = {};
    if (::lstat(temp.constData(), &info) != 0)
        return failure(errno);
    return place(temp, to, info);
}

Result FileTransfer::copyData(int from, int to, qint64 size)
{
    // Not zeroed: make_unique would clear the whole megabyte for every file, a photo or an 8-byte file.
    const std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    for (qint64 copied = 0;;) {
        const ssize_t got = ::read(from, buffer.get(), kBufferSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failure(errno);
        if (got == 0)
            return Result::success();
        copied += got;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = writeSome(to, buffer.get() + done, size_t(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return failure(errno);
            if (put == 0)
                return failure(ENOSPC);
            done += put;
        }
        if (size > 0 && copied >= size && size_t(got) < kBufferSize)
            return Result::success();
    }
}

ssize_t FileTransfer::writeSome(int fd, const char* data, size_t size)
{
    return ::write(fd, data, size);
}

Result renameFile(const QString& source, const QString& target)
{
    return FileTransfer().rename(source, target);
}

Result moveFile(const QString& source, const QString& target)
{
    return FileTransfer().move(source, target);
}

Result copyFile(const QString& source, const QString& target)
{
    return FileTransfer().copy(source, target);
}

FileOutcome performFileAction(FileAction action, const QString& source, const QString& target)
{
    Result r;
    if (!representable(source) || !representable(target)) {
        r = unrepresentable();
    } else {
        switch (action) {
        case FileAction::Rename:
            r = renameFile(source, target);
            break;
        case FileAction::Copy:
            r = copyFile(source, target);
            break;
        case FileAction::Move:
            r = moveFile(source, target);
            break;
        default:
            r = failure(EINVAL);
            break;
        }
    }
    return outcomeOf(action, source, target, r);
}

QByteArray copyTemporaryPrefix(qint64 pid)
{
    return ".tauschwerk-" + QByteArray::number(pid) + '-';
}

bool representable(const QString& path)
{
    // Plain ASCII without NUL, as nearly every path is, needs no closer look.
    bool ascii = true;
    for (const QChar c : path)
        ascii &= static_cast<unsigned>(c.unicode()) - 1u < 0x7Fu;
    if (ascii)
        return true;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path.at(i);
        if (c.isNull() || c == QChar::ReplacementCharacter)
            return false;
        if (c.isHighSurrogate() && i + 1 < path.size() && path.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

bool renamesInOneStep(const QString& fromFolder, const QString& toFolder)
{
#ifndef STATX_MNT_ID
    constexpr unsigned STATX_MNT_ID = 0x1000;
#endif
    const auto folder = [](const QString& path, struct statx& st) {
        return ::statx(AT_FDCWD, QFile::encodeName(path).constData(), 0, STATX_TYPE | STATX_MNT_ID, &st) == 0 &&
               (st.stx_mask & STATX_MNT_ID) != 0 && S_ISDIR(st.stx_mode);
    };
    struct statx from = {};
    struct statx to = {};
    // Two mounts of one file system (a bind mount) share the device, yet rename(2) refuses to cross them.
    if (!folder(fromFolder, from) || !folder(toFolder, to) || from.stx_mnt_id != to.stx_mnt_id ||
        from.stx_dev_major != to.stx_dev_major || from.stx_dev_minor != to.stx_dev_minor)
        return false;
    struct statfs fs = {};
    return ::statfs(QFile::encodeName(toFolder).constData(), &fs) == 0 && wellKnownLocal(fs);
}

} // namespace tw::platform

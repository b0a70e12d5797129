#include "FileOps.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

Result errnoFailure(int err, const QString& path)
{
    return Result::failure(err, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), errorText(err)));
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

QString errorText(int err)
{
    switch (err) {
    case EEXIST:
        return QStringLiteral("Die Datei ist bereits vorhanden.");
    case ENOENT:
        return QStringLiteral("Die Datei oder der Ordner wurde nicht gefunden.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Zugriff verweigert.");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Auf dem Datenträger ist nicht genug Speicherplatz.");
    case EROFS:
        return QStringLiteral("Das Dateisystem ist schreibgeschützt.");
    case ENAMETOOLONG:
        return QStringLiteral("Der Dateiname ist zu lang.");
    case EXDEV:
        return QStringLiteral("Ziel und Quelle liegen auf verschiedenen Dateisystemen.");
    case EISDIR:
        return QStringLiteral("Der Pfad ist ein Ordner, keine Datei.");
    case ENOTDIR:
        return QStringLiteral("Ein Teil des Pfades ist kein Ordner.");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("Die Datei wird gerade verwendet.");
    case EIO:
        return QStringLiteral("Der Datenträger meldet einen Lese- oder Schreibfehler.");
    case EILSEQ:
        return QStringLiteral("Der Dateiname enthält ungültige Zeichen.");
    case EOPNOTSUPP:
        return QStringLiteral("Das Dateisystem unterstützt diesen Vorgang nicht.");
    default:
        return QString::fromLocal8Bit(std::strerror(err));
    }
}

bool fileExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

Result deleteFile(const QString& path)
{
    if (::unlink(encoded(path).constData()) != 0)
        return errnoFailure(errno, path);
    return Result::success();
}

Result openForReading(QFile& file)
{
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return errnoFailure(errno != 0 ? errno : EIO, file.fileName());
    return Result::success();
}

namespace {

Result writeBytes(int fd, QByteArrayView data, const QString& path)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errnoFailure(errno, path);
        }
        p += n;
        left -= n;
    }
    return Result::success();
}

Result toDisk(int fd, const QString& path, Breather* breather)
{
    const auto sync = [fd] { return ::fsync(fd) == 0 ? 0 : errno; };
    const int err = breather ? breather->wait(sync) : sync();
    if (err != 0 && err != EINVAL && err != EROFS)
        return errnoFailure(err, path);
    return Result::success();
}

Result writeAll(int fd, const QByteArray& data, const QString& path)
{
    if (Result written = writeBytes(fd, data, path); !written)
        return written;
    return toDisk(fd, path, nullptr);
}

} // namespace

Result writeNewFile(const QString& path, const QByteArray& data)
{
    const QByteArray name = encoded(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errnoFailure(errno, path);
    Result written = writeAll(fd, data, path);
    if (::close(fd) != 0 && written.ok())
        written = errnoFailure(errno, path);
    if (!written.ok())
        ::unlink(name.constData());
    return written;
}

Result AtomicFileWriter::replace(const QString& path, const QByteArray& data)
{
    return replace(
        path, [&data](const Sink& sink) { return sink(data); }, nullptr);
}

Result AtomicFileWriter::replace(const QString& path, const Content& content, Breather* breather)
{
    const QFileInfo target(path);
    const QString dir = target.absolutePath();
    // Created with open's mode 0666 so that the umask decides, as for any new file (mkstemp's 0600
    // would not); a file that is replaced keeps its own permissions.
    const QString prefix = dir + QStringLiteral("/.") + target.fileName() + QLatin1Char('.');
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = encoded(prefix + QString::number(QRandomGenerator::global()->generate(), 36));
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errnoFailure(errno, path);
    }
    if (fd < 0)
        return errnoFailure(EEXIST, path);
    const QString tempPath = QFile::decodeName(temp);
    struct stat old = {};
    if (::stat(encoded(path).constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);

    Result written = content([&](QByteArrayView piece) { return writeBytes(fd, piece, tempPath); });
    if (written)
        written = toDisk(fd, tempPath, breather);
    if (::close(fd) != 0 && written.ok())
        written = errnoFailure(errno, tempPath);
    if (written.ok())
        written = commit(tempPath, path);
    if (!written.ok())
        ::unlink(temp.constData());
    return written;
}

Result AtomicFileWriter::commit(const QString& tempPath, const QString& path)
{
    if (::rename(encoded(tempPath).constData(), encoded(path).constData()) != 0)
        return errnoFailure(errno, path);
    return Result::success();
}

FileLock::FileLock(const QString& path)
    : m_lock(std::make_unique<QLockFile>(path + QStringLiteral(".lock"))), m_path(path)
{
    // A save holds the lock for well under a second; a lock this old was left by a crash.
    m_lock->setStaleLockTime(60000);
}

FileLock::~FileLock() = default;

namespace {

LockWaitHook* g_lockWaitHook = nullptr;

bool onMainThread()
{
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Off the main thread (an undo working beside the window) there are no events to let run.
void pauseLettingEventsRun(int ms)
{
    if (!onMainThread()) {
        QThread::msleep(static_cast<unsigned long>(ms));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

void setLockWaitHook(LockWaitHook* hook)
{
    g_lockWaitHook = hook;
}

Result FileLock::acquire(int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    LockWaitHook* hook = nullptr;
    const auto waitEnds = qScopeGuard([&hook] {
        if (hook)
            hook->waitEnds();
    });
    while (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError && leftEmptyByACrash())
            continue;
        const qint64 left = timeoutMs - waited.elapsed();
        if (m_lock->error() != QLockFile::LockFailedError || left <= 0)
            return lockFailure();
        // The wait cursor is the windows', shown from their thread only.
        if (!hook && onMainThread() && g_lockWaitHook) {
            hook = g_lockWaitHook;
            hook->waitBegins();
        }
        pauseLettingEventsRun(static_cast<int>(std::min<qint64>(left, 50)));
    }
    return Result::success();
}

// A lock file is written whole right after it is made. One still empty seconds later was left by a
// program that ended in between, and names no owner for QLockFile to find gone: it would hold every
// save off for the whole stale time.
bool FileLock::leftEmptyByACrash() const
{
    const QString lockFile = m_path + QStringLiteral(".lock");
    const QFileInfo info(lockFile);
    if (!info.exists() || info.size() != 0 ||
        info.lastModified().msecsTo(QDateTime::currentDateTime()) < 2000)
        return false;
    return QFile::remove(lockFile);
}

Result FileLock::lockFailure() const
{
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        return Result::failure(EBUSY, QStringLiteral("%1: Die Datei ist von einem anderen Vorgang gesperrt.")
                                          .arg(QDir::toNativeSeparators(m_path)));
    case QLockFile::PermissionError:
        return Result::failure(
            EACCES, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_path), errorText(EACCES)));
    default:
        return Result::failure(EIO, QStringLiteral("%1: Die Sperre konnte nicht gesetzt werden.")
                                        .arg(QDir::toNativeSeparators(m_path)));
    }
}

void FileLock::release()
{
    m_lock->unlock();
}

} // namespace tw::platform

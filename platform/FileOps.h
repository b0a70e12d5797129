#pragma once

#include "Breather.h"
#include "Result.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QFile;
class QLockFile;

namespace tw::platform {

bool fileExists(const QString& path);
Result deleteFile(const QString& path);
// Opens the file for reading; the failure names the path and the reason in German.
Result openForReading(QFile& file);
// Creates the file and writes it whole; refuses a file that exists and leaves no partial file.
Result writeNewFile(const QString& path, const QByteArray& data);

// German text for an errno value: the common errors in German, the rest as the system says.
QString errorText(int errnoValue);

// Replaces a file through a complete temporary file in the same folder and an atomic rename, so a
// failure at any point leaves the old content in place.
class AtomicFileWriter
{
public:
    virtual ~AtomicFileWriter() = default;
    Result replace(const QString& path, const QByteArray& data);
    // Takes the content from a writer that hands its pieces to the sink as it makes them; the first
    // failure of either stops it. The breather ticks while the file goes to disk.
    using Sink = std::function<Result(QByteArrayView)>;
    using Content = std::function<Result(const Sink& sink)>;
    Result replace(const QString& path, const Content& content, Breather* breather);

protected:
    // Moves the finished temporary file over the target.
    virtual Result commit(const QString& tempPath, const QString& path);
};

// Told when a lock must be waited for and when the wait is over, so that the windows can show that
// the program is busy; the application installs one.
class LockWaitHook
{
public:
    virtual ~LockWaitHook() = default;
    virtual void waitBegins() = 0;
    virtual void waitEnds() = 0;
};

// The hook every FileLock tells; nullptr for none.
void setLockWaitHook(LockWaitHook* hook);

// A lock shared by every process of the program around a read-modify-write of one file.
class FileLock
{
public:
    explicit FileLock(const QString& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits for a lock held elsewhere without blocking the event loop: windows repaint and timers run
    // meanwhile, user input waits until the lock is had or the time is up. Off the main thread it sleeps.
    Result acquire(int timeoutMs = 10000);
    void release();

private:
    Result lockFailure() const;
    // Removes a lock file that a crash left before anything was written into it.
    bool leftEmptyByACrash() const;

    std::unique_ptr<QLockFile> m_lock;
    QString m_path;
};

} // namespace tw::platform

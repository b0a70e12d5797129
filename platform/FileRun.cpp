#include "FileRun.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <utility>

namespace tw::platform {

namespace {

// Operations handed over but not yet begun: the run waits when it is this far ahead, until half of them
// are done, but not so long that its window would stop answering while a flush holds the copies up.
// Waiting for half, not for one, wakes the run once per many renames rather than once per file.
constexpr size_t kMaxQueued = 256;
constexpr auto kMaxWait = std::chrono::milliseconds(5);

} // namespace

FileRun::~FileRun()
{
    static_cast<void>(abandon());
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void FileRun::add(const QString& source, const QString& target, FileAction action)
{
    hand({source, target, action, std::nullopt});
}

void FileRun::addRefused(const FileOutcome& refused)
{
    hand({refused.source, refused.target, refused.action, refused});
}

QVector<FileOutcome> FileRun::perform(CopyGroup& group, const Item& item)
{
    QVector<FileOutcome> outcomes;
    if (item.action == FileAction::Copy) {
        if (item.refused)
            group.addRefused(*item.refused);
        else
            static_cast<void>(group.add(item.source, item.target));
        if (group.due())
            outcomes = group.advance();
        return outcomes;
    }
    // Copies handed over before it are placed first: outcomes keep the order of the run.
    if (!group.isEmpty())
        outcomes = group.complete();
    outcomes.append(item.refused ? *item.refused : performFileAction(item.action, item.source, item.target));
    return outcomes;
}

FileOutcome FileRun::notBegun(const Item& item)
{
    if (item.refused)
        return *item.refused;
    return FileOutcome{item.action, item.source, item.target, ECANCELED,
                       item.action == FileAction::Copy
                           ? QStringLiteral("Der Lauf wurde angehalten, bevor die Kopie an ihren Platz kam.")
                           : QStringLiteral("Der Lauf wurde angehalten, bevor die Datei an der Reihe war.")};
}

void FileRun::hand(Item item)
{
    if (m_here) {
        m_ready += perform(*m_here, item);
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread([this] { work(); });
        } catch (const std::system_error&) {
            lock.unlock();
            m_here.emplace(m_transfer);
            hand(std::move(item));
            return;
        }
    }
    if (m_queue.size() >= kMaxQueued)
        m_progress.wait_for(lock, kMaxWait, [this] { return m_queue.size() <= kMaxQueued / 2; });
    m_queue.push_back(std::move(item));
    ++m_open;
    lock.unlock();
    m_wake.notify_one();
}

bool FileRun::isEmpty() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_open == 0 && m_ready.isEmpty() && (!m_here || m_here->isEmpty());
}

bool FileRun::due() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return !m_ready.isEmpty();
}

QVector<FileOutcome> FileRun::advance()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_ready, {});
}

QVector<FileOutcome> FileRun::complete()
{
    return waitForAll(false);
}

QVector<FileOutcome> FileRun::abandon()
{
    return waitForAll(true);
}

QVector<FileOutcome> FileRun::waitForAll(bool stop)
{
    if (m_here)
        return std::exchange(m_ready, {}) + (stop ? m_here->abandon() : m_here->complete());
    std::unique_lock<std::mutex> lock(m_mutex);
    (stop ? m_stop : m_finish) = true;
    if (m_open > 0) {
        m_wake.notify_one();
        m_progress.wait(lock, [this] { return m_open == 0 && !m_finish && !m_stop; });
    }
    m_finish = m_stop = false;
    return std::exchange(m_ready, {});
}

void FileRun::deliver(const QVector<FileOutcome>& outcomes)
{
    if (outcomes.isEmpty())
        return;
    m_ready += outcomes;
    m_open -= int(outcomes.size());
    // Only waitForAll() waits for outcomes, and only for the last.
    if (m_open == 0)
        m_progress.notify_all();
}

void FileRun::work()
{
    CopyGroup group(m_transfer);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        QVector<FileOutcome> outcomes;
        if (m_stop) {
            // The rest were never begun.
            std::deque<Item> rest;
            rest.swap(m_queue);
            m_progress.notify_all();
            lock.unlock();
            outcomes = group.abandon();
            for (const Item& item : rest)
                outcomes.append(notBegun(item));
            lock.lock();
            deliver(outcomes);
            m_stop = m_open > 0;
            m_progress.notify_all();
            continue;
        }
        if (!m_queue.empty()) {
            Item item = std::move(m_queue.front());
            m_queue.pop_front();
            if (m_queue.size() == kMaxQueued / 2)
                m_progress.notify_all();
            lock.unlock();
            outcomes = perform(group, item);
            lock.lock();
            deliver(outcomes);
            continue;
        }
        if (m_finish) {
            lock.unlock();
            outcomes = group.complete();
            lock.lock();
            deliver(outcomes);
            m_finish = m_open > 0;
            m_progress.notify_all();
            continue;
        }
        if (m_quit)
            return;
        if (group.isEmpty()) {
            m_wake.wait(lock);
            continue;
        }
        // Waiting for the run: a group that has aged goes to disk, and one placed meanwhile is reported.
        m_wake.wait_for(lock, std::chrono::milliseconds(10));
        if (!m_queue.empty() || m_stop || m_finish)
            continue;
        lock.unlock();
        outcomes = group.due() ? group.advance() : group.collect();
        lock.lock();
        deliver(outcomes);
    }
}

} // namespace tw::platform

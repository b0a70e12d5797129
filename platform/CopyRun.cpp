#include "CopyRun.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <utility>

namespace tw::platform {

namespace {

// Copies handed over but not yet begun: the run waits when it is this far ahead, but not so long that
// its window would stop answering while a flush holds the copies up.
constexpr size_t kMaxQueued = 2 * CopyGroup::MaxFiles;
constexpr auto kMaxWait = std::chrono::milliseconds(5);

} // namespace

CopyRun::~CopyRun()
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

void CopyRun::add(const QString& source, const QString& target)
{
    hand({source, target, std::nullopt});
}

void CopyRun::addRefused(const FileOutcome& refused)
{
    hand({refused.source, refused.target, refused});
}

void CopyRun::hand(Item item)
{
    if (m_here) {
        if (item.refused)
            m_here->addRefused(*item.refused);
        else
            static_cast<void>(m_here->add(item.source, item.target));
        if (m_here->due())
            m_ready += m_here->advance();
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
    m_progress.wait_for(lock, kMaxWait, [this] { return m_queue.size() < kMaxQueued; });
    m_queue.push_back(std::move(item));
    ++m_open;
    lock.unlock();
    m_wake.notify_one();
}

bool CopyRun::isEmpty() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_open == 0 && m_ready.isEmpty() && (!m_here || m_here->isEmpty());
}

bool CopyRun::due() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return !m_ready.isEmpty();
}

QVector<FileOutcome> CopyRun::advance()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_ready, {});
}

QVector<FileOutcome> CopyRun::complete()
{
    if (m_here)
        return std::exchange(m_ready, {}) + m_here->complete();
    std::unique_lock<std::mutex> lock(m_mutex);
    m_finish = true;
    return waitForAll(lock);
}

QVector<FileOutcome> CopyRun::abandon()
{
    if (m_here)
        return std::exchange(m_ready, {}) + m_here->abandon();
    std::unique_lock<std::mutex> lock(m_mutex);
    m_stop = true;
    return waitForAll(lock);
}

QVector<FileOutcome> CopyRun::waitForAll(std::unique_lock<std::mutex>& lock)
{
    if (m_open > 0) {
        m_wake.notify_one();
        m_progress.wait(lock, [this] { return m_open == 0 && !m_finish && !m_stop; });
    }
    m_finish = m_stop = false;
    return std::exchange(m_ready, {});
}

void CopyRun::deliver(const QVector<FileOutcome>& outcomes)
{
    if (outcomes.isEmpty())
        return;
    m_ready += outcomes;
    m_open -= int(outcomes.size());
    m_progress.notify_all();
}

void CopyRun::work()
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
                outcomes.append(item.refused
                                    ? *item.refused
                                    : FileOutcome{FileAction::Copy, item.source, item.target, ECANCELED,
                                                  QStringLiteral("Der Lauf wurde angehalten, bevor die Kopie "
                                                                 "an ihren Platz kam.")});
            lock.lock();
            deliver(outcomes);
            m_stop = m_open > 0;
            m_progress.notify_all();
            continue;
        }
        if (!m_queue.empty()) {
            Item item = std::move(m_queue.front());
            m_queue.pop_front();
            m_progress.notify_all();
            lock.unlock();
            if (item.refused)
                group.addRefused(*item.refused);
            else
                static_cast<void>(group.add(item.source, item.target));
            if (group.due())
                outcomes = group.advance();
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

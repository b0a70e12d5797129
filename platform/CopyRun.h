#pragma once

#include "FileOutcome.h"
#include "FileTransfer.h"

#include <QString>
#include <QVector>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace tw::platform {

// The copies of a whole run, written, flushed and placed on a thread of their own in the order they are
// handed over, so that the run's thread only records each one and goes on. Outcomes come back in that
// order, a group at a time. Their files are touched only after add() was called, never before.
class CopyRun
{
public:
    explicit CopyRun(FileTransfer& transfer) : m_transfer(transfer) {}
    ~CopyRun(); // abandons what was never completed
    CopyRun(const CopyRun&) = delete;
    CopyRun& operator=(const CopyRun&) = delete;

    // A failure is reported with the outcomes, in its place among the others; so is a copy refused
    // before it began.
    void add(const QString& source, const QString& target);
    void addRefused(const FileOutcome& refused);
    bool isEmpty() const;
    // Outcomes are ready for advance().
    bool due() const;
    // The outcomes ready so far, never waiting.
    QVector<FileOutcome> advance();
    // Waits until every copy is flushed and placed; the outcomes of all not reported yet.
    QVector<FileOutcome> complete();
    // Places none of the copies not yet placed: their files go, and each is reported as not made.
    QVector<FileOutcome> abandon();

private:
    struct Item
    {
        QString source, target;
        std::optional<FileOutcome> refused;
    };
    void hand(Item item);
    void work();
    // The outcomes of all handed over; waits with the lock held in `lock`.
    QVector<FileOutcome> waitForAll(std::unique_lock<std::mutex>& lock);
    void deliver(const QVector<FileOutcome>& outcomes);

    FileTransfer& m_transfer;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;     // for the copying thread
    std::condition_variable m_progress; // for the caller
    std::deque<Item> m_queue;
    QVector<FileOutcome> m_ready;
    int m_open = 0; // handed over, outcome not yet ready
    bool m_finish = false, m_stop = false, m_quit = false;
    std::thread m_thread;
    // Where no thread can be had, the copies are done here, group by group.
    std::optional<CopyGroup> m_here;
};

} // namespace tw::platform

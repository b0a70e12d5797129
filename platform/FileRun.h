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

// The file operations of a whole run, done on a thread of their own in the order they are handed over,
// so that the run's thread only records each one and goes on. Copies are written, flushed and placed
// a group at a time; a rename or move is done as soon as it is its turn. Outcomes come back in the
// order of the run. A file is touched only after add() was called, never before.
class FileRun
{
public:
    explicit FileRun(FileTransfer& transfer) : m_transfer(transfer) {}
    ~FileRun(); // abandons what was never completed
    FileRun(const FileRun&) = delete;
    FileRun& operator=(const FileRun&) = delete;

    // A failure is reported with the outcomes, in its place among the others; so is an operation refused
    // before it began.
    void add(const QString& source, const QString& target, FileAction action = FileAction::Copy);
    void addRefused(const FileOutcome& refused);
    bool isEmpty() const;
    // Outcomes are ready for advance().
    bool due() const;
    // The outcomes ready so far, never waiting.
    QVector<FileOutcome> advance();
    // Waits until every operation is done and every copy placed; the outcomes of all not reported yet.
    QVector<FileOutcome> complete();
    // Does none of the operations not yet begun and places none of the copies not yet placed (their
    // files go); each is reported as not done.
    QVector<FileOutcome> abandon();

private:
    struct Item
    {
        QString source, target;
        FileAction action = FileAction::Copy;
        std::optional<FileOutcome> refused;
    };
    void hand(Item item);
    void work();
    // What an item in group's turn comes to: a copy joins the group, anything else waits for the group.
    static QVector<FileOutcome> perform(CopyGroup& group, const Item& item);
    static FileOutcome notBegun(const Item& item);
    // The outcomes of all handed over, once every copy is placed or (stop) none begun is done.
    QVector<FileOutcome> waitForAll(bool stop);
    void deliver(const QVector<FileOutcome>& outcomes);

    FileTransfer& m_transfer;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;     // for the working thread
    std::condition_variable m_progress; // for the caller
    std::deque<Item> m_queue;
    QVector<FileOutcome> m_ready;
    int m_open = 0; // handed over, outcome not yet ready
    bool m_finish = false, m_stop = false, m_quit = false;
    std::thread m_thread;
    // Where no thread can be had, the operations are done here, copies group by group.
    std::optional<CopyGroup> m_here;
};

} // namespace tw::platform

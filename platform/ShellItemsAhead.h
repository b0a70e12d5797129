#pragma once

#include "Browser.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tw::platform {

// Reads the items of a selection in their order on a thread of its own, a stretch ahead of the caller,
// so that looking each file up on disk overlaps with what the caller does with the one before. An item
// that skip refuses is not read. The selection's items and skip are used on that thread: they must only
// read what does not change meanwhile.
class ShellItemsAhead
{
public:
    using Skip = std::function<bool(int i)>;
    ShellItemsAhead(ShellItems items, Skip skip);
    ~ShellItemsAhead(); // stops the reading, waiting for the item being read
    ShellItemsAhead(const ShellItemsAhead&) = delete;
    ShellItemsAhead& operator=(const ShellItemsAhead&) = delete;

    // Whether item i has been read, waiting at most ms for it. Items are asked for in order, from 0.
    bool ready(int i, int ms);
    // Item i once ready, nothing when it was skipped.
    std::optional<ShellItem> take(int i);

private:
    static constexpr int Lead = 4096; // items read ahead at most

    std::optional<ShellItem> read(int i) const;
    void work();

    const ShellItems m_items;
    const Skip m_skip;
    std::vector<std::optional<ShellItem>> m_slots; // item i at i % Lead
    std::atomic<int> m_read{0};
    std::atomic<int> m_taken{0};
    std::atomic<bool> m_waiting{false}; // the caller waits in ready()
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_readyCv; // for the caller
    std::condition_variable m_roomCv;  // for the reading thread
    std::thread m_thread;
};

} // namespace tw::platform

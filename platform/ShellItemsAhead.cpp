#include "ShellItemsAhead.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

namespace tw::platform {

ShellItemsAhead::ShellItemsAhead(ShellItems items, Skip skip)
    : m_items(std::move(items)), m_skip(std::move(skip)),
      m_slots(static_cast<std::size_t>(std::min(Lead, std::max(m_items.Count(), 0))))
{
    if (m_items.Count() <= 0)
        return;
    try {
        m_thread = std::thread([this] { work(); });
    } catch (const std::system_error&) {
        // Without a thread of its own each item is read when it is taken.
    }
}

ShellItemsAhead::~ShellItemsAhead()
{
    m_stop = true;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
    }
    m_roomCv.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

std::optional<ShellItem> ShellItemsAhead::read(int i) const
{
    if (m_skip && m_skip(i))
        return std::nullopt;
    return m_items.Item(i);
}

void ShellItemsAhead::work()
{
    const int count = m_items.Count();
    for (int i = 0; i < count && !m_stop; ++i) {
        if (i - m_taken >= Lead) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_roomCv.wait(lock, [&] { return m_stop || i - m_taken < Lead; });
            if (m_stop)
                return;
        }
        m_slots[static_cast<std::size_t>(i % Lead)] = read(i);
        m_read = i + 1;
        // Only a caller that waits is woken, so that reading ahead costs no wake-up per item.
        if (m_waiting) {
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
            }
            m_readyCv.notify_all();
        }
    }
}

bool ShellItemsAhead::ready(int i, int ms)
{
    if (!m_thread.joinable() || m_read > i)
        return true;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_waiting = true;
    const bool bereit = m_readyCv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_read > i; });
    m_waiting = false;
    return bereit;
}

std::optional<ShellItem> ShellItemsAhead::take(int i)
{
    if (!m_thread.joinable())
        return read(i);
    std::optional<ShellItem> item = std::exchange(m_slots[static_cast<std::size_t>(i % Lead)], std::nullopt);
    m_taken = i + 1;
    // The reading thread waits for room only once it is a whole stretch ahead; it goes on once half is free.
    if ((i + 1) % (Lead / 2) == 0) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
        }
        m_roomCv.notify_one();
    }
    return item;
}

} // namespace tw::platform

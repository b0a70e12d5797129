#pragma once

#include <QElapsedTimer>
#include <chrono>
#include <functional>
#include <future>
#include <utility>

namespace tw::platform {

// Gives a window's event loop a turn about every 10 ms of a long piece of work: the work calls tick()
// as often as it likes, and the callback (the window's, which runs its events) runs when the time has
// come. Without a callback nothing happens, so the same code serves work without a window.
class Breather
{
public:
    static constexpr int intervalMs = 10;

    Breather() = default;
    // A test may make every tick call back (interval 0).
    explicit Breather(std::function<void()> callback, int interval = intervalMs)
        : m_callback(std::move(callback)), m_interval(interval)
    {
        m_clock.start();
    }

    bool active() const { return static_cast<bool>(m_callback); }
    void tick()
    {
        if (m_callback && m_clock.elapsed() >= m_interval)
            now();
    }
    void now()
    {
        if (!m_callback)
            return;
        m_callback();
        m_clock.start();
    }

    // Runs a blocking call (an fsync) on a worker thread, the callback running meanwhile on this one;
    // without a callback right here.
    template <class Work> auto wait(Work work) -> decltype(work())
    {
        if (!m_callback)
            return work();
        auto done = std::async(std::launch::async, std::move(work));
        while (done.wait_for(std::chrono::milliseconds(intervalMs / 2)) != std::future_status::ready)
            tick();
        return done.get();
    }

private:
    std::function<void()> m_callback;
    int m_interval = intervalMs;
    QElapsedTimer m_clock;
};

} // namespace tw::platform

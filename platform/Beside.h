#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <system_error>

namespace tw::platform {

// Runs work on a thread of its own while events() lets the caller's events run every 5 ms, so that no
// file operation, however long the file system makes it wait, holds up a window. Where no thread can be
// had, fallback() does the work here. What work touches is its own until it returns.
template <typename Work, typename Fallback>
auto runBeside(Work work, Fallback fallback, const std::function<void()>& events) -> decltype(work())
{
    std::future<decltype(work())> done;
    try {
        done = std::async(std::launch::async, std::move(work));
    } catch (const std::system_error&) {
        return fallback();
    }
    while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        if (events)
            events();
    }
    return done.get();
}

} // namespace tw::platform

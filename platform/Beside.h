#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <system_error>
#include <thread>
#include <type_traits>

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

// Frees a large value on a thread of its own: the paths of 100,000 files take tens of milliseconds to
// free, which a window need not wait for. What the value holds must be shared with nothing but through
// atomic counts, as Qt's strings and containers are. Where no thread can be had it is freed here.
template <typename T> void letGoBeside(T&& value)
{
    auto gone = std::make_unique<std::decay_t<T>>(std::forward<T>(value));
    try {
        std::thread([gone = std::move(gone)] {}).detach();
    } catch (const std::system_error&) {
    }
}

} // namespace tw::platform

#pragma once

#include <functional>

namespace tw::test {

// Linking the window tests' support gives them a QApplication from the first test to the last, on the
// offscreen platform unless the caller chose another.

// Processes events until the condition holds; false once the time is up.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

} // namespace tw::test

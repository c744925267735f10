// Waiting in tests for what other threads and programs do on their own.
#pragma once

#include <cstdint>
#include <functional>

namespace testsupport {

// What a loaded machine, a sanitizer or Wine may add to any step: a guard
// against hanging only. Every wait of the tests ends in milliseconds on a
// working machine; running out is a failure.
constexpr uint32_t kWaitLimitMs = 30000;

// Polls condition every millisecond until it holds (true) or limitMs pass
// (false). Code under test with a time budget of its own (a connect that
// gives up after a while) is waited for with its budget plus kWaitLimitMs.
bool WaitUntil(const std::function<bool()>& condition, uint32_t limitMs = kWaitLimitMs);

}  // namespace testsupport

// Bounded waiting for Wine tests: a condition is polled until it holds or time runs out, with the
// thread's messages pumped in between (windows of the test thread keep answering).
#pragma once

#include <chrono>
#include <functional>

namespace mirel::test {

// Dispatches every message queued for the calling thread.
void PumpMessages();

// Polls `condition` until it holds or `timeout` has passed, pumping messages while it waits.
// Returns the condition's last value.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));

}  // namespace mirel::test

// Bounded waiting: every end-to-end check of something the program does asynchronously polls a
// condition until it holds or a deadline passes. There are no fixed sleeps in the tests.
#pragma once

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace mirel::e2e {

inline constexpr std::chrono::milliseconds kDefaultTimeout{10000};

// A driver step that could not be done (the program did not start, a menu did not open...). The
// test that called it fails with the message; the fixture's teardown still runs.
class DriverError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Polls `condition` every 10 ms (pumping this thread's messages) until it holds or `timeout` has
// passed; returns its last value.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = kDefaultTimeout);

// WaitUntil for assertions: ASSERT_TRUE(Eventually("window 'A' hidden", [&] { ... }));
// the failure says what was awaited and for how long, plus `detail()` at the deadline when given.
::testing::AssertionResult Eventually(const std::string& what,
                                      const std::function<bool()>& condition,
                                      std::chrono::milliseconds timeout = kDefaultTimeout,
                                      const std::function<std::string()>& detail = {});

// WaitUntil for driver steps: throws DriverError saying what was awaited.
void Await(const std::string& what, const std::function<bool()>& condition,
           std::chrono::milliseconds timeout = kDefaultTimeout);

}  // namespace mirel::e2e

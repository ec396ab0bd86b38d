#include "e2e/driver/wait.h"

#include "tests/win32/support/wait.h"

namespace mirel::e2e {
namespace {

std::string TimedOut(const std::string& what, std::chrono::milliseconds timeout) {
  return "timed out after " + std::to_string(timeout.count()) + " ms waiting for: " + what;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  return test::WaitUntil(condition, timeout);
}

::testing::AssertionResult Eventually(const std::string& what,
                                      const std::function<bool()>& condition,
                                      std::chrono::milliseconds timeout,
                                      const std::function<std::string()>& detail) {
  if (WaitUntil(condition, timeout)) return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure() << TimedOut(what, timeout);
  if (detail) failure << "\n  " << detail();
  return failure;
}

void Await(const std::string& what, const std::function<bool()>& condition,
           std::chrono::milliseconds timeout) {
  if (!WaitUntil(condition, timeout)) throw DriverError(TimedOut(what, timeout));
}

}  // namespace mirel::e2e

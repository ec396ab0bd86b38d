#include "e2e/driver/hot_keys.h"

#include <chrono>

#include "e2e/driver/input.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"

namespace mirel::e2e {

void PressShiftCtrlF(int n, HWND programWindow, unsigned answerWithinMs) {
  constexpr auto kQuiet = std::chrono::milliseconds(30);
  // Between switches the program idles in its message loop and answers within milliseconds; a
  // longer wait would let a program that stalls after each switch pass.
  const UINT kAnswerWithinMs = answerWithinMs;
  Await("the keys of the previous press up", [] {
    if (KeyDown(VK_SHIFT) || KeyDown(VK_CONTROL)) return false;
    for (int k = 1; k <= 8; ++k) {
      if (KeyDown(FunctionKey(k))) return false;
    }
    return true;
  });
  if (!Answers(programWindow, kAnswerWithinMs)) {
    throw DriverError("the program does not answer: " + Describe(programWindow));
  }
  const auto idle = std::chrono::steady_clock::now();
  WaitUntil([&] { return std::chrono::steady_clock::now() - idle >= kQuiet; });
  PressKeys({VK_SHIFT, VK_CONTROL, FunctionKey(n)});
}

}  // namespace mirel::e2e

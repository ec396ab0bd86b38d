#include "e2e/driver/hot_keys.h"

#include <chrono>

#include "e2e/driver/input.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"

namespace mirel::e2e {

void PressShiftCtrlF(int n, HWND programWindow, unsigned answerWithinMs) {
  PressHotKey({VK_SHIFT, VK_CONTROL, FunctionKey(n)}, programWindow, answerWithinMs);
}

void PressHotKey(std::initializer_list<WORD> keys, HWND programWindow, unsigned answerWithinMs) {
  constexpr auto kQuiet = std::chrono::milliseconds(30);
  // Between switches the program idles in its message loop and answers within milliseconds; a
  // longer wait would let a program that stalls after each switch pass.
  const UINT kAnswerWithinMs = answerWithinMs;
  Await("the keys of the previous press up", [] {
    if (KeyDown(VK_SHIFT) || KeyDown(VK_CONTROL) || KeyDown(VK_MENU)) return false;
    for (int k = 1; k <= 8; ++k) {
      if (KeyDown(FunctionKey(k))) return false;
    }
    return !KeyDown(VK_LEFT) && !KeyDown(VK_RIGHT);
  });
  if (!Answers(programWindow, kAnswerWithinMs)) {
    throw DriverError("the program does not answer: " + Describe(programWindow));
  }
  const auto idle = std::chrono::steady_clock::now();
  WaitUntil([&] { return std::chrono::steady_clock::now() - idle >= kQuiet; });
  PressKeys(keys);
}

}  // namespace mirel::e2e

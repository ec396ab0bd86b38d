// The windows the Wine timings move: N windows of another process (mirel_bench_windows) in the
// upper left of desktop 1, ten to a thread.
#pragma once

#include <vector>

#include "e2e/driver/process.h"
#include "platform/win32/windows_api.h"

namespace mirel::bench {

struct Scene {
  std::vector<HWND> windows;  // in Z order, topmost first
  std::vector<RECT> home;     // their rectangles on desktop 1
};

inline constexpr int kWindowsPerThread = 10;

class Samples {
 public:
  // Starts the window process and waits until all `count` windows exist; throws DriverError.
  explicit Samples(int count);
  Samples(const Samples&) = delete;
  Samples& operator=(const Samples&) = delete;

  Scene scene;

 private:
  std::vector<HWND> Windows() const;

  e2e::Process process_;  // ended with the object
};

}  // namespace mirel::bench

#include "bench/wine/samples.h"

#include <chrono>
#include <string>

#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"

namespace mirel::bench {

Samples::Samples(int count) {
  process_ = e2e::Process::Start(e2e::BesideTestExecutable("mirel_bench_windows.exe"),
                                 std::to_string(count) + " " + std::to_string(kWindowsPerThread));
  // Hundreds of windows take a while to open on a busy machine.
  if (!e2e::WaitUntil([&] { return static_cast<int>(Windows().size()) == count; },
                      std::chrono::seconds(120))) {
    throw e2e::DriverError("the window process did not open its " + std::to_string(count) +
                           " windows (it has " + std::to_string(Windows().size()) + ")");
  }
  for (HWND w : Windows()) {
    RECT r;
    GetWindowRect(w, &r);
    scene.windows.push_back(w);
    scene.home.push_back(r);
  }
}

std::vector<HWND> Samples::Windows() const {
  std::vector<HWND> windows;
  for (HWND w : e2e::TopLevelWindows()) {
    if (e2e::WindowProcess(w) == process_.Id() && IsWindowVisible(w)) windows.push_back(w);
  }
  return windows;
}

}  // namespace mirel::bench

// Sample windows for the Wine timings: N windows in the upper left of desktop 1, spread over
// several sample processes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "e2e/driver/sample_app.h"
#include "platform/win32/windows_api.h"

namespace mirel::bench {

struct Scene {
  std::vector<HWND> windows;
  std::vector<RECT> home;  // their rectangles on desktop 1
};

// The window texts of the sample application for `count` windows titled "Bench 0" ...
std::vector<std::string> SampleSpecs(int count);

// At most kPerSample windows per sample process: a sample must show all its windows within the
// driver's start-up wait, which a loaded machine makes long.
class Samples {
 public:
  static constexpr int kPerSample = 40;

  // Starts the samples and waits until all `count` windows exist; throws DriverError.
  explicit Samples(int count);
  ~Samples();
  Samples(const Samples&) = delete;
  Samples& operator=(const Samples&) = delete;

  Scene scene;

 private:
  std::vector<HWND> Windows() const;

  std::vector<std::unique_ptr<e2e::SampleApp>> apps_;
};

}  // namespace mirel::bench

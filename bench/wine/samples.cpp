#include "bench/wine/samples.h"

#include <algorithm>

#include "e2e/driver/wait.h"

namespace mirel::bench {

std::vector<std::string> SampleSpecs(int count) {
  std::vector<std::string> specs;
  for (int i = 0; i < count; ++i) {
    specs.push_back("title=Bench " + std::to_string(i) + ";x=" + std::to_string(20 + (i * 13) % 600) +
                    ";y=" + std::to_string(20 + (i * 7) % 400) + ";w=240;h=160");
  }
  return specs;
}

Samples::Samples(int count) {
  const std::vector<std::string> specs = SampleSpecs(count);
  for (std::size_t first = 0; first < specs.size(); first += kPerSample) {
    const std::size_t last = std::min(specs.size(), first + kPerSample);
    apps_.push_back(std::make_unique<e2e::SampleApp>());
    apps_.back()->Start({specs.begin() + static_cast<std::ptrdiff_t>(first),
                         specs.begin() + static_cast<std::ptrdiff_t>(last)});
  }
  if (!e2e::WaitUntil([&] { return static_cast<int>(Windows().size()) == count; })) {
    throw e2e::DriverError("the samples did not open their " + std::to_string(count) +
                           " windows");
  }
  for (HWND w : Windows()) {
    RECT r;
    GetWindowRect(w, &r);
    scene.windows.push_back(w);
    scene.home.push_back(r);
  }
}

Samples::~Samples() {
  for (auto& app : apps_) app->Stop();
}

std::vector<HWND> Samples::Windows() const {
  std::vector<HWND> all;
  for (const auto& app : apps_) {
    for (HWND w : app->Windows()) all.push_back(w);
  }
  return all;
}

}  // namespace mirel::bench

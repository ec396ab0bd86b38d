// Start-up over hostile stored data: any values of any type and length under "Options", any
// "Startup" folder under "Shell Folders", and "HiddenApps" values naming the handles of existing
// windows with right and wrong titles, handles of closed windows, and names that are no handle at
// all. Loading the settings never fails, and recovering the hidden windows touches only a window
// whose value names its very handle and holds its very title; no window ever moves.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/win2tree.h"
#include "fuzz/fuzz_support.h"
#include "settings/settings_store.h"
#include "tests/engine_fixture.h"

namespace mirel::fuzz {
namespace {

class FakeShell : public IShellIntegration {
 public:
  bool linkPresent = false;
  bool FileExists(const std::string&) override { return linkPresent; }
  bool RemoveFile(const std::string&) override { return true; }
  std::string ExecutablePath() override { return "C:\\Mirel\\MirelVirtualDesktop.exe"; }
  void CreateShortcut(const std::string&, const std::string&, const std::string&) override {}
};

RegValue AnyValue(FuzzedDataProvider& input, const std::string& likelyText) {
  RegValue value;
  const std::uint32_t types[] = {kRegSz, kRegExpandSz, kRegBinary, kRegDword, kRegMultiSz,
                                 kRegQword, kRegNone};
  value.type = input.ConsumeBool() ? kRegSz : input.PickValueInArray(types);
  std::string bytes;
  switch (input.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
      bytes = likelyText;
      break;
    case 1:
      bytes = std::string(65536, static_cast<char>(input.ConsumeIntegral<std::uint8_t>()));
      break;
    case 2:
      bytes = std::to_string(input.ConsumeIntegral<std::int64_t>());
      break;
    default:
      bytes = input.ConsumeRandomLengthString(64);
  }
  value.data.assign(bytes.begin(), bytes.end());
  if (input.ConsumeBool()) value.data.push_back(0);
  return value;
}

std::string TextOf(const RegValue& value) {
  std::string text(value.data.begin(), value.data.end());
  return text.substr(0, text.find('\0'));
}

struct Before {
  Rect rect;
  bool visible;
  bool enabled;
};

}  // namespace
}  // namespace mirel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirel;
  FuzzedDataProvider input(data, size);
  test::EngineTest scene;

  // Windows, some held hidden and disabled as a killed run would have left them.
  std::vector<Hwnd> windows;
  const int count = input.ConsumeIntegralInRange<int>(0, 8);
  for (int i = 0; i < count; ++i) {
    const Hwnd window = scene.WindowOn(input.ConsumeIntegralInRange<int>(0, 7),
                                       input.ConsumeBool() ? "Editor" : "Mail");
    scene.ws.Window(window).visible = input.ConsumeBool();
    scene.ws.Window(window).enabled = input.ConsumeBool();
    windows.push_back(window);
  }
  const Hwnd closed = scene.ws.AddWindow("Closed", {0, 0, 10, 10});
  scene.ws.Destroy(closed);

  const char* const kOptionNames[] = {"HideApps", "HotKey1", "HotKey5", "HotKey8", "HotKey9", ""};
  for (int i = input.ConsumeIntegralInRange<int>(0, 10); i > 0; --i) {
    const std::string name = input.ConsumeBool() ? std::string(input.PickValueInArray(kOptionNames))
                                                 : input.ConsumeRandomLengthString(10);
    scene.registry.SetRaw("Software\\Mirel\\Virtual Desktop\\Options", name,
                          fuzz::AnyValue(input, "24688"));
  }
  if (input.ConsumeBool()) {
    scene.registry.SetRaw("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                          "Startup", fuzz::AnyValue(input, "Q:\\nowhere"));
  }
  std::map<std::string, RegValue> records;
  for (int i = input.ConsumeIntegralInRange<int>(0, 12); i > 0; --i) {
    std::string name;
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
      case 0:
      case 1:
        name = windows.empty() ? "1" : std::to_string(windows[input.ConsumeIntegralInRange<std::size_t>(
                                                          0, windows.size() - 1)]);
        break;
      case 2:
        name = std::to_string(input.ConsumeBool() ? closed : scene.host.mainWindow);
        break;
      case 3:
        name = "0" + std::to_string(windows.empty() ? 7 : windows.front());
        break;
      default:
        name = input.ConsumeRandomLengthString(24);
    }
    RegValue value = fuzz::AnyValue(input, input.ConsumeBool() ? "Editor" : "Mail");
    records[UpperAscii(name)] = value;
    scene.registry.SetRaw(kHiddenAppsKeyPath, name, std::move(value));
  }

  std::map<Hwnd, fuzz::Before> before;
  for (Hwnd window : scene.ws.WindowsInZOrder()) {
    const sim::SimWindow& w = scene.ws.Window(window);
    before[window] = {w.rect, w.visible, w.enabled};
  }

  fuzz::FakeShell shell;
  shell.linkPresent = input.ConsumeBool();
  TSettings settings;
  LoadSettings(scene.registry, shell, settings);
  scene.config.HideApps = settings.HideApps;
  scene.engine.RecoverHiddenApps();

  for (const auto& [window, was] : before) {
    const sim::SimWindow& w = scene.ws.Window(window);
    fuzz::Require(w.rect == was.rect, "recovery moves no window");
    if (w.visible == was.visible && w.enabled == was.enabled) continue;
    const auto it = records.find(std::to_string(window));
    const bool recorded = it != records.end() &&
                          (it->second.type == kRegSz || it->second.type == kRegExpandSz) &&
                          fuzz::TextOf(it->second) == w.title;
    fuzz::Require(recorded, "only the very window recorded is touched");
    fuzz::Require(w.visible || !was.visible, "recovery hides nothing");
    fuzz::Require(w.enabled, "recovery only enables");
  }
  return 0;
}

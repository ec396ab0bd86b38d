#include "e2e/driver/sample_app.h"

#include <algorithm>
#include <cstdint>

#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "e2e/sample/sample_window.h"

namespace mirel::e2e {
namespace {

constexpr const char* kControlClass = "MirelSampleControl";
constexpr const char* kHiddenOwnerClass = "MirelSampleHiddenOwner";
constexpr DWORD kCommandTimeoutMs = 15000;

// A window the sample opened itself, not one of its helpers or the system's per-thread IME window.
bool IsSampleWindow(HWND window, DWORD processId) {
  if (WindowProcess(window) != processId) return false;
  const std::string className = WindowClass(window);
  return className != kControlClass && className != kHiddenOwnerClass && className != "IME";
}

// The value of "title=" in a window text.
std::string TitleOf(const std::string& windowRecipe) {
  std::size_t start = 0;
  while (start <= windowRecipe.size()) {
    const std::size_t end = std::min(windowRecipe.find(';', start), windowRecipe.size());
    const std::string pair = windowRecipe.substr(start, end - start);
    if (pair.starts_with("title=")) return pair.substr(6);
    start = end + 1;
  }
  return {};
}

}  // namespace

void SampleApp::Start(const std::vector<std::string>& windowRecipes) {
  std::string arguments;
  for (const std::string& recipe : windowRecipes) arguments += " " + QuoteArgument(recipe);
  process_ = Process::Start(BesideTestExecutable(kExecutable), arguments);
  // The control window appears after every window of the command line.
  Await("the sample's control window", [&] {
    control_ = FindWindowOf(process_.Id(), kControlClass);
    return control_ != nullptr || !process_.Running();
  });
  if (control_ == nullptr) {
    throw DriverError("the sample ended with status " + std::to_string(process_.ExitCode()) +
                      " (bad window text? its standard error says why)");
  }
}

HWND SampleApp::FindWindowTitled(const std::string& title) const {
  return FindTopLevel(
      [&](HWND w) { return IsSampleWindow(w, process_.Id()) && WindowTitle(w) == title; });
}

int SampleApp::Moves(const std::string& title) const {
  return static_cast<int>(
      reinterpret_cast<std::intptr_t>(GetPropA(Window(title), sample::kMovesProperty)));
}

HWND SampleApp::Window(const std::string& title) const {
  const HWND window = FindWindowTitled(title);
  if (window == nullptr) throw DriverError("the sample has no window titled '" + title + "'");
  return window;
}

std::vector<HWND> SampleApp::Windows() const {
  std::vector<HWND> windows;
  for (HWND w : TopLevelWindows()) {
    if (IsSampleWindow(w, process_.Id())) windows.push_back(w);
  }
  return windows;
}

HWND SampleApp::Open(const std::string& windowRecipe) {
  if (Command(windowRecipe) != 1) throw DriverError("the sample could not open '" + windowRecipe + "'");
  return Window(TitleOf(windowRecipe));
}

void SampleApp::Show(const std::string& title) {
  if (Command("show " + title) != 1) throw DriverError("the sample has no window '" + title + "'");
}

int SampleApp::Told(const std::string& title) const {
  return static_cast<int>(
      reinterpret_cast<std::intptr_t>(GetPropA(Window(title), sample::kToldProperty)));
}

void SampleApp::Close(const std::string& title) {
  if (Command("close " + title) != 1) throw DriverError("the sample has no window '" + title + "'");
}

void SampleApp::Stop() {
  if (!process_.Running()) return;
  if (control_ != nullptr) Command("quit");
  if (!process_.WaitForExit(std::chrono::seconds(5))) process_.Terminate();
}

LRESULT SampleApp::Command(const std::string& text) const {
  COPYDATASTRUCT data{};
  data.cbData = static_cast<DWORD>(text.size());
  data.lpData = const_cast<char*>(text.data());
  DWORD_PTR reply = 0;
  if (!SendMessageTimeoutA(control_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                           SMTO_ABORTIFHUNG, kCommandTimeoutMs, &reply)) {
    throw DriverError("the sample's control window did not answer '" + text + "'");
  }
  return static_cast<LRESULT>(reply);
}

}  // namespace mirel::e2e

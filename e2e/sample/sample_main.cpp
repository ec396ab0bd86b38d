// MirelSample: opens the top-level windows described on its command line, one argument per window
// (see window_recipe.h), then its control window (control_window.h), and runs until told to quit.
// Exit status 2 when an argument is malformed or a window cannot be opened; the reason goes to
// standard error.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "e2e/sample/control_window.h"
#include "e2e/sample/sample_window.h"
#include "e2e/sample/window_recipe.h"
#include "platform/win32/wide_text.h"

namespace {

constexpr int kBadArguments = 2;

bool OpenFromCommandLine() {
  for (int i = 1; i < __argc; ++i) {
    const std::string argument = mirel::win32::Utf8(__wargv[i]);
    std::string error;
    const auto recipe = mirel::sample::ParseWindowRecipe(argument, error);
    if (recipe) error = mirel::sample::OpenWindowOnOwnThread(*recipe).error;
    if (!error.empty()) {
      std::fprintf(stderr, "MirelSample: %s: %s\n", argument.c_str(), error.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  // Windows open one after the other, so their Z order follows the command line (last on top).
  if (!OpenFromCommandLine()) return kBadArguments;
  // The control window comes last: once it exists, every window of the command line does.
  const mirel::win32::UniqueWindow control = mirel::sample::CreateControlWindow();
  if (!control) {
    std::fprintf(stderr, "MirelSample: cannot create the control window\n");
    return kBadArguments;
  }
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // Windows whose threads are still running (or hanging) end with the process.
  std::_Exit(0);
}

// The sample application (MirelSample.exe) as a test drives it: the windows other applications
// would have, which the program under test moves, hides and shows.
#pragma once

#include <string>
#include <vector>

#include "e2e/driver/process.h"

namespace mirel::e2e {

class SampleApp {
 public:
  static constexpr const char* kExecutable = "MirelSample.exe";

  // Starts the sample with one window per text (see e2e/sample/window_recipe.h) and waits until all
  // of them exist; throws DriverError when the sample fails or does not get ready.
  void Start(const std::vector<std::string>& windowRecipes);
  bool Running() const { return process_.Running(); }
  DWORD ProcessId() const { return process_.Id(); }

  // Its window titled `title`; throws DriverError when there is none.
  HWND Window(const std::string& title) const;
  // The same, null when there is none.
  HWND FindWindowTitled(const std::string& title) const;
  // How often the window titled `title` has changed place since it opened: every move counts, also
  // one that a later move undid before the test looked.
  int Moves(const std::string& title) const;
  // Every window of the sample that is not its control window or a hidden owner.
  std::vector<HWND> Windows() const;

  // Opens one more window; returns once it exists.
  HWND Open(const std::string& windowRecipe);
  // Asks the window titled `title` to close (WM_CLOSE).
  void Close(const std::string& title);
  // Has the sample show the window titled `title` itself (ShowWindow SW_SHOW); returns once done.
  void Show(const std::string& title);
  // How many display changes the `onmove` window titled `title` sent and had answered.
  int Told(const std::string& title) const;
  // Ends the sample: asks it to quit, terminates it when it does not.
  void Stop();

 private:
  // Sends a command to the control window; its reply (1 for success).
  LRESULT Command(const std::string& text) const;

  Process process_;
  HWND control_ = nullptr;
};

}  // namespace mirel::e2e

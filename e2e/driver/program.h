// The program under test (MirelVirtualDesktop.exe) as a test drives it: start, find its windows,
// end it normally or kill it.
#pragma once

#include <chrono>
#include <string>

#include "e2e/driver/process.h"

namespace mirel::e2e {

// Window classes of the program's top-level windows.
inline constexpr const char* kApplicationClass = "TApplication";
inline constexpr const char* kMainFormClass = "TVirtualDeskForm";
inline constexpr const char* kOverlayClass = "TfDesktopName";
inline constexpr const char* kAboutClass = "TAboutForm";
inline constexpr const char* kTransparencyClass = "TTransparencyForm";
inline constexpr const char* kSleepTimerClass = "TSleepTimerForm";

class ProgramUnderTest {
 public:
  static constexpr const char* kExecutable = "MirelVirtualDesktop.exe";

  // Starts the program and waits until it is ready: its forms exist (the main form and the
  // overlay, created last but one) and it waits for input. Throws DriverError otherwise.
  void Start();
  bool Running() const { return process_.Running(); }
  DWORD ProcessId() const { return process_.Id(); }
  DWORD ExitCode() const { return process_.ExitCode(); }
  bool WaitForExit(std::chrono::milliseconds timeout) const {
    return process_.WaitForExit(timeout);
  }

  // The program's top-level window of `className`; null when there is none.
  HWND Window(const char* className) const;
  HWND MainWindow() const { return Window(kMainFormClass); }

  // TerminateProcess, the way a crash ends it: nothing of its shut-down runs.
  void Kill() { process_.Terminate(); }

  // What a run of the program with `arguments` (a command for the running copy) gave: its exit
  // code and what it wrote to its output and error handles. Throws DriverError when it has not
  // ended within `timeout`.
  struct CommandRun {
    DWORD exitCode = 0;
    std::string output;
  };
  static CommandRun RunCommand(const std::string& arguments,
                               std::chrono::milliseconds timeout = std::chrono::seconds(15));

 private:
  Process process_;
};

}  // namespace mirel::e2e

// Child processes of a test: the program under test and the sample application, both started from
// the folder of the test executable (the build puts them side by side).
#pragma once

#include <chrono>
#include <string>

#include "platform/win32/handles.h"

namespace mirel::e2e {

// The full Windows path of the running test executable.
std::string TestExecutablePath();
// The full Windows path of `fileName` in the folder of the running test executable.
std::string BesideTestExecutable(const std::string& fileName);

// One child process; terminated (if still running) when the object goes.
class Process {
 public:
  Process() = default;
  Process(Process&&) noexcept = default;
  Process& operator=(Process&&) noexcept = default;
  ~Process() { Terminate(); }

  // Starts `executable` with `arguments` (already quoted as needed); throws DriverError.
  static Process Start(const std::string& executable, const std::string& arguments);

  bool Started() const { return static_cast<bool>(process_); }
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_.get(); }
  bool Running() const;
  // Waits until the process has ended; false when it still runs after `timeout`.
  bool WaitForExit(std::chrono::milliseconds timeout) const;
  // Its exit code once it has ended.
  DWORD ExitCode() const;
  // TerminateProcess (the crash drill), then waits for the end; no-op once it has ended.
  void Terminate();

 private:
  win32::UniqueKernelHandle process_;
  DWORD id_ = 0;
};

// Quotes one command-line argument for the C runtime's parser (which splits __argv).
std::string QuoteArgument(const std::string& argument);

}  // namespace mirel::e2e

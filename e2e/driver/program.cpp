#include "e2e/driver/program.h"

#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"

namespace mirel::e2e {

void ProgramUnderTest::Start() {
  process_ = Process::Start(BesideTestExecutable(kExecutable), "");
  const DWORD idle = WaitForInputIdle(process_.Handle(), 15000);
  if (idle != 0) {
    throw DriverError("the program did not get ready for input (WaitForInputIdle returned " +
                      std::to_string(idle) + ", exit code " + std::to_string(ExitCode()) + ")");
  }
  Await("the program's main form and overlay", [&] {
    return !Running() || (MainWindow() != nullptr && Window(kOverlayClass) != nullptr);
  });
  if (!Running()) {
    throw DriverError("the program ended during start-up with exit code " +
                      std::to_string(ExitCode()));
  }
}

HWND ProgramUnderTest::Window(const char* className) const {
  return process_.Started() ? FindWindowOf(process_.Id(), className) : nullptr;
}

}  // namespace mirel::e2e

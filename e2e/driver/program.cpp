#include "e2e/driver/program.h"

#include <fstream>
#include <sstream>

#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/wide_text.h"

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

ProgramUnderTest::CommandRun ProgramUnderTest::RunCommand(const std::string& arguments,
                                                          std::chrono::milliseconds timeout) {
  // Output and errors go to one file the child inherits: it then writes there, never to a console
  // or a message box.
  wchar_t folder[MAX_PATH] = {};
  wchar_t file[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"mvd", 0, file);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  win32::UniqueKernelHandle output(CreateFileW(file, GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                               CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr));
  if (!output) throw DriverError("cannot make the output file of a command run");
  const std::string executable = BesideTestExecutable(kExecutable);
  std::wstring commandLine = win32::Wide(QuoteArgument(executable) + " " + arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = output.get();
  startup.hStdError = output.get();
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(win32::Wide(executable).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                      0, nullptr, nullptr, &startup, &info)) {
    throw DriverError("cannot start " + executable + " " + arguments);
  }
  const win32::UniqueKernelHandle process(info.hProcess);
  const win32::UniqueKernelHandle thread(info.hThread);
  output.Reset();
  if (WaitForSingleObject(process.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 99);
    throw DriverError("'" + arguments + "' did not end");
  }
  CommandRun run;
  GetExitCodeProcess(process.get(), &run.exitCode);
  std::ifstream written(win32::Utf8(file), std::ios::binary);
  std::ostringstream text;
  text << written.rdbuf();
  run.output = text.str();
  written.close();
  DeleteFileW(file);
  return run;
}

}  // namespace mirel::e2e

#include "e2e/driver/process.h"

#include "e2e/driver/wait.h"
#include "platform/win32/wide_text.h"

namespace mirel::e2e {

std::string TestExecutablePath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return win32::Utf8(std::wstring_view(path, length));
}

std::string BesideTestExecutable(const std::string& fileName) {
  std::string folder = TestExecutablePath();
  folder.erase(folder.find_last_of("\\/") + 1);
  return folder + fileName;
}

Process Process::Start(const std::string& executable, const std::string& arguments) {
  const std::wstring path = win32::Wide(executable);
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    throw DriverError("no such executable: " + executable);
  }
  std::wstring commandLine =
      win32::Wide(QuoteArgument(executable) + (arguments.empty() ? "" : " " + arguments));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    throw DriverError("cannot start " + executable + " (error " + std::to_string(GetLastError()) +
                      ")");
  }
  const win32::UniqueKernelHandle thread(info.hThread);
  Process process;
  process.process_.Reset(info.hProcess);
  process.id_ = info.dwProcessId;
  return process;
}

bool Process::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(std::chrono::milliseconds timeout) const {
  return !process_ ||
         WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_.get(), &code);
  return code;
}

void Process::Terminate() {
  if (!Running()) return;
  TerminateProcess(process_.get(), 1);
  WaitForSingleObject(process_.get(), 10000);
}

std::string QuoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes double only before a quote.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

}  // namespace mirel::e2e

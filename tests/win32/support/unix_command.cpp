#include "tests/win32/support/unix_command.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"
#include "tests/win32/support/wait.h"

namespace mirel::test {
namespace {

bool FileExists(const std::string& windowsPath) {
  return ::GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFile(const std::string& windowsPath) {
  std::ifstream in(windowsPath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool WriteFile(const std::string& windowsPath, const std::string& text) {
  std::ofstream out(windowsPath, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

}  // namespace

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string WindowsPathOf(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

UnixCommandResult RunUnixCommand(const std::string& command, std::chrono::milliseconds timeout) {
  UnixCommandResult result;
  const std::string scratch = Env("MIREL_WINE_SCRATCH");
  if (scratch.empty()) {
    result.output = "MIREL_WINE_SCRATCH is not set: not inside tools/wine-session";
    return result;
  }
  static int counter = 0;
  const std::string base = scratch + "/unix-" + std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(++counter);
  const std::string script = base + ".sh", output = base + ".out", status = base + ".status";

  // The status file appears by rename only when complete.
  const std::string text = "PATH=/usr/local/bin:/usr/bin:/bin; export PATH\n(\n" + command +
                           "\n) >'" + output + "' 2>&1 </dev/null\necho $? >'" + status +
                           ".tmp' && mv '" + status + ".tmp' '" + status + "'\n";
  if (!WriteFile(WindowsPathOf(script), text)) {
    result.output = "cannot write " + script;
    return result;
  }

  std::string commandLine = "Z:\\bin\\sh \"" + script + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    result.output = "CreateProcess failed with error " + std::to_string(::GetLastError());
    return result;
  }
  // Wine fills in no handles for a Unix process; close whatever came back.
  win32::UniqueKernelHandle processHandle(process.hProcess);
  win32::UniqueKernelHandle threadHandle(process.hThread);

  const std::string statusPath = WindowsPathOf(status);
  result.finished = WaitUntil([&] { return FileExists(statusPath); }, timeout);
  if (result.finished) result.exitStatus = std::atoi(ReadFile(statusPath).c_str());
  result.output = ReadFile(WindowsPathOf(output));
  return result;
}

}  // namespace mirel::test

#include "app/win32/command_line_client.h"

#include "platform/win32/windows_api.h"

#include <shellapi.h>

#include "app/app_names.h"
#include "app/command_line.h"
#include "app/command_message.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

// How long the running copy may take to answer: it answers at once unless it is in the middle
// of a switch that waits on windows.
constexpr UINT kAnswerTimeoutMs = 10000;

// Where text goes: a file or pipe the starter gave us, else the console of the process that
// started us (a command prompt), else nowhere.
class TOutput {
 public:
  TOutput() {
    for (const DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
      const HANDLE handle = ::GetStdHandle(which);
      const DWORD type = handle != nullptr && handle != INVALID_HANDLE_VALUE
                             ? ::GetFileType(handle)
                             : FILE_TYPE_UNKNOWN;
      if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
        redirected_[which == STD_ERROR_HANDLE ? 1 : 0] = handle;
      }
    }
    if (redirected_[0] == nullptr && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
      console_.Reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    }
  }

  // False when there is nowhere to write.
  bool Write(const std::string& text, bool error) {
    const HANDLE file = redirected_[error && redirected_[1] != nullptr ? 1 : 0];
    DWORD written = 0;
    if (file != nullptr) {
      return ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    if (!console_) return false;
    // The prompt of the console that started us is already on the line.
    std::wstring wide = L"\r\n";
    for (const wchar_t c : Wide(text)) {
      if (c == L'\n') wide += L'\r';
      wide += c;
    }
    return ::WriteConsoleW(console_.get(), wide.data(), static_cast<DWORD>(wide.size()), &written,
                           nullptr);
  }

 private:
  HANDLE redirected_[2] = {nullptr, nullptr};  // output, error; not ours to close
  UniqueKernelHandle console_;
};

void Tell(TOutput& output, const std::string& text, bool error, bool boxOtherwise) {
  if (output.Write(text, error) || !boxOtherwise) return;
  ::MessageBoxW(nullptr, Wide(text).c_str(), Wide(kAppTitle).c_str(),
                MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

// Sends the command; the running copy's answer, or nothing when no copy runs or answers.
std::optional<LRESULT> Send(const TDeskCommand& command) {
  const HWND window = ::FindWindowW(Wide(kMainFormClass).c_str(), Wide(kAppTitle).c_str());
  if (window == nullptr) return std::nullopt;
  // The running copy may then bring a window to the front, as the user asked us to.
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  ::AllowSetForegroundWindow(processId);
  TCommandPayload payload = EncodeCommandMessage(command);
  COPYDATASTRUCT copy{kCommandMessageId, sizeof payload, &payload};
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerTimeoutMs, &answer)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(answer);
}

}  // namespace

std::vector<std::string> CommandLineArguments() {
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> args;
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8(argv[i]));
  ::LocalFree(argv);
  return args;
}

int RunCommandLine(const std::vector<std::string>& args) {
  TOutput output;
  const TCommandLine parsed = ParseCommandLine(args);
  switch (parsed.Outcome) {
    case TCommandLine::TOutcome::kStartProgram:
    case TCommandLine::TOutcome::kUsage:
      Tell(output, UsageText(), false, true);
      return kExitDone;
    case TCommandLine::TOutcome::kBadArguments:
      Tell(output, "Bad arguments: " + parsed.Error + "\n\n" + UsageText(), true, true);
      return kExitBadArguments;
    case TCommandLine::TOutcome::kCommand:
      break;
  }
  const bool current = parsed.Command.Kind == TDeskCommandKind::kCurrent;
  const std::optional<LRESULT> answer = Send(parsed.Command);
  if (!answer || *answer == kCommandRefused) {
    Tell(output,
         answer ? "The running copy of Mirel Virtual Desktop refused the command.\n"
                : "Mirel Virtual Desktop is not running.\n",
         true, false);
    // For /current every code from 1 up names a desktop: 0 says there is none.
    return current ? 0 : kExitNoCopyRunning;
  }
  if (!current) return kExitDone;
  Tell(output, std::to_string(*answer) + "\n", false, false);
  return static_cast<int>(*answer);
}

}  // namespace mirel::win32

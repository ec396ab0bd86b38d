#include "app/win32/program_files.h"

#include "app/sleep_timer.h"
#include "platform/win32/wide_text.h"
#include "settings/win32/win32_shell_integration.h"

namespace mirel::win32 {

std::string ProgramFolder() { return ProgramFolderOf(Win32ShellIntegration().ExecutablePath()); }

std::string SystemErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string result =
      length != 0 && text != nullptr ? Utf8(std::wstring_view(text, length)) : std::string();
  if (text != nullptr) ::LocalFree(text);
  if (result.empty()) result = "System error " + std::to_string(code);
  return result;
}

}  // namespace mirel::win32

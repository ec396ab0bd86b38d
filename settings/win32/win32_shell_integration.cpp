#include "settings/win32/win32_shell_integration.h"

#include "platform/win32/windows_api.h"

#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "engine/desktop_engine.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

std::string SystemText(HRESULT code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string result =
      length != 0 && text != nullptr ? Utf8(std::wstring_view(text, length)) : std::string();
  if (text != nullptr) LocalFree(text);
  return result;
}

[[noreturn]] void ThrowComError(HRESULT code) {
  throw AppError(ComErrorMessage(static_cast<std::uint32_t>(code), SystemText(code)));
}

template <typename Interface>
ComPtr<Interface> Require(const ComPtr<IUnknown>& object) {
  ComPtr<Interface> result = object.As<Interface>();
  if (!result) throw AppError("Interface not supported");
  return result;
}

}  // namespace

bool Win32ShellIntegration::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32ShellIntegration::RemoveFile(const std::string& path) {
  return DeleteFileW(Wide(path).c_str()) != FALSE;
}

std::string Win32ShellIntegration::ExecutablePath() {
  // GetModuleFileNameW truncates silently when the buffer is too small; grow until it fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return Utf8(std::wstring_view(buffer.data(), length));
    buffer.resize(buffer.size() * 2);
  }
}

void Win32ShellIntegration::CreateShortcut(const std::string& target,
                                           const std::string& workingDirectory,
                                           const std::string& linkFile) {
  ComPtr<IUnknown> object;
  const HRESULT created = CoCreateInstance(CLSID_ShellLink, nullptr,
                                           CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                           IID_IUnknown, object.PutVoid());
  if (FAILED(created)) ThrowComError(created);

  const ComPtr<IShellLinkW> link = Require<IShellLinkW>(object);
  const ComPtr<IPersistFile> file = Require<IPersistFile>(object);

  // A link that cannot be written (no write access to the folder) is deliberately not reported:
  // the next start simply finds no shortcut and shows autostart off.
  static_cast<void>(link->SetPath(Wide(target).c_str()));
  static_cast<void>(link->SetWorkingDirectory(Wide(workingDirectory).c_str()));
  static_cast<void>(file->Save(Wide(linkFile).c_str(), FALSE));
}

}  // namespace mirel::win32

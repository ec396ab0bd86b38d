#include "e2e/driver/shell_link.h"

#include "e2e/driver/wait.h"
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>

namespace mirel::e2e {

ShellLinkContents ReadShellLink(const std::string& path) {
  const win32::ScopedComInit com;
  win32::ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.PutVoid()))) {
    throw DriverError("cannot create the shell's link object");
  }
  const auto file = link.As<IPersistFile>();
  std::wstring widePath(path.size(), L'\0');
  widePath.resize(static_cast<std::size_t>(MultiByteToWideChar(
      CP_ACP, 0, path.data(), static_cast<int>(path.size()), widePath.data(),
      static_cast<int>(widePath.size()))));
  if (!file || FAILED(file->Load(widePath.c_str(), STGM_READ))) {
    throw DriverError("cannot load the shortcut " + path);
  }
  ShellLinkContents contents;
  char buffer[MAX_PATH] = {};
  if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH))) contents.target = buffer;
  buffer[0] = '\0';
  if (SUCCEEDED(link->GetWorkingDirectory(buffer, MAX_PATH))) contents.workingDirectory = buffer;
  return contents;
}

}  // namespace mirel::e2e

#include "settings/startup_shortcut.h"

#include <cstdio>

namespace mirel {

std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash + 1));
}

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
  // Only a dot inside the last name starts an extension: "C:\a.b\name" has none.
  const std::size_t mark = path.find_last_of(".\\/:");
  const bool hasExtension = mark != std::string_view::npos && path[mark] == '.';
  std::string result(hasExtension ? path.substr(0, mark) : path);
  result += extension;
  return result;
}

void CreateStartupShortcut(IShellIntegration& shell, const std::string& target,
                           const std::string& linkBase) {
  shell.CreateShortcut(target, FolderOf(target), ChangeFileExt(linkBase, ".lnk"));
}

std::string ComErrorMessage(std::uint32_t code, std::string_view systemText) {
  // FormatMessage ends its texts with "\r\n".
  while (!systemText.empty() && static_cast<unsigned char>(systemText.back()) <= ' ') {
    systemText.remove_suffix(1);
  }
  if (!systemText.empty()) return std::string(systemText);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "OLE error %.8x", static_cast<unsigned>(code));
  return buffer;
}

}  // namespace mirel

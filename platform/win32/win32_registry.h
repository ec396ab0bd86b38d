// The registry over advapi32, with the wide ("W") functions: names and text values are UTF-8 on
// this side and UTF-16 in the registry. Keys are opened with full access.
#pragma once

#include "platform/registry.h"

namespace mirel::win32 {

class Win32Registry : public IRegistry {
 public:
  RegKey CurrentUser() override;
  RegKey OpenKey(RegKey parent, std::string_view path, bool create) override;
  void CloseKey(RegKey key) override;
  bool SetString(RegKey key, std::string_view name, std::string_view text) override;
  RegRead QueryValue(RegKey key, std::string_view name, RegValue& value) override;
  bool DeleteValue(RegKey key, std::string_view name) override;
  std::vector<std::string> ValueNames(RegKey key) override;
};

}  // namespace mirel::win32

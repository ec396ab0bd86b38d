// The registry as the program uses it: keys below HKEY_CURRENT_USER, string values.
// The Win32 implementation forwards to advapi32; the simulation keeps an in-memory tree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mirel {

// Opaque open key (HKEY). 0 means "no key".
using RegKey = std::uintptr_t;

// Registry value types by their Win32 numbers.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

struct RegValue {
  std::uint32_t type = kRegNone;
  std::vector<std::uint8_t> data;
};

enum class RegRead { kOk, kMissing, kFailed };

class IRegistry {
 public:
  virtual ~IRegistry() = default;

  // The predefined root HKEY_CURRENT_USER; never closed.
  virtual RegKey CurrentUser() = 0;
  // Opens `path` (one name, or names joined by backslashes) below `parent` with full access;
  // with `create`, missing keys are created. 0 on failure.
  virtual RegKey OpenKey(RegKey parent, std::string_view path, bool create) = 0;
  virtual void CloseKey(RegKey key) = 0;
  // Writes a REG_SZ value; the stored data carries its terminating zero byte.
  virtual bool SetString(RegKey key, std::string_view name, std::string_view text) = 0;
  virtual RegRead QueryValue(RegKey key, std::string_view name, RegValue& value) = 0;
  virtual bool DeleteValue(RegKey key, std::string_view name) = 0;
  virtual std::vector<std::string> ValueNames(RegKey key) = 0;
};

// An open key, closed when it goes out of scope.
class ScopedRegKey {
 public:
  ScopedRegKey() = default;
  ScopedRegKey(IRegistry& registry, RegKey key) : registry_(&registry), key_(key) {}
  ScopedRegKey(ScopedRegKey&& other) noexcept
      : registry_(other.registry_), key_(std::exchange(other.key_, 0)) {}
  ScopedRegKey& operator=(ScopedRegKey&& other) noexcept {
    if (this != &other) {
      Reset();
      registry_ = other.registry_;
      key_ = std::exchange(other.key_, 0);
    }
    return *this;
  }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;
  ~ScopedRegKey() { Reset(); }

  RegKey get() const { return key_; }
  explicit operator bool() const { return key_ != 0; }
  void Reset() {
    if (key_ != 0 && registry_ != nullptr) registry_->CloseKey(key_);
    key_ = 0;
  }

 private:
  IRegistry* registry_ = nullptr;
  RegKey key_ = 0;
};

inline ScopedRegKey OpenScopedKey(IRegistry& registry, RegKey parent, std::string_view path,
                                  bool create) {
  return ScopedRegKey(registry, registry.OpenKey(parent, path, create));
}

}  // namespace mirel

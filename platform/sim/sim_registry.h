// An in-memory registry for host tests: a tree of keys with typed values below HKEY_CURRENT_USER.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string_view>
#include <string>
#include <unordered_map>

#include "platform/registry.h"

namespace mirel::sim {

class SimRegistry : public IRegistry {
 public:
  // Names compare case-insensitively: every map is keyed by the upper-cased name. Values are
  // hashed, as a pass of the hiding option writes or deletes one value per window.
  struct Key {
    std::unordered_map<std::string, RegValue> values;
    std::map<std::string, std::unique_ptr<Key>> subkeys;
    std::unordered_map<std::string, std::string> valueNames;  // upper-cased name -> as written
  };

  SimRegistry();

  // --- Test controls ---------------------------------------------------------------------------
  // Creating keys fails while set (opening existing ones still works).
  void FailKeyCreation(bool fail) { failCreate_ = fail; }
  // Opening any key fails while set, as when access to it is denied.
  void FailKeyOpening(bool fail) { failOpen_ = fail; }
  // Writing values fails while set.
  void FailWrites(bool fail) { failWrites_ = fail; }
  // Reading this value's data fails after the value was found.
  void FailReadOf(const std::string& name) { failReads_.insert(name); }
  // Direct access by a backslash-separated path below HKEY_CURRENT_USER (nullptr when missing).
  Key* FindKey(const std::string& path);
  bool KeyExists(const std::string& path) { return FindKey(path) != nullptr; }
  void SetRaw(const std::string& path, const std::string& name, RegValue value);
  // The text of a REG_SZ value without its terminating zero; empty optional when absent.
  bool ReadString(const std::string& path, const std::string& name, std::string& text);
  int OpenKeyCount() const { return static_cast<int>(open_.size()); }
  // Called before each value is written or deleted: lets a test end the program between writes.
  std::function<void()> OnWrite;

  // --- IRegistry -------------------------------------------------------------------------------
  RegKey CurrentUser() override { return kRoot; }
  RegKey OpenKey(RegKey parent, std::string_view path, bool create) override;
  void CloseKey(RegKey key) override;
  bool SetString(RegKey key, std::string_view name, std::string_view text) override;
  RegRead QueryValue(RegKey key, std::string_view name, RegValue& value) override;
  bool DeleteValue(RegKey key, std::string_view name) override;
  std::vector<std::string> ValueNames(RegKey key) override;

 private:
  static constexpr RegKey kRoot = 0x80000001;
  Key* Resolve(RegKey key);
  Key* Walk(Key* from, std::string_view path, bool create);

  Key root_;
  // The last path opened and where it led: the program opens the same key again and again, and
  // keys are never deleted, so the answer stays valid.
  Key* lastFrom_ = nullptr;
  std::string lastPath_;
  Key* lastKey_ = nullptr;
  std::unordered_map<RegKey, Key*> open_;
  RegKey nextKey_ = 0x1000;
  bool failCreate_ = false;
  bool failOpen_ = false;
  bool failWrites_ = false;
  std::set<std::string> failReads_;
};

}  // namespace mirel::sim

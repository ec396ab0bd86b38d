#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <utility>

#include "engine/win2tree.h"

namespace mirel::sim {

SimRegistry::SimRegistry() = default;

SimRegistry::Key* SimRegistry::Resolve(RegKey key) {
  if (key == kRoot) return &root_;
  auto it = open_.find(key);
  return it == open_.end() ? nullptr : it->second;
}

SimRegistry::Key* SimRegistry::Walk(Key* from, std::string_view path, bool create) {
  Key* key = from;
  while (key != nullptr && !path.empty()) {
    const std::size_t slash = path.find('\\');
    const std::string name = UpperAscii(path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (name.empty()) continue;
    auto it = key->subkeys.find(name);
    if (it == key->subkeys.end()) {
      if (!create || failCreate_) return nullptr;
      it = key->subkeys.emplace(name, std::make_unique<Key>()).first;
    }
    key = it->second.get();
  }
  return key;
}

SimRegistry::Key* SimRegistry::FindKey(const std::string& path) { return Walk(&root_, path, false); }

void SimRegistry::SetRaw(const std::string& path, const std::string& name, RegValue value) {
  Key* key = Walk(&root_, path, true);
  key->values[UpperAscii(name)] = std::move(value);
  key->valueNames[UpperAscii(name)] = name;
}

bool SimRegistry::ReadString(const std::string& path, const std::string& name, std::string& text) {
  Key* key = FindKey(path);
  if (key == nullptr) return false;
  auto it = key->values.find(UpperAscii(name));
  if (it == key->values.end()) return false;
  text.assign(it->second.data.begin(), it->second.data.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return true;
}

RegKey SimRegistry::OpenKey(RegKey parent, std::string_view path, bool create) {
  if (failOpen_) return 0;
  Key* const from = Resolve(parent);
  Key* key = nullptr;
  if (from != nullptr && from == lastFrom_ && path == lastPath_) {
    key = lastKey_;
  } else {
    key = Walk(from, path, create);
    if (key == nullptr) return 0;
    lastFrom_ = from;
    lastPath_.assign(path);
    lastKey_ = key;
  }
  const RegKey handle = nextKey_++;
  open_.emplace(handle, key);
  return handle;
}

void SimRegistry::CloseKey(RegKey key) { open_.erase(key); }

bool SimRegistry::SetString(RegKey handle, std::string_view name, std::string_view text) {
  if (OnWrite) OnWrite();
  Key* key = Resolve(handle);
  if (key == nullptr || failWrites_) return false;
  std::string upper = UpperAscii(name);
  // Overwritten in place: no new storage for a value that is written again.
  RegValue& value = key->values[upper];
  value.type = kRegSz;
  value.data.reserve(text.size() + 1);
  value.data.assign(text.begin(), text.end());
  value.data.push_back(0);
  key->valueNames[std::move(upper)].assign(name);
  return true;
}

RegRead SimRegistry::QueryValue(RegKey handle, std::string_view name, RegValue& value) {
  Key* key = Resolve(handle);
  if (key == nullptr) return RegRead::kFailed;
  auto it = key->values.find(UpperAscii(name));
  if (it == key->values.end()) return RegRead::kMissing;
  if (failReads_.count(std::string(name))) return RegRead::kFailed;
  value = it->second;
  return RegRead::kOk;
}

bool SimRegistry::DeleteValue(RegKey handle, std::string_view name) {
  if (OnWrite) OnWrite();
  Key* key = Resolve(handle);
  if (key == nullptr) return false;
  const std::string upper = UpperAscii(name);
  key->valueNames.erase(upper);
  return key->values.erase(upper) != 0;
}

std::vector<std::string> SimRegistry::ValueNames(RegKey handle) {
  std::vector<std::string> names;
  Key* key = Resolve(handle);
  if (key == nullptr) return names;
  // In the order of the upper-cased names, whatever the hashing does.
  std::vector<const std::pair<const std::string, std::string>*> entries;
  for (const auto& entry : key->valueNames) entries.push_back(&entry);
  std::sort(entries.begin(), entries.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
  for (const auto* entry : entries) names.push_back(entry->second);
  return names;
}

}  // namespace mirel::sim

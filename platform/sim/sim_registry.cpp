#include "platform/sim/sim_registry.h"

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
  Key* key = Walk(Resolve(parent), path, create);
  if (key == nullptr) return 0;
  const RegKey handle = nextKey_++;
  open_.emplace(handle, key);
  return handle;
}

void SimRegistry::CloseKey(RegKey key) { open_.erase(key); }

bool SimRegistry::SetString(RegKey handle, std::string_view name, std::string_view text) {
  Key* key = Resolve(handle);
  if (key == nullptr || failWrites_) return false;
  RegValue value;
  value.type = kRegSz;
  value.data.assign(text.begin(), text.end());
  value.data.push_back(0);
  key->values[UpperAscii(name)] = std::move(value);
  key->valueNames[UpperAscii(name)] = std::string(name);
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
  Key* key = Resolve(handle);
  if (key == nullptr) return false;
  key->valueNames.erase(UpperAscii(name));
  return key->values.erase(UpperAscii(name)) != 0;
}

std::vector<std::string> SimRegistry::ValueNames(RegKey handle) {
  std::vector<std::string> names;
  if (Key* key = Resolve(handle)) {
    for (const auto& [upper, original] : key->valueNames) names.push_back(original);
  }
  return names;
}

}  // namespace mirel::sim

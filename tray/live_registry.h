// Identifiers for live instances. A window message that names an instance (a timer id in
// WM_TIMER, a tray entry id in a shell notification) is looked up here instead of being trusted:
// a stale or forged identifier then finds nothing, rather than freed or foreign memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>

namespace mirel {

template <class T>
class TLiveRegistry {
 public:
  using Id = std::uint32_t;

  // A fresh non-zero identifier for `instance`. Identifiers count up and are not reused while
  // their instance lives.
  Id Add(T& instance) {
    while (next_ == 0 || live_.contains(next_)) ++next_;
    const Id id = next_++;
    live_.emplace(id, &instance);
    return id;
  }

  void Remove(Id id) { live_.erase(id); }

  // The live instance named by `id` (a message parameter), or nullptr.
  T* Find(std::uintptr_t id) const {
    if (id > std::numeric_limits<Id>::max()) return nullptr;
    const auto it = live_.find(static_cast<Id>(id));
    return it == live_.end() ? nullptr : it->second;
  }

  std::size_t Count() const { return live_.size(); }

 private:
  Id next_ = 1;
  std::map<Id, T*> live_;
};

}  // namespace mirel

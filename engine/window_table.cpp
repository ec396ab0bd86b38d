#include "engine/window_table.h"

#include <algorithm>

namespace mirel {

const TPlace* TWindowTable::PlaceOf(Hwnd window) const {
  const auto it = records_.find(window);
  return it != records_.end() && it->second.Place ? &*it->second.Place : nullptr;
}

const TRestoreHome* TWindowTable::HomeOf(Hwnd window) const {
  const auto it = records_.find(window);
  return it != records_.end() && it->second.Home ? &*it->second.Home : nullptr;
}

const Rect* TWindowTable::QueuedMoveOf(Hwnd window) const {
  const auto it = records_.find(window);
  return it != records_.end() && it->second.QueuedMove ? &*it->second.QueuedMove : nullptr;
}

void TWindowTable::ClearPlaces() {
  for (auto& entry : records_) entry.second.Place.reset();
}

bool TWindowTable::AnyHome() const {
  return std::any_of(records_.begin(), records_.end(),
                     [](const auto& entry) { return entry.second.Home.has_value(); });
}

std::vector<TRestoreHome> TWindowTable::Homes() const {
  std::vector<TRestoreHome> homes;
  for (const auto& entry : records_) {
    if (entry.second.Home) homes.push_back(*entry.second.Home);
  }
  std::sort(homes.begin(), homes.end(),
            [](const TRestoreHome& a, const TRestoreHome& b) { return a.Handle < b.Handle; });
  return homes;
}

std::vector<TRestoreHome*> TWindowTable::MutableHomes() {
  std::vector<TRestoreHome*> homes;
  for (auto& entry : records_) {
    if (entry.second.Home) homes.push_back(&*entry.second.Home);
  }
  return homes;
}

bool TWindowTable::KeepOnly(const std::unordered_set<Hwnd>& existing) {
  bool homeGone = false;
  std::erase_if(records_, [&](const auto& entry) {
    if (existing.contains(entry.first)) return false;
    homeGone |= entry.second.Home.has_value();
    return true;
  });
  return homeGone;
}

}  // namespace mirel

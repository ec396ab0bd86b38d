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
  for (auto it = records_.begin(); it != records_.end();) {
    TWindowRecord& record = it->second;
    if (existing.contains(it->first)) {
      ++it;
      continue;
    }
    homeGone |= record.Home.has_value();
    if (!record.Hidden) {
      it = records_.erase(it);
      continue;
    }
    std::optional<THiddenState> hidden = std::move(record.Hidden);
    record = {};
    record.Hidden = std::move(hidden);
    ++it;
  }
  return homeGone;
}

THiddenState* TWindowTable::HiddenOf(Hwnd window) {
  const auto it = records_.find(window);
  return it != records_.end() && it->second.Hidden ? &*it->second.Hidden : nullptr;
}

const THiddenState* TWindowTable::HiddenOf(Hwnd window) const {
  const auto it = records_.find(window);
  return it != records_.end() && it->second.Hidden ? &*it->second.Hidden : nullptr;
}

THiddenState& TWindowTable::Hide(Hwnd window, bool wasForeground, bool wasEnabled) {
  std::optional<THiddenState>& hidden = At(window).Hidden;
  if (!hidden) hidden = THiddenState{++hiddenCount_, wasForeground, wasEnabled, {}};
  return *hidden;
}

void TWindowTable::Unhide(Hwnd window) {
  if (const auto it = records_.find(window); it != records_.end()) it->second.Hidden.reset();
}

std::vector<THiddenListItem> TWindowTable::HiddenWindows() const {
  std::vector<THiddenListItem> hidden;
  for (const auto& [window, record] : records_) {
    if (record.Hidden) hidden.push_back({window, *record.Hidden});
  }
  std::sort(hidden.begin(), hidden.end(), [](const THiddenListItem& a, const THiddenListItem& b) {
    return a.State.Order < b.State.Order;
  });
  return hidden;
}

std::vector<THiddenListItem> TWindowTable::TakeHiddenWindows() {
  std::vector<THiddenListItem> hidden = HiddenWindows();
  for (const THiddenListItem& item : hidden) Unhide(item.Handle);
  return hidden;
}

}  // namespace mirel

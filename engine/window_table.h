// What the engine keeps about each window it has dealt with, one record per window for as long as
// the window exists: where the last pass left it, the home of its restore rectangle, the move
// queued while its thread was stuck, and whether it is the notification area. The switch, the
// hiding pass, display changes and the records of a run all read and write these records.
#pragma once

#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/desktop_record.h"
#include "platform/types.h"

namespace mirel {

// Where the last pass left a window, and which desktop was then on screen.
struct TPlace {
  Rect rect;
  int current = 0;
};

struct TWindowRecord {
  std::optional<TPlace> Place;
  std::optional<TRestoreHome> Home;
  // The last move queued while its thread was stuck, until it answers again: its next moves add
  // to that one, and the hiding pass treats it as already there.
  std::optional<Rect> QueuedMove;
  std::optional<bool> NotificationArea;  // asked once: the class does not change
};

class TWindowTable {
 public:
  TWindowRecord& At(Hwnd window) { return records_[window]; }
  const TPlace* PlaceOf(Hwnd window) const;
  const TRestoreHome* HomeOf(Hwnd window) const;
  const Rect* QueuedMoveOf(Hwnd window) const;
  void SetPlace(Hwnd window, const TPlace& place) { At(window).Place = place; }
  void ClearPlaces();
  bool AnyHome() const;
  // Every home, by handle.
  std::vector<TRestoreHome> Homes() const;
  std::vector<TRestoreHome*> MutableHomes();
  // Forgets the windows not among `existing` (every top-level window there is): handles are
  // reused. True when one of them had a home.
  bool KeepOnly(const std::unordered_set<Hwnd>& existing);

 private:
  std::unordered_map<Hwnd, TWindowRecord> records_;
};

}  // namespace mirel

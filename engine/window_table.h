// What the engine keeps about each window it has dealt with, one record per window for as long as
// the window exists: how the last list of managed windows found it, where the last pass left it,
// the home of its restore rectangle, the move queued while its thread was stuck, whether the hiding
// option holds it hidden, and whether it is the notification area. The switch, the hiding pass,
// display changes and the records of a run all read and write these records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
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

// A window the hiding option holds hidden (and disabled), from the pass that hid it until one gives
// it back.
struct THiddenState {
  std::uint64_t Order = 0;  // when it was first hidden: the hidden windows are listed in that order
  bool WasForeground = false;
  // The window accepted input when the program first hid it: only then is it enabled again, so an
  // application's own disabled window (the owner of a modal dialog) stays disabled.
  bool WasEnabled = true;
  // The title its "HiddenApps" value holds: a crash record names the window by it.
  std::string Title;
};

// What a switch's batch has already done with a listed window, until the hiding pass that follows
// it: hidden it (and disabled it), or left or made it shown. kUnplanned: the pass decides.
enum class TPlan : std::int8_t { kUnplanned, kPlannedHidden, kPlannedShown };

// How the last list of managed windows found a window, and what the switch did with it since.
struct TListing {
  bool Visible = false;
  std::string Title;
  TPlan Plan = TPlan::kUnplanned;
};

struct TWindowRecord {
  TListing Listing;  // meaningful for the windows of the last list only
  std::optional<TPlace> Place;
  std::optional<TRestoreHome> Home;
  // The last move queued while its thread was stuck, until it answers again: its next moves add
  // to that one, and the hiding pass treats it as already there.
  std::optional<Rect> QueuedMove;
  std::optional<bool> NotificationArea;  // asked once: the class does not change
  std::optional<THiddenState> Hidden;
};

// One window the hiding option holds hidden, as the hidden windows are listed.
struct THiddenListItem {
  Hwnd Handle = 0;
  THiddenState State;
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
  // reused. True when one of them had a home. A window held hidden keeps that part of its record
  // until the hiding pass has forgotten its value under "HiddenApps" (Unhide).
  bool KeepOnly(const std::unordered_set<Hwnd>& existing);

  // --- Windows held hidden ---
  THiddenState* HiddenOf(Hwnd window);
  const THiddenState* HiddenOf(Hwnd window) const;
  // Holds `window` hidden from now on; a window already held keeps its state and its place in the
  // order.
  THiddenState& Hide(Hwnd window, bool wasForeground, bool wasEnabled);
  void Unhide(Hwnd window);
  // Every window held hidden, in the order they were hidden.
  std::vector<THiddenListItem> HiddenWindows() const;
  // HiddenWindows, and none is held any more.
  std::vector<THiddenListItem> TakeHiddenWindows();

 private:
  std::unordered_map<Hwnd, TWindowRecord> records_;
  std::uint64_t hiddenCount_ = 0;  // the Order of the last window hidden
};

}  // namespace mirel

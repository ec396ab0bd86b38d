// The desktop model and switching: which top-level windows are managed, which desktop each is on,
// moving them all by whole-screen offsets, hiding the windows of the other desktops, and the switch
// itself. These are the main form's operations, kept apart from its controls: what they need of the
// form reaches them through IEngineHost.
//
// Eight desktops lie in a grid of cells the size of the virtual screen (desktop_geometry.h). A
// window's desktop is the cell that holds the centre of its rectangle; the positions of the windows
// are the whole state of the model, and the registry keeps which desktop is on screen
// (desktop_record.h) so that a run after a crash finds them.
//
// The files: desktop_engine.cpp the model, engine_switch.cpp the switch and single moves,
// engine_hiding.cpp the hiding pass, engine_display.cpp display changes, engine_recovery.cpp what
// keeps windows safe across runs, engine_homes.cpp the restore rectangles kept while switches keep
// window states, desktop_engine_moves.cpp moving the active window; engine_gate.h the way in.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/desktop_geometry.h"
#include "engine/engine_gate.h"
#include "engine/window_table.h"
#include "engine/desktop_record.h"
#include "platform/registry.h"
#include "platform/window_system.h"
#include "settings/config.h"

namespace mirel {

inline constexpr const char* kHiddenAppsKeyPath = "Software\\Mirel\\Virtual Desktop\\HiddenApps";

// An error with a message for the application's error box.
class AppError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the engine needs of the main form and the rest of the program.
class IEngineHost {
 public:
  virtual ~IEngineHost() = default;
  virtual Hwnd MainWindow() = 0;         // the main form's window
  virtual Hwnd ApplicationWindow() = 0;  // the application's hidden top-level window
  virtual Hwnd OverlayWindow() = 0;      // the name overlay's window; 0 while it does not exist
  virtual bool Terminating() = 0;        // the event loop has received its quit request
  virtual void HideOverlay() = 0;        // stop the overlay's timer and hide it
  // Shows the overlay with `caption`; it activates `target` (0 for none) when it hides.
  virtual void ShowOverlay(Hwnd target, const std::string& caption) = 0;
  virtual void InvalidateMainForm() = 0;
  // Repaints the visual manager at once when the main form is visible on that page.
  virtual void RepaintVisualManagerIfShowing() = 0;
};

class TDesktopEngine {
 public:
  TDesktopEngine(IWindowSystem& ws, IRegistry& registry, TsDeskCFG& config, IEngineHost& host);

  // --- The way in from outside ----------------------------------------------------------------
  // Every request from outside the engine (hot keys, the tray, commands, display changes) comes
  // through here: it runs at once when the engine is idle, else after what runs (engine_gate.h).
  void Request(TEngineGate::Request request, const std::string& kind = {}) {
    gate_.Run(std::move(request), kind);
  }

  // --- Desktop model ---------------------------------------------------------------------------
  void RefreshWindowList();
  // The hiding option holds the window hidden.
  bool HiddenByUs(Hwnd window) const { return HeldHidden(window) != nullptr; }
  int DesktopOfWindow(Hwnd window);
  // The rectangle that puts a window on its desktop: its window rectangle, or, for a minimized
  // window while switches keep window states, its restore rectangle where its desktop holds it.
  Rect DesktopRect(Hwnd window);
  void ShiftWindows(std::int32_t dx, std::int32_t dy);
  void ApplyHiding(int desktop);
  void RecordHiddenApp(Hwnd window);
  void ForgetHiddenApp(Hwnd window);
  // The hiding option's check box changed. Turning it off gives back at once every window that the
  // option holds hidden.
  void HideAppsCBClick(bool checked);

  // --- Switching -------------------------------------------------------------------------------
  // `activate`, when it names a window, is the window to bring to the front instead of the one the
  // desktop remembers (the "Switch To" command's window).
  void SwitchToDesktop(std::uint16_t index, Hwnd activate = 0);
  void EnsureFocusSlots();
  void MoveWindowToDesktop(Hwnd window, int desktop);
  // The tray menu's window commands; `tag` is a window handle or -1 for "This app".
  void MoveHereClick(std::intptr_t tag);
  void SwitchToClick(std::intptr_t tag);

  // --- Moving the active window (desktop_engine_moves.cpp) --------------------------------------
  // `window`'s family (window_family.h) goes to `desktop`, each window at its place within the
  // cell, hidden there as a switch would hide it. Without `follow` the desktop on screen stays and
  // its next window gets the foreground; with it, that desktop comes on screen with the family.
  // Nothing happens for a window the program does not manage (its own, sticky, unlisted) or one
  // already on `desktop`.
  void MoveFamilyToDesktop(Hwnd window, int desktop, bool follow);
  // `foreground` when the program may move it; else the topmost such window of the desktop on
  // screen (the notification area took the foreground when its menu was opened); 0 for none.
  Hwnd ActiveOrTopmost(Hwnd foreground);

  // --- Monitors ---------------------------------------------------------------------------------
  // The monitors changed (WM_DISPLAYCHANGE, a work-area change): every window goes back to the
  // desktop it had at the last pass, at its place within the new cell and on a monitor there.
  void DisplayChanged();

  // --- Keeping windows safe across runs ---------------------------------------------------------
  // Takes back the windows recorded under "HiddenApps" by an earlier run that did not end cleanly.
  // True when there were any.
  bool RecoverHiddenApps();
  // At start: takes over the desktop on screen and the layout that the last run recorded (finishing
  // a switch it was killed in, fitting the windows to monitors that changed since) and records
  // them. `recovered` says that hidden windows were taken back: the hiding pass then runs for the
  // desktop on screen. While another copy of the program runs, what is recorded is that copy's
  // live state, not a run that ended: `anotherCopyRuns` leaves it alone (RecoverHiddenApps is then
  // not called either).
  void TakeOverDesktops(bool recovered, bool anotherCopyRuns = false);
  // Shows and enables every window that the hiding option holds hidden (at shut-down).
  void ReleaseHiddenWindows();

  // --- State -----------------------------------------------------------------------------------
  const std::vector<Hwnd>& ManagedWindows() const { return managedWindows_; }
  const TDesktopLayout& Layout() const { return layout_; }
  Hwnd LastForeground() const { return lastForeground_; }
  std::uint16_t CurrentDesktop() const { return currentDesktop_; }
  const std::vector<Hwnd>& FocusSlots() const { return focusSlots_; }
  // The windows the hiding option holds hidden, in the order they were hidden.
  std::vector<THiddenListItem> HiddenWindows() const { return table_.HiddenWindows(); }
  TsDeskCFG& Config() { return config_; }
  // A switch, a move or a hiding pass is under way: nothing else may reach the engine now.
  bool Busy() const { return switching_ || passKeyDepth_ > 0; }
  IWindowSystem& Windows() { return ws_; }

 private:
  bool IsOverlay(Hwnd window);
  bool IsNotificationArea(Hwnd window);
  // The last pass left the window on a desktop other than the one on screen.
  bool HeldOffScreen(Hwnd window);
  // Whether the window's thread answers messages; asked once per thread and pass. A window whose
  // thread is stuck is moved, shown, hidden and enabled without waiting for it.
  bool Answers(Hwnd window);
  void ShowWithoutWaiting(Hwnd window, int command);
  void EnableWithoutWaiting(Hwnd window, bool enable);
  // Where a window will be once it has taken the moves queued for it while its thread was stuck:
  // the last queued rectangle while it still does not answer (`answers`), else its own (it has
  // carried them out, and the record goes).
  Rect LandingRect(Hwnd window, bool answers);
  int LandingDesktop(Hwnd window);
  int DesktopOfRect(const Rect& r);
  // Horizontal and vertical bounds beyond which ShiftWindows leaves a window where it is.
  void ShiftLimits(const Placement& placement, std::int32_t& limitX, std::int32_t& limitY);
  struct TMove {
    Hwnd window;
    Rect from;
    Rect to;
    std::uint32_t showCmd;  // the window's show state as it is moved
    std::uint32_t flags;    // added to the batch's flags: SWP_HIDEWINDOW or SWP_SHOWWINDOW
  };
  // Moves by (dx, dy) from desktop `from` to desktop `to` (the same for a bare shift).
  void Shift(std::int32_t dx, std::int32_t dy, int from, int to);
  // With the hiding option, a switch hides and shows the windows that answer in its batch: the
  // windows leaving the screen are recorded first, the windows arriving are enabled first.
  void PlanHiding(std::vector<TMove>& moves, int to);
  // Whether the hiding pass leaves a window shown: on the desktop on screen, minimized or
  // maximized, the overlay, or sticky.
  bool StaysShown(Hwnd window, std::uint32_t showCmd, bool onDesktop);
  // Moves the windows that answer in one batch, the others without waiting for them.
  void PlaceWindows(std::vector<TMove>& moves, const std::vector<TMove>& stuck);
  // Where each window of `moves` now lies, with `current` on screen.
  void RememberPlaces(const std::vector<TMove>& moves, int current);
  // Puts every managed window laid out in `from` back on its desktop in `to`.
  void Relayout(const TDesktopLayout& from, const TDesktopLayout& to, bool usePlaces);
  // The homes of restore rectangles follow their windows into the layout `to`.
  void RemapHomes(const TDesktopLayout& from, const TDesktopLayout& to,
                  const std::vector<MonitorInfo>& monitors);
  // Reads the virtual screen; when it differs from the layout the windows lie in (a change the
  // program was not told of), the windows follow first.
  void FollowLayout();
  void FinishRecordedSwitch(const TRecordedSwitch& record);
  // --- Minimized and maximized windows while switches keep window states ------------------
  bool KeepsMinimized(const Placement& placement) const;
  // Gives a minimized or maximized window the home of its restore rectangle (a minimized one keeps
  // the home it has for the same rectangle); true when the homes changed.
  bool TakeHome(Hwnd window, const Placement& placement, const Rect& windowRect);
  // How far a maximized window's restore rectangle lies from the cell of its window rectangle.
  Point RestoreShift(const Placement& placement, const Rect& windowRect);
  // The restore rectangle where the window's home puts it (the known one without a home).
  Rect HomeRect(Hwnd window, const Placement& placement, const Rect& windowRect);
  // The restore rectangle of a minimized window as far as it is known.
  Rect KnownRestoreRect(Hwnd window, const Placement& placement, const Rect& windowRect);
  // A window restored since it was minimized or maximized goes to its home: `at` becomes its
  // rectangle `r` carried there when its restore rectangle is still the one the home was taken
  // for. True when the homes changed.
  bool ComeHome(Hwnd window, const Placement& placement, const Rect& r, Rect& at);
  bool MoveMinimizedToDesktop(Hwnd window, int desktop);
  void SaveHomes();
  // Where MoveWindowToDesktop puts a window of rectangle `r` in `desktop`'s cell.
  Point CellPosition(const Rect& r, int desktop);
  // MoveWindowToDesktop without refreshing anything: the layout and the answers of this pass.
  void PlaceInCell(Hwnd window, int desktop);
  // The window a command means by `foreground`: while the name overlay shows after a switch it has
  // the foreground, and the window the switch activated stands for it.
  Hwnd ActingWindow(Hwnd foreground);
  // A managed window of another program that no sticky rule keeps.
  bool Movable(Hwnd window);
  // After `family` left the desktop on screen: its remembered window when it is still there, else
  // its topmost one, gets the foreground.
  void ActivateNextWindow(const std::vector<Hwnd>& family);
  void HideWindow(Hwnd window);
  // Its hidden state when the hiding option holds it hidden, else null.
  const THiddenState* HeldHidden(Hwnd window) const;
  THiddenState* HeldHidden(Hwnd window);
  // Forgets the windows held hidden that closed, except those of `met` (windows of this pass).
  void ForgetClosedHiddenWindows(const std::unordered_set<Hwnd>& met);
  void KeepWindow(Hwnd window, const Placement& placement);
  // A window the hiding pass leaves shown, once shown and enabled: its hidden state and record go.
  void ForgetShown(Hwnd window);
  // The "HiddenApps" key, created when missing; 0 when it cannot be opened.
  RegKey HiddenAppsKey();
  // Keeps the "HiddenApps" key open for the length of a pass instead of once per window.
  class TPassKey {
   public:
    explicit TPassKey(TDesktopEngine& engine);
    TPassKey(const TPassKey&) = delete;
    TPassKey& operator=(const TPassKey&) = delete;
    ~TPassKey();

   private:
    TDesktopEngine& engine_;
  };
  void ShowAndForget(const THiddenListItem& entry);

  IWindowSystem& ws_;
  IRegistry& registry_;
  TsDeskCFG& config_;
  IEngineHost& host_;

  TDesktopRecord record_;
  TDesktopLayout layout_;
  // One record per window the engine dealt with: place, home, queued move (window_table.h).
  TWindowTable table_;
  bool homesGone_ = false;  // a window with a home closed since the homes were last saved
  // The managed windows in z-order, top first; what the list found of each is in its record's
  // Listing.
  std::vector<Hwnd> managedWindows_;
  Hwnd lastForeground_ = 0;
  std::uint16_t currentDesktop_ = 0;
  std::vector<Hwnd> focusSlots_;
  std::unordered_map<std::uint32_t, bool> threadAnswers_;  // for the current pass
  // The window the last switch activated, which the name overlay activates again when it hides.
  Hwnd switchTarget_ = 0;
  int passKeyDepth_ = 0;
  bool switching_ = false;
  TEngineGate gate_;
  ScopedRegKey passKey_;    // open only during a pass
  ScopedRegKey singleKey_;  // open only during one record or delete outside a pass
};

}  // namespace mirel

// TTrayIcon: one entry in the taskbar notification area, turning the shell's mouse notifications
// for it into events.
//
// Using it from a form (all on the GUI thread):
//
//   TTrayIcon icon(trayPlatform, {.ApplicationWindow = appWindow, .OwnerWindow = formWindow, ...});
//   icon.PopupMenu = &trayPopup;            // a TPopupMenu (tray/popup_menu.h)
//   icon.MinimizeToTray = true;
//   icon.OnClick = [this](TTrayIcon&) { TrayIcon1Click(); };
//   icon.SetIcon(hicon);                    // copied; the visible entry is updated at once
//   icon.Loaded();                          // once, after the properties are set
//   icon.SetIconVisible(true);              // adds the entry now
//
// - trayPlatform: one ITrayPlatform for the process (tray/win32/tray_platform_win32.h), created
//   before the first icon and destroyed after the last one.
// - The icon subclasses the application's hidden window (minimise to tray, and "TaskbarCreated",
//   which that top-level window receives as a broadcast) and the owner form's window (focus on
//   activation, foreground when shown). Icons that hook the same window must be destroyed newest
//   first; the hooks then leave both windows with the procedures they had before the first icon.
// - IconVisible is what the program wants; IconShown is whether the shell holds the entry. A
//   wanted entry that the shell lost comes back when the taskbar is re-created or the entry
//   changes.
// - Events run inside the GUI thread's window procedures. An exception thrown by one is caught at
//   the window-procedure boundary by the platform and handed to the error report given to
//   CreateWin32TrayPlatform; it never unwinds through the system.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/types.h"
#include "tray/popup_menu.h"
#include "tray/tray_icon_handler.h"
#include "tray/tray_platform.h"
#include "tray/windowless_timer.h"

namespace mirel {

enum class TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

// A set of modifier keys and mouse buttons.
using TShiftState = std::uint8_t;
inline constexpr TShiftState ssShift = 0x01;
inline constexpr TShiftState ssAlt = 0x02;
inline constexpr TShiftState ssCtrl = 0x04;
inline constexpr TShiftState ssLeft = 0x08;
inline constexpr TShiftState ssRight = 0x10;
inline constexpr TShiftState ssMiddle = 0x20;

// Source of images for IconIndex and cycling (the program's image list).
class IIconList {
 public:
  virtual ~IIconList() = default;
  virtual int Count() const = 0;
  // Image `index` (0 <= index < Count()) as an icon the list keeps owning; the tray icon copies
  // it. 0 when it cannot be had.
  virtual IconHandle IconAt(int index) const = 0;
};

// What the icon needs of the application and of the form that owns it. Callbacks may be empty.
struct TTrayIconOwner {
  // The application's hidden top-level window (it owns the taskbar button and is brought to the
  // foreground before the menu opens). 0: no application window hook.
  Hwnd ApplicationWindow = 0;
  // The owner form's window. 0: the owner is not a window (no owner hook, no hiding to the tray,
  // no OnStartup).
  Hwnd OwnerWindow = 0;
  std::function<bool()> HasMainForm;
  std::function<bool()> MainFormIsMdiParent;
  // The control that last had the keyboard focus in the active form; 0 when none.
  std::function<Hwnd()> ActiveControl;
  std::function<void()> HideMainForm;
  // Tells the application not to show its main form when the event loop starts.
  std::function<void()> DontShowMainForm;
  // Dispatches the waiting messages before the menu opens; empty: ITrayPlatform::ProcessMessages.
  std::function<void()> ProcessMessages;
};

class TTrayIcon {
 public:
  using TNotifyEvent = std::function<void(TTrayIcon& sender)>;
  using TMouseEvent =
      std::function<void(TTrayIcon& sender, TMouseButton button, TShiftState shift, int x, int y)>;
  using TMouseMoveEvent = std::function<void(TTrayIcon& sender, TShiftState shift, int x, int y)>;
  using TCycleEvent = std::function<void(TTrayIcon& sender, int nextIndex)>;
  using TStartupEvent = std::function<void(TTrayIcon& sender, bool& showMainForm)>;

  // Registers with the shared handler (creating it for the first icon) and installs the hooks.
  // The entry is not shown yet.
  TTrayIcon(ITrayPlatform& platform, TTrayIconOwner owner);
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;
  // Removes the entry, the timers, the icon copy and the hooks; the last icon takes the shared
  // handler and its window with it.
  ~TTrayIcon();

  // Call once after setting the properties: OnStartup (with an owner window) may keep the main
  // form hidden; then the entry, cycling and enter/exit detection are applied.
  void Loaded();

  // --- Plain fields ----------------------------------------------------------------------------
  bool Enabled = true;                 // false: mouse notifications are ignored (balloons are not)
  TPopupMenu* PopupMenu = nullptr;     // opened by the right button's press
  bool LeftPopup = false;              // the left button's press opens it too
  bool MinimizeToTray = false;         // minimising the application hides it into the tray

  TNotifyEvent OnClick;                // once per left click, at the release
  TNotifyEvent OnDblClick;             // assigned: clicks wait for the double-click time
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;           // with WantEnterExitEvents
  TNotifyEvent OnMouseExit;
  TCycleEvent OnCycle;
  TNotifyEvent OnBalloonHintClick;
  TNotifyEvent OnBalloonHintHide;
  TNotifyEvent OnBalloonHintTimeout;
  TStartupEvent OnStartup;

  // --- Properties ------------------------------------------------------------------------------
  bool IconVisible() const { return iconVisible_; }
  void SetIconVisible(bool visible);  // true adds the entry at once, false deletes it
  bool IconShown() const { return iconShown_; }

  IconHandle Icon() const { return icon_.get(); }
  void SetIcon(IconHandle source);  // copies the image, then updates the entry

  const std::string& Hint() const { return hint_; }
  void SetHint(std::string_view hint);  // at most 255 UTF-16 units are kept; the tip shows 127
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);

  IIconList* IconList() const { return iconList_; }
  void SetIconList(IIconList* list);  // then IconIndex 0
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);  // kept inside the list (0 without one); shows that image

  bool CycleIcons() const { return cycleIcons_; }
  void SetCycleIcons(bool cycle);  // true restarts at image 0, stepping every CycleInterval
  std::uint32_t CycleInterval() const { return cycleInterval_; }
  void SetCycleInterval(std::uint32_t milliseconds);

  bool WantEnterExitEvents() const { return wantEnterExitEvents_; }
  void SetWantEnterExitEvents(bool want);

  // The owner removed a component: a reference to it is cleared.
  void Notification(const TPopupMenu* removed);
  void Notification(const IIconList* removed);

  // --- Operations ------------------------------------------------------------------------------
  bool AddTrayEntry();     // NIM_ADD (NIM_MODIFY when the shell still has it); IconVisible true
  bool DeleteTrayEntry();  // NIM_DELETE; IconVisible false
  bool ModifyTrayEntry();  // NIM_MODIFY (NIM_ADD when the shell lost it) while IconVisible
  void MinimizeIntoTray();  // HideToTray, then the entry is shown
  void HideToTray();        // hides the main form and the application's taskbar button

  std::uint32_t IconId() const { return lease_.IconId(); }
  const TTrayIconData& IconData() const { return iconData_; }

 private:
  friend class TTrayIconHandler;

  // Notification dispatch (lParam of the tray callback message).
  void HandleNotification(std::uint32_t message);
  void TrayMouseMove();
  void TrayLButtonDown();
  void TrayLButtonUp();
  void TrayLButtonDblClk();
  void TrayButtonDown(TMouseButton button);
  void TrayButtonUp(TMouseButton button);

  void ShowPopupAtPointer();
  void ClickDefaultMenuItem();
  void PrepareTrayData();
  bool ShowEntry(std::uint32_t first, std::uint32_t fallback);
  void HideApplicationButton();
  void StartupCheck();
  void ApplicationWindowMessage(const TMessage& message);
  void OwnerWindowMessage(const TMessage& message);
  TShiftState Keys();
  Point Pointer();

  static void CycleTimerTimer(void* owner);
  static void ClickTimerTimer(void* owner);
  static void ExitTimerTimer(void* owner);

  void FireClick();
  void FireDblClick();
  void FireCycle(int nextIndex);
  void FireMouseDown(TMouseButton button, TShiftState shift, Point at);
  void FireMouseUp(TMouseButton button, TShiftState shift, Point at);
  void FireMouseMove(TShiftState shift, Point at);
  void FireMouseEnter();
  void FireMouseExit();

  ITrayPlatform& platform_;
  TTrayIconOwner owner_;
  TTrayHandlerLease lease_;  // first: outlives everything that can receive messages

  bool iconVisible_ = false;
  bool iconShown_ = false;
  std::string hint_;
  bool showHint_ = true;
  IIconList* iconList_ = nullptr;
  int iconIndex_ = 0;
  bool cycleIcons_ = false;
  std::uint32_t cycleInterval_ = 0;
  bool wantEnterExitEvents_ = false;

  bool clickStarted_ = false;     // the left button went down on the entry, not yet released
  bool clickReady_ = false;       // a press and release wait to be reported as OnClick
  bool doubleClickSeen_ = false;  // the pending click must not be reported
  Point lastPointer_;
  bool pointerOutside_ = true;
  bool startupCheckPending_ = true;
  TTrayIconData iconData_;

  TOwnedIcon icon_;
  TScopedWindowHook appHook_;
  TScopedWindowHook ownerHook_;
  TWindowlessTimer cycleTimer_;
  TWindowlessTimer clickTimer_;
  TWindowlessTimer exitTimer_;
};

}  // namespace mirel

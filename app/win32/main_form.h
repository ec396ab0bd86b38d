// The main form: the control panel window with its toolbar and pages, the owner of the tray icons,
// the tray menu, the hot keys and the desktop engine. Hidden at start; the program lives in the
// notification area.
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "app/actions.h"
#include "app/sleep_timer.h"
#include "app/tray_window_lists.h"
#include "app/win32/form.h"
#include "app/win32/image_list.h"
#include "app/win32/menu_popup.h"
#include "app/win32/paint_box.h"
#include "app/win32/sticky_prop_form.h"
#include "app/win32/window_events_win32.h"
#include "app/visual_manager.h"
#include "engine/desktop_engine.h"
#include "engine/window_rule_runner.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_window_system.h"
#include "settings/hotkeys.h"
#include "settings/settings_store.h"
#include "settings/win32/win32_shell_integration.h"
#include "tray/tray_icon.h"
#include "tray/windowless_timer.h"

namespace mirel::win32 {

class TfDesktopName;
class TAboutForm;
class TTransparencyForm;
class TSleepTimerForm;

// Command ids of the toolbar buttons and menu items bound to actions: kActionCommandBase + index.
inline constexpr int kActionCommandBase = 1000;
// Posted to the main form's window when commands from other programs wait (main_form_commands.cpp).
inline constexpr UINT kRunCommandsMessage = WM_APP + 14;

class TVirtualDeskForm : public TForm, private IEngineHost, private IVisualManagerHost {
 public:
  explicit TVirtualDeskForm(TApplication& app);
  ~TVirtualDeskForm() override;

  // The other forms, set once they exist (and cleared before they are destroyed).
  void SetOverlay(TfDesktopName* overlay) { fDesktopName_ = overlay; }
  void SetDialogs(TAboutForm* about, TTransparencyForm* transparency, TSleepTimerForm* sleepTimer) {
    AboutForm_ = about;
    TransparencyForm_ = transparency;
    SleepTimerForm_ = sleepTimer;
  }

  TDesktopEngine& Engine() { return engine_; }
  const TImageList& IconImageList() const { return IconImageList_; }

  // --- Handlers --------------------------------------------------------------------------------
  void FormCreate();
  void FormDestroy();
  void ControlPanelActionExecute();
  void HideActionExecute();
  void ExitActionExecute();
  void ButtonDeskClick(int n);  // ButtonDesk1Click .. ButtonDesk4Click, n = 1..4
  void TrayIconClick(int n);    // TrayIcon1Click .. TrayIcon4Click
  // The pictures and tooltips of the four icons, `desktop` (0..7, -1 for none) the one they mark.
  void UpdateTrayIcons(int desktop);
  // The tray picture and the checked toolbar button for a desktop chosen by icon or button (or
  // taken over at start).
  void ShowDesktopChosen(int desktop);
  void PopupMenu1Popup();
  void MoveHereClick(const TMenuItem& item);
  void SwitchToClick(const TMenuItem& item);
  void HideAppsCBClick();
  void KeepWindowStateCBClick();
  // "Tray icons follow the desktop on screen" and the desktops' names (main_form_names.cpp).
  void TrayFollowsCBClick();
  void DesktopNameChange(std::size_t desktop);
  bool TrayFollows() const;
  // After every switch, whatever started it: the icons mark the desktop on screen when they follow.
  void FollowDesktopOnScreen();
  void WMHotKey(WPARAM id);
  void MonitorOffActionExecute();
  void HowtouseActionExecute();
  void AboutActionExecute();
  void SleepTimerActionExecute();
  void TimerTimer();
  void CloseWindowActionExecute();
  void MakeTransparentActionExecute();
  void PageControlChange();
  void FormActivate();

  // Settings of the controls.
  void LoadSettings();
  void SaveSettings();
  void RegisterHotKeys();
  void UnregisterHotKeys();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // IEngineHost
  Hwnd MainWindow() override;
  Hwnd ApplicationWindow() override;
  Hwnd OverlayWindow() override;
  bool Terminating() override;
  void HideOverlay() override;
  void ShowOverlay(Hwnd target, const std::string& caption) override;
  void InvalidateMainForm() override;
  void RepaintVisualManagerIfShowing() override;

  void CreateActions();
  void CreateToolBar();
  void CreatePages();
  HWND CreatePageHeader(int page, const char* caption);
  void CreateTrayIcons();
  // The eight name fields in two columns of four rows, the first row at `top` (design pixels).
  void CreateNameControls(HWND page, int top);
  void BuildTrayPopup();
  void SyncToolBar();
  int ActivePage() const;
  void SelectPage(int page);
  void OnCommand(int id, int code, HWND control);
  LRESULT OnNotify(NMHDR& header);
  // Runs the shut-down steps once: at the end of the event loop, or when the session ends.
  void ShutDown();

  // --- Pictures at the DPI of the form's monitor (main_form_pictures.cpp) ------------------------
  // Fills the image lists at the form's DPI and the tray's pictures at the notification area's.
  void LoadPictures();
  // Gives the toolbar, the tree, the page headers and the visual manager the lists and sizes of
  // the form's DPI.
  void ApplyPictures();
  void DpiChanged(UINT dpi, const RECT& suggested) override;

  Win32WindowSystem ws_;
  Win32Registry registry_;
  Win32ShellIntegration shell_;
  TDesktopEngine engine_;
  TActionList ActionManager1_;
  // Sizes in design pixels; the lists hold them at the DPI of the form's monitor
  // (main_form_pictures.cpp).
  static constexpr int kIconSize = 16;
  static constexpr int kHeaderPictureSize = 32;
  TImageList IconImageList_{kIconSize};
  TImageList HeaderImages_{kHeaderPictureSize};  // image n: the header picture of page n

  HWND ActionToolBar1_ = nullptr;
  HWND PageControl_ = nullptr;
  static constexpr int kPageCount = 6;
  std::array<HWND, kPageCount> pages_{};
  std::array<HWND, kPageCount> headerPictures_{};  // one per page
  HWND ProgramsTreeView_ = nullptr;
  HWND AutoStartBox_ = nullptr;
  HWND HideAppsCB_ = nullptr;
  HWND KeepWindowStateCB_ = nullptr;
  std::array<HWND, kHotKeySlotCount> HotkeysDesktop_{};
  HWND TrayFollowsCB_ = nullptr;
  std::array<HWND, kDesktopNameCount> DesktopNameEdits_{};
  // The tray icons' pictures at the notification area's size: desktops 1..4 idle (0..3), active
  // (4..7) and while the desktop below is on screen (8..11).
  TImageList TrayImages_{kIconSize};
  int trayMarked_ = -1;  // the desktop the tray icons last marked
  std::array<HWND, kCommandHotKeyCount> CommandHotKeys_{};  // on the "More hot keys" page

  std::unique_ptr<ITrayPlatform> trayPlatform_;
  std::unique_ptr<TMenuPopup> TrayPopup_;
  TMenuItem* mSwitchTo_ = nullptr;
  TMenuItem* mMoveHere_ = nullptr;
  TTrayWindowLists trayLists_{ws_, [this](Hwnd window) { return engine_.HiddenByUs(window); }};
  std::array<std::unique_ptr<TTrayIcon>, 4> trayIcons_;  // TrayIcon1 .. TrayIcon4

  TfDesktopName* fDesktopName_ = nullptr;
  TAboutForm* AboutForm_ = nullptr;
  TTransparencyForm* TransparencyForm_ = nullptr;
  TSleepTimerForm* SleepTimerForm_ = nullptr;
  // The sleep timer's clock `Timer`: the window timer kSleepTimerId on this form's window.
  TSleepTimer Timer_;
  bool shutDown_ = false;

  // --- "Windows Tree" page (main_form_windows_tree.cpp) ------------------------------------------
 public:
  void RefreshWindowsTree();
  bool CheckWindowSelected();

 private:
  // Image list, context menu and keyboard handling of ProgramsTreeView.
  void SetUpWindowsTree();
  // The window of the tree's selected node; 0 for a group node or no selection.
  Hwnd SelectedWindow() const;
  // WM_CONTEXTMENU of the tree: `position` in screen pixels, or -1, -1 from the keyboard.
  void WindowPopupShow(LPARAM position);
  static LRESULT CALLBACK ProgramsTreeViewProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR id, DWORD_PTR form);
  TImageList ProgramsImageList_{kIconSize};
  std::unique_ptr<TMenuPopup> WindowPopup_;

  // --- "Visual Manager" page (main_form_visual_manager.cpp) --------------------------------------
 public:
  void DesktopsPaintBoxPaint();
  void DesktopsPaintBoxMouseDown(TMouseButton button, Point pointer);
  void DesktopsPaintBoxMouseMove(Point pointer);
  void DesktopsPaintBoxMouseUp(TMouseButton button, Point pointer);
  void AllowMoveTimer();

 private:
  void CreateDesktopsPaintBox(HWND parent, int x, int y, int width, int height);
  // Composes the picture in DesktopsBitmap and copies it onto `target` in one piece.
  void PaintDesktops(HDC target);
  // IVisualManagerHost
  void StartAllowMove(int intervalMs) override;
  void StopAllowMove() override;
  void RepaintPicture() override;
  void InvalidatePicture() override;
  std::unique_ptr<TPaintBox> DesktopsPaintBox_;
  TOffscreenBitmap DesktopsBitmap_;
  TVisualManager VisualManager_{engine_, *this};
  UniqueFont SmallFonts_;  // "Small Fonts" at 5 points, for titles and cell numbers

  // --- Sticky windows (main_form_sticky.cpp) ----------------------------------------------------
 public:
  // "Sticky..." of the windows tree's context menu: a rule for the selected window.
  void StickyActionExecute();

 private:
  // The rules kept across runs, read with the settings and written with them.
  void LoadStickyRules();
  void SaveStickyRules();
  // Made at its first use; owned by this form, whose window owns the dialog's.
  std::unique_ptr<TfStickyProp> StickyPropForm_;

  // --- Window rules (main_form_rules.cpp) --------------------------------------------------------
 public:
  // "Always open on this desktop" / "Always on all desktops" of the windows tree's context menu:
  // a rule for the selected window's program, first in the list.
  void RuleForSelectedWindow(TRuleAction action);
  void WindowEventArrived(Hwnd window, TWindowEvent event);
  void RulesTimerTimer();

 private:
  void CreateRulesPage(HWND page, int top);
  // Loads the rules, leaves the windows open now where they are and starts taking window events.
  void StartWindowRules();
  void StopWindowRules();
  void RefreshRulesList();
  int SelectedRule() const;
  void SelectRule(int index);
  void ShowRuleInFields(const TWindowRule& rule);
  // The rule the page's fields describe; nothing (and a message) when it could not be used.
  std::optional<TWindowRule> RuleFromFields();
  // Saves the rules and shows them, `select` (-1 for none) selected.
  void RulesChanged(int select);
  // The page's buttons; true when `control` was one of them.
  bool RulesCommand(HWND control, int code);
  void RulesListChange(const NMLISTVIEW& change);
  TWindowRules WindowRules_;
  TWindowRuleRunner RuleRunner_{engine_, WindowRules_};
  std::unique_ptr<TWindowEventHooks> WindowEventHooks_;
  std::unique_ptr<TWindowlessTimer> RulesTimer_;
  HWND RulesList_ = nullptr;
  HWND RuleProgramEdit_ = nullptr;
  HWND RuleClassEdit_ = nullptr;
  HWND RuleTitleEdit_ = nullptr;
  HWND RuleActionCombo_ = nullptr;
  HWND RuleGoAlongCB_ = nullptr;
  HWND RuleAddButton_ = nullptr;
  HWND RuleChangeButton_ = nullptr;
  HWND RuleRemoveButton_ = nullptr;
  HWND ApplyRulesButton_ = nullptr;

  // --- Desktop commands from hot keys, the tray menu and other programs (main_form_commands.cpp)
 public:
  // WM_COPYDATA from another program (app/command_message.h): the answer SendMessage returns.
  LRESULT WMCopyData(LPARAM data);
  // "Move active window to", desktop item `n` (1..8).
  void MoveActiveWindowClick(int n);

 private:
  void CreateCommandHotKeysPage(HWND page, int top, int width, int height);
  // The commands other programs sent run from the message queue, after their message was
  // answered and never inside a switch that waits on another application.
  void RunPendingCommands();
  void AddMoveActiveWindowMenu(TMenuItem& items);
  std::deque<TDeskCommand> pendingCommands_;
  TMenuItem* mMoveActiveWindow_ = nullptr;
  // The foreground window when the right button went down on a tray icon, before the menu took it.
  Hwnd activeBeforeMenu_ = 0;
};

}  // namespace mirel::win32

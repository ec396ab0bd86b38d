// A simulated window manager for host tests and benchmarks: a Z-ordered set of top-level windows
// with the state the program reads and changes. It follows user32 where the program relies on it
// (calls on closed windows fail, ShowWindow restores minimized and maximized windows, deferred
// batches land together) and keeps counters so tests can see what was called.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/window_system.h"

namespace mirel::sim {

struct SimWindow {
  Hwnd handle = 0;
  std::string title;
  std::string className = "SimWindow";
  Hwnd owner = 0;
  Rect rect;
  Placement placement;  // showCmd, flags, ptMinPosition; rcNormalPosition tracks `rect` when normal
  bool visible = true;
  bool enabled = true;
  bool cloaked = false;  // kept out of sight by the window manager, though visible
  bool hung = false;  // its thread does not answer messages
  std::uint32_t thread = 0;  // 0: a thread of its own
  std::int32_t exStyle = 0;
  std::uint8_t alpha = 255;
  bool layeredAlphaSet = false;
  std::uintptr_t classIcon = 0;
};

struct PostedMessage {
  Hwnd window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

struct HotKeyRegistration {
  Hwnd window;
  int id;
  std::uint32_t modifiers;
  std::uint32_t virtualKey;
};

class SimWindowSystem : public IWindowSystem {
 public:
  SimWindowSystem(int screenWidth = 1024, int screenHeight = 768);

  // --- Building a scene ------------------------------------------------------------------------
  // Adds a visible, normal window at the bottom of the Z order (so adding in order gives
  // topmost-first) and returns its handle.
  Hwnd AddWindow(const std::string& title, Rect rect, Hwnd owner = 0);
  Hwnd AddWindowOnTop(const std::string& title, Rect rect, Hwnd owner = 0);
  SimWindow& Window(Hwnd window);
  bool Exists(Hwnd window) const { return windows_.count(window) != 0; }
  void Minimize(Hwnd window);  // iconic at (-32000, -32000), ptMinPosition the same
  void Maximize(Hwnd window);  // fills the screen with a 4-pixel overhang, restore-to-maximized
  void Destroy(Hwnd window);
  // One monitor of this size at the origin.
  void SetScreenSize(int width, int height);
  // Monitors as they are at start; the first one flagged primary is the primary screen.
  void SetMonitors(std::vector<MonitorInfo> monitors);
  // The monitors change while windows exist, and the system moves the windows whose monitor went
  // away (they lie on no monitor now but did before) onto the primary one; with `pullOffScreen`
  // also every window that lay on no monitor before, as some systems do.
  void ChangeMonitors(std::vector<MonitorInfo> monitors, bool pullOffScreen = false);
  void FailBeginDefer(bool fail) { failBeginDefer_ = fail; }
  // DeferWindowPos refuses this window though it exists, giving up the whole batch as for a
  // closed one.
  void RefuseDeferOf(Hwnd window) { refusedDefer_ = window; }
  void SetForeground(Hwnd window) { foreground_ = window; }
  // GetWindowPlacement reports the window rectangle as the restore rectangle, as Wine does for a
  // window of another process.
  void ReportWindowRectAsRestoreRect(bool on) { windowRectAsRestore_ = on; }
  // Called at every ShowWindow and GetWindowRect, before it acts: lets a test close windows in the
  // middle of a pass.
  std::function<void(Hwnd)> OnShowWindow;
  std::function<void(Hwnd)> OnGetWindowRect;
  // Called before each window a call or a batch moves is placed, and before each EnableWindow:
  // lets a test end the program between any two of them, as a kill would.
  std::function<void(Hwnd)> OnPlace;
  // Called where a call waits for another thread (SendMessageTimeout, ShowWindow, a batch's end):
  // there the system delivers the messages sent to the caller meanwhile, which this stands for.
  std::function<void()> OnSentMessages;
  std::function<void(Hwnd)> OnEnableWindow;
  // Registers a hot key as another program would.
  bool RegisterForeignHotKey(std::uint32_t modifiers, std::uint32_t vk);
  // While held, the calls that do not wait for a window (SetWindowPos with SWP_ASYNCWINDOWPOS,
  // ShowWindowAsync, EnableWindowAsync) wait for a hung window's thread to wake, as on Windows;
  // otherwise they act at once. Wake ends the hang and carries out what waited, in order.
  void HoldAsyncCalls(bool hold) { holdAsync_ = hold; }
  void Wake(Hwnd window);

  // --- Observations ----------------------------------------------------------------------------
  const std::vector<PostedMessage>& Posted() const { return posted_; }
  const std::vector<HotKeyRegistration>& HotKeys() const { return hotKeys_; }
  const std::vector<Hwnd>& ForegroundRequests() const { return foregroundRequests_; }
  int BatchesEnded() const { return batchesEnded_; }
  int MovesOutsideBatch() const { return movesOutsideBatch_; }
  int AsyncCalls() const { return asyncCalls_; }
  int Probes() const { return probes_; }
  // ShowWindow and EnableWindow calls, waiting or not: each is a round trip to another thread.
  int ShowCalls() const { return showCalls_; }
  int EnableCalls() const { return enableCalls_; }
  // Calls that would have waited for a window whose thread does not answer.
  int BlockingCallsOnHung() const { return blockingCallsOnHung_; }
  void ClearLog();

  // --- IWindowSystem ---------------------------------------------------------------------------
  std::vector<Hwnd> WindowsInZOrder() override;
  void EnumWindows(const std::function<bool(Hwnd)>& callback) override;
  Hwnd GetOwner(Hwnd window) override;
  bool IsWindow(Hwnd window) override;
  bool IsWindowVisible(Hwnd window) override;
  bool IsWindowCloaked(Hwnd window) override;
  bool IsWindowEnabled(Hwnd window) override;
  Size ScreenSize() override { return screen_; }
  Rect VirtualScreen() override;
  std::vector<MonitorInfo> Monitors() override { return monitors_; }
  std::string GetWindowText(Hwnd window, int bufferChars) override;
  std::string GetClassName(Hwnd window, int bufferChars) override;
  bool GetWindowRect(Hwnd window, Rect& rect) override;
  bool GetWindowPlacement(Hwnd window, Placement& placement) override;
  std::uintptr_t GetClassIcon(Hwnd window) override;
  std::int32_t GetExStyle(Hwnd window) override;
  bool Responds(Hwnd window, unsigned timeoutMs) override;
  std::uint32_t GetWindowThreadId(Hwnd window) override;
  Hwnd GetForegroundWindow() override { return foreground_; }
  bool SetForegroundWindow(Hwnd window) override;
  bool ShowWindow(Hwnd window, int command) override;
  bool ShowWindowAsync(Hwnd window, int command) override;
  bool EnableWindow(Hwnd window, bool enable) override;
  void EnableWindowAsync(Hwnd window, bool enable) override;
  void EnableWindows(const std::vector<std::pair<Hwnd, bool>>& windows,
                     unsigned timeoutMs) override;
  DeferBatch BeginDeferWindowPos(int count) override;
  DeferBatch DeferWindowPos(DeferBatch batch, Hwnd window, Hwnd insertAfter, int x, int y, int cx,
                            int cy, std::uint32_t flags) override;
  bool EndDeferWindowPos(DeferBatch batch) override;
  bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  bool MoveWindow(Hwnd window, int x, int y, int cx, int cy, bool repaint) override;
  bool SetExStyle(Hwnd window, std::int32_t exStyle) override;
  bool SetLayeredAlpha(Hwnd window, std::uint8_t alpha) override;
  bool PostMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  std::intptr_t SendMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  bool RegisterHotKey(Hwnd window, int id, std::uint32_t modifiers,
                      std::uint32_t virtualKey) override;
  bool UnregisterHotKey(Hwnd window, int id) override;

 private:
  struct PendingMove {
    Hwnd window;
    Rect rect;
    std::uint32_t flags;
  };
  // What an async call on a hung window leaves for its thread; true when it was queued.
  bool QueueForWake(SimWindow& w, std::function<void()> call);
  SimWindow* Find(Hwnd window);
  void Place(SimWindow& w, int x, int y, int cx, int cy, std::uint32_t flags);
  void Show(SimWindow& w, int command);
  void BringToTop(Hwnd window);

  Size screen_;
  std::vector<MonitorInfo> monitors_;
  Hwnd nextHandle_ = 0x10010;
  std::unordered_map<Hwnd, SimWindow> windows_;
  std::vector<Hwnd> zOrder_;  // topmost first
  Hwnd foreground_ = 0;
  bool failBeginDefer_ = false;
  Hwnd refusedDefer_ = 0;
  DeferBatch nextBatch_ = 1;
  std::map<DeferBatch, std::vector<PendingMove>> batches_;
  std::vector<PostedMessage> posted_;
  std::vector<HotKeyRegistration> hotKeys_;
  std::vector<Hwnd> foregroundRequests_;
  int batchesEnded_ = 0;
  int movesOutsideBatch_ = 0;
  int asyncCalls_ = 0;
  int probes_ = 0;
  int showCalls_ = 0;
  int enableCalls_ = 0;
  int blockingCallsOnHung_ = 0;
  bool holdAsync_ = false;
  bool windowRectAsRestore_ = false;
  std::map<Hwnd, std::vector<std::function<void()>>> waitingCalls_;
};

}  // namespace mirel::sim

// The program's speed under Wine against the floor the window manager sets, in one Wine session.
// Not a test: it measures and writes a report (Markdown) to the file named on its command line.
//
//   mirel_e2e_timing REPORT [ROUNDS] [COUNTS...]     (defaults: 5 rounds, 10 100 500 windows)
//
// 1. Switch. Another process (mirel_bench_windows) opens N windows on desktop 1, ten to a thread.
//    Each round, side by side:
//    - the floor: this process moves the N windows by one screen width in one DeferWindowPos batch,
//      and back (the time until EndDeferWindowPos returns, and until every window reports its new
//      place);
//    - the program: Shift+Ctrl+F2 through SendInput, and the time until every window reports its
//      new place (and, with the hiding option, is hidden), then Shift+Ctrl+F1 and back. A switch
//      that does not complete within 10 s is counted and its hot key pressed again.
//    Once with the hiding option off and once with it on (the program reads it at start). With
//    the option on, the program's windows have arrived only once hidden and disabled (there) or
//    shown and enabled (back), and the fair floor does the same: one batch that moves and hides
//    (SWP_HIDEWINDOW) then EnableWindow(FALSE) for each; back EnableWindow(TRUE) for each, then
//    one batch that moves and shows (SWP_SHOWWINDOW).
// 2. Tray menu, after the switches, with windows of its own. The time from a right-button
//    notification of the program's first icon (posted to its handler window as the shell posts it)
//    to the open menu, and from the keys Down x4, Right to its "Switch To" list open, each right
//    after a switch there and back (another application's window has the foreground), against a
//    bare icon of this process whose menu holds two items, and one whose menu holds the program's
//    items built the plainest way (every visible titled window once in "Switch To" and once in
//    "Move here", built at each opening).
//    Notifications that open no menu are counted and posted again. (Real X clicks on the icons are
//    not used: with hundreds of windows, Wine's taskbar stops passing them on.)
// 3. At idle with the largest N windows (main window hidden, no user action): the program's CPU
//    time and its threads' context switches over a few seconds, its working set, its windows, and
//    what GetGuiResources answers.
//
// 4. Window rules, in a run of the program with no other windows: a window of this process, made
//    invisible and then shown, that a stored rule sends to desktop 2; the time from ShowWindow until
//    it lies in desktop 2's cell (with the hiding option, also hidden and disabled). Target: 300 ms
//    for the slowest.
//
// Times are wall-clock from QueryPerformanceCounter. Besides the report, summary.txt in the same
// folder gets one line per target: NAME RATIO TARGET met|missed.
#define PSAPI_VERSION 2

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/wine/samples.h"
#include "e2e/driver/input.h"
#include "e2e/driver/program.h"
#include "e2e/driver/registry.h"
#include "e2e/driver/tray.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/windows_api.h"
#include "tests/win32/support/unix_command.h"

#include <psapi.h>
#include <shellapi.h>

namespace mirel::bench {
namespace {

using e2e::DriverError;
using namespace std::chrono_literals;

// --- Clocks -------------------------------------------------------------------------------------

double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

struct Stats {
  double median = 0;
  double min = 0;
  double max = 0;
};

Stats StatsOf(std::vector<double> samples) {
  if (samples.empty()) return {};
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  const double median =
      n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2.0;
  return {median, samples.front(), samples.back()};
}

std::string Fixed(double value, int decimals = 1) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Cell(const Stats& s) {
  return Fixed(s.median) + " (" + Fixed(s.min) + "–" + Fixed(s.max) + ")";
}

// --- Arrival of the windows ----------------------------------------------------------------------

// Every window at its home place moved by dx, and visible or hidden as asked. Windows that have
// arrived stay arrived until the next command, so the walk resumes at the first one that had not.
// With `enabledToo`, a window has arrived only once it is also enabled when shown and disabled
// when hidden: what the hiding option promises, for the program and its floor alike.
class Arrival {
 public:
  Arrival(const Scene& scene, int dx, bool visible, bool enabledToo = false)
      : scene_(scene), dx_(dx), visible_(visible), enabledToo_(enabledToo) {}
  bool Complete() {
    while (next_ < scene_.windows.size()) {
      if (!InPlace(next_)) return false;
      ++next_;
    }
    return true;
  }

  // How many windows are in place now, looking at every one.
  int ArrivedCount() const {
    int arrived = 0;
    for (std::size_t i = 0; i < scene_.windows.size(); ++i) arrived += InPlace(i) ? 1 : 0;
    return arrived;
  }

  // The windows still on their way, for a failure message.
  std::string Missing() const {
    std::string text;
    int missing = 0;
    for (std::size_t i = next_; i < scene_.windows.size(); ++i) {
      if (InPlace(i)) continue;
      const HWND w = scene_.windows[i];
      DWORD_PTR answer = 0;
      const bool answers =
          SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &answer) != 0;
      if (++missing <= 12) {
        text += " " + e2e::Describe(w) + " thread " +
                std::to_string(GetWindowThreadProcessId(w, nullptr)) +
                (answers ? " answers;" : " does not answer;");
      }
    }
    return std::to_string(missing) + " windows not in place:" + text;
  }

 private:
  bool InPlace(std::size_t i) const {
    RECT r;
    const HWND w = scene_.windows[i];
    return GetWindowRect(w, &r) && r.left == scene_.home[i].left + dx_ &&
           r.top == scene_.home[i].top && (IsWindowVisible(w) != FALSE) == visible_ &&
           (!enabledToo_ || (IsWindowEnabled(w) != FALSE) == visible_);
  }

  const Scene& scene_;
  int dx_;
  bool visible_;
  bool enabledToo_;
  std::size_t next_ = 0;
};

// Milliseconds from `start` until the arrival is complete, polling every millisecond; negative when
// it did not complete within `limitMs`.
// This thread's messages are dispatched meanwhile: a window that sends one to it must not wait.
double TimeArrival(Arrival& arrival, double start, double limitMs) {
  while (!arrival.Complete()) {
    if (NowMs() - start > limitMs) return -1;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return NowMs() - start;
}

// The floor: one batch moving every window by dx from its home place (dx 0: back home).
struct FloorTimes {
  double batch = 0;    // BeginDeferWindowPos to the return of EndDeferWindowPos
  double arrival = 0;  // until every window reports its new place
};

FloorTimes FloorMove(const Scene& scene, int dx) {
  FloorTimes t;
  const double start = NowMs();
  HDWP batch = BeginDeferWindowPos(static_cast<int>(scene.windows.size()));
  for (std::size_t i = 0; i < scene.windows.size() && batch != nullptr; ++i) {
    batch = DeferWindowPos(batch, scene.windows[i], nullptr, scene.home[i].left + dx,
                           scene.home[i].top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (batch == nullptr || !EndDeferWindowPos(batch)) throw DriverError("the floor batch failed");
  t.batch = NowMs() - start;
  Arrival arrival(scene, dx, true);
  t.arrival = TimeArrival(arrival, start, 10000);
  if (t.arrival < 0) throw DriverError("the floor batch did not land");
  return t;
}

// The floor of the hiding option: the same visible result in the cheapest way the window manager
// offers. Leaving: one batch that moves and hides every window, then each is disabled. Arriving:
// each is enabled, then one batch moves and shows them.
FloorTimes FloorMoveHidden(const Scene& scene, int dx, bool show) {
  FloorTimes t;
  const double start = NowMs();
  if (show) {
    for (HWND w : scene.windows) EnableWindow(w, TRUE);
  }
  HDWP batch = BeginDeferWindowPos(static_cast<int>(scene.windows.size()));
  const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                     static_cast<UINT>(show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
  for (std::size_t i = 0; i < scene.windows.size() && batch != nullptr; ++i) {
    batch = DeferWindowPos(batch, scene.windows[i], nullptr, scene.home[i].left + dx,
                           scene.home[i].top, 0, 0, flags);
  }
  if (batch == nullptr || !EndDeferWindowPos(batch)) throw DriverError("the floor batch failed");
  if (!show) {
    for (HWND w : scene.windows) EnableWindow(w, FALSE);
  }
  t.batch = NowMs() - start;
  Arrival arrival(scene, dx, show, true);
  t.arrival = TimeArrival(arrival, start, 10000);
  if (t.arrival < 0) throw DriverError("the hiding floor did not land");
  return t;
}

// Every window at its home place moved by dx, in one batch, whatever its visibility.
void MoveAll(const Scene& scene, int dx) {
  HDWP batch = BeginDeferWindowPos(static_cast<int>(scene.windows.size()));
  for (std::size_t i = 0; i < scene.windows.size() && batch != nullptr; ++i) {
    batch = DeferWindowPos(batch, scene.windows[i], nullptr, scene.home[i].left + dx,
                           scene.home[i].top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (batch == nullptr || !EndDeferWindowPos(batch)) throw DriverError("a batch failed");
}

// --- The program ----------------------------------------------------------------------------------

constexpr const char* kRulesKey = "Software\\Mirel\\Virtual Desktop\\Rules";

class Program {
 public:
  // `rule`, when not empty, is stored as the one window rule.
  explicit Program(bool hideApps, const std::string& rule = {}) : hideApps_(hideApps) {
    e2e::DeleteProgramKey();
    e2e::WriteString(e2e::kOptionsKey, "HideApps", hideApps ? "1" : "0");
    if (!rule.empty()) e2e::WriteString(kRulesKey, "Rule1", rule);
    program_.Start();
    if (!e2e::WaitUntil([] {
          for (int d = 1; d <= e2e::kTrayIconCount; ++d) {
            if (!e2e::TrayIconShown(d)) return false;
          }
          return true;
        })) {
      throw DriverError("the program's tray icons did not appear");
    }
  }
  ~Program() {
    program_.Kill();
    try {
      e2e::SweepDeadTrayIcons();
    } catch (const DriverError&) {
    }
  }

  e2e::ProgramUnderTest& Get() { return program_; }

  // Until the switch's name overlay has come and gone: its timer is then off and the program
  // idle. The windows arrive before the name shows, so waiting only for it to be hidden would
  // press the next key while it still shows, and time the next switch hiding it early.
  void Settle() {
    const auto nameShows = [&] {
      const HWND overlay = program_.Window(e2e::kOverlayClass);
      return overlay != nullptr && IsWindowVisible(overlay);
    };
    e2e::WaitUntil(nameShows, std::chrono::seconds(2));
    e2e::WaitUntil([&] { return !nameShows(); });
    // As the name goes, the program gives the foreground back to the desktop's window: with
    // hundreds of windows that takes it 100 ms and more under Wine. Answered, it is done.
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(program_.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
    Sleep(50);  // hot keys pressed within 30 ms of the end of a switch may be lost under Wine
  }

  // Milliseconds from the hot key of desktop `desktop` (1 or 2) until every window of the scene has
  // arrived (at its home place moved by dx, visible or hidden as asked). A key that moved nothing
  // within 10 s is pressed again and counted. A switch that moved some windows and left others
  // behind is counted and described, the stragglers are moved to where the others are (so that the
  // next switch starts from a consistent desktop), and the result is negative.
  double Switch(const Scene& scene, int desktop, int dx, bool visible) {
    const WORD key = static_cast<WORD>(VK_F1 + desktop - 1);
    for (int attempt = 0; attempt < 3; ++attempt) {
      Arrival arrival(scene, dx, visible, hideApps_);
      const double start = NowMs();
      e2e::PressKeys({VK_SHIFT, VK_CONTROL, key});
      const double elapsed = TimeArrival(arrival, start, 10000);
      Settle();
      if (elapsed >= 0) return elapsed;
      if (arrival.ArrivedCount() == 0) {
        ++lostKeys;
        continue;
      }
      ++leftBehind;
      if (incidents.size() < 3) {
        incidents.push_back("to desktop " + std::to_string(desktop) + ": " + arrival.Missing());
      }
      MoveAll(scene, dx);
      return -1;
    }
    throw DriverError("three hot keys in a row moved no window");
  }

  int lostKeys = 0;
  int leftBehind = 0;
  std::vector<std::string> incidents;

 private:
  bool hideApps_;
  e2e::ProgramUnderTest program_;
};

// --- Window rules --------------------------------------------------------------------------------

constexpr const char* kRuleWindowClass = "MirelRuleBenchWindow";
constexpr int kRuleWindowLeft = 40;
constexpr double kRuleTargetMs = 300;

// The rule that sends this process's windows of kRuleWindowClass to desktop 2.
std::string BenchRule() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string full = path;
  const std::size_t slash = full.find_last_of("\\/");
  return "desktop 2|" + full.substr(slash == std::string::npos ? 0 : slash + 1) + "|" +
         kRuleWindowClass + "|";
}

// Milliseconds from ShowWindow until each of `rounds` new windows lies in desktop 2's cell (and,
// with the hiding option, is hidden and disabled there); negative for one not there within 5 s.
std::vector<double> TimeRuleWindows(int rounds, bool hideApps) {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kRuleWindowClass;
    return RegisterClassA(&windowClass) != 0;
  }();
  if (!registered) throw DriverError("RegisterClass of the rule's windows failed");
  const int width = GetSystemMetrics(SM_CXSCREEN);
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const std::string title = "Rule bench " + std::to_string(i);
    const HWND window =
        CreateWindowExA(0, kRuleWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, kRuleWindowLeft,
                        40, 240, 160, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) throw DriverError("CreateWindowEx of a rule's window failed");
    const double start = NowMs();
    ShowWindow(window, SW_SHOW);
    double elapsed = -1;
    // This thread's messages are dispatched meanwhile: the program waits on its window.
    while (NowMs() - start < 5000) {
      RECT r;
      const bool hiddenAsAsked =
          !hideApps || (!IsWindowVisible(window) && !IsWindowEnabled(window));
      if (GetWindowRect(window, &r) && r.left == kRuleWindowLeft + width && hiddenAsAsked) {
        elapsed = NowMs() - start;
        break;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    times.push_back(elapsed);
    DestroyWindow(window);
  }
  return times;
}

// --- Tray menu -----------------------------------------------------------------------------------

// Where the shell sends a tray icon's notifications (version 0: wParam is the icon's identifier,
// lParam the mouse message).
struct TrayTarget {
  std::vector<HWND> windows;
  UINT message = 0;
  WPARAM id = 0;
};

// The items of the program's tray menu built the plainest way: its fixed items, and "Switch To"
// and "Move here" each with one item per visible titled top-level window, in Z order.
HMENU BuildSameItemsMenu() {
  HMENU switchTo = CreatePopupMenu();
  HMENU moveHere = CreatePopupMenu();
  std::wstring title(256, L'\0');
  for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (!IsWindowVisible(w)) continue;
    const int length = GetWindowTextW(w, title.data(), static_cast<int>(title.size()));
    if (length == 0) continue;
    AppendMenuW(switchTo, MF_STRING, 100, title.c_str());
    AppendMenuW(moveHere, MF_STRING, 101, title.c_str());
  }
  HMENU help = CreatePopupMenu();
  AppendMenuW(help, MF_STRING, 4, L"How to use");
  AppendMenuW(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(help, MF_STRING, 5, L"About");
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 1, L"Control panel");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, 2, L"Turn off monitor");
  AppendMenuW(menu, MF_STRING, 3, L"Sleep timer");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(switchTo), L"Switch To");
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(moveHere), L"Move here");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"Help");
  AppendMenuW(menu, MF_STRING, 6, L"Exit");
  return menu;
}

// A bare notification-area icon on a thread of its own, opening a menu on a right press as the
// program's icons do: the floor of the tray menu's opening. Its menu holds two items, or with
// `sameItems` the program's items built the plainest way.
class BareTrayIcon {
 public:
  static constexpr UINT kCallback = WM_APP + 1;

  explicit BareTrayIcon(bool sameItems) : sameItems_(sameItems), thread_([this] { Run(); }) {
    if (!e2e::WaitUntil([&] { return ready_.load(); })) throw DriverError("no bare tray icon");
  }
  ~BareTrayIcon() {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  TrayTarget Target() const { return {{window_}, kCallback, 1}; }

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == kCallback && lp == WM_RBUTTONDOWN) {
      const bool sameItems = GetWindowLongPtrA(w, GWLP_USERDATA) != 0;
      HMENU menu = sameItems ? BuildSameItemsMenu() : CreatePopupMenu();
      if (!sameItems) {
        AppendMenuA(menu, MF_STRING, 1, "Control panel");
        AppendMenuA(menu, MF_STRING, 2, "Exit");
      }
      POINT at;
      GetCursorPos(&at);
      SetForegroundWindow(w);
      TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, w, nullptr);
      PostMessageA(w, WM_NULL, 0, 0);
      DestroyMenu(menu);
      return 0;
    }
    if (m == WM_CLOSE) {
      DestroyWindow(w);
      return 0;
    }
    if (m == WM_DESTROY) {
      PostQuitMessage(0);
      return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
  }

  void Run() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MirelBareTrayIcon";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              wc.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, sameItems_ ? 1 : 0);
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window_;
    icon.uID = 1;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kCallback;
    icon.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    lstrcpynA(icon.szTip, "bare", sizeof icon.szTip);
    Shell_NotifyIconA(NIM_ADD, &icon);
    ready_ = true;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    Shell_NotifyIconA(NIM_DELETE, &icon);
  }

  bool sameItems_;
  std::atomic<bool> ready_{false};
  HWND window_ = nullptr;
  std::thread thread_;
};

// The visible pop-up menu windows, by one class lookup: a walk of every top-level window with their
// class names, a thousand times a second, would keep the wine server busy and slow down the very
// program being timed. Topmost first: an open submenu comes before its menu.
std::vector<HWND> OpenMenuWindows() {
  std::vector<HWND> menus;
  for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w != nullptr;
       w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
    if (IsWindowVisible(w)) menus.push_back(w);
  }
  return menus;
}

HWND OpenMenuWindow() {
  const std::vector<HWND> menus = OpenMenuWindows();
  return menus.empty() ? nullptr : menus.front();
}

// The program's icons all notify its one message-only handler window; its first icon has the
// identifier 1. The program's other message-only windows (timers) ignore the message.
TrayTarget ProgramTray(DWORD processId) {
  TrayTarget target{{}, 0x800, 1};
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, "MirelMessageWindow", nullptr); w != nullptr;
       w = FindWindowExA(HWND_MESSAGE, w, "MirelMessageWindow", nullptr)) {
    if (e2e::WindowProcess(w) == processId) target.windows.push_back(w);
  }
  if (target.windows.empty()) throw DriverError("the program has no tray handler window");
  return target;
}

// A key for the open menu, given to its own thread's queue: typed keys go to the foreground
// thread, which need not be the menu's (a hidden window cannot take the foreground under Wine).
void PressInMenu(HWND menu, WPARAM key) {
  PostMessageA(menu, WM_KEYDOWN, key, 1);
  PostMessageA(menu, WM_KEYUP, key, 0xC0000001);
}

// Escape, once for each open level of the menu.
void CloseMenu() {
  for (int attempt = 0; attempt < 6; ++attempt) {
    const std::size_t open = OpenMenuWindows().size();
    if (open == 0) return;
    PressInMenu(OpenMenuWindow(), VK_ESCAPE);
    e2e::WaitUntil([&] { return OpenMenuWindows().size() < open; }, 3s);
  }
  throw DriverError("the menu does not close");
}

// How long a notification may take to open its menu before it counts as one that opened nothing.
constexpr auto kMenuWait = std::chrono::seconds(20);
constexpr auto kMenuWaitForList = std::chrono::milliseconds(20000);

// Menus opened by right-button notifications, and notifications that opened none.
struct TrayOpenings {
  std::vector<double> times;  // notification to visible menu
  std::vector<double> switchTo;  // keys to the "Switch To" list visible
  int unopened = 0;           // no menu within kMenuWait
  int late = 0;               // of those, the menu was found open later
};

// Down four times from no selection lands on "Switch To" (separators are skipped) in the program's
// menu and in the bare one with the same items; Right opens it. The time until the list shows.
double OpenSwitchTo(HWND menu) {
  const double start = NowMs();
  for (int down = 0; down < 4; ++down) PressInMenu(menu, VK_DOWN);
  PressInMenu(menu, VK_RIGHT);
  if (!e2e::WaitUntil([] { return OpenMenuWindows().size() >= 2; }, kMenuWaitForList)) {
    throw DriverError("the \"Switch To\" list did not open");
  }
  return NowMs() - start;
}

// Posts a right press and release to the icon, as the shell does, and adds the time until the
// menu window is visible, and with `withSwitchTo` the time until its "Switch To" list is (closing
// them again with Escape), or counts a notification that opened nothing. This thread's messages
// are dispatched meanwhile.
void OpenTrayMenuOnce(const TrayTarget& target, TrayOpenings& openings, bool withSwitchTo) {
  if (OpenMenuWindow() != nullptr) {
    ++openings.late;
    CloseMenu();
  }
  const double start = NowMs();
  for (HWND w : target.windows) {
    PostMessageA(w, target.message, target.id, WM_RBUTTONDOWN);
    PostMessageA(w, target.message, target.id, WM_RBUTTONUP);
  }
  const double limit = std::chrono::duration<double, std::milli>(kMenuWait).count();
  while (OpenMenuWindow() == nullptr) {
    if (NowMs() - start > limit) {
      ++openings.unopened;
      return;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  openings.times.push_back(NowMs() - start);
  if (withSwitchTo) openings.switchTo.push_back(OpenSwitchTo(OpenMenuWindow()));
  CloseMenu();
}

// `rounds` menus, with `between` run before each (at most three notifications in a row may open
// nothing).
TrayOpenings TimeTrayMenu(const TrayTarget& target, int rounds,
                          const std::function<void()>& between, bool withSwitchTo = true) {
  TrayOpenings openings;
  int failuresInARow = 0;
  while (static_cast<int>(openings.times.size()) < rounds) {
    between();
    const std::size_t before = openings.times.size();
    OpenTrayMenuOnce(target, openings, withSwitchTo);
    failuresInARow = openings.times.size() > before ? 0 : failuresInARow + 1;
    if (failuresInARow == 3) throw DriverError("three tray notifications in a row opened no menu");
  }
  return openings;
}

// --- Idle ------------------------------------------------------------------------------------------

struct UnixProcessCounters {
  long long cpuTicks = 0;       // utime + stime of every thread, in clock ticks
  long long contextSwitches = 0;  // voluntary and involuntary, every thread
  long long rssKb = 0;
  int threads = 0;
};

// The counters of the Unix process that runs the program's executable, read from /proc.
UnixProcessCounters ReadUnixCounters() {
  const test::UnixCommandResult r = test::RunUnixCommand(
      "pid=$(pgrep -f 'MirelVirtualDesktop[.]exe' | head -1); [ -n \"$pid\" ] || exit 3; "
      "awk '{print $14 + $15}' /proc/$pid/stat; "
      "cat /proc/$pid/task/*/status | awk '/ctxt_switches/ {s += $2} END {print s}'; "
      "awk '/VmRSS/ {print $2}' /proc/$pid/status; ls /proc/$pid/task | wc -l");
  if (!r.finished || r.exitStatus != 0) throw DriverError("no /proc counters: " + r.output);
  UnixProcessCounters c;
  std::istringstream in(r.output);
  in >> c.cpuTicks >> c.contextSwitches >> c.rssKb >> c.threads;
  return c;
}

double ProcessCpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto ms = [](const FILETIME& f) {
    return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                               f.dwLowDateTime) /
           1e4;
  };
  return ms(kernel) + ms(user);
}

struct WindowCounts {
  int topLevel = 0;
  int visibleTopLevel = 0;
  int children = 0;
  int messageOnly = 0;
};

BOOL CALLBACK CountOne(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

WindowCounts CountWindows(DWORD processId) {
  WindowCounts counts;
  for (HWND w : e2e::TopLevelWindows()) {
    if (e2e::WindowProcess(w) != processId) continue;
    ++counts.topLevel;
    if (IsWindowVisible(w)) ++counts.visibleTopLevel;
    EnumChildWindows(w, CountOne, reinterpret_cast<LPARAM>(&counts.children));
  }
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w != nullptr;
       w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) {
    if (e2e::WindowProcess(w) == processId) ++counts.messageOnly;
  }
  return counts;
}

// --- The report -------------------------------------------------------------------------------------

struct SwitchRow {
  int windows = 0;
  // The floor's batch until it returned (both ways), and until every window was in place: off
  // the screen (there, to desktop 2) and onto it (back, to desktop 1). Moving windows onto the
  // screen costs about twice as much as moving them off it, for the floor as for the program, so
  // each way of the program is compared with the same way of the floor.
  Stats floorBatch, floorThere, floorBack, program, programBack;
  // With the hiding option: the floor that also hides, shows, disables and enables (fair floor).
  Stats fairThere, fairBack;
  int lostKeys = 0;
  int leftBehind = 0;
  std::vector<std::string> incidents;
};

std::vector<SwitchRow> MeasureSwitches(Program& program, bool hideApps,
                                       const std::vector<int>& counts, int rounds) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  std::vector<SwitchRow> rows;
  for (int count : counts) {
    const Samples samples(count);
    const Scene& scene = samples.scene;
    // A first switch there and back, unmeasured: the program meets the windows once.
    program.Switch(scene, 2, -width, !hideApps);
    program.Switch(scene, 1, 0, true);
    SwitchRow row;
    row.windows = count;
    std::vector<double> batch, arrivalThere, arrivalBack, fairThere, fairBack, out, back;
    program.lostKeys = 0;
    for (int round = 0; round < rounds; ++round) {
      const FloorTimes there = FloorMove(scene, -width);
      const FloorTimes home = FloorMove(scene, 0);
      batch.insert(batch.end(), {there.batch, home.batch});
      arrivalThere.push_back(there.arrival);
      arrivalBack.push_back(home.arrival);
      if (hideApps) {
        fairThere.push_back(FloorMoveHidden(scene, -width, false).arrival);
        fairBack.push_back(FloorMoveHidden(scene, 0, true).arrival);
      }
      const double toTwo = program.Switch(scene, 2, -width, !hideApps);
      const double toOne = program.Switch(scene, 1, 0, true);
      if (toTwo >= 0) out.push_back(toTwo);
      if (toOne >= 0) back.push_back(toOne);
    }
    row.floorBatch = StatsOf(batch);
    row.floorThere = StatsOf(arrivalThere);
    row.floorBack = StatsOf(arrivalBack);
    row.fairThere = StatsOf(fairThere);
    row.fairBack = StatsOf(fairBack);
    row.program = StatsOf(out);
    row.programBack = StatsOf(back);
    row.lostKeys = program.lostKeys;
    row.leftBehind = program.leftBehind;
    row.incidents = program.incidents;
    program.leftBehind = 0;
    program.incidents.clear();
    std::printf("hiding %s, %d windows: floor %.1f / %.1f ms, program %.1f / %.1f ms\n",
                hideApps ? "on" : "off", count, row.floorThere.median, row.floorBack.median,
                row.program.median, row.programBack.median);
    std::fflush(stdout);
    rows.push_back(row);
  }
  return rows;
}

double Ratio(const Stats& program, const Stats& floor) {
  return floor.median > 0 ? program.median / floor.median : 0;
}

void WriteSwitchTable(std::ostream& out, const std::vector<SwitchRow>& rows, bool hideApps) {
  out << "| windows | floor: batch returned | floor: all in place, there | floor: back | "
      << (hideApps ? "fair floor (moved, hidden, disabled), there | fair floor: back | " : "")
      << "program: hot key to all in place, there (to desktop 2) | program: back (to desktop 1) "
         "| ratio there | ratio back | "
      << (hideApps ? "ratio to the move floor, there | back | " : "")
      << "lost hot keys | switches that left windows behind |\n"
      << (hideApps ? "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n"
                   : "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  std::vector<std::string> incidents;
  for (const SwitchRow& r : rows) {
    const Stats& there = hideApps ? r.fairThere : r.floorThere;
    const Stats& back = hideApps ? r.fairBack : r.floorBack;
    out << "| " << r.windows << " | " << Cell(r.floorBatch) << " | " << Cell(r.floorThere)
        << " | " << Cell(r.floorBack) << " | ";
    if (hideApps) out << Cell(r.fairThere) << " | " << Cell(r.fairBack) << " | ";
    out << Cell(r.program) << " | " << Cell(r.programBack) << " | "
        << Fixed(Ratio(r.program, there), 2) << " | " << Fixed(Ratio(r.programBack, back), 2)
        << " | ";
    if (hideApps) {
      out << Fixed(Ratio(r.program, r.floorThere), 2) << " | "
          << Fixed(Ratio(r.programBack, r.floorBack), 2) << " | ";
    }
    out << r.lostKeys << " | " << r.leftBehind << " |\n";
    for (const std::string& incident : r.incidents) {
      incidents.push_back(std::to_string(r.windows) + " windows, " + incident);
    }
  }
  for (const std::string& incident : incidents) out << "\n- Left behind: " << incident << "\n";
}

// One line per target: NAME RATIO TARGET met|missed.
void SummaryLine(std::ostream& out, const std::string& name, double ratio, double target) {
  out << name << " " << Fixed(ratio, 2) << " " << Fixed(target, 2) << " "
      << (ratio > 0 && ratio <= target ? "met" : "missed") << "\n";
}

// The switch targets hold from 100 windows on: against the fair floor with the hiding option,
// against the move floor without it.
void WriteSwitchSummary(std::ostream& out, const std::vector<SwitchRow>& rows, bool hideApps) {
  const std::string prefix = std::string("switch-hiding-") + (hideApps ? "on-" : "off-");
  const double target = hideApps ? 1.3 : 1.2;
  for (const SwitchRow& r : rows) {
    if (r.windows < 100) continue;
    const std::string name = prefix + std::to_string(r.windows);
    SummaryLine(out, name + "-there", Ratio(r.program, hideApps ? r.fairThere : r.floorThere),
                target);
    SummaryLine(out, name + "-back", Ratio(r.programBack, hideApps ? r.fairBack : r.floorBack),
                target);
  }
}

// What the program costs at idle: nothing happens for a while; it should not run at all.
std::map<std::string, std::string> MeasureIdle(Program& program, int windows) {
  std::map<std::string, std::string> idle;
  program.Settle();
  Sleep(2000);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                               program.Get().ProcessId());
  const UnixProcessCounters before = ReadUnixCounters();
  const double cpuBefore = ProcessCpuMs(process);
  const double start = NowMs();
  Sleep(5000);  // the observation window itself
  const double seconds = (NowMs() - start) / 1000.0;
  const double cpuAfter = ProcessCpuMs(process);
  const UnixProcessCounters after = ReadUnixCounters();
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  const BOOL haveMemory = GetProcessMemoryInfo(process, &memory, sizeof memory);
  const DWORD memoryError = GetLastError();
  SetLastError(0);
  const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
  const DWORD gdiError = GetLastError();
  SetLastError(0);
  const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
  const DWORD userError = GetLastError();
  const WindowCounts counts = CountWindows(program.Get().ProcessId());
  CloseHandle(process);
  idle["observed for"] = Fixed(seconds, 1) + " s with " + std::to_string(windows) +
                         " windows of another process, main window hidden";
  idle["CPU time (GetProcessTimes)"] =
      cpuBefore < 0 ? "not available"
                    : Fixed(cpuAfter - cpuBefore, 1) + " ms (since start: " + Fixed(cpuAfter, 0) +
                          " ms)";
  idle["CPU time (/proc, all threads)"] = std::to_string(after.cpuTicks - before.cpuTicks) +
                                          " clock ticks (since start: " +
                                          std::to_string(after.cpuTicks) + ")";
  idle["context switches (/proc, all threads)"] =
      std::to_string(after.contextSwitches - before.contextSwitches) + " over " +
      std::to_string(after.threads) + " threads (since start: " +
      std::to_string(after.contextSwitches) + ")";
  idle["working set (GetProcessMemoryInfo)"] =
      haveMemory ? Fixed(memory.WorkingSetSize / 1048576.0, 1) + " MB (peak " +
                       Fixed(memory.PeakWorkingSetSize / 1048576.0, 1) + " MB), private " +
                       Fixed(memory.PagefileUsage / 1048576.0, 1) + " MB"
                 : "not available (error " + std::to_string(memoryError) + ")";
  idle["resident set (/proc VmRSS)"] = Fixed(after.rssKb / 1024.0, 1) + " MB";
  idle["GetGuiResources GDI / USER"] = std::to_string(gdi) + " (error " +
                                       std::to_string(gdiError) + ") / " + std::to_string(user) +
                                       " (error " + std::to_string(userError) + ")";
  idle["windows of the program"] =
      std::to_string(counts.topLevel) + " top-level (" + std::to_string(counts.visibleTopLevel) +
      " visible), " + std::to_string(counts.children) + " child, " +
      std::to_string(counts.messageOnly) + " message-only";
  return idle;
}

int Run(const std::string& reportPath, int rounds, const std::vector<int>& counts) {
  std::ostringstream report;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int largest = *std::max_element(counts.begin(), counts.end());
  report << "Wine session: screen " << width << " x " << GetSystemMetrics(SM_CYSCREEN) << ", "
         << rounds << " rounds per size; milliseconds, median (min–max).\n\n";

  std::map<std::string, std::string> idle;
  std::vector<std::pair<int, TrayOpenings>> trayProgram;
  std::map<int, TrayOpenings> traySameItems;
  TrayOpenings trayFloor;
  std::ostringstream summary;
  {
    Program program(false);
    const auto rows = MeasureSwitches(program, false, counts, rounds);
    report << "### Switch, hiding option off\n\n";
    WriteSwitchTable(report, rows, false);
    WriteSwitchSummary(summary, rows, false);

    // The tray menu after the switches, with windows of their own: its clicks must not touch the
    // switch figures. Before each opening a switch there and back, so that another application's
    // window has the foreground, as when a user turns to the menu.
    test::RunUnixCommand("xdotool mousemove " + std::to_string(width - 70) + " " +
                         std::to_string(GetSystemMetrics(SM_CYSCREEN) - 10));
    for (int count : counts) {
      const Samples samples(count);
      const Scene& scene = samples.scene;
      auto twoSwitches = [&] {
        program.Switch(scene, 2, -width, true);
        program.Switch(scene, 1, 0, true);
      };
      trayProgram.emplace_back(
          count, TimeTrayMenu(ProgramTray(program.Get().ProcessId()), rounds, twoSwitches));
      std::printf("tray menu with %d windows: %.1f ms, \"Switch To\" %.1f ms\n", count,
                  StatsOf(trayProgram.back().second.times).median,
                  StatsOf(trayProgram.back().second.switchTo).median);
      std::fflush(stdout);
      if (count >= 100 || count == largest) {
        BareTrayIcon sameItems(true);
        traySameItems[count] = TimeTrayMenu(sameItems.Target(), rounds, twoSwitches);
      }
      if (count != largest) continue;
      idle = MeasureIdle(program, count);
      BareTrayIcon bare(false);
      trayFloor = TimeTrayMenu(bare.Target(), rounds, twoSwitches, false);
    }
  }
  {
    Program program(true);
    const auto rows = MeasureSwitches(program, true, counts, rounds);
    report << "\n### Switch, hiding option on (to desktop 2: moved and hidden; back: shown and "
              "moved)\n\n";
    WriteSwitchTable(report, rows, true);
    WriteSwitchSummary(summary, rows, true);
  }
  report << "\n### Tray menu: right-button notification to open menu, and keys to the open "
            "\"Switch To\" list, each after a switch there and back\n\n"
            "| menu | notification to menu visible | Down x4, Right to \"Switch To\" visible | "
            "notifications with no menu within 20 s (menu came later) |\n|---|---:|---:|---:|\n"
         << "| bare icon of the measuring process, two items, " << largest << " windows | "
         << Cell(StatsOf(trayFloor.times)) << " | | " << trayFloor.unopened << " ("
         << trayFloor.late << ") |\n";
  for (const auto& [count, openings] : traySameItems) {
    report << "| bare icon of the measuring process, the program's items built plainly, " << count
           << " windows | " << Cell(StatsOf(openings.times)) << " | "
           << Cell(StatsOf(openings.switchTo)) << " | " << openings.unopened << " ("
           << openings.late << ") |\n";
  }
  for (const auto& [count, openings] : trayProgram) {
    report << "| the program, " << count << " windows | " << Cell(StatsOf(openings.times))
           << " | " << Cell(StatsOf(openings.switchTo)) << " | " << openings.unopened << " ("
           << openings.late << ") |\n";
  }
  report << "\n### Window rules: a new window, from ShowWindow until it lies on desktop 2\n\n"
            "| hiding option | median (min–max) | not there within 5 s |\n|---|---:|---:|\n";
  for (const bool hideApps : {false, true}) {
    std::vector<double> times;
    {
      Program program(hideApps, BenchRule());
      times = TimeRuleWindows(rounds, hideApps);
    }
    const auto missed = std::count_if(times.begin(), times.end(), [](double t) { return t < 0; });
    std::erase_if(times, [](double t) { return t < 0; });
    const Stats stats = StatsOf(times);
    report << "| " << (hideApps ? "on (also hidden and disabled)" : "off") << " | " << Cell(stats)
           << " | " << missed << " |\n";
    SummaryLine(summary, std::string("rule-window-hiding-") + (hideApps ? "on" : "off"),
                missed > 0 ? 0 : stats.max / kRuleTargetMs, 1.0);
  }
  report << "\n### At idle\n\n| what | measured |\n|---|---|\n";
  for (const auto& [what, value] : idle) report << "| " << what << " | " << value << " |\n";

  // The menu and its "Switch To" list against the same items built the plainest way.
  for (const auto& [count, openings] : trayProgram) {
    const auto plain = traySameItems.find(count);
    if (count < 100 || plain == traySameItems.end()) continue;
    SummaryLine(summary, "tray-menu-" + std::to_string(count),
                Ratio(StatsOf(openings.times), StatsOf(plain->second.times)), 1.5);
    SummaryLine(summary, "tray-switch-to-" + std::to_string(count),
                Ratio(StatsOf(openings.switchTo), StatsOf(plain->second.switchTo)), 1.5);
  }
  std::ofstream file(reportPath);
  file << report.str();
  // The summary goes beside the report.
  const std::size_t slash = reportPath.find_last_of("\\/");
  std::ofstream summaryFile(
      (slash == std::string::npos ? std::string() : reportPath.substr(0, slash + 1)) +
      "summary.txt");
  summaryFile << summary.str();
  std::printf("%s\n%s", report.str().c_str(), summary.str().c_str());
  return file && summaryFile ? 0 : 1;
}

}  // namespace
}  // namespace mirel::bench

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s REPORT [ROUNDS] [COUNTS...]\n", argv[0]);
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  std::vector<int> counts;
  for (int i = 3; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {10, 100, 500};
  try {
    return mirel::bench::Run(argv[1], rounds, counts);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "e2e timing failed: %s\n", e.what());
    return 1;
  }
}

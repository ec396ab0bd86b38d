// The program's speed under Wine against the floor the window manager sets, in one Wine session.
// Not a test: it measures and writes a report (Markdown) to the file named on its command line.
//
//   mirel_e2e_timing REPORT [ROUNDS] [COUNTS...]     (defaults: 7 rounds, 10 100 500 windows)
//
// 1. Switch. Another process (mirel_bench_windows) opens N windows on desktop 1, ten to a thread.
//    Each round, side by side:
//    - the floor: this process moves the N windows by one screen width in one DeferWindowPos batch,
//      and back (the time until EndDeferWindowPos returns, and until every window reports its new
//      place);
//    - the program: Shift+Ctrl+F2 through SendInput, and the time until every window reports its
//      new place (and, with the hiding option, is hidden), then Shift+Ctrl+F1 and back.
//    Once with the hiding option off and once with it on (the program reads it at start).
// 2. Tray menu. The time from a real X right-click on the program's icon of desktop 1 to the open
//    menu, with 10 and with the largest N windows, against a bare icon of this process whose menu
//    holds two items.
// 3. At idle with the largest N windows (main window hidden, no user action): the program's CPU
//    time and its threads' context switches over a few seconds, its working set, its windows, and
//    what GetGuiResources answers.
//
// Times are wall-clock from QueryPerformanceCounter; the tray click time comes from the Unix clock
// (`date`) and is compared with GetSystemTimePreciseAsFileTime, both the system's real-time clock.
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

// The real-time clock in nanoseconds since 1970, as `date +%s%N` gives it.
long long UnixNowNs() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  const long long ticks =
      (static_cast<long long>(ft.dwHighDateTime) << 32) | static_cast<long long>(ft.dwLowDateTime);
  return (ticks - 116444736000000000LL) * 100;
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
class Arrival {
 public:
  Arrival(const Scene& scene, int dx, bool visible) : scene_(scene), dx_(dx), visible_(visible) {}
  bool Complete() {
    while (next_ < scene_.windows.size()) {
      RECT r;
      const HWND w = scene_.windows[next_];
      if (!GetWindowRect(w, &r) || r.left != scene_.home[next_].left + dx_ ||
          r.top != scene_.home[next_].top || (IsWindowVisible(w) != FALSE) != visible_) {
        return false;
      }
      ++next_;
    }
    return true;
  }

 private:
  const Scene& scene_;
  int dx_;
  bool visible_;
  std::size_t next_ = 0;
};

// Milliseconds from `start` until the arrival is complete, polling every millisecond; negative when
// it did not complete within `limitMs`.
double TimeArrival(Arrival& arrival, double start, double limitMs) {
  while (!arrival.Complete()) {
    if (NowMs() - start > limitMs) return -1;
    Sleep(1);
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

// --- The program ----------------------------------------------------------------------------------

class Program {
 public:
  explicit Program(bool hideApps) {
    e2e::DeleteProgramKey();
    e2e::WriteString(e2e::kOptionsKey, "HideApps", hideApps ? "1" : "0");
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

  // Until the switch's name overlay has gone: its timer is then off and the program idle.
  void Settle() {
    e2e::WaitUntil([&] {
      const HWND overlay = program_.Window(e2e::kOverlayClass);
      return overlay == nullptr || !IsWindowVisible(overlay);
    });
    Sleep(50);  // hot keys pressed within 30 ms of the end of a switch may be lost under Wine
  }

  // Milliseconds from the hot key of desktop `desktop` (1 or 2) until every window of the scene has
  // arrived; a lost key is pressed again (and counted) and its time discarded.
  double Switch(const Scene& scene, int desktop, int dx, bool visible) {
    const WORD key = static_cast<WORD>(VK_F1 + desktop - 1);
    for (int attempt = 0; attempt < 3; ++attempt) {
      Arrival arrival(scene, dx, visible);
      const double start = NowMs();
      e2e::PressKeys({VK_SHIFT, VK_CONTROL, key});
      const double elapsed = TimeArrival(arrival, start, 10000);
      Settle();
      if (elapsed >= 0) return elapsed;
      ++lostKeys;
    }
    throw DriverError("three hot keys in a row had no effect");
  }

  int lostKeys = 0;

 private:
  e2e::ProgramUnderTest program_;
};

// --- Tray menu -----------------------------------------------------------------------------------

// A bare notification-area icon on a thread of its own, opening a two-item menu on a right press
// as the program's icons do: the floor of the tray menu's opening.
class BareTrayIcon {
 public:
  static constexpr UINT kCallback = WM_APP + 1;

  BareTrayIcon() : thread_([this] { Run(); }) {
    if (!e2e::WaitUntil([&] { return ready_.load(); })) throw DriverError("no bare tray icon");
  }
  ~BareTrayIcon() {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == kCallback && lp == WM_RBUTTONDOWN) {
      HMENU menu = CreatePopupMenu();
      AppendMenuA(menu, MF_STRING, 1, "Control panel");
      AppendMenuA(menu, MF_STRING, 2, "Exit");
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

  std::atomic<bool> ready_{false};
  HWND window_ = nullptr;
  std::thread thread_;
};

// The place of the icon added `order`-th (0-based) to the notification area.
POINT IconPlace(int order) {
  return {GetSystemMetrics(SM_CXSCREEN) - 20 * order - 10, GetSystemMetrics(SM_CYSCREEN) - 10};
}

// The visible pop-up menu window, by one class lookup: a walk of every top-level window with their
// class names, a thousand times a second, would keep the wine server busy and slow down the very
// program being timed.
HWND OpenMenuWindow() {
  for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w != nullptr;
       w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
    if (IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// Milliseconds from the X right-button press on `icon` to the visible menu window, closed again
// afterwards with Escape.
double TimeTrayMenu(POINT icon) {
  if (!e2e::WaitUntil([] { return OpenMenuWindow() == nullptr; })) {
    throw DriverError("a menu is still open");
  }
  const std::string at = std::to_string(icon.x) + " " + std::to_string(icon.y);
  // The pointer goes there first, so that the timed command holds nothing but the click.
  test::RunUnixCommand("xdotool mousemove " + at);
  std::atomic<long long> opened{0};
  std::atomic<bool> stop{false};
  std::thread watcher([&] {
    while (!stop) {
      if (OpenMenuWindow() != nullptr) {
        opened = UnixNowNs();
        return;
      }
      Sleep(1);
    }
  });
  const long long before = UnixNowNs();
  const test::UnixCommandResult click =
      test::RunUnixCommand("t=$(date +%s%N); xdotool click 3; echo $t");
  e2e::WaitUntil([&] { return opened.load() != 0; }, 30s);
  stop = true;
  watcher.join();
  e2e::TapKey(VK_ESCAPE);
  e2e::WaitUntil([] { return OpenMenuWindow() == nullptr; });
  const long long pressed = std::atoll(click.output.c_str());
  if (!click.finished || pressed < before || opened == 0) {
    throw DriverError("the tray click or its menu was not seen (finished " +
                      std::to_string(click.finished) + ", before " + std::to_string(before) +
                      ", pressed " + click.output + ", opened " + std::to_string(opened) + ")");
  }
  return static_cast<double>(opened - pressed) / 1e6;
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
  Stats floorBatch, floorArrival, program, programBack;
  int lostKeys = 0;
};

std::vector<SwitchRow> MeasureSwitches(Program& program, bool hideApps,
                                       const std::vector<int>& counts, int rounds,
                                       const std::function<void(int, const Scene&)>& atCount) {
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
    std::vector<double> batch, arrival, out, back;
    program.lostKeys = 0;
    for (int round = 0; round < rounds; ++round) {
      const FloorTimes there = FloorMove(scene, -width);
      const FloorTimes home = FloorMove(scene, 0);
      batch.insert(batch.end(), {there.batch, home.batch});
      arrival.insert(arrival.end(), {there.arrival, home.arrival});
      out.push_back(program.Switch(scene, 2, -width, !hideApps));
      back.push_back(program.Switch(scene, 1, 0, true));
    }
    row.floorBatch = StatsOf(batch);
    row.floorArrival = StatsOf(arrival);
    row.program = StatsOf(out);
    row.programBack = StatsOf(back);
    row.lostKeys = program.lostKeys;
    std::printf("hiding %s, %d windows: floor %.1f ms, program %.1f / %.1f ms\n",
                hideApps ? "on" : "off", count, row.floorArrival.median, row.program.median,
                row.programBack.median);
    std::fflush(stdout);
    rows.push_back(row);
    if (atCount) atCount(count, scene);
  }
  return rows;
}

void WriteSwitchTable(std::ostream& out, const std::vector<SwitchRow>& rows) {
  out << "| windows | floor: batch returned | floor: all in place | program: hot key to all in "
         "place (to desktop 2) | back to desktop 1 | ratio program / floor | lost hot keys |\n"
         "|---:|---:|---:|---:|---:|---:|---:|\n";
  for (const SwitchRow& r : rows) {
    out << "| " << r.windows << " | " << Cell(r.floorBatch) << " | " << Cell(r.floorArrival)
        << " | " << Cell(r.program) << " | " << Cell(r.programBack) << " | "
        << Fixed(r.program.median / r.floorArrival.median, 2) << " | " << r.lostKeys << " |\n";
  }
}

int Run(const std::string& reportPath, int rounds, const std::vector<int>& counts) {
  std::ostringstream report;
  const int largest = *std::max_element(counts.begin(), counts.end());
  report << "Wine session: screen " << GetSystemMetrics(SM_CXSCREEN) << " x "
         << GetSystemMetrics(SM_CYSCREEN) << ", " << rounds
         << " rounds per size; milliseconds, median (min–max).\n\n";

  std::map<std::string, std::string> idle;
  std::vector<Stats> trayProgram;
  std::vector<int> trayCounts;
  Stats trayFloor;
  {
    Program program(false);
    const auto rows = MeasureSwitches(
        program, false, counts, rounds, [&](int count, const Scene&) {
          std::vector<double> times;
          for (int i = 0; i < rounds; ++i) {
            times.push_back(TimeTrayMenu(e2e::TrayIconCentre(1)));
            program.Settle();
          }
          trayProgram.push_back(StatsOf(times));
          trayCounts.push_back(count);
          std::printf("tray menu with %d windows: %.1f ms\n", count, trayProgram.back().median);
          if (count != largest) return;

          // Idle: nothing happens for a while; the program should not run at all.
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
          SetLastError(0);
          const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
          const DWORD gdiError = GetLastError();
          SetLastError(0);
          const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
          const DWORD userError = GetLastError();
          const WindowCounts windows = CountWindows(program.Get().ProcessId());
          CloseHandle(process);
          idle["observed for"] = Fixed(seconds, 1) + " s with " + std::to_string(count) +
                                 " windows of another process, main window hidden";
          idle["CPU time (GetProcessTimes)"] =
              cpuBefore < 0 ? "not available"
                            : Fixed(cpuAfter - cpuBefore, 1) + " ms (since start: " +
                                  Fixed(cpuAfter, 0) + " ms)";
          idle["CPU time (/proc, all threads)"] =
              std::to_string(after.cpuTicks - before.cpuTicks) + " clock ticks (since start: " +
              std::to_string(after.cpuTicks) + ")";
          idle["context switches (/proc, all threads)"] =
              std::to_string(after.contextSwitches - before.contextSwitches) + " over " +
              std::to_string(after.threads) + " threads (since start: " +
              std::to_string(after.contextSwitches) + ")";
          idle["working set (GetProcessMemoryInfo)"] =
              haveMemory ? Fixed(memory.WorkingSetSize / 1048576.0, 1) + " MB (peak " +
                               Fixed(memory.PeakWorkingSetSize / 1048576.0, 1) + " MB), private " +
                               Fixed(memory.PagefileUsage / 1048576.0, 1) + " MB"
                         : "not available (error " + std::to_string(GetLastError()) + ")";
          idle["resident set (/proc VmRSS)"] = Fixed(after.rssKb / 1024.0, 1) + " MB";
          idle["GetGuiResources GDI / USER"] =
              std::to_string(gdi) + " (error " + std::to_string(gdiError) + ") / " +
              std::to_string(user) + " (error " + std::to_string(userError) + ")";
          idle["windows of the program"] =
              std::to_string(windows.topLevel) + " top-level (" +
              std::to_string(windows.visibleTopLevel) + " visible), " +
              std::to_string(windows.children) + " child, " + std::to_string(windows.messageOnly) +
              " message-only";

          BareTrayIcon bare;
          std::vector<double> floor;
          for (int i = 0; i < rounds; ++i) floor.push_back(TimeTrayMenu(IconPlace(4)));
          trayFloor = StatsOf(floor);
        });
    report << "### Switch, hiding option off\n\n";
    WriteSwitchTable(report, rows);
  }
  {
    Program program(true);
    const auto rows = MeasureSwitches(program, true, counts, rounds, {});
    report << "\n### Switch, hiding option on (to desktop 2: moved and hidden; back: shown and "
              "moved)\n\n";
    WriteSwitchTable(report, rows);
  }
  report << "\n### Tray menu: X right-button press to open menu\n\n"
            "| menu | time |\n|---|---:|\n"
         << "| bare icon of the measuring process, two items | " << Cell(trayFloor) << " |\n";
  for (std::size_t i = 0; i < trayProgram.size(); ++i) {
    report << "| the program, " << trayCounts[i] << " windows | " << Cell(trayProgram[i])
           << " |\n";
  }
  report << "\n### At idle\n\n| what | measured |\n|---|---|\n";
  for (const auto& [what, value] : idle) report << "| " << what << " | " << value << " |\n";

  std::ofstream file(reportPath);
  file << report.str();
  std::printf("%s", report.str().c_str());
  return file ? 0 : 1;
}

}  // namespace
}  // namespace mirel::bench

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s REPORT [ROUNDS] [COUNTS...]\n", argv[0]);
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
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

// End-to-end test that the program's use of window-system objects stays flat under repeated use:
// 500 switches (each showing the name overlay), 100 of them painting the visual manager, and 100
// openings of the tray menu.
//
// What is counted, and why: GetGuiResources, the usual count of a process's GDI and USER objects,
// is a stub under Wine (0, error 120). So
//   - USER objects are counted as windows: every window of the program's threads (a toolhelp
//     snapshot of its threads, EnumThreadWindows for each, EnumChildWindows below each) and its
//     message-only windows. A window made and not destroyed adds one. The count must come back to
//     exactly the same number at each quiet point.
//   - GDI objects (bitmaps, fonts, brushes, device contexts) live in the process's own memory under
//     Wine, as do menus and the program's own data: what leaks there shows as private memory
//     (GetProcessMemoryInfo, PagefileUsage). Warm-up fills caches and heaps first; afterwards the
//     private bytes may move within kMemoryBound only (measured: about 12 KiB over the whole
//     test). A leaked off-screen bitmap per paint of the visual manager (hundreds of KiB each), a
//     leaked menu with its items per opening (several KiB) or a leaked window per switch adds far
//     more. The bound is blind to objects of a few hundred bytes (a font or a brush per overlay
//     would take thousands of overlays to show).
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "e2e/robustness_support.h"

#include <psapi.h>
#include <tlhelp32.h>

namespace mirel::e2e {
namespace {

constexpr SIZE_T kMemoryBound = 512 * 1024;
constexpr const char* kTabClass = "SysTabControl32";
constexpr int kVisualManagerPage = 1;

struct Usage {
  std::size_t windows = 0;
  SIZE_T privateBytes = 0;
};

BOOL CALLBACK AddWindowTo(HWND window, LPARAM set) {
  reinterpret_cast<std::set<HWND>*>(set)->insert(window);
  return TRUE;
}

std::set<HWND> WindowsOfThreads(DWORD processId) {
  std::set<HWND> windows;
  const win32::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) {
    throw DriverError("no thread snapshot");
  }
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more;
       more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID != processId) continue;
    std::set<HWND> tops;
    EnumThreadWindows(entry.th32ThreadID, &AddWindowTo, reinterpret_cast<LPARAM>(&tops));
    for (HWND top : tops) {
      windows.insert(top);
      EnumChildWindows(top, &AddWindowTo, reinterpret_cast<LPARAM>(&windows));
    }
  }
  for (HWND window : MessageWindowsOf(processId)) windows.insert(window);
  return windows;
}

Usage Measure(DWORD processId) {
  Usage usage;
  usage.windows = WindowsOfThreads(processId).size();
  const win32::UniqueKernelHandle process(
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!process || !GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) {
    throw DriverError("cannot read the program's memory counters");
  }
  usage.privateBytes = counters.PagefileUsage;
  return usage;
}

std::string Show(const Usage& usage) {
  return std::to_string(usage.windows) + " windows, " +
         std::to_string(usage.privateBytes / 1024) + " KiB private";
}

class LeakTest : public RobustnessFixture {
 protected:
  // `count` hot-key switches, each to another desktop than the one before.
  void Switches(int count) {
    for (int i = 0; i < count; ++i) {
      int next = desktop_;
      while (next == desktop_) next = 1 + random_.Below(8);
      SwitchByHotKey(next);
      desktop_ = next;
    }
  }

  void TrayMenus(int count) {
    for (int i = 0; i < count; ++i) {
      AwaitOverlayHidden();
      OpenTrayMenu(1 + i % 4);
      ChooseMenuItemByKeys({VK_ESCAPE});
    }
  }

  void ShowVisualManager() {
    AwaitOverlayHidden();
    ShowMainWindow();
    const HWND tabs = FindChild(program.MainWindow(), kTabClass);
    if (tabs == nullptr) throw DriverError("no page control");
    Click(Centre(TabRect(tabs, kVisualManagerPage)));
    Await("the \"Visual Manager\" page", [&] {
      return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == kVisualManagerPage;
    });
  }

  void HideMainWindow() {
    const HWND main = program.MainWindow();
    PostMessageA(main, WM_CLOSE, 0, 0);  // the Hide action
    Await("the main window hidden", [&] { return !IsWindowVisible(main); });
  }

  // The program's usage once it is quiet: its overlay hidden and its queue handled.
  Usage Quiet() {
    if (!PostedMessagesHandled()) throw DriverError("the program did not get quiet");
    return Measure(program.ProcessId());
  }

  ::testing::AssertionResult Flat(const Usage& base, const Usage& now, const char* after) {
    std::cerr << "after " << after << ": " << Show(now) << "\n";
    if (now.windows != base.windows) {
      return ::testing::AssertionFailure() << "after " << after << ": " << Show(now)
                                           << "; at the start " << Show(base);
    }
    const SIZE_T grown = now.privateBytes > base.privateBytes ? now.privateBytes - base.privateBytes
                                                              : 0;
    if (grown > kMemoryBound) {
      return ::testing::AssertionFailure() << "after " << after << ": " << Show(now)
                                           << "; at the start " << Show(base);
    }
    return ::testing::AssertionSuccess();
  }

  Sequence random_{31};
  int desktop_ = 1;
};

TEST_F(LeakTest, WindowsAndMemoryStayFlatOverSwitchesPaintsOverlaysAndTrayMenus) {
  // Warm-up: every kind of use once or a few times, so that caches and lazily made windows (tool
  // tips, the menu window) exist before counting starts.
  Switches(10);
  TrayMenus(4);
  ShowVisualManager();
  Switches(4);
  HideMainWindow();
  const Usage base = Quiet();
  std::cerr << "at the start: " << Show(base) << "\n";

  Switches(200);
  ASSERT_TRUE(Flat(base, Quiet(), "200 switches"));
  Switches(200);
  ASSERT_TRUE(Flat(base, Quiet(), "400 switches"));

  ShowVisualManager();
  Switches(100);  // each one paints the visual manager
  HideMainWindow();
  ASSERT_TRUE(Flat(base, Quiet(), "100 more switches with the visual manager painted"));

  TrayMenus(100);
  ASSERT_TRUE(Flat(base, Quiet(), "100 tray menus"));
  EXPECT_TRUE(ProgramUp());
}

}  // namespace
}  // namespace mirel::e2e

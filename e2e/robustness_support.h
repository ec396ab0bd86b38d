// What the reliability tests share: hot keys pressed as a user presses them, the program's windows
// (message-only ones included), its error boxes, raw registry values, and a fixture that switches
// by hot key and knows where each sample window belongs.
#pragma once

#include <chrono>
#include <cstdint>
#include <future>
#include <iostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/driver/controls.h"
#include "e2e/driver/hot_keys.h"
#include "e2e/driver/input.h"
#include "e2e/driver/program_fixture.h"
#include "e2e/driver/registry.h"
#include "e2e/driver/retry.h"
#include "e2e/driver/tray.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/handles.h"

namespace mirel::e2e {

inline constexpr const char* kMessageBoxClass = "#32770";
// The ids of the program's hot keys: the eight desktops, then the other desktop commands.
inline constexpr int kFirstHotKeyId = 205;
inline constexpr int kLastHotKeyId = 224;

// Whether Shift+Ctrl+F<n> is held by some program: this test cannot take it for itself.
inline bool CombinationHeld(int n) {
  constexpr int kProbeId = 0xB000;
  if (!RegisterHotKey(nullptr, kProbeId, MOD_SHIFT | MOD_CONTROL, FunctionKey(n))) return true;
  UnregisterHotKey(nullptr, kProbeId);
  return false;
}

inline BOOL CALLBACK CollectWindowInto(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// Every window of process `processId`: its top-level windows with all their descendants, and its
// message-only windows.
inline std::vector<HWND> WindowsOfProcess(DWORD processId) {
  std::vector<HWND> windows;
  for (HWND top : TopLevelWindows()) {
    if (WindowProcess(top) != processId) continue;
    windows.push_back(top);
    EnumChildWindows(top, &CollectWindowInto, reinterpret_cast<LPARAM>(&windows));
  }
  for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
       window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
    if (WindowProcess(window) == processId) windows.push_back(window);
  }
  return windows;
}

inline HWND FindMessageBox(DWORD processId) {
  return FindTopLevel([&](HWND window) {
    return WindowProcess(window) == processId && WindowClass(window) == kMessageBoxClass &&
           IsWindowVisible(window);
  });
}

// The text of a message box: its static controls that have text (the icon has none).
inline std::string MessageBoxText(HWND box) {
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowClass(child) != "Static") continue;
    char buffer[512] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(child, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 5000, &length);
    if (length != 0) text += (text.empty() ? "" : " ") + std::string(buffer, length);
  }
  return text;
}

// Writes a value of any type and bytes below HKEY_CURRENT_USER, creating the key.
inline void WriteRaw(const std::string& keyPath, const std::string& name, DWORD type,
                     const std::string& bytes) {
  win32::UniqueRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      key.Put(), nullptr) != ERROR_SUCCESS ||
      RegSetValueExA(key.get(), name.c_str(), 0, type,
                     reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS) {
    throw DriverError("cannot write HKCU\\" + keyPath + "\\" + name);
  }
}

inline std::string HandleName(HWND window) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(window));
}

// A fixed sequence of numbers, the same at every run.
class Sequence {
 public:
  explicit Sequence(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ ^ (state_ >> 15);
  }
  int Below(int bound) { return static_cast<int>(Next() % static_cast<std::uint32_t>(bound)); }

 private:
  std::uint32_t state_;
};

class RobustnessFixture : public ProgramFixture {
 protected:
  // The name overlay activates a window as it hides, and a window taking the foreground closes
  // an open tray menu: tray menu commands wait until the overlay has gone.
  void AwaitOverlayHidden() const {
    const HWND overlay = program.Window(kOverlayClass);
    Await("the name overlay hidden",
          [&] { return overlay == nullptr || !IsWindowVisible(overlay); });
  }

  // Waits until the program has handled every message posted to it so far. The mark is a tray
  // notification that opens the tray menu (a right button pressed on icon 1, whose entry is 1):
  // the posted messages of one thread are handled in the order they were posted, so once the menu
  // is open, everything posted before it has been handled. Closes the menu again.
  ::testing::AssertionResult PostedMessagesHandled() {
    const std::vector<HWND> handlers = MessageWindowsOf(program.ProcessId());
    if (handlers.empty()) {
      if (!program.WaitForExit(std::chrono::seconds(10))) {
        return ::testing::AssertionFailure() << "the tray handler window is gone";
      }
      return ::testing::AssertionFailure() << "the program ended with code " << program.ExitCode();
    }
    AwaitOverlayHidden();
    PostTrayNotification(program.ProcessId(), 1, WM_RBUTTONDOWN);
    auto menu = Eventually(
        "the tray menu opened by the mark",
        [&] { return !program.Running() || FindOpenMenu() != nullptr; }, std::chrono::seconds(60));
    if (!program.Running()) {
      return ::testing::AssertionFailure() << "the program ended with code " << program.ExitCode();
    }
    if (!menu) return menu;
    ChooseMenuItemByKeys({VK_ESCAPE});
    return ::testing::AssertionSuccess();
  }

  // Whether the program still runs and its four tray icons are shown.
  ::testing::AssertionResult ProgramUp() const {
    if (!program.Running()) {
      return ::testing::AssertionFailure() << "the program ended with code " << program.ExitCode();
    }
    return Eventually("the four tray icons", [] {
      for (int desktop = 1; desktop <= kTrayIconCount; ++desktop) {
        if (!TrayIconShown(desktop)) return false;
      }
      return true;
    });
  }

  // The tray icons and the hot keys still switch: icon 3, then Shift+Ctrl+F6 and back with
  // Shift+Ctrl+F1, each moving the standard windows where they belong.
  ::testing::AssertionResult TrayAndHotKeysWork() {
    SwitchWithTrayIcon(3);
    if (auto placed = WindowsEventuallyAt(ShiftedLefts(-2 * W)); !placed) return placed;
    SwitchByHotKey(6);
    if (auto placed = WindowsEventuallyAt(ShiftedLefts(-W)); !placed) return placed;
    SwitchByHotKey(1);
    return WindowsEventuallyAt(StandardLefts());
  }

  // Starts the program as StartProgram does while closing the error boxes it shows meanwhile,
  // one after the other, with a click on their OK button; returns their texts in order.
  std::vector<std::string> StartProgramDismissingBoxes() {
    std::future<void> started = std::async(std::launch::async, [this] { StartProgram(); });
    std::vector<std::string> texts;
    WaitUntil([&] {
      if (const HWND box = FindTopLevel(IsProgramBox)) {
        const HWND ok = FindChild(box, "Button", std::string("OK"));
        if (ok != nullptr && IsWindowVisible(ok)) {
          texts.push_back(MessageBoxText(box));
          Click(Centre(WindowRect(ok)));
          Await("the error box closed", [&] { return !IsWindow(box); });
        }
      }
      return started.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }, std::chrono::seconds(90));
    started.get();  // rethrows what went wrong
    return texts;
  }

 private:
  static bool IsProgramBox(HWND window) {
    return WindowClass(window) == kMessageBoxClass && IsWindowVisible(window) &&
           WindowTitle(window) == "Mirel Virtual Desktop";
  }
};

}  // namespace mirel::e2e

// End-to-end tests of what other programs and damaged data may throw at the program: messages it
// did not ask for, posted to its windows, and stored values of every wrong kind. In every case the
// program stays up, does nothing beyond what the message or the value properly means, and its
// tray icons and hot keys still work afterwards.
//
// Standard windows (ProgramFixture): Alpha and Beta on desktop 1, Gamma on desktop 2, Delta on
// desktop 3, Far beyond the reach of any switch. Nothing stored unless a test says so (the hiding
// option is then on).
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/robustness_support.h"
#include "tests/win32/support/unix_command.h"

namespace mirel::e2e {
namespace {

constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kLinkFileName = "Mirel Virtual Desktop.lnk";
constexpr const char* kAutoStartCaption = "Start Mirel Virtual Desktop with windows";
constexpr int kOptionsPage = 2;
// Shift+Ctrl+F1 as a stored shortcut value; F2..F8 follow it.
constexpr int kShiftCtrlF1 = 24688;

// --- Hostile messages -------------------------------------------------------------------------------
//
// Messages are posted in rounds, each followed by the mark of PostedMessagesHandled. Nothing else
// in these tests opens the tray menu or switches.

class HostileMessagesTest : public RobustnessFixture {
 protected:
  // Posts `messages` to their windows, then waits until the program has handled them and checks
  // that nothing has moved or switched.
  ::testing::AssertionResult PostRound(const std::vector<MSG>& messages) {
    for (const MSG& m : messages) PostMessageA(m.hwnd, m.message, m.wParam, m.lParam);
    if (auto handled = PostedMessagesHandled(); !handled) return handled;
    if (auto unmoved = WindowsEventuallyAt(StandardLefts()); !unmoved) return unmoved;
    const std::string caption = WindowTitle(program.Window(kOverlayClass));
    if (caption.starts_with("Desktop ")) {
      return ::testing::AssertionFailure() << "the round switched desktops: overlay " << caption;
    }
    return WindowsEventually({}, {kAlpha, kBeta, kGamma, kDelta, kFar});
  }
};

TEST_F(HostileMessagesTest, TrayNotificationsOfForeignEntriesAndUnknownEventsDoNothing) {
  // Entries 1 to 4 are the program's icons (in the order they were made). Foreign entries get every
  // mouse and balloon event; the program's own only events no icon reacts to.
  const std::vector<WPARAM> foreign = {0, 5, 6, 100, 0xFFFF, 0x10000, 0x7FFFFFFF, 0xFFFFFFFF};
  const std::vector<LPARAM> events = {0x200, 0x201, 0x202, 0x203, 0x204, 0x205, 0x206, 0x207,
                                      0x208, 0x209, 0x402, 0x403, 0x404, 0x405, 0, -1};
  const std::vector<LPARAM> inert = {0, -1, 0x1234, 0x20A, 0x20B, 0x20C, 0x20D, 0x400, 0x401,
                                     0x7FFFFFFF, 0x12340201};
  Sequence random(8);
  for (int round = 0; round < 3; ++round) {
    std::vector<MSG> messages;
    for (HWND handler : MessageWindowsOf(program.ProcessId())) {
      for (WPARAM id : foreign) {
        for (LPARAM event : events) messages.push_back({handler, kTrayCallback, id, event, 0, {}});
      }
      for (WPARAM id = 1; id <= 4; ++id) {
        for (LPARAM event : inert) messages.push_back({handler, kTrayCallback, id, event, 0, {}});
      }
      for (int i = 0; i < 200; ++i) {
        const WPARAM id = random.Next() | 0x100;  // never 1..4
        messages.push_back({handler, kTrayCallback, id, static_cast<LPARAM>(random.Next()), 0, {}});
      }
    }
    ASSERT_TRUE(PostRound(messages)) << "round " << round;
  }
  ASSERT_TRUE(ProgramUp());
  EXPECT_TRUE(TrayAndHotKeysWork());
}

TEST_F(HostileMessagesTest, TimerMessagesWithAnyIdentifierDoNothing) {
  // Every window of the program, message-only ones included, gets WM_TIMER with every identifier
  // up to 4096 and random ones, without and with a timer procedure address in lParam.
  const std::vector<HWND> windows = WindowsOfProcess(program.ProcessId());
  ASSERT_GT(windows.size(), 5u);
  Sequence random(13);
  constexpr WPARAM kSweep = 4096;
  constexpr WPARAM kPerRound = 512;
  for (WPARAM first = 0; first <= kSweep; first += kPerRound) {
    std::vector<MSG> messages;
    for (HWND window : windows) {
      for (WPARAM id = first; id < first + kPerRound && id <= kSweep; ++id) {
        messages.push_back({window, WM_TIMER, id, 0, 0, {}});
      }
      for (int i = 0; i < 16; ++i) {
        messages.push_back({window, WM_TIMER, random.Next(), 0, 0, {}});
        messages.push_back(
            {window, WM_TIMER, random.Next() % 64, static_cast<LPARAM>(random.Next() | 1), 0, {}});
      }
    }
    ASSERT_TRUE(PostRound(messages)) << "identifiers from " << first;
  }
  ASSERT_TRUE(ProgramUp());
  EXPECT_TRUE(TrayAndHotKeysWork());
}

TEST_F(HostileMessagesTest, HotKeyMessagesWithForeignIdentifiersDoNothing) {
  std::vector<WPARAM> ids;
  for (WPARAM id = 0; id < 1024; ++id) {
    if (id < kFirstHotKeyId || id > kLastHotKeyId) ids.push_back(id);
  }
  for (WPARAM id : {0xBFFFu, 0xC000u, 0xFFFFu, 0x10000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) ids.push_back(id);
  Sequence random(21);
  std::vector<MSG> messages;
  for (HWND window : WindowsOfProcess(program.ProcessId())) {
    for (WPARAM id : ids) {
      messages.push_back({window, WM_HOTKEY, id, static_cast<LPARAM>(random.Next()), 0, {}});
    }
  }
  ASSERT_TRUE(PostRound(messages));
  ASSERT_TRUE(ProgramUp());
  EXPECT_TRUE(TrayAndHotKeysWork());
}

using TaskbarCreatedTest = RobustnessFixture;

TEST_F(TaskbarCreatedTest, FiftyBroadcastsLeaveTheFourIconsWorking) {
  const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  ASSERT_NE(taskbarCreated, 0u);
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0)) << "broadcast " << i;
  }
  ASSERT_TRUE(PostedMessagesHandled());
  ASSERT_TRUE(ProgramUp());
  // Each icon still switches to its desktop: every re-added icon kept its place and its entry.
  for (int desktop : {4, 2, 3, 1}) {
    SwitchWithTrayIcon(desktop);
    ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-(desktop - 1) * W)));
  }
  EXPECT_TRUE(TrayAndHotKeysWork());
}

// --- Hostile stored data ---------------------------------------------------------------------------

class StoredDataTest : public RobustnessFixture {
 protected:
  // Sample windows are started first so that their handles can be stored; then the data.
  void SetUp() override {
    DeleteProgramKey();
    SweepDeadTrayIcons();
    sample.Start(SampleWindows());
    StoreData();
    boxes_ = StartProgramDismissingBoxes();
  }
  virtual void StoreData() = 0;

  // The "Options" page's check box `caption`, the main window shown on that page.
  HWND ShowOptionsCheckBox(const char* caption) {
    AwaitOverlayHidden();
    ShowMainWindow();
    return CheckBoxOnPage(kOptionsPage, caption);
  }

  std::vector<std::string> boxes_;
};

// Every option stored wrong at once, each in another way. The decisions: a value of a non-text
// type is reported in an error box and its setting takes the default; text is read up to its first
// zero, and text that is not a 32-bit decimal number gives the default without a word; a number is
// a shortcut value by its low 16 bits; of two slots with one combination the first one gets it.
class BadOptionsTest : public StoredDataTest {
 protected:
  void StoreData() override {
    const std::string zero(1, '\0');
    WriteRaw(kOptionsKey, "HideApps", REG_SZ, "0" + zero + "1" + zero);  // reads "0": off
    WriteRaw(kOptionsKey, "HotKey1", REG_BINARY, std::string("\x70\x60\xFF\x00\x13", 5));
    WriteRaw(kOptionsKey, "HotKey2", REG_SZ, "");
    WriteRaw(kOptionsKey, "HotKey3", REG_SZ, std::string(65536, '7') + zero);
    WriteRaw(kOptionsKey, "HotKey4", REG_SZ, "-1" + zero);  // 0xFFFF: no Shift+Ctrl+F4
    WriteRaw(kOptionsKey, "HotKey5", REG_SZ, "99999999999" + zero);
    WriteRaw(kOptionsKey, "HotKey6", REG_DWORD, std::string("\x75\x60\x00\x00", 4));
    WriteRaw(kOptionsKey, "HotKey7", REG_QWORD, std::string("\x76\x60\x00\x00\x00\x00\x00\x01", 8));
    // Shift+Ctrl+F2 followed by garbage: slot 2 has that combination already, F8 stays free.
    WriteRaw(kOptionsKey, "HotKey8", REG_SZ,
             std::to_string(kShiftCtrlF1 + 1) + zero + "\x01\x02garbage");
    WriteRaw(kOptionsKey, "HotKey9", REG_SZ, "24697");
    WriteRaw(kOptionsKey, "", REG_BINARY, std::string(300, '\xAB'));
  }
};

TEST_F(BadOptionsTest, StartsReportsTheWrongTypesAndUsesWhatTheDecisionsSay) {
  EXPECT_EQ(boxes_, (std::vector<std::string>{"Invalid data type for 'HotKey1'",
                                               "Invalid data type for 'HotKey6'",
                                               "Invalid data type for 'HotKey7'"}));
  ASSERT_TRUE(ProgramUp());
  for (int n : {1, 2, 3, 5, 6, 7}) EXPECT_TRUE(CombinationHeld(n)) << "Shift+Ctrl+F" << n;
  EXPECT_FALSE(CombinationHeld(4)) << "-1 is no Shift+Ctrl+F4";
  EXPECT_FALSE(CombinationHeld(8)) << "slot 8 repeats slot 2's combination";

  // "0" followed by garbage: hiding is off, a switch only moves.
  SwitchByHotKey(3);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-2 * W)));
  EXPECT_TRUE(WindowsEventually({}, {kAlpha, kBeta, kGamma, kDelta, kFar}));
  SwitchByHotKey(2);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-W)));
  SwitchByHotKey(1);
  ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));
  AwaitOverlayHidden();
  ExitProgram();
  EXPECT_EQ(program.ExitCode(), 0u);
  EXPECT_EQ(ReadString(kOptionsKey, "HideApps"), "0");
}

// The Startup folder recorded by the shell points nowhere, or into a folder nobody may write to:
// autostart reads as off, and asking for it makes exit go through without a shortcut anywhere.
class StartupFolderTest : public StoredDataTest {
 protected:
  ::testing::AssertionResult ExitWithAutoStartChecked(const std::string& folder) {
    const HWND box = ShowOptionsCheckBox(kAutoStartCaption);
    DWORD_PTR state = 0;
    SendMessageTimeoutA(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    if (state != BST_UNCHECKED) return ::testing::AssertionFailure() << "autostart reads as on";
    if (auto checked = ClickCheckBox(box, true); !checked) return checked;
    SwitchWithTrayIcon(2);
    AwaitOverlayHidden();
    ExitProgram();
    if (program.ExitCode() != 0) {
      return ::testing::AssertionFailure() << "exit code " << program.ExitCode();
    }
    if (FindTopLevel([](HWND w) { return WindowClass(w) == kMessageBoxClass; }) != nullptr) {
      return ::testing::AssertionFailure() << "a box is left on the screen";
    }
    const std::string link = folder + "\\" + kLinkFileName;
    if (GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
      return ::testing::AssertionFailure() << "a shortcut was written to " << link;
    }
    if (auto back = WindowsEventuallyAt(StandardLefts()); !back) return back;
    if (auto shown = WindowsEventually({}, {kAlpha, kBeta, kGamma, kDelta, kFar}); !shown) {
      return shown;
    }
    // The options were saved after the shortcut: its failure is not one that stops saving.
    if (ReadString(kOptionsKey, "HideApps") != "1") {
      return ::testing::AssertionFailure() << "the options were not saved";
    }
    return ::testing::AssertionSuccess();
  }
};

class StartupNowhereTest : public StartupFolderTest {
 protected:
  static constexpr const char* kNowhere = "Q:\\no such\\folder";
  void StoreData() override { WriteString(kShellFoldersKey, "Startup", kNowhere); }
};

TEST_F(StartupNowhereTest, AutoStartReadsOffAndExitGoesThrough) {
  EXPECT_EQ(boxes_, std::vector<std::string>{});
  ASSERT_TRUE(ProgramUp());
  EXPECT_TRUE(ExitWithAutoStartChecked(kNowhere));
}

// /proc takes no new file from anyone: a folder that stays read-only also when the tests run as
// root, whom permission bits do not stop.
class StartupReadOnlyTest : public StartupFolderTest {
 protected:
  void StoreData() override {
    const auto refused = test::RunUnixCommand("! touch /proc/mirel-probe 2>/dev/null");
    if (!refused.finished || refused.exitStatus != 0) {
      throw DriverError("/proc took a new file: " + refused.output);
    }
    folder_ = test::WindowsPathOf("/proc");
    WriteString(kShellFoldersKey, "Startup", folder_);
  }
  std::string folder_;
};

TEST_F(StartupReadOnlyTest, AutoStartReadsOffAndExitGoesThrough) {
  EXPECT_EQ(boxes_, std::vector<std::string>{});
  ASSERT_TRUE(ProgramUp());
  EXPECT_TRUE(ExitWithAutoStartChecked(folder_));
}

// "HiddenApps" as a killed run, another program or damage may leave it. Only a value that names
// the very window that was recorded (its handle and its title) is acted on; every other value is
// dropped, and its window is never touched.
class HiddenAppsTest : public StoredDataTest {
 protected:
  static constexpr const char* kLost = "Lost";          // hidden and disabled by a killed run
  static constexpr const char* kStranger = "Stranger";  // hidden by its own application

  std::vector<std::string> SampleWindows() const override {
    std::vector<std::string> windows = StandardWindows();
    windows.push_back(std::string("title=") + kLost + ";x=400;y=300;w=240;h=160;visible=0;disabled=1");
    windows.push_back(std::string("title=") + kStranger +
                      ";x=500;y=400;w=240;h=160;visible=0;disabled=1");
    return windows;
  }

  void StoreData() override {
    const std::string zero(1, '\0');
    WriteString(kHiddenAppsKey, HandleName(Sample(kLost)), kLost);
    WriteString(kHiddenAppsKey, HandleName(Sample(kAlpha)), "Not Alpha");   // wrong title
    WriteString(kHiddenAppsKey, HandleName(Sample(kStranger)), "Alpha");    // another's title
    WriteString(kHiddenAppsKey, HandleName(Sample(kBeta)), "");
    WriteRaw(kHiddenAppsKey, HandleName(Sample(kGamma)), REG_BINARY, "Gamma");  // wrong type
    WriteRaw(kHiddenAppsKey, "0" + HandleName(Sample(kDelta)), REG_SZ, kDelta + zero);
    WriteString(kHiddenAppsKey, "4294967296" + HandleName(Sample(kFar)), kFar);
    WriteString(kHiddenAppsKey, "garbage", "x");
    WriteString(kHiddenAppsKey, "-12", "y");
    WriteString(kHiddenAppsKey, "", "unnamed");
    WriteString(kHiddenAppsKey, "123456789012345678901234567890", "long");
    WriteRaw(kHiddenAppsKey, "7", REG_SZ, std::string(65536, 'T'));
    before_ = {Snapshot(Sample(kAlpha)), Snapshot(Sample(kBeta)), Snapshot(Sample(kStranger))};
  }

  std::vector<WindowSnapshot> before_;
};

TEST_F(HiddenAppsTest, OnlyTheRecordedWindowIsTakenBackAndNoOtherIsTouched) {
  EXPECT_EQ(boxes_, std::vector<std::string>{});
  ASSERT_TRUE(ProgramUp());
  for (const WindowSnapshot& was : before_) {
    const WindowSnapshot now = Snapshot(was.handle);
    EXPECT_TRUE(now.visible == was.visible && now.enabled == was.enabled &&
                EqualRect(&now.rect, &was.rect))
        << "touched: " << Describe(was.handle);
  }
  // Start-up took back the one true record and dropped the rest. The run that left it did not end
  // cleanly, so the hiding pass runs for the desktop on screen: Lost, on desktop 1, is shown and
  // enabled again and its record goes; the other desktops' windows are hidden and recorded.
  EXPECT_TRUE(WindowsEventually({kStranger, kGamma, kDelta, kFar}, {kAlpha, kBeta, kLost}));
  const auto recorded = ReadStrings(kHiddenAppsKey);
  EXPECT_EQ(recorded.count(HandleName(Sample(kLost))), 0u) << DescribeSampleWindows();
  EXPECT_EQ(recorded.size(), 3u) << DescribeSampleWindows();
  EXPECT_EQ(recorded.count(HandleName(Sample(kStranger))), 0u);

  // Lost is managed again: it lies on desktop 1 and shows with it; Stranger is nobody's business.
  SwitchByHotKey(2);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-W)));
  SwitchByHotKey(1);
  ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));
  EXPECT_TRUE(WindowsEventually({kStranger}, {kAlpha, kBeta, kLost}));
  AwaitOverlayHidden();
  ExitProgram();
  EXPECT_TRUE(WindowsEventually({kStranger}, {kAlpha, kBeta, kGamma, kDelta, kFar, kLost}));
  EXPECT_EQ(WindowRect(Sample(kStranger)).left, 500);
  EXPECT_TRUE(ReadStrings(kHiddenAppsKey).empty());
}

// --- An application that shows its window while the program holds it hidden ----------------------

using ShownByItsApplicationTest = RobustnessFixture;

TEST_F(ShownByItsApplicationTest, AWindowShownWhileHiddenComesBackVisibleAndEnabled) {
  SwitchByHotKey(2);
  ASSERT_TRUE(WindowsEventually({kAlpha, kBeta, kDelta, kFar}, {kGamma}));
  sample.Show(kAlpha);  // shown, still disabled, on desktop 1 beside the screen
  ASSERT_TRUE(Eventually("Alpha shown by its application",
                         [&] { return IsWindowVisible(Sample(kAlpha)) != FALSE; }));
  SwitchByHotKey(1);
  ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));
  EXPECT_TRUE(WindowsEventually({kGamma, kDelta, kFar}, {kAlpha, kBeta}));
  EXPECT_EQ(ReadStrings(kHiddenAppsKey).count(HandleName(Sample(kAlpha))), 0u);
  AwaitOverlayHidden();
  ExitProgram();
  EXPECT_TRUE(WindowsEventually({}, {kAlpha, kBeta, kGamma, kDelta, kFar}));
}

}  // namespace
}  // namespace mirel::e2e

// End-to-end tests of the stored settings, the startup shortcut and the eight global hot keys:
// what the first start leaves in the registry, the hot keys pressed as a user presses them, stored
// values the program must cope with, autostart through the Startup folder, a second copy of the
// program, and the end of the session.
//
// Standard windows (ProgramFixture): Alpha and Beta on desktop 1, Gamma on desktop 2, Delta on
// desktop 3, Far at x = 12000, beyond the reach of any switch; all with their top edge at y = 10.
// Every test starts with nothing stored and no startup shortcut.
//
// A hot key switch is followed through the name overlay: every press the program takes shows it
// with "Desktop N" for 700 ms, also for the desktop already on screen. The next key is pressed only
// once the overlay has gone again and the program is back in its message loop (PressShiftCtrlF).
#include <algorithm>
#include <array>
#include <chrono>
#include <initializer_list>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/driver/artifacts.h"
#include "e2e/driver/controls.h"
#include "e2e/driver/hot_keys.h"
#include "e2e/driver/input.h"
#include "e2e/driver/message_sink.h"
#include "e2e/driver/process.h"
#include "e2e/driver/program_fixture.h"
#include "e2e/driver/registry.h"
#include "e2e/driver/retry.h"
#include "e2e/driver/screen_capture.h"
#include "e2e/driver/shell_link.h"
#include "e2e/driver/tray.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/handles.h"

#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>

namespace mirel::e2e {
namespace {

constexpr const char* kProgramKey = "Software\\Mirel\\Virtual Desktop";
constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kLinkFileName = "Mirel Virtual Desktop.lnk";
constexpr const char* kProgramTitle = "Mirel Virtual Desktop";
constexpr const char* kAutoStartCaption = "Start Mirel Virtual Desktop with windows";
constexpr const char* kMessageBoxClass = "#32770";
constexpr int kOptionsPage = 2;
constexpr int kHotKeyCount = 8;
// Shift+Ctrl+F1 as a stored shortcut value; F2..F8 follow it.
constexpr int kShiftCtrlF1 = 24688;

// --- Keys -----------------------------------------------------------------------------------------

// Global hot keys held by this test: a combination it can register is held by nobody else, and a
// press of it comes here.
class HotKeyCatcher {
 public:
  HotKeyCatcher() = default;
  HotKeyCatcher(const HotKeyCatcher&) = delete;
  HotKeyCatcher& operator=(const HotKeyCatcher&) = delete;
  ~HotKeyCatcher() {
    for (const auto& [id, presses] : caught_) UnregisterHotKey(sink_.Handle(), id);
  }

  // Registers Shift+Ctrl+F<n>; false when someone else holds it.
  bool Hold(int n) {
    if (!RegisterHotKey(sink_.Handle(), n, MOD_SHIFT | MOD_CONTROL, FunctionKey(n))) return false;
    caught_.emplace(n, 0);
    return true;
  }
  void Release(int n) {
    if (caught_.erase(n) != 0) UnregisterHotKey(sink_.Handle(), n);
  }
  int Presses(int n) const {
    const auto it = caught_.find(n);
    return it == caught_.end() ? 0 : it->second;
  }

 private:
  std::optional<LRESULT> Handle(UINT message, WPARAM id) {
    if (message != WM_HOTKEY) return std::nullopt;
    const auto it = caught_.find(static_cast<int>(id));
    if (it != caught_.end()) ++it->second;
    return 0;
  }

  std::map<int, int> caught_;
  MessageSink sink_{"hot key catcher", [this](UINT message, WPARAM wParam, LPARAM) {
                      return Handle(message, wParam);
                    }};
};

// Whether this test can take Shift+Ctrl+F<n> for itself (it gives it back at once).
bool CombinationFree(int n) {
  HotKeyCatcher catcher;
  return catcher.Hold(n);
}

// "F1 F3" for the combinations among F1..F8 that are free (true) or held (false).
std::string CombinationsWhere(bool free) {
  std::string list;
  for (int n = 1; n <= kHotKeyCount; ++n) {
    if (CombinationFree(n) == free) list += (list.empty() ? "F" : " F") + std::to_string(n);
  }
  return list;
}

// --- Registry ---------------------------------------------------------------------------------------

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// A value exactly as stored; nothing when the key or the value is missing.
std::optional<RawValue> ReadRaw(const std::string& keyPath, const std::string& name) {
  win32::UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  RawValue value;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.data.resize(size);
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, value.data.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.data.resize(size);
  return value;
}

// Holds when the value is REG_SZ text `text` stored with its terminating zero.
::testing::AssertionResult StoredAsText(const std::string& name, const std::string& text) {
  const std::optional<RawValue> value = ReadRaw(kOptionsKey, name);
  if (!value) return ::testing::AssertionFailure() << "no value \"" << name << "\"";
  std::string expected(text);
  expected.push_back('\0');
  const std::string stored(value->data.begin(), value->data.end());
  if (value->type != REG_SZ || stored != expected) {
    std::string shown;
    for (const BYTE byte : value->data) shown += byte >= 32 && byte < 127 ? char(byte) : '.';
    return ::testing::AssertionFailure()
           << "\"" << name << "\" is of type " << value->type << " with " << value->data.size()
           << " bytes \"" << shown << "\"; expected REG_SZ \"" << text << "\" and its zero";
  }
  return ::testing::AssertionSuccess();
}

void WriteDword(const std::string& keyPath, const std::string& name, DWORD number) {
  win32::UniqueRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      key.Put(), nullptr) != ERROR_SUCCESS ||
      RegSetValueExA(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                     sizeof number) != ERROR_SUCCESS) {
    throw DriverError("cannot write the REG_DWORD HKCU\\" + keyPath + "\\" + name);
  }
}

// --- The startup shortcut ------------------------------------------------------------------------

// Where the shell keeps the user's Startup folder; the prefix has it.
std::string StartupLinkPath() {
  const std::optional<std::string> folder = ReadString(kShellFoldersKey, "Startup");
  if (!folder || folder->empty()) {
    throw DriverError("no \"Startup\" value in HKCU\\" + std::string(kShellFoldersKey));
  }
  return *folder + "\\" + kLinkFileName;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::uint64_t LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    throw DriverError("cannot read the times of " + path);
  }
  return (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

// Dates the file back to 1 January 2001, so that any later write of it shows.
std::uint64_t DateBack(const std::string& path) {
  const win32::UniqueKernelHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  SYSTEMTIME date{};
  date.wYear = 2001;
  date.wMonth = 1;
  date.wDay = 1;
  FILETIME time{};
  if (!file || !SystemTimeToFileTime(&date, &time) ||
      !SetFileTime(file.get(), nullptr, nullptr, &time)) {
    throw DriverError("cannot set the write time of " + path);
  }
  return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

// --- Another process's windows ---------------------------------------------------------------------

// The command id of toolbar button `index` (TB_GETBUTTON fills a TBBUTTON in the toolbar's
// process, of that process's layout).
int ToolbarCommand(HWND toolbar, int index) {
  const RemoteMemory memory(toolbar, sizeof(std::uint64_t) * 4);
  const ToolbarButtonLayout layout = ToolbarButtonFor(memory.ProcessBitness());
  if (Ask(toolbar, TB_GETBUTTON, static_cast<WPARAM>(index), memory.AddressParam()) == 0) {
    throw DriverError("no toolbar button " + std::to_string(index));
  }
  std::int32_t command = 0;
  memory.Read(layout.idCommand, &command, sizeof command);
  return command;
}

// "1" when only the "Desktop 1" button is checked, "" when none is: the checked buttons among the
// first four of the toolbar.
std::string CheckedDesktopButtons(HWND toolbar) {
  std::string checked;
  for (int index = 0; index < 4; ++index) {
    if (Ask(toolbar, TB_ISBUTTONCHECKED, static_cast<WPARAM>(ToolbarCommand(toolbar, index))) != 0) {
      checked += std::to_string(index + 1);
    }
  }
  return checked;
}

HWND FindMessageBox(DWORD processId) {
  return FindTopLevel([&](HWND window) {
    return WindowProcess(window) == processId && WindowClass(window) == kMessageBoxClass;
  });
}

// The texts of the box's static controls that have one (the icon has none).
std::vector<std::string> StaticTexts(HWND box) {
  std::vector<std::string> texts;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowClass(child) != "Static") continue;
    if (std::string text = ControlText(child); !text.empty()) texts.push_back(std::move(text));
  }
  return texts;
}

// --- Fixture ---------------------------------------------------------------------------------------

class SettingsTest : public ProgramFixture {
 protected:
  void PrepareSettings() override {
    const std::string link = StartupLinkPath();
    if (FileExists(link) && !DeleteFileA(link.c_str())) {
      throw DriverError("cannot delete " + link);
    }
  }

  // Where the sample window `title` stands while desktop `desktop` (1..8) is on screen: shifted by
  // the desktop's column and row, except Far, which no switch reaches.
  POINT PlaceOn(const std::string& title, int desktop) const {
    POINT place{StandardLefts().at(title), 10};
    if (title != kFar) {
      place.x -= ((desktop - 1) & 3) * W;
      place.y -= ((desktop - 1) >> 2) * H;
    }
    return place;
  }

  ::testing::AssertionResult WindowsEventuallyOn(int desktop) const {
    return Eventually(
        "the sample windows in their places for desktop " + std::to_string(desktop),
        [&] {
          for (const auto& [title, left] : StandardLefts()) {
            const HWND window = sample.FindWindowTitled(title);
            const POINT place = PlaceOn(title, desktop);
            if (window == nullptr) return false;
            const RECT rect = WindowRect(window);
            if (rect.left != place.x || rect.top != place.y) return false;
          }
          return true;
        },
        SwitchTimeout(), [&] { return DescribeSampleWindows(); });
  }

  // Shift+Ctrl+F<key> pressed while the program `programId` runs switches it to `desktop`: its
  // overlay shows the desktop's name and the windows take their places for that desktop. Returns
  // once the overlay has gone again.
  ::testing::AssertionResult HotKeySwitches(DWORD programId, int key, int desktop) const {
    const HWND overlay = FindWindowOf(programId, kOverlayClass);
    if (overlay == nullptr) return ::testing::AssertionFailure() << "the program has no overlay";
    auto hidden = [&] { return !IsWindowVisible(overlay); };
    if (auto result = Eventually("the overlay hidden before the key", hidden); !result) {
      return result;
    }
    // A switch has the time it has everywhere (kSwitchTimeout); a press that Wine lost is
    // repeated, counted as SwitchByHotKey counts it.
    const std::string caption = DesktopNameOf(desktop);
    const bool shown = Retrying(kHotKeyPress, "Shift+Ctrl+F" + std::to_string(key), [&] {
      PressShiftCtrlF(key, FindWindowOf(programId, kMainFormClass));
      return WaitUntil([&] { return IsWindowVisible(overlay) && WindowTitle(overlay) == caption; },
                       SwitchTimeout());
    });
    if (!shown) {
      return ::testing::AssertionFailure()
             << "Shift+Ctrl+F" << key << " did not show the overlay \"" << caption << "\" within "
             << SwitchTimeout().count() << " ms; overlay: " << Describe(overlay);
    }
    if (auto placed = WindowsEventuallyOn(desktop); !placed) return placed;
    return Eventually("the overlay hidden after the switch", hidden);
  }

  ::testing::AssertionResult HotKeySwitches(int key, int desktop) const {
    return HotKeySwitches(program.ProcessId(), key, desktop);
  }

  // The check box `caption` of the "Options" page, with the main window shown on that page. The
  // main window is opened from the menu of icon 4: the menu of "Exit" opens from icon 1, and two
  // right clicks at one place within the double-click time would open no menu the second time.
  HWND ShowOptionsCheckBox(const char* caption) {
    OpenTrayMenu(4);
    ChooseMenuItemByKeys({VK_DOWN, VK_RETURN});  // "Control panel"
    const HWND main = program.MainWindow();
    Await("the main window shown and in the foreground",
          [&] { return IsWindowVisible(main) && GetForegroundWindow() == main; });
    return CheckBoxOnPage(kOptionsPage, caption);
  }

  ::testing::AssertionResult DefaultsStored() const {
    if (auto result = StoredAsText("HideApps", "1"); !result) return result;
    if (auto result = StoredAsText("KeepWindowState", "0"); !result) return result;
    if (auto result = StoredAsText("TrayFollows", "0"); !result) return result;
    for (int n = 1; n <= 8; ++n) {
      const std::string name = "Desktop " + std::to_string(n);
      if (auto result = StoredAsText("Name" + std::to_string(n), name); !result) return result;
    }
    for (int n = 1; n <= kHotKeyCount; ++n) {
      if (auto result = StoredAsText("HotKey" + std::to_string(n), std::to_string(kShiftCtrlF1 + n - 1));
          !result) {
        return result;
      }
    }
    return ::testing::AssertionSuccess();
  }

  // Waits until each of the four icons has its own tooltip: `texts[0]` over icon 1, and so on.
  ::testing::AssertionResult TooltipsEventually(const std::array<std::string, 4>& texts) const {
    std::vector<ShellTooltip> tips;
    return Eventually(
        "the tray tooltips", [&] {
          tips = ShellTooltips(program.ProcessId());
          for (int icon = 1; icon <= 4; ++icon) {
            if (TooltipOfIcon(tips, icon) != texts[icon - 1]) return false;
          }
          return true;
        },
        kDefaultTimeout, [&] {
          std::string text = "tooltips:";
          for (int icon = 1; icon <= 4; ++icon) {
            text += "\n    icon " + std::to_string(icon) + ": '" + TooltipOfIcon(tips, icon) + "'";
          }
          for (const ShellTooltip& tip : tips) {
            text += "\n    '" + tip.text + "' at " + std::to_string(tip.area.left) + "," +
                    std::to_string(tip.area.top) + "-" + std::to_string(tip.area.right) + "," +
                    std::to_string(tip.area.bottom);
          }
          return text;
        });
  }

  ::testing::AssertionResult AllCombinationsFree() const {
    return Eventually(
        "Shift+Ctrl+F1..F8 free for this test",
        [] { return CombinationsWhere(false).empty(); }, kDefaultTimeout,
        [] { return "held by someone else: " + CombinationsWhere(false); });
  }
};

// --- First start ----------------------------------------------------------------------------------

using FirstStartTest = SettingsTest;

TEST_F(FirstStartTest, CreatesTheProgramKeyAtStartAndSavesTheDefaultsAsTextAtExit) {
  EXPECT_TRUE(KeyExists(kProgramKey)) << "HKCU\\" << kProgramKey << " missing while running";
  EXPECT_FALSE(KeyExists(kOptionsKey)) << "loading created \"Options\"";
  // The program holds all eight combinations.
  EXPECT_EQ(CombinationsWhere(true), "");

  ExitProgram();
  EXPECT_EQ(program.ExitCode(), 0u);
  EXPECT_TRUE(DefaultsStored());
  // The command hot keys are stored beside them: Ctrl+Alt+Right, Shift+Ctrl+Alt+F1...
  EXPECT_EQ(ReadString(kOptionsKey, "HotKeyNext"), std::to_string(0xC027));
  EXPECT_EQ(ReadString(kOptionsKey, "HotKeyMove8"), std::to_string(0xE077));
  EXPECT_EQ(ReadStrings(kOptionsKey).size(), 1u + kHotKeyCount + 12u + 1u + 1u + 8u);
  EXPECT_FALSE(FileExists(StartupLinkPath())) << "autostart is off unless asked for";
  EXPECT_TRUE(AllCombinationsFree());
}

// --- Hot keys -------------------------------------------------------------------------------------

using HotKeyTest = SettingsTest;

TEST_F(HotKeyTest, EachHotKeySwitchesToItsDesktopAndLeavesTrayAndToolbarAlone) {
  // Desktop 2 chosen through its tray icon: its picture is the active one and its toolbar button
  // is checked, and the hot keys must leave both so. The click's handler moves the windows first
  // and marks the icon and the button last.
  Image atStart;
  ASSERT_TRUE(TrayEventually("four icons", [](const Image&) { return true; }, atStart));
  const HWND toolbar = FindChild(program.MainWindow(), "ToolbarWindow32");
  ASSERT_NE(toolbar, nullptr) << "no toolbar in the main window";
  ClickTrayIcon(2);
  ASSERT_TRUE(WindowsEventuallyOn(2));
  ASSERT_TRUE(Eventually("the \"Desktop 2\" button checked",
                         [&] { return CheckedDesktopButtons(toolbar) == "2"; }));
  Image before;
  ASSERT_TRUE(TrayEventually("icon 2 in its active picture", [&](const Image& tray) {
    return CountDifferentPixels(IconIn(tray, 2), IconIn(atStart, 2)) > 0;
  }, before));

  for (const int desktop : {3, 4, 5, 6, 7, 8, 1, 2}) {
    ASSERT_TRUE(HotKeySwitches(desktop, desktop));
    Image now;
    ASSERT_TRUE(TrayEventually("the pictures unchanged", [&](const Image& tray) {
      return CountDifferentPixels(tray, before) == 0;
    }, now)) << "after Shift+Ctrl+F" << desktop;
    ASSERT_EQ(CheckedDesktopButtons(toolbar), "2") << "after Shift+Ctrl+F" << desktop;
  }

  // The key of the desktop on screen shows its name and moves nothing.
  ASSERT_TRUE(HotKeySwitches(2, 2));
  ASSERT_TRUE(HotKeySwitches(6, 6));
  ASSERT_TRUE(HotKeySwitches(6, 6));
  EXPECT_EQ(CheckedDesktopButtons(toolbar), "2");
  // The tooltips name their own desktops only.
  EXPECT_TRUE(TooltipsEventually({"Desktop 1", "Desktop 2", "Desktop 3", "Desktop 4"}));
}

// "Tray icons follow the desktop on screen" ticked on the control panel: every switch marks the
// desktop on screen, the lower row by the picture of the desktop below.
using TrayFollowsTest = SettingsTest;

TEST_F(TrayFollowsTest, TickedTheIconsTheButtonAndTheTooltipsFollowTheHotKeys) {
  Image atStart;
  ASSERT_TRUE(TrayEventually("four icons", [](const Image&) { return true; }, atStart));
  const HWND toolbar = FindChild(program.MainWindow(), "ToolbarWindow32");
  ASSERT_NE(toolbar, nullptr) << "no toolbar in the main window";
  ASSERT_TRUE(ClickCheckBox(ShowOptionsCheckBox("Tray icons follow the desktop on screen"), true));
  auto sameAsAtStart = [&](const Image& tray, std::initializer_list<int> icons) {
    return std::ranges::all_of(icons, [&](int icon) {
      return CountDifferentPixels(IconIn(tray, icon), IconIn(atStart, icon)) == 0;
    });
  };

  ASSERT_TRUE(HotKeySwitches(6, 6));
  Image below;
  ASSERT_TRUE(TrayEventually("icon 2 in a picture of its own, the others as at start",
                             [&](const Image& tray) {
    return CountDifferentPixels(IconIn(tray, 2), IconIn(atStart, 2)) > 0 &&
           sameAsAtStart(tray, {1, 3, 4});
  }, below));
  SaveArtifact(below, "tray-desktop-6");
  EXPECT_EQ(CheckedDesktopButtons(toolbar), "");
  EXPECT_TRUE(TooltipsEventually({"Desktop 1 - now: Desktop 6", "Desktop 2 - now: Desktop 6",
                                  "Desktop 3 - now: Desktop 6", "Desktop 4 - now: Desktop 6"}));

  // Desktop 2 itself: its active picture, which is not the one of the desktop below.
  ASSERT_TRUE(HotKeySwitches(2, 2));
  ASSERT_TRUE(TrayEventually("icon 2 in its active picture", [&](const Image& tray) {
    return CountDifferentPixels(IconIn(tray, 2), IconIn(below, 2)) > 0 &&
           CountDifferentPixels(IconIn(tray, 2), IconIn(atStart, 2)) > 0 &&
           sameAsAtStart(tray, {1, 3, 4});
  }, below));
  EXPECT_EQ(CheckedDesktopButtons(toolbar), "2");
  EXPECT_TRUE(TooltipsEventually({"Desktop 1 - now: Desktop 2", "Desktop 2 - now: Desktop 2",
                                  "Desktop 3 - now: Desktop 2", "Desktop 4 - now: Desktop 2"}));

  ExitProgram();
  EXPECT_TRUE(StoredAsText("TrayFollows", "1"));
}

// A stored name is cleaned and cut as a typed one: control characters dropped, 64 characters kept.
class StoredNamesTest : public SettingsTest {
 protected:
  void PrepareSettings() override {
    SettingsTest::PrepareSettings();
    WriteString(kOptionsKey, "Name2", "\tMa\x01il\r\n");
    WriteString(kOptionsKey, "Name3", std::string(300, 'n'));
    desktopNames = {{2, "Mail"}, {3, std::string(64, 'n')}};
  }
};

TEST_F(StoredNamesTest, ControlCharactersAreDroppedAndLongNamesCut) {
  ASSERT_TRUE(HotKeySwitches(2, 2));
  ASSERT_TRUE(HotKeySwitches(3, 3));
  EXPECT_TRUE(TooltipsEventually({"Desktop 1", "Mail", std::string(64, 'n'), "Desktop 4"}));
  ExitProgram();
  EXPECT_TRUE(StoredAsText("Name2", "Mail"));
  EXPECT_TRUE(StoredAsText("Name3", std::string(64, 'n')));
}

// Slot 2 holds letters, slot 4 the combination of slot 6, slot 5 nothing.
class StoredHotKeysTest : public SettingsTest {
 protected:
  void PrepareSettings() override {
    SettingsTest::PrepareSettings();
    WriteString(kOptionsKey, "HotKey2", "abc");
    WriteString(kOptionsKey, "HotKey4", std::to_string(kShiftCtrlF1 + 5));
    WriteString(kOptionsKey, "HotKey5", "0");
  }
};

TEST_F(StoredHotKeysTest, LettersLoadTheDefaultTheFirstSlotWinsAndZeroIsNoHotKey) {
  // F4 went unused (slot 4 has F6, which slot 6 could not have again); slot 5 has none.
  EXPECT_EQ(CombinationsWhere(true), "F4 F5");

  ASSERT_TRUE(HotKeySwitches(2, 2));   // letters: the default
  ASSERT_TRUE(HotKeySwitches(6, 4));   // slot 4 registered F6 first
  ASSERT_TRUE(HotKeySwitches(3, 3));
  ASSERT_TRUE(HotKeySwitches(7, 7));

  // Shift+Ctrl+F5 reaches nobody but this test, which holds it now; the program moves nothing.
  {
    HotKeyCatcher catcher;
    ASSERT_TRUE(catcher.Hold(5));
    PressShiftCtrlF(5, program.MainWindow());
    ASSERT_TRUE(Eventually("this test to get Shift+Ctrl+F5", [&] { return catcher.Presses(5) == 1; }));
    // The next key the program has still finds desktop 7 on screen.
    ASSERT_TRUE(HotKeySwitches(1, 1));
  }

  ExitProgram();
  EXPECT_TRUE(StoredAsText("HotKey2", std::to_string(kShiftCtrlF1 + 1)));
  EXPECT_TRUE(StoredAsText("HotKey4", std::to_string(kShiftCtrlF1 + 5)));
  EXPECT_TRUE(StoredAsText("HotKey5", "0"));
  EXPECT_TRUE(StoredAsText("HotKey6", std::to_string(kShiftCtrlF1 + 5)));
}

// A value of a non-text type: the program reports it in its error box while it starts.
class WrongTypeTest : public SettingsTest {
 protected:
  void SetUp() override {
    DeleteProgramKey();
    PrepareSettings();
    // Shift+Ctrl+F6 as a number: were it used, slot 3 would take slot 6's combination.
    WriteDword(kOptionsKey, "HotKey3", static_cast<DWORD>(kShiftCtrlF1 + 5));
    SweepDeadTrayIcons();
    sample.Start(SampleWindows());
    programProcess_ = Process::Start(BesideTestExecutable(ProgramUnderTest::kExecutable), "");
  }
  void TearDown() override {
    // The picture before the program goes: the fixture's own comes after.
    if (HasFailure()) SaveArtifact(CaptureScreen(), "WrongTypeTest-failure-running");
    programProcess_.Terminate();
    ProgramFixture::TearDown();
  }

  Process programProcess_;
};

TEST_F(WrongTypeTest, ShowsTheErrorBoxThenStartsWithTrayIconsAndHotKeys) {
  HWND box = nullptr;
  ASSERT_TRUE(Eventually("the error box", [&] {
    box = FindMessageBox(programProcess_.Id());
    return box != nullptr && IsWindowVisible(box);
  }));
  EXPECT_EQ(WindowTitle(box), kProgramTitle);
  const std::vector<std::string> texts = StaticTexts(box);
  ASSERT_EQ(texts.size(), 1u) << Describe(box);
  EXPECT_EQ(texts[0], "Invalid data type for 'HotKey3'");

  const HWND ok = FindChild(box, "Button", std::string("OK"));
  ASSERT_NE(ok, nullptr) << "no OK button in " << Describe(box);
  Click(Centre(WindowRect(ok)));
  ASSERT_TRUE(Eventually("the error box closed", [&] { return !IsWindow(box); }));

  // Start-up went on: the overlay was made after the main form, the icons are shown, the main
  // window stays hidden, and no other box came.
  ASSERT_TRUE(Eventually("the overlay", [&] {
    return FindWindowOf(programProcess_.Id(), kOverlayClass) != nullptr;
  }));
  ASSERT_TRUE(Eventually("the four tray icons", [] {
    for (int desktop = 1; desktop <= kTrayIconCount; ++desktop) {
      if (!TrayIconShown(desktop)) return false;
    }
    return true;
  }));
  EXPECT_FALSE(IsWindowVisible(FindWindowOf(programProcess_.Id(), kMainFormClass)));
  EXPECT_EQ(FindMessageBox(programProcess_.Id()), nullptr);

  ClickTrayIcon(4);
  ASSERT_TRUE(WindowsEventuallyOn(4));
  ASSERT_TRUE(HotKeySwitches(programProcess_.Id(), 3, 3));  // slot 3 took its default
  ASSERT_TRUE(HotKeySwitches(programProcess_.Id(), 6, 6));
  ASSERT_TRUE(HotKeySwitches(programProcess_.Id(), 2, 2));
  ASSERT_TRUE(HotKeySwitches(programProcess_.Id(), 1, 1));
}

// --- Autostart ------------------------------------------------------------------------------------

using AutoStartTest = SettingsTest;

TEST_F(AutoStartTest, CheckedCreatesTheShortcutOnceAndUncheckedDeletesIt) {
  const std::string link = StartupLinkPath();
  HWND box = ShowOptionsCheckBox(kAutoStartCaption);
  ASSERT_EQ(Ask(box, BM_GETCHECK), static_cast<DWORD_PTR>(BST_UNCHECKED));
  ASSERT_TRUE(ClickCheckBox(box, true));
  EXPECT_FALSE(FileExists(link)) << "the shortcut is made at exit, not at the click";

  ExitProgram();
  ASSERT_TRUE(FileExists(link)) << link;
  const ShellLinkContents contents = ReadShellLink(link);
  const std::string executable = BesideTestExecutable(ProgramUnderTest::kExecutable);
  const std::string folder = executable.substr(0, executable.find_last_of('\\') + 1);
  EXPECT_TRUE(SameText(contents.target, executable)) << contents.target << " vs " << executable;
  EXPECT_TRUE(SameText(contents.workingDirectory, folder))
      << contents.workingDirectory << " vs " << folder;
  EXPECT_TRUE(DefaultsStored());

  // The next start finds the shortcut; an exit with the box still checked leaves it as it is.
  const std::uint64_t dated = DateBack(link);
  StartProgram();
  box = FindChild(program.MainWindow(), "Button", std::string(kAutoStartCaption));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Ask(box, BM_GETCHECK), static_cast<DWORD_PTR>(BST_CHECKED));
  ExitProgram();
  ASSERT_TRUE(FileExists(link));
  EXPECT_EQ(LastWriteTime(link), dated) << "the shortcut was written again";

  StartProgram();
  box = ShowOptionsCheckBox(kAutoStartCaption);
  ASSERT_EQ(Ask(box, BM_GETCHECK), static_cast<DWORD_PTR>(BST_CHECKED));
  ASSERT_TRUE(ClickCheckBox(box, false));
  EXPECT_TRUE(FileExists(link)) << "the shortcut is deleted at exit, not at the click";
  ExitProgram();
  EXPECT_FALSE(FileExists(link));
  EXPECT_TRUE(DefaultsStored());
}

// --- Two copies -----------------------------------------------------------------------------------

using SecondCopyTest = SettingsTest;

TEST_F(SecondCopyTest, HotKeysStayWithTheFirstCopyAndTheSecondSaysNothing) {
  Process second = Process::Start(BesideTestExecutable(ProgramUnderTest::kExecutable), "");
  // Its overlay comes after the main form's creation, which ends with the hot keys.
  ASSERT_TRUE(Eventually("the second copy's overlay", [&] {
    return !second.Running() || FindWindowOf(second.Id(), kOverlayClass) != nullptr;
  }));
  ASSERT_TRUE(second.Running()) << "exit code " << second.ExitCode();
  ASSERT_EQ(WaitForInputIdle(second.Handle(), 15000), 0u);
  EXPECT_EQ(FindMessageBox(second.Id()), nullptr) << "the second copy reported something";
  EXPECT_EQ(CombinationsWhere(true), "");

  const HWND secondOverlay = FindWindowOf(second.Id(), kOverlayClass);
  ASSERT_TRUE(HotKeySwitches(2, 2));
  ASSERT_TRUE(HotKeySwitches(5, 5));
  EXPECT_FALSE(WindowTitle(secondOverlay).starts_with("Desktop ")) << "the second copy switched";

  // The second copy ends as "Exit" ends it: its message loop gets WM_QUIT.
  const DWORD thread = GetWindowThreadProcessId(FindWindowOf(second.Id(), kMainFormClass), nullptr);
  ASSERT_TRUE(PostThreadMessageA(thread, WM_QUIT, 0, 0));
  ASSERT_TRUE(second.WaitForExit(std::chrono::seconds(15)));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_EQ(CombinationsWhere(true), "") << "the first copy lost hot keys";

  ASSERT_TRUE(HotKeySwitches(3, 3));
  ASSERT_TRUE(HotKeySwitches(1, 1));
  ExitProgram();
  EXPECT_TRUE(AllCombinationsFree());
}

// --- End of the session ---------------------------------------------------------------------------

using SessionEndTest = SettingsTest;

TEST_F(SessionEndTest, ShutsDownLikeExitBeforeTheSessionGoes) {
  const HWND box = ShowOptionsCheckBox(kAutoStartCaption);
  ASSERT_TRUE(ClickCheckBox(box, true));
  ClickTrayIcon(3);
  ASSERT_TRUE(WindowsEventuallyOn(3));
  ASSERT_TRUE(WindowsEventually({kAlpha, kBeta, kGamma, kFar}, {kDelta}));
  ASSERT_FALSE(KeyExists(kOptionsKey));

  // Asked and then called off: nothing happens. Both messages are sent, so the program has
  // handled each when the call returns.
  const HWND main = program.MainWindow();
  EXPECT_NE(Ask(main, WM_QUERYENDSESSION, 0, 0), 0u) << "the program refused the end";
  Ask(main, WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(WindowRect(Sample(kDelta)).left, PlaceOn(kDelta, 3).x);
  EXPECT_FALSE(IsWindowVisible(Sample(kAlpha)));
  EXPECT_FALSE(KeyExists(kOptionsKey));

  EXPECT_NE(Ask(main, WM_QUERYENDSESSION, 0, 0), 0u) << "the program refused the end";
  Ask(main, WM_ENDSESSION, TRUE, 0);

  EXPECT_TRUE(WindowsEventuallyOn(1));
  EXPECT_TRUE(WindowsEventually({}, {kAlpha, kBeta, kGamma, kDelta, kFar}));
  EXPECT_TRUE(ReadStrings(kHiddenAppsKey).empty());
  EXPECT_TRUE(DefaultsStored());
  EXPECT_TRUE(FileExists(StartupLinkPath()));
  EXPECT_TRUE(AllCombinationsFree());
}

}  // namespace
}  // namespace mirel::e2e

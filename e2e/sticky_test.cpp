// End-to-end tests of sticky windows: rules made through "Sticky..." in the context menu of the
// "Windows Tree" page keep their windows from being hidden or disabled by the hiding option
// ("Hide other apps from taskbar", on while nothing is stored), while the windows still move with
// their desktop; rules by class name or title parts are stored at exit and apply again in the next
// run, rules by handle do not.
//
// Window rules (at the end): each new window of the sample goes where its rule says, from rules stored
// before the start or made from the tree's context menu.
//
// Windows of this test, all on desktop 1 while it is on screen, clear of the centred main window:
// Clock (a class of its own), Sticky note, Handle kept and Plain.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/driver/artifacts.h"
#include "e2e/driver/controls.h"
#include "e2e/driver/input.h"
#include "e2e/driver/program_fixture.h"
#include "e2e/driver/registry.h"
#include "e2e/driver/screen_capture.h"
#include "e2e/driver/tray.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/handles.h"

namespace mirel::e2e {
namespace {

constexpr const char* kStickyKey = "Software\\Mirel\\Virtual Desktop\\Sticky";
constexpr const char* kStickyDialogClass = "TfStickyProp";

constexpr const char* kClock = "Clock";
constexpr const char* kClockClass = "MirelClock";
constexpr const char* kNote = "Sticky note";
constexpr const char* kHandleKept = "Handle kept";
constexpr const char* kPlain = "Plain";
constexpr const char* kSampleClass = "MirelSampleWindow";

HWND Control(HWND parent, const char* className, const std::string& text) {
  const HWND control = FindChild(parent, className, text);
  if (control == nullptr) {
    throw DriverError(std::string("no ") + className + " \"" + text + "\" in " + Describe(parent));
  }
  return control;
}

// Enough Down presses to pass every window of desktop 1 in this test.
constexpr int kMaxTreeSteps = 12;

// The letters of `text` as virtual keys, one after the other (letters only; others are skipped).
void TypeLetters(const std::string& text) {
  for (const char c : text) {
    if (c >= 'a' && c <= 'z') TapKey(static_cast<WORD>(c - 'a' + 'A'));
    if (c >= 'A' && c <= 'Z') TapKey(static_cast<WORD>(c));
  }
}

class StickyTest : public ProgramFixture {
 protected:
  std::vector<std::string> SampleWindows() const override {
    return {std::string("title=") + kPlain + ";x=" + std::to_string(W - 254) + ";y=200;w=240;h=160",
            std::string("title=") + kHandleKept + ";x=" + std::to_string(W - 254) +
                ";y=10;w=240;h=160",
            std::string("title=") + kNote + ";x=10;y=200;w=240;h=160",
            std::string("title=") + kClock + ";x=10;y=10;w=240;h=160;class=" + kClockClass};
  }

  std::map<std::string, int> Lefts(int dx) const {
    return {{kClock, 10 + dx}, {kNote, 10 + dx}, {kHandleKept, W - 254 + dx},
            {kPlain, W - 254 + dx}};
  }

  // On the "Windows Tree" page (the page shown at start): selects the node of the window titled
  // `title` with the keyboard, opens the context menu with Shift+F10 and chooses its last item,
  // "Sticky...". Returns the dialog once it is shown, with the window's title and class in its
  // edit boxes.
  HWND OpenStickyDialogFor(const std::string& title, const std::string& className) {
    OpenTreeMenuFor(title);
    ChooseMenuItemByKeys({VK_UP, VK_UP, VK_UP, VK_RETURN});

    HWND dialog = nullptr;
    Await("the sticky window dialog", [&] {
      dialog = program.Window(kStickyDialogClass);
      return dialog != nullptr && IsWindowVisible(dialog);
    });
    EXPECT_EQ(WindowTitle(dialog), "Sticky window properties");
    EXPECT_EQ(ControlText(TitleEdit(dialog)), title);
    EXPECT_EQ(ControlText(ClassEdit(dialog)), className);
    // It opens on "by part of title": only that edit box takes input.
    EXPECT_EQ(SendMessageA(Radio(dialog, "by part of title (separate parts by \",\" - AND is assumed) "),
                           BM_GETCHECK, 0, 0),
              BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(TitleEdit(dialog)));
    EXPECT_FALSE(IsWindowEnabled(ClassEdit(dialog)));
    return dialog;
  }

  // Selects the node of the window titled `title` under "Desktop 1" with the keyboard and opens the
  // context menu with Shift+F10. Its items from the bottom: "Always on all desktops", "Always open
  // on this desktop", "Sticky...".
  void OpenTreeMenuFor(const std::string& title) {
    const HWND tree = FindChild(program.MainWindow(), "SysTreeView32");
    if (tree == nullptr) throw DriverError("no tree view in the main window");
    FocusTree(tree);
    // The groups are collapsed after every refresh: open "Desktop 1" and walk down its windows.
    TapKey(VK_HOME);
    TapKey(VK_RIGHT);
    Await("\"Desktop 1\" selected and open", [&] {
      const LRESULT root = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
      return SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) == root &&
             (SendMessageA(tree, TVM_GETITEMSTATE, root, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    });
    for (int step = 0; SelectedNodeText(tree) != title; ++step) {
      if (step == kMaxTreeSteps) throw DriverError("no node \"" + title + "\" under Desktop 1");
      const LRESULT before = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
      TapKey(VK_DOWN);
      Await("the next node selected",
            [&] { return SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != before; });
    }
    PressKeys({VK_SHIFT, VK_F10});
    Await("the windows tree's context menu", [] { return FindOpenMenu() != nullptr; });
  }

  // A click on the tree's empty lower part gives it the keyboard focus (a click on a node would
  // start the tree's drag tracking). The main window first finishes its activation, which puts the
  // focus on the window itself and would take it back from the tree.
  void FocusTree(HWND tree) {
    const HWND main = program.MainWindow();
    Await("the main window active with the focus in it", [&] {
      const GUITHREADINFO info = ThreadInfoOf(main);
      return info.hwndActive == main && (info.hwndFocus == main || IsChild(main, info.hwndFocus));
    });
    const RECT area = WindowRect(tree);
    Click(POINT{area.left + 150, area.bottom - 8});
    Await("the tree focused", [&] { return ThreadInfoOf(main).hwndFocus == tree; });
  }

  static HWND Radio(HWND dialog, const std::string& caption) {
    return Control(dialog, "Button", caption);
  }
  // The edit boxes in their order: ePartOfTitle, then eClassName.
  static HWND TitleEdit(HWND dialog) { return FindChild(dialog, "Edit"); }
  static HWND ClassEdit(HWND dialog) {
    const HWND first = TitleEdit(dialog);
    const HWND second = first ? FindWindowExA(dialog, first, "Edit", nullptr) : nullptr;
    if (second == nullptr) throw DriverError("no second edit box in " + Describe(dialog));
    return second;
  }

  void ClickRadio(HWND dialog, const std::string& caption) {
    const HWND radio = Radio(dialog, caption);
    const RECT box = WindowRect(radio);
    XClick(POINT{box.left + 7, (box.top + box.bottom) / 2});
    Await("\"" + caption + "\" checked",
          [&] { return SendMessageA(radio, BM_GETCHECK, 0, 0) == BST_CHECKED; });
  }

  void CloseDialogWith(HWND dialog, const std::string& button) {
    XClick(Centre(WindowRect(Control(dialog, "Button", button))));
    Await("the sticky window dialog to close and the main window to be in front", [&] {
      return !IsWindowVisible(dialog) && GetForegroundWindow() == program.MainWindow();
    });
  }
};

TEST_F(StickyTest, RulesFromTheDialogKeepWindowsShownAndClassAndTitleRulesOutliveTheRun) {
  ShowMainWindow();

  // Clock by class name.
  HWND dialog = OpenStickyDialogFor(kClock, kClockClass);
  // The pointer resting on "by window handle" shows its hint, two lines.
  const POINT handleChoice = Centre(WindowRect(Radio(dialog, "by window handle")));
  MovePointer(POINT{handleChoice.x - 20, handleChoice.y}, handleChoice);
  HWND hint = nullptr;
  ASSERT_TRUE(Eventually("the hint of \"by window handle\"", [&] {
    hint = FindTopLevel([&](HWND window) {
      return WindowProcess(window) == program.ProcessId() && IsWindowVisible(window) &&
             WindowClass(window) == "tooltips_class32";
    });
    return hint != nullptr;
  }));
  EXPECT_EQ(ControlText(hint),
            "The handle is unique identifer of window in the MS-Windows, but only to time\r\n"
            "when you close it. After openning the window again, it will get new handle.");
  SaveArtifact(CaptureScreen(), "sticky-dialog-hint");
  ClickRadio(dialog, "by class name");
  EXPECT_TRUE(IsWindowEnabled(ClassEdit(dialog)));
  EXPECT_FALSE(IsWindowEnabled(TitleEdit(dialog)));
  CloseDialogWith(dialog, "O&k");

  // Sticky note by two parts of its title, typed over the title the box was given.
  dialog = OpenStickyDialogFor(kNote, kSampleClass);
  TypeLetters("note");
  TapKey(VK_OEM_COMMA);
  TapKey(VK_SPACE);
  TypeLetters("stick");
  ASSERT_TRUE(Eventually("the title parts typed",
                         [&] { return ControlText(TitleEdit(dialog)) == "note, stick"; }));
  CloseDialogWith(dialog, "O&k");

  // Handle kept by its handle.
  dialog = OpenStickyDialogFor(kHandleKept, kSampleClass);
  ClickRadio(dialog, "by window handle");
  EXPECT_FALSE(IsWindowEnabled(ClassEdit(dialog)));
  EXPECT_FALSE(IsWindowEnabled(TitleEdit(dialog)));
  CloseDialogWith(dialog, "O&k");

  // Plain: the dialog is cancelled, so no rule.
  dialog = OpenStickyDialogFor(kPlain, kSampleClass);
  ClickRadio(dialog, "by class name");
  CloseDialogWith(dialog, "&Cancel");

  // The sticky windows move with desktop 1 but stay shown and enabled; Plain is hidden.
  ClickTrayIcon(2);
  ASSERT_TRUE(WindowsEventuallyAt(Lefts(-W)));
  ASSERT_TRUE(SwitchCompleted(2));
  EXPECT_TRUE(WindowsEventually({kPlain}, {kClock, kNote, kHandleKept}));
  ClickTrayIcon(4);
  ASSERT_TRUE(WindowsEventuallyAt(Lefts(-3 * W)));
  ASSERT_TRUE(SwitchCompleted(4));
  EXPECT_TRUE(WindowsEventually({kPlain}, {kClock, kNote, kHandleKept}));
  ClickTrayIcon(1);
  ASSERT_TRUE(WindowsEventuallyAt(Lefts(0)));
  EXPECT_TRUE(WindowsEventually({}, {kClock, kNote, kHandleKept, kPlain}));

  // Stored at exit: the class name upper-cased, the title parts as typed, no handle.
  ExitProgram();
  EXPECT_EQ(ReadStrings(kStickyKey),
            (std::map<std::string, std::string>{{"Rule1", "class:MIRELCLOCK"},
                                                {"Rule2", "title:note, stick"}}));

  // The next run reads them back: Clock and Sticky note stay shown, the handle rule is gone.
  StartProgram();
  ClickTrayIcon(3);
  ASSERT_TRUE(WindowsEventuallyAt(Lefts(-2 * W)));
  ASSERT_TRUE(SwitchCompleted(3));
  EXPECT_TRUE(WindowsEventually({kHandleKept, kPlain}, {kClock, kNote}));
  ClickTrayIcon(1);
  ASSERT_TRUE(WindowsEventuallyAt(Lefts(0)));
  EXPECT_TRUE(WindowsEventually({}, {kClock, kNote, kHandleKept, kPlain}));
}

class StoredStickyTest : public StickyTest {
 protected:
  void PrepareSettings() override {
    WriteString(kStickyKey, "Rule1", "title:plain");
    WriteString(kStickyKey, "Rule2", "class:mirelclock");  // upper-cased when read
    WriteString(kStickyKey, "Rule3", "handle:1234");       // not a stored kind: ignored
    WriteString(kStickyKey, "Notes", "title:sticky");       // not a rule's name: ignored
  }
};

TEST_F(StoredStickyTest, StoredRulesApplyAtStartAndGarbageIsDroppedAtExit) {
  ClickTrayIcon(2);
  ASSERT_TRUE(WindowsEventuallyAt(Lefts(-W)));
  ASSERT_TRUE(SwitchCompleted(2));
  EXPECT_TRUE(WindowsEventually({kNote, kHandleKept}, {kClock, kPlain}));

  ExitProgram();
  EXPECT_EQ(ReadStrings(kStickyKey),
            (std::map<std::string, std::string>{{"Rule1", "title:plain"},
                                                {"Rule2", "class:MIRELCLOCK"}}));
}


// --- Window rules ----------------------------------------------------------------------------------
// Rules stored before the start: every new window of the sample titled "Recorder" is left alone,
// "Music" goes on all desktops, and any other of its class (MirelSampleWindow) opens on desktop 3.
// The windows open at start are left where they are.

constexpr const char* kRulesKey = "Software\\Mirel\\Virtual Desktop\\Rules";
constexpr int kNewLeft = 10;
constexpr const char* kNewPlace = ";x=10;y=420;w=240;h=120";

// The name under which "HiddenApps" records a window: its handle in decimal.
std::string HiddenAppsName(HWND window) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(window));
}

class RulesTest : public StickyTest {
 protected:
  void PrepareSettings() override {
    WriteString(kOptionsKey, "HideApps", HideApps() ? "1" : "0");
    WriteString(kRulesKey, "Rule1", "leave alone|MirelSample.exe||Recorder");
    WriteString(kRulesKey, "Rule2", "all desktops|mirelsample.exe||Music");
    WriteString(kRulesKey, "Rule3", "desktop 3|MIRELSAMPLE.EXE|mirelsamplewindow|");
  }
  virtual bool HideApps() const { return false; }

  // Opens `title` and then a marker window: once the marker has gone to desktop 3, the rules have
  // seen `title`, which was made first.
  void OpenWithMarker(const std::string& title) {
    sample.Open("title=" + title + kNewPlace);
    sample.Open("title=Marker;x=300;y=420;w=240;h=120");
    ASSERT_TRUE(WindowsEventuallyAt({{"Marker", 300 + 2 * W}}));
  }
};

class RulesHidingTest : public RulesTest {
 protected:
  bool HideApps() const override { return true; }
};

TEST_F(RulesTest, Desktop3TakesEachNewWindowMovedThenHiddenWithTheOptionAndAfterARestart) {
  // Shown only 300 ms after it is made: the rule waits until it is visible.
  sample.Open(std::string("title=Mail 1") + kNewPlace + ";showafter=300");
  ASSERT_TRUE(WindowsEventuallyAt({{"Mail 1", kNewLeft + 2 * W}}));
  EXPECT_TRUE(WindowsEventually({}, {"Mail 1", kPlain}));
  EXPECT_TRUE(WindowsEventuallyAt(Lefts(0)));  // open at start: left alone

  ShowMainWindow();
  ASSERT_TRUE(ClickCheckBox(CheckBoxOnPage(2, "Hide other apps from taskbar"), true));
  sample.Open(std::string("title=Mail 2") + kNewPlace);
  ASSERT_TRUE(WindowsEventuallyAt({{"Mail 2", kNewLeft + 2 * W}}));
  EXPECT_TRUE(WindowsEventually({"Mail 1", "Mail 2"}, {kPlain}));
  EXPECT_EQ(ReadStrings(kHiddenAppsKey)[HiddenAppsName(Sample("Mail 2"))], "Mail 2");

  // "Apply rules now" takes the windows open at start of the rule's class too; Clock's class is
  // another one.
  Click(Centre(TabRect(FindChild(program.MainWindow(), "SysTabControl32"), 5)));
  const HWND apply = FindChild(program.MainWindow(), "Button", std::string("Apply rules now"));
  ASSERT_NE(apply, nullptr);
  Await("the \"Rules\" page", [&] { return IsWindowVisible(apply) != FALSE; });
  Click(Centre(WindowRect(apply)));
  ASSERT_TRUE(WindowsEventuallyAt(
      {{kPlain, 3 * W - 254}, {kNote, 10 + 2 * W}, {kHandleKept, 3 * W - 254}, {kClock, 10}}));

  ExitProgram();
  const auto stored = ReadStrings(kRulesKey);
  StartProgram();
  sample.Open(std::string("title=Mail 3") + kNewPlace);
  ASSERT_TRUE(WindowsEventuallyAt({{"Mail 3", kNewLeft + 2 * W}, {"Mail 1", kNewLeft + 2 * W}}));
  EXPECT_TRUE(WindowsEventually({"Mail 3", kPlain}, {kClock}));
  EXPECT_EQ(stored.size(), 3u);
  EXPECT_EQ(ReadStrings(kRulesKey), stored);
}

TEST_F(RulesTest, AWindowMadeDuringASwitchGoesToItsDesktopAfterIt) {
  // No rule for its class; its first move, in the switch's batch, opens "Spawned" (the sample's
  // class, at 100, 100) while the switch waits for the move.
  sample.Open("title=Spawner;x=300;y=420;w=240;h=120;class=MirelSpawner;spawn=Spawned");
  SwitchWithTrayIcon(2);
  ASSERT_TRUE(WindowsEventuallyAt({{"Spawner", 300 - W}, {"Spawned", 100 + W}}));
}

TEST_F(RulesHidingTest, AllDesktopsKeepsANewWindowOnScreenAndShownThroughSwitches) {
  OpenWithMarker("Music");
  for (const int desktop : {2, 4, 1}) {
    SwitchWithTrayIcon(desktop);
    const int dx = desktop == 1 ? 0 : -(desktop - 1) * W;
    ASSERT_TRUE(WindowsEventuallyAt({{"Music", kNewLeft}, {kPlain, W - 254 + dx}}));
    EXPECT_TRUE(WindowsEventually(desktop == 1 ? std::vector<std::string>{"Marker"}
                                               : std::vector<std::string>{"Marker", kPlain},
                                  {"Music"}));
  }
  EXPECT_EQ(sample.Moves("Music"), 0);
}

TEST_F(RulesHidingTest, LeaveAloneKeepsANewWindowOnDesktop1UnmovedAndShown) {
  OpenWithMarker("Recorder");
  for (const int desktop : {2, 4, 1}) {
    SwitchWithTrayIcon(desktop);
    const int dx = desktop == 1 ? 0 : -(desktop - 1) * W;
    ASSERT_TRUE(WindowsEventuallyAt({{"Recorder", kNewLeft}, {kPlain, W - 254 + dx}}));
    EXPECT_TRUE(WindowsEventually({}, {"Recorder"}));
  }
  EXPECT_EQ(sample.Moves("Recorder"), 0);
  EXPECT_FALSE(ReadStrings(kHiddenAppsKey).contains(HiddenAppsName(Sample("Recorder"))));
}

TEST_F(StickyTest, TreeMenuMakesARuleThatOpensTheProgramsNewWindowsOnThatDesktop) {
  ShowMainWindow();
  OpenTreeMenuFor(kPlain);
  ChooseMenuItemByKeys({VK_UP, VK_UP, VK_RETURN});  // "Always open on this desktop"
  std::string rule;
  ASSERT_TRUE(Eventually("the rule stored", [&] {
    rule = ReadString(kRulesKey, "Rule1").value_or("");
    return !rule.empty();
  }));
  std::transform(rule.begin(), rule.end(), rule.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  EXPECT_EQ(rule, "desktop 1|mirelsample.exe||");

  SwitchWithTrayIcon(2);
  sample.Open(std::string("title=Later") + kNewPlace);
  ASSERT_TRUE(WindowsEventuallyAt({{"Later", kNewLeft - W}}));
  EXPECT_TRUE(WindowsEventually({"Later"}, {}));  // the hiding option is on while nothing is stored
}

}  // namespace
}  // namespace mirel::e2e

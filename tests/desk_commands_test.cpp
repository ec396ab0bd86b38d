// Moving the active window's family between desktops, stepping through the desktops, and the
// commands other programs send.
#include <gtest/gtest.h>

#include <cstring>

#include "app/command_line.h"
#include "app/command_message.h"
#include "engine/desk_command.h"
#include "engine/window_family.h"
#include "settings/hotkeys.h"
#include "tests/engine_fixture.h"

namespace mirel::test {
namespace {

using K = TDeskCommandKind;

TEST(DesktopOrder, StepsWrapAtBothEnds) {
  EXPECT_EQ(StepDesktop(0, 1), 1);
  EXPECT_EQ(StepDesktop(7, 1), 0);
  EXPECT_EQ(StepDesktop(0, -1), 7);
  EXPECT_EQ(StepDesktop(3, -1), 2);
}

TEST(WindowFamilies, OwnerChainsSeveralOwnedWindowsAndLoops) {
  sim::SimWindowSystem ws;
  const Hwnd main = ws.AddWindow("Main", {0, 0, 10, 10});
  const Hwnd find = ws.AddWindow("Find", {0, 0, 10, 10}, main);
  const Hwnd options = ws.AddWindow("Options", {0, 0, 10, 10}, main);
  const Hwnd nested = ws.AddWindow("Nested", {0, 0, 10, 10}, options);
  const Hwnd stranger = ws.AddWindow("Stranger", {0, 0, 10, 10});
  const std::vector<Hwnd> all{main, find, options, nested, stranger};
  EXPECT_EQ(RootOwner(ws, nested), main);
  // From any member, the whole family and nobody else.
  for (const Hwnd member : {main, find, nested}) {
    EXPECT_EQ(WindowFamily(ws, member, all), (std::vector<Hwnd>{main, find, options, nested}));
  }
  EXPECT_EQ(WindowFamily(ws, stranger, all), (std::vector<Hwnd>{stranger}));

  // Windows of a hidden owner that is not listed are still one family.
  const Hwnd hiddenOwner = ws.AddWindow("", {0, 0, 0, 0});
  ws.Window(hiddenOwner).visible = false;
  const Hwnd a = ws.AddWindow("A", {0, 0, 10, 10}, hiddenOwner);
  const Hwnd b = ws.AddWindow("B", {0, 0, 10, 10}, hiddenOwner);
  EXPECT_EQ(WindowFamily(ws, a, {a, stranger, b}), (std::vector<Hwnd>{a, b}));

  // A loop has one root, whichever member the walk starts from.
  const Hwnd x = ws.AddWindow("X", {0, 0, 10, 10});
  const Hwnd y = ws.AddWindow("Y", {0, 0, 10, 10}, x);
  ws.Window(x).owner = y;
  EXPECT_EQ(RootOwner(ws, x), RootOwner(ws, y));
}

class FamilyMoves : public ::testing::Test, public EngineTest {
 protected:
  // A main window with a dialog on desktop 1, one more window there, one on desktop 2.
  void SetUpScene() {
    main = WindowOn(0, "Main");
    dialog = ws.AddWindowOnTop("Find", {150, 120, 350, 220}, main);
    other = WindowOn(0, "Other", 500, 300);
    two = WindowOn(1, "Two");
    ws.SetForeground(dialog);
  }
  Hwnd main = 0, dialog = 0, other = 0, two = 0;
};

TEST_F(FamilyMoves, TheFamilyKeepsItsPlaceInTheTargetCellAndTheDesktopStays) {
  SetUpScene();
  ws.Window(main).rect = {-20, 100, 280, 300};  // hangs off the left edge a little
  engine.MoveFamilyToDesktop(dialog, 5, false);  // desktop 6: one column right, one row down
  EXPECT_EQ(RectOf(main), (Rect{W - 20, H + 100, 2 * W + 280 - W, H + 300}));
  EXPECT_EQ(RectOf(dialog), (Rect{W + 150, H + 120, W + 350, H + 220}));
  EXPECT_EQ(RectOf(other).left, 500);
  EXPECT_EQ(engine.CurrentDesktop(), 0);
  EXPECT_TRUE(host.overlayShows.empty());
  // The next window of the desktop on screen gets the foreground; desktop 6 remembers the moved
  // one.
  EXPECT_EQ(ws.ForegroundRequests(), (std::vector<Hwnd>{host.mainWindow, other}));
  EXPECT_EQ(engine.FocusSlots()[5], dialog);

  // Back together: from desktop 6, the same family comes home.
  engine.SwitchToDesktop(5);
  EXPECT_EQ(RectOf(dialog).left, 150);
  engine.MoveFamilyToDesktop(main, 0, false);
  engine.SwitchToDesktop(0);
  EXPECT_EQ(RectOf(main).left, -20);
  EXPECT_EQ(RectOf(dialog), (Rect{150, 120, 350, 220}));
}

TEST_F(FamilyMoves, WithTheHidingOptionTheFamilyIsHiddenAndRecordedAsASwitchWouldDo) {
  config.HideApps = true;
  SetUpScene();
  engine.SwitchToDesktop(1);
  engine.SwitchToDesktop(0);  // desktop 1 remembers the dialog
  ws.SetForeground(other);
  engine.MoveFamilyToDesktop(other, 2, false);
  ws.ClearLog();
  engine.MoveFamilyToDesktop(main, 2, false);
  for (const Hwnd moved : {main, dialog, other}) {
    EXPECT_FALSE(ws.IsWindowVisible(moved));
    EXPECT_FALSE(ws.IsWindowEnabled(moved));
    EXPECT_TRUE(HiddenAppsHas(moved));
  }
  // Nothing is left on desktop 1: the hidden main form takes the keys.
  EXPECT_EQ(ws.ForegroundRequests(), (std::vector<Hwnd>{host.mainWindow}));
  engine.SwitchToDesktop(2);
  for (const Hwnd moved : {main, dialog, other}) {
    EXPECT_TRUE(ws.IsWindowVisible(moved));
    EXPECT_TRUE(ws.IsWindowEnabled(moved));
    EXPECT_FALSE(HiddenAppsHas(moved));
  }
}

TEST_F(FamilyMoves, TheRememberedWindowOfTheDesktopGetsTheForegroundWhileItIsThere) {
  SetUpScene();
  ws.SetForeground(other);
  engine.SwitchToDesktop(1);
  engine.SwitchToDesktop(0);  // desktop 1 remembers Other, below Main in the Z order
  ws.ClearLog();
  engine.MoveFamilyToDesktop(dialog, 1, false);
  EXPECT_EQ(ws.ForegroundRequests().back(), other);
}

TEST_F(FamilyMoves, NothingHappensForWindowsTheProgramDoesNotManage) {
  SetUpScene();
  const Hwnd programManager = ws.AddWindow("Program Manager", {0, 0, W, H});
  const Hwnd untitled = ws.AddWindow("", {10, 10, 50, 50});
  const Hwnd ownDialog = ws.AddWindowOnTop("About", {10, 10, 50, 50}, host.appWindow);
  ws.Window(ownDialog).thread = ws.GetWindowThreadId(host.mainWindow);
  const Hwnd sticky = WindowOn(0, "Sticky note");
  config.StickyWindows->Add({sticky, "", "", TStickyKind::skByHandle});
  for (const Hwnd window : {programManager, untitled, ownDialog, sticky, host.mainWindow,
                            host.overlayWindow, Hwnd{0}, two}) {
    const Rect before = RectOf(window);
    engine.MoveFamilyToDesktop(window, window == two ? 1 : 3, false);
    EXPECT_EQ(RectOf(window), before) << window;
  }
  EXPECT_EQ(RectOf(main).left, 100);
  EXPECT_TRUE(ws.ForegroundRequests().empty());
  EXPECT_EQ(ws.MovesOutsideBatch(), 0);
}

TEST_F(FamilyMoves, WhileTheDesktopNameShowsTheWindowTheSwitchActivatedIsMoved) {
  SetUpScene();
  engine.SwitchToDesktop(1);
  ws.SetForeground(two);
  engine.SwitchToDesktop(0);
  ASSERT_EQ(ws.ForegroundRequests().back(), dialog);
  engine.MoveFamilyToDesktop(host.overlayWindow, 2, false);  // the name took the foreground
  EXPECT_EQ(RectOf(dialog).left, 2 * W + 150);
  EXPECT_EQ(RectOf(main).left, 2 * W + 100);

  // A desktop left while its name shows remembers the window its switch activated.
  engine.SwitchToDesktop(2);
  ws.SetForeground(host.overlayWindow);
  engine.SwitchToDesktop(0);
  EXPECT_EQ(engine.FocusSlots()[2], dialog);
}

TEST_F(FamilyMoves, AStuckApplicationIsMovedWithoutWaitingForIt) {
  config.HideApps = true;
  SetUpScene();
  for (const Hwnd window : {main, dialog}) {
    ws.Window(window).thread = 77;
    ws.Window(window).hung = true;
  }
  engine.MoveFamilyToDesktop(dialog, 3, false);
  EXPECT_EQ(ws.BlockingCallsOnHung(), 0);
  EXPECT_EQ(RectOf(main).left, 3 * W + 100);
  EXPECT_FALSE(ws.IsWindowVisible(dialog));
  EXPECT_TRUE(HiddenAppsHas(main));
}

TEST_F(FamilyMoves, GoingAlongSwitchesToTheFamilyAndForgetsItOnTheDesktopLeft) {
  SetUpScene();
  RunDeskCommand(engine, {K::kMovePrevious, 0}, dialog);  // 1 wraps to 8
  EXPECT_EQ(engine.CurrentDesktop(), 7);
  EXPECT_EQ(RectOf(main).left, 100);
  EXPECT_EQ(RectOf(dialog).left, 150);
  EXPECT_EQ(RectOf(other).left, 500 - 3 * W);  // desktop 1 now lies three columns left
  EXPECT_EQ(ws.ForegroundRequests().back(), dialog);
  EXPECT_EQ(host.overlayShows.back().caption, "Desktop 8");
  EXPECT_EQ(engine.FocusSlots()[0], 0u);

  RunDeskCommand(engine, {K::kMoveNext, 0}, main);  // 8 wraps to 1
  EXPECT_EQ(engine.CurrentDesktop(), 0);
  EXPECT_EQ(RectOf(main).left, 100);
  RunDeskCommand(engine, {K::kMoveFollow, 2}, main);
  EXPECT_EQ(engine.CurrentDesktop(), 2);
  EXPECT_EQ(RectOf(other).left, 500 - 2 * W);
}

TEST_F(FamilyMoves, NextAndPreviousWrap) {
  SetUpScene();
  RunDeskCommand(engine, {K::kPrevious, 0}, 0);
  EXPECT_EQ(engine.CurrentDesktop(), 7);
  RunDeskCommand(engine, {K::kNext, 0}, 0);
  EXPECT_EQ(engine.CurrentDesktop(), 0);
  RunDeskCommand(engine, {K::kSwitchTo, 4}, 0);
  RunDeskCommand(engine, {K::kNext, 0}, 0);
  EXPECT_EQ(engine.CurrentDesktop(), 5);
  RunDeskCommand(engine, {K::kMoveTo, 0}, main);
  EXPECT_EQ(engine.CurrentDesktop(), 5);
  EXPECT_EQ(RectOf(main).left, 100 - W);  // desktop 1, seen from desktop 6
}

TEST(CommandHotKeys, DefaultsIdsAndCommands) {
  sim::SimWindowSystem ws;
  ASSERT_TRUE(ws.RegisterForeignHotKey(kModControl | kModAlt, 0x27));  // Ctrl+Alt+Right taken
  RegisterCommandHotKeys(ws, 0x4242, kDefaultCommandHotKeys);
  ASSERT_EQ(ws.HotKeys().size(), 12u);  // the taken one stays another program's
  EXPECT_EQ(ws.HotKeys()[1].id, 214);
  EXPECT_EQ(ws.HotKeys()[1].modifiers, kModControl | kModAlt);
  EXPECT_EQ(ws.HotKeys()[1].virtualKey, 0x25u);
  EXPECT_EQ(ws.HotKeys()[2].id, 215);
  EXPECT_EQ(ws.HotKeys()[2].modifiers, kModShift | kModControl | kModAlt);
  EXPECT_EQ(ws.HotKeys()[2].virtualKey, 0x70u);
  EXPECT_EQ(HotKeyCommand(213), (TDeskCommand{K::kNext, 0}));
  EXPECT_EQ(HotKeyCommand(222), (TDeskCommand{K::kMoveTo, 7}));
  EXPECT_EQ(HotKeyCommand(224), (TDeskCommand{K::kMovePrevious, 0}));
  EXPECT_EQ(HotKeyCommand(212), std::nullopt);
  EXPECT_EQ(HotKeyCommand(225), std::nullopt);
  UnregisterCommandHotKeys(ws, 0x4242);
  EXPECT_EQ(ws.HotKeys().size(), 1u);
}

TEST(CommandLine, WellFormedCommands) {
  using O = TCommandLine::TOutcome;
  EXPECT_EQ(ParseCommandLine({}).Outcome, O::kStartProgram);
  EXPECT_EQ(ParseCommandLine({"/?"}).Outcome, O::kUsage);
  EXPECT_EQ(ParseCommandLine({"/desktop", "3"}).Command, (TDeskCommand{K::kSwitchTo, 2}));
  EXPECT_EQ(ParseCommandLine({"-DESKTOP", "8"}).Command, (TDeskCommand{K::kSwitchTo, 7}));
  EXPECT_EQ(ParseCommandLine({"/Next"}).Command, (TDeskCommand{K::kNext, 0}));
  EXPECT_EQ(ParseCommandLine({"/previous"}).Command, (TDeskCommand{K::kPrevious, 0}));
  EXPECT_EQ(ParseCommandLine({"/move", "1"}).Command, (TDeskCommand{K::kMoveTo, 0}));
  EXPECT_EQ(ParseCommandLine({"/move-follow", "5"}).Command, (TDeskCommand{K::kMoveFollow, 4}));
  const TCommandLine current = ParseCommandLine({"/current"});
  EXPECT_EQ(current.Outcome, O::kCommand);
  EXPECT_EQ(current.Command, (TDeskCommand{K::kCurrent, 0}));
}

TEST(CommandLine, EveryMalformedFormNamesWhatWasWrong) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"desktop", "3"}, "'desktop' is not a command"},
      {{""}, "'' is not a command"},
      {{"/"}, "'/' is not a command"},
      {{"/desk", "3"}, "unknown command '/desk'"},
      {{"/move_follow", "3"}, "unknown command '/move_follow'"},
      {{"/desktop"}, "/desktop needs a desktop number (1 to 8)"},
      {{"/move-follow"}, "/move-follow needs a desktop number (1 to 8)"},
      {{"/desktop", "0"}, "'0' is not a desktop number (1 to 8)"},
      {{"/desktop", "9"}, "'9' is not a desktop number (1 to 8)"},
      {{"/move", "03"}, "'03' is not a desktop number (1 to 8)"},
      {{"/move", "-1"}, "'-1' is not a desktop number (1 to 8)"},
      {{"/move", "x"}, "'x' is not a desktop number (1 to 8)"},
      {{"/move", ""}, "'' is not a desktop number (1 to 8)"},
      {{"/desktop", "3", "4"}, "unexpected argument '4'"},
      {{"/next", "/previous"}, "unexpected argument '/previous'"},
      {{"/current", "1"}, "unexpected argument '1'"},
      {{"/?", "/next"}, "unexpected argument '/next'"},
  };
  for (const auto& [args, error] : cases) {
    const TCommandLine parsed = ParseCommandLine(args);
    EXPECT_EQ(parsed.Outcome, TCommandLine::TOutcome::kBadArguments) << error;
    EXPECT_EQ(parsed.Error, error);
  }
}

TEST(CommandMessage, OnlyWellFormedMessagesCarryACommand) {
  for (const TDeskCommand command :
       {TDeskCommand{K::kSwitchTo, 0}, TDeskCommand{K::kNext, 0}, TDeskCommand{K::kMoveFollow, 7},
        TDeskCommand{K::kCurrent, 0}}) {
    const TCommandPayload payload = EncodeCommandMessage(command);
    EXPECT_EQ(DecodeCommandMessage(kCommandMessageId, &payload, sizeof payload), command);
  }
  const TCommandPayload good = EncodeCommandMessage({K::kMoveTo, 4});
  EXPECT_EQ(good.Desktop, 5u);
  auto decode = [](TCommandPayload payload, std::uintptr_t id = kCommandMessageId,
                   std::size_t size = sizeof(TCommandPayload)) {
    return DecodeCommandMessage(id, &payload, size);
  };
  EXPECT_EQ(decode(good, kCommandMessageId + 1), std::nullopt);
  EXPECT_EQ(decode(good, kCommandMessageId, 15), std::nullopt);
  EXPECT_EQ(DecodeCommandMessage(kCommandMessageId, nullptr, 16), std::nullopt);
  std::array<unsigned char, 20> longer{};
  std::memcpy(longer.data(), &good, sizeof good);
  EXPECT_EQ(DecodeCommandMessage(kCommandMessageId, longer.data(), longer.size()), std::nullopt);
  auto with = [&good](auto change) {
    TCommandPayload payload = good;
    change(payload);
    return payload;
  };
  EXPECT_EQ(decode(with([](auto& p) { p.Size = 20; })), std::nullopt);
  EXPECT_EQ(decode(with([](auto& p) { p.Version = 2; })), std::nullopt);
  EXPECT_EQ(decode(with([](auto& p) { p.Command = 0; })), std::nullopt);
  EXPECT_EQ(decode(with([](auto& p) { p.Command = 7; })), std::nullopt);  // hot keys only
  EXPECT_EQ(decode(with([](auto& p) { p.Desktop = 0; })), std::nullopt);
  EXPECT_EQ(decode(with([](auto& p) { p.Desktop = 9; })), std::nullopt);
  EXPECT_EQ(decode(with([](auto& p) { p.Desktop = 0xFFFFFFFF; })), std::nullopt);
  EXPECT_EQ(decode(with([](auto& p) {
              p.Command = 2;  // /next takes no desktop
              p.Desktop = 1;
            })),
            std::nullopt);
}

}  // namespace
}  // namespace mirel::test

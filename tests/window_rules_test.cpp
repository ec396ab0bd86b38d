// Window rules: the matcher, the stored text, and the once-per-window application to new windows.
#include <gtest/gtest.h>

#include <string>

#include "engine/window_rule_runner.h"
#include "engine_fixture.h"
#include "settings/window_rules_store.h"

namespace mirel {
namespace {

const std::string kRulesPath = "Software\\Mirel\\Virtual Desktop\\Rules";

TWindowRule Rule(const std::string& program, TRuleAction action, int desktop = 0,
                 const std::string& wndClass = "", const std::string& title = "") {
  return *MakeWindowRule(program, wndClass, title, action, desktop, false);
}

RegValue Sz(const std::string& text) {
  RegValue value;
  value.type = kRegSz;
  value.data.assign(text.begin(), text.end());
  value.data.push_back('\0');
  return value;
}

class WindowRulesTest : public ::testing::Test, public test::EngineTest {
 protected:
  Hwnd NewWindow(const std::string& program, const std::string& title, bool visible = true) {
    const Hwnd window = ws.AddWindowOnTop(title, {100, 100, 400, 300});
    ws.Window(window).programPath = "C:\\Apps\\" + program;
    ws.Window(window).visible = visible;
    runner.WindowEvent(window, TWindowEvent::weCreate, now);
    return window;
  }
  void Tick(std::uint64_t ms = TNewWindows::kLookIntervalMs) {
    now += ms;
    runner.Look(now);
  }

  TWindowRules rules;
  TWindowRuleRunner runner{engine, rules};
  std::uint64_t now = 1000;
};

TEST_F(WindowRulesTest, MatchesProgramIgnoringCaseThenOptionalClassAndTitleFirstRuleWins) {
  const Hwnd mail = ws.AddWindow("Inbox - Mail", {0, 0, 10, 10});
  ws.Window(mail).className = "MailFrame";
  rules = {Rule("mail.exe", TRuleAction::raLeaveAlone, 0, "other"),
           Rule("C:\\x\\MAIL.EXE", TRuleAction::raDesktop, 2, " mailframe ", "inbox, MAIL"),
           Rule("mail.exe", TRuleAction::raAllDesktops)};
  EXPECT_EQ(rules[1].Program, "MAIL.EXE");
  EXPECT_EQ(FirstMatchingRule(ws, rules, mail, "d:\\apps\\Mail.exe"), &rules[1]);
  EXPECT_EQ(FirstMatchingRule(ws, rules, mail, "mailer.exe"), nullptr);
  EXPECT_EQ(FirstMatchingRule(ws, rules, mail, ""), nullptr);
  ws.Window(mail).title = "Outbox - Mail";  // the title part "inbox" is missing now
  EXPECT_EQ(FirstMatchingRule(ws, rules, mail, "mail.exe"), &rules[2]);

  // Rules that could never match, or not be stored, are refused.
  EXPECT_FALSE(MakeWindowRule("  ", "", "", TRuleAction::raLeaveAlone, 0, false));
  EXPECT_FALSE(MakeWindowRule("C:\\dir\\", "", "", TRuleAction::raLeaveAlone, 0, false));
  EXPECT_FALSE(MakeWindowRule("a.exe", "A|B", "", TRuleAction::raLeaveAlone, 0, false));
  EXPECT_FALSE(MakeWindowRule("a.exe", "", "", TRuleAction::raDesktop, 8, false));
  EXPECT_TRUE(MakeWindowRule("a.exe", "", " ", TRuleAction::raDesktop, 7, true)->TitleParts.empty());
}

TEST_F(WindowRulesTest, StoredTextRoundTripsAndBadValuesAreSkippedAndReported) {
  TWindowRule along = Rule("mail.exe", TRuleAction::raDesktop, 2, "Frame", "a|b, c");
  along.GoAlong = true;
  EXPECT_EQ(EncodeWindowRule(along), "desktop 3 go along|mail.exe|FRAME|a|b, c");
  EXPECT_EQ(EncodeWindowRule(Rule("x.exe", TRuleAction::raAllDesktops)), "all desktops|x.exe||");
  EXPECT_EQ(EncodeWindowRule(Rule("x.exe", TRuleAction::raLeaveAlone)), "leave alone|x.exe||");
  const auto decoded = DecodeWindowRule(" Desktop  3 GO ALONG |mail.exe|Frame|a|b, c");
  ASSERT_TRUE(decoded);
  EXPECT_EQ(EncodeWindowRule(*decoded), EncodeWindowRule(along));
  for (const char* bad : {"desktop 9|x.exe||", "desktop 0|x.exe||", "desktop 3 go|x.exe||",
                          "desktop|x.exe||", "sometimes|x.exe||", "leave alone|x.exe|",
                          "leave alone||C|", ""}) {
    EXPECT_FALSE(DecodeWindowRule(bad)) << bad;
  }

  rules = {along, Rule("x.exe", TRuleAction::raLeaveAlone)};
  registry.SetRaw(kRulesPath, "Rule7", Sz("stale"));
  ASSERT_FALSE(SaveWindowRules(registry, rules));
  std::string text;
  EXPECT_FALSE(registry.ReadString(kRulesPath, "Rule7", text));
  registry.SetRaw(kRulesPath, "Rule10", Sz("all desktops|late.exe||"));
  registry.SetRaw(kRulesPath, "Rule3", Sz("desktop nine|x.exe||"));
  RegValue dword;
  dword.type = kRegDword;
  dword.data = {1, 0, 0, 0};
  registry.SetRaw(kRulesPath, "Rule4", dword);
  registry.SetRaw(kRulesPath, "Other", Sz("leave alone|y.exe||"));

  TWindowRules loaded;
  const auto errors = LoadWindowRules(registry, loaded);
  ASSERT_EQ(loaded.size(), 3u);
  EXPECT_EQ(EncodeWindowRule(loaded[0]), EncodeWindowRule(along));
  EXPECT_EQ(loaded[2].Program, "late.exe");  // in the order of the numbers, not of the names
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], "Invalid rule 'Rule3': desktop nine|x.exe||");
  EXPECT_EQ(errors[1], "Invalid data type for 'Rule4'");

  ASSERT_FALSE(SaveWindowRules(registry, {}));
  loaded.clear();
  EXPECT_TRUE(LoadWindowRules(registry, loaded).empty());
  EXPECT_TRUE(loaded.empty());
}

TEST_F(WindowRulesTest, NewWindowIsPlacedOnceWhenVisibleAndNeverAgainAfterTheUserMovedIt) {
  rules = {Rule("mail.exe", TRuleAction::raDesktop, 2)};
  const Hwnd atStart = ws.AddWindow("Old - Mail", {100, 100, 400, 300});
  ws.Window(atStart).programPath = "mail.exe";
  runner.Start();
  runner.WindowEvent(atStart, TWindowEvent::weNameChange, now);
  EXPECT_FALSE(runner.Waiting());  // open at start: left alone

  const Hwnd mail = NewWindow("Mail.exe", "", false);
  Tick();
  EXPECT_TRUE(runner.Waiting());
  ws.Window(mail).visible = true;
  Tick();
  EXPECT_TRUE(runner.Waiting());  // still untitled
  ws.Window(mail).title = "Inbox - Mail";
  Tick();
  EXPECT_FALSE(runner.Waiting());
  EXPECT_EQ(engine.DesktopOfWindow(mail), 2);
  EXPECT_EQ(engine.CurrentDesktop(), 0);

  engine.MoveWindowToDesktop(mail, 0);  // the user takes it back
  runner.WindowEvent(mail, TWindowEvent::weShow, now);
  runner.WindowEvent(mail, TWindowEvent::weNameChange, now);
  Tick();
  EXPECT_EQ(runner.ApplyToOpenWindows(), 1);  // the window open at start only
  EXPECT_EQ(engine.DesktopOfWindow(mail), 0);
  EXPECT_EQ(engine.DesktopOfWindow(atStart), 2);

  // A window that never shows is given up after the limit, and polling stops.
  NewWindow("mail.exe", "Never shown", false);
  Tick(TNewWindows::kLookLimitMs);
  EXPECT_FALSE(runner.Waiting());
}

TEST_F(WindowRulesTest, RulesWaitForASwitchAndLeaveAloneOrAllDesktopsKeepTheWindowOnScreen) {
  rules = {Rule("alone.exe", TRuleAction::raLeaveAlone), Rule("all.exe", TRuleAction::raAllDesktops),
           Rule("three.exe", TRuleAction::raDesktop, 2)};
  runner.Start();
  const Hwnd alone = NewWindow("alone.exe", "Recorder");
  const Hwnd all = NewWindow("all.exe", "Music");
  Tick();
  Hwnd three = 0;
  // A window that becomes ready while a switch runs waits for its end.
  host.duringSwitch = [&] {
    if (three == 0) {
      three = NewWindow("three.exe", "Mail");
      Tick();
      EXPECT_TRUE(runner.Waiting());
    }
  };
  engine.SwitchToDesktop(1);
  host.duringSwitch = nullptr;
  Tick();
  EXPECT_FALSE(runner.Waiting());
  EXPECT_EQ(engine.DesktopOfWindow(three), 2);

  engine.SwitchToDesktop(3);
  const Rect onScreen{100, 100, 400, 300};
  EXPECT_EQ(RectOf(alone), onScreen);
  EXPECT_EQ(RectOf(all), onScreen);
  const auto& managed = engine.ManagedWindows();
  EXPECT_EQ(std::count(managed.begin(), managed.end(), alone), 0);
  EXPECT_EQ(std::count(managed.begin(), managed.end(), all), 1);

  // Once gone, the handle means nothing: a later window with it is an ordinary one.
  runner.WindowEvent(all, TWindowEvent::weDestroy, now);
  EXPECT_FALSE(config.StickyWindows->IsSticky(ws, all));
  EXPECT_FALSE(config.AllDesktopsWindows.contains(all));
}

}  // namespace
}  // namespace mirel

// Sticky-window rules: which windows a rule list recognizes, by handle, class name and title parts.
#include <gtest/gtest.h>

#include <string>

#include "engine/sticky.h"
#include "platform/sim/sim_window_system.h"

namespace mirel {
namespace {

TStickyWindow ByHandle(Hwnd window) { return {window, "", "", TStickyKind::skByHandle}; }
TStickyWindow ByClass(const std::string& name) { return {0, name, "", TStickyKind::skByClassName}; }
TStickyWindow ByTitle(const std::string& parts) {
  return {0, "", parts, TStickyKind::skByTitleParts};
}

class StickyTest : public ::testing::Test {
 protected:
  Hwnd Window(const std::string& title, const std::string& className = "SimWindow") {
    const Hwnd window = ws.AddWindow(title, {100, 100, 400, 300});
    ws.Window(window).className = className;
    return window;
  }

  sim::SimWindowSystem ws;
  TStickyWindows list;
};

TEST_F(StickyTest, EmptyListRecognizesNoWindow) {
  const Hwnd window = Window("Untitled - Notepad", "Notepad");
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.Items(0), nullptr);
  EXPECT_FALSE(list.IsSticky(ws, window));
  EXPECT_FALSE(list.IsSticky(ws, 0));
}

TEST_F(StickyTest, TitlePartsMustAllOccurIgnoringCaseAndSurroundingBlanks) {
  list.Add(ByTitle("note, pad"));
  EXPECT_TRUE(list.IsSticky(ws, Window("Untitled - Notepad")));
  EXPECT_FALSE(list.IsSticky(ws, Window("Notes")));
  EXPECT_FALSE(list.IsSticky(ws, Window("Scratch pad")));
  // A tab and a line feed count as blanks too.
  EXPECT_TRUE(AllTitlePartsIn("\tNOTE\n,pad ", "untitled - notepad"));
}

TEST_F(StickyTest, EmptyOrBlankPartsMatchNothingButATrailingCommaAddsNone) {
  const std::string title = "Untitled - Notepad";
  EXPECT_FALSE(AllTitlePartsIn("", title));
  EXPECT_FALSE(AllTitlePartsIn(",note", title));
  EXPECT_FALSE(AllTitlePartsIn("note,,pad", title));
  EXPECT_FALSE(AllTitlePartsIn("note,   ,pad", title));
  EXPECT_FALSE(AllTitlePartsIn("   ", title));
  EXPECT_FALSE(AllTitlePartsIn(",", title));
  EXPECT_TRUE(AllTitlePartsIn("note,", title));
  EXPECT_TRUE(AllTitlePartsIn("note, pad,", title));

  list.Add(ByTitle(""));
  list.Add(ByTitle(",note"));
  list.Add(ByTitle("note, ,pad"));
  EXPECT_FALSE(list.IsSticky(ws, Window(title)));
}

TEST_F(StickyTest, NextTitlePartTakesOnePartAtATime) {
  std::string rest = " alpha ,beta,, gamma";
  std::string part;
  NextTitlePart(rest, part);
  EXPECT_EQ(part, "alpha");
  EXPECT_EQ(rest, "beta,, gamma");
  NextTitlePart(rest, part);
  EXPECT_EQ(part, "beta");
  NextTitlePart(rest, part);
  EXPECT_EQ(part, "");
  EXPECT_EQ(rest, " gamma");
  NextTitlePart(rest, part);
  EXPECT_EQ(part, "gamma");
  EXPECT_EQ(rest, "");
}

TEST_F(StickyTest, ClassRuleMatchesOnlyWhenHeldUpperCased) {
  const Hwnd window = Window("Untitled - Notepad", "Notepad");
  TStickyWindows lower;
  lower.Add(ByClass("notepad"));
  TStickyWindows mixed;
  mixed.Add(ByClass("Notepad"));
  EXPECT_FALSE(lower.IsSticky(ws, window));
  EXPECT_FALSE(mixed.IsSticky(ws, window));

  list.Add(ByClass("NOTEPAD"));
  EXPECT_TRUE(list.IsSticky(ws, window));
  EXPECT_FALSE(list.IsSticky(ws, Window("Other", "NotepadPlus")));
}

TEST_F(StickyTest, ClosedWindowReadsAsEmptyTitleAndClass) {
  const Hwnd window = Window("Clock", "ClockClass");
  ws.Destroy(window);
  list.Add(ByTitle("clock"));
  list.Add(ByClass("CLOCKCLASS"));
  EXPECT_FALSE(list.IsSticky(ws, window));
  // Only a class rule with an empty name recognizes a window that is gone.
  list.Add(ByClass(""));
  EXPECT_TRUE(list.IsSticky(ws, window));
}

TEST_F(StickyTest, HandleRuleStopsMatchingWhenTheWindowComesBackWithANewHandle) {
  const Hwnd first = Window("Clock");
  list.Add(ByHandle(first));
  EXPECT_TRUE(list.IsSticky(ws, first));
  ws.Destroy(first);
  const Hwnd again = Window("Clock");
  ASSERT_NE(again, first);
  EXPECT_FALSE(list.IsSticky(ws, again));
}

TEST_F(StickyTest, OneMatchingRuleIsEnoughWhateverTheOrder) {
  const Hwnd clock = Window("World clock", "ClockClass");
  const Hwnd notepad = Window("Untitled - Notepad", "Notepad");
  const Hwnd other = Window("Calculator", "CalcFrame");
  const TStickyWindow rules[] = {ByHandle(0x7777), ByClass("CLOCKCLASS"), ByTitle("notepad")};

  TStickyWindows forward;
  TStickyWindows backward;
  for (const auto& rule : rules) forward.Add(rule);
  for (auto it = std::rbegin(rules); it != std::rend(rules); ++it) backward.Add(*it);
  for (const TStickyWindows* rules : {&forward, &backward}) {
    EXPECT_TRUE(rules->IsSticky(ws, clock));
    EXPECT_TRUE(rules->IsSticky(ws, notepad));
    EXPECT_FALSE(rules->IsSticky(ws, other));
  }
  EXPECT_EQ(forward.Count(), 3u);
  EXPECT_EQ(forward.Items(1)->WndClass, "CLOCKCLASS");
  EXPECT_EQ(forward.Items(3), nullptr);
}

TEST_F(StickyTest, UnknownKindMatchesNothing) {
  const Hwnd window = Window("Clock");
  TStickyWindow odd = ByHandle(window);
  odd.Kind = static_cast<TStickyKind>(7);
  EXPECT_FALSE(TStickyWindows::Matches(ws, odd, window));
}

}  // namespace
}  // namespace mirel

// Sticky rules made in the rule dialog and kept across runs in the registry.
#include <gtest/gtest.h>

#include <string>

#include "engine/desktop_engine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_window_system.h"
#include "settings/sticky_rules.h"

namespace mirel {
namespace {

const std::string kStickyPath = "Software\\Mirel\\Virtual Desktop\\Sticky";

RegValue Typed(std::uint32_t type, const std::string& bytes) {
  RegValue value;
  value.type = type;
  value.data.assign(bytes.begin(), bytes.end());
  return value;
}
RegValue Sz(const std::string& text) { return Typed(kRegSz, text + std::string(1, '\0')); }

TStickyWindow ByHandle(Hwnd window) { return {window, "", "", TStickyKind::skByHandle}; }
TStickyWindow ByClass(const std::string& name) { return {0, name, "", TStickyKind::skByClassName}; }
TStickyWindow ByTitle(const std::string& parts) {
  return {0, "", parts, TStickyKind::skByTitleParts};
}

// "class:NOTEPAD" for a class rule, "title:..." for a title rule, "handle:<n>" for a handle rule.
std::string Describe(const TStickyWindow& rule) {
  switch (rule.Kind) {
    case TStickyKind::skByHandle:
      return "handle:" + std::to_string(rule.Handle);
    case TStickyKind::skByClassName:
      return "class:" + rule.WndClass;
    case TStickyKind::skByTitleParts:
      return "title:" + rule.TitleParts;
  }
  return "?";
}

std::vector<std::string> Describe(const TStickyWindows& list) {
  std::vector<std::string> rules;
  for (std::size_t i = 0; i < list.Count(); ++i) rules.push_back(Describe(*list.Items(i)));
  return rules;
}

std::optional<std::string> Stored(sim::SimRegistry& registry, const std::string& name) {
  std::string text;
  if (!registry.ReadString(kStickyPath, name, text)) return std::nullopt;
  return text;
}

// --- Rules from the dialog ------------------------------------------------------------------------

TEST(StickyRuleFromDialog, ClassNameIsTrimmedAndUpperCasedSoTheRuleMatches) {
  sim::SimWindowSystem ws;
  const Hwnd window = ws.AddWindow("Untitled - Notepad", {0, 0, 10, 10});
  ws.Window(window).className = "Notepad";

  const auto rule = MakeStickyRule(TStickyKind::skByClassName, window, "  Notepad\t");
  ASSERT_TRUE(rule);
  EXPECT_EQ(Describe(*rule), "class:NOTEPAD");
  TStickyWindows list;
  list.Add(*rule);
  EXPECT_TRUE(list.IsSticky(ws, window));

  // Only ASCII letters change case: bytes of the ANSI code page stay as they are.
  EXPECT_EQ(MakeStickyRule(TStickyKind::skByClassName, 0, "Fen\xeatre_1")->WndClass,
            "FEN\xeaTRE_1");
}

TEST(StickyRuleFromDialog, TitlePartsAreKeptAsTyped) {
  const auto rule = MakeStickyRule(TStickyKind::skByTitleParts, 0x1234, " note, Pad ");
  ASSERT_TRUE(rule);
  EXPECT_EQ(Describe(*rule), "title: note, Pad ");
  EXPECT_EQ(rule->Handle, 0u);
}

TEST(StickyRuleFromDialog, HandleRuleTakesTheSelectedWindowAndIgnoresTheText) {
  const auto rule = MakeStickyRule(TStickyKind::skByHandle, 0x1234, "whatever");
  ASSERT_TRUE(rule);
  EXPECT_EQ(Describe(*rule), "handle:4660");
  EXPECT_EQ(rule->WndClass, "");
  EXPECT_EQ(rule->TitleParts, "");
}

TEST(StickyRuleFromDialog, RulesThatCouldNeverMatchAreRefused) {
  EXPECT_FALSE(MakeStickyRule(TStickyKind::skByHandle, 0, ""));
  EXPECT_FALSE(MakeStickyRule(TStickyKind::skByClassName, 0x1234, ""));
  EXPECT_FALSE(MakeStickyRule(TStickyKind::skByClassName, 0x1234, " \t\r\n"));
  EXPECT_FALSE(MakeStickyRule(TStickyKind::skByClassName, 0x1234, std::string(256, 'A')));
  EXPECT_TRUE(MakeStickyRule(TStickyKind::skByClassName, 0x1234, std::string(255, 'A')));
  // A class name's 255 characters are UTF-16 units, whatever their UTF-8 length.
  std::string cyrillic, rockets;
  for (int i = 0; i < 255; ++i) cyrillic += "\u0416";
  for (int i = 0; i < 128; ++i) rockets += "\U0001F680";
  EXPECT_TRUE(MakeStickyRule(TStickyKind::skByClassName, 0x1234, cyrillic));
  EXPECT_FALSE(MakeStickyRule(TStickyKind::skByClassName, 0x1234, rockets));
  EXPECT_FALSE(MakeStickyRule(TStickyKind::skByTitleParts, 0x1234, ""));
  EXPECT_FALSE(MakeStickyRule(TStickyKind::skByTitleParts, 0x1234, "  "));
  EXPECT_FALSE(MakeStickyRule(static_cast<TStickyKind>(9), 0x1234, "x"));
}

TEST(StickyRuleFromDialog, TheSameRuleIsAddedOnce) {
  TStickyWindows list;
  EXPECT_TRUE(AddStickyRule(list, ByClass("NOTEPAD")));
  EXPECT_FALSE(AddStickyRule(list, ByClass("NOTEPAD")));
  EXPECT_TRUE(AddStickyRule(list, ByTitle("NOTEPAD")));
  EXPECT_TRUE(AddStickyRule(list, ByHandle(5)));
  EXPECT_FALSE(AddStickyRule(list, ByHandle(5)));
  EXPECT_TRUE(AddStickyRule(list, ByHandle(6)));
  // Title parts are compared as typed.
  EXPECT_TRUE(AddStickyRule(list, ByTitle("notepad")));
  EXPECT_EQ(list.Count(), 5u);
}

// --- Stored text ----------------------------------------------------------------------------------

TEST(StickyRuleText, ClassAndTitleRulesRoundTripHandleRulesAreNotStored) {
  EXPECT_EQ(EncodeStickyRule(ByClass("NOTEPAD")), "class:NOTEPAD");
  EXPECT_EQ(EncodeStickyRule(ByTitle("note, pad")), "title:note, pad");
  EXPECT_EQ(EncodeStickyRule(ByHandle(0x1234)), std::nullopt);

  // Colons and commas after the tag belong to the rule.
  for (const TStickyWindow& rule :
       {ByClass("NOTEPAD"), ByClass("AFX:400000:8"), ByTitle("note, pad"), ByTitle("a:b,c:,")}) {
    const auto decoded = DecodeStickyRule(*EncodeStickyRule(rule));
    ASSERT_TRUE(decoded) << Describe(rule);
    EXPECT_EQ(Describe(*decoded), Describe(rule));
  }
}

TEST(StickyRuleText, DecodingIsForgiving) {
  EXPECT_EQ(Describe(*DecodeStickyRule("CLASS:notepad")), "class:NOTEPAD");
  EXPECT_EQ(Describe(*DecodeStickyRule("class: Notepad ")), "class:NOTEPAD");
  EXPECT_EQ(Describe(*DecodeStickyRule("Title:clock")), "title:clock");
  for (const char* garbage : {"", "class", "class:", "class:   ", "title:", "title: \t", "notepad",
                              "handle:1234", " class:NOTEPAD", "classNOTEPAD", "titles:clock"}) {
    EXPECT_FALSE(DecodeStickyRule(garbage)) << '"' << garbage << '"';
  }
  EXPECT_FALSE(DecodeStickyRule("class:" + std::string(300, 'X')));
}

TEST(StickyRuleText, ValueNamesAreRuleAndANumber) {
  EXPECT_EQ(StickyRuleValueName(1), "Rule1");
  EXPECT_EQ(StickyRuleValueName(12), "Rule12");
  EXPECT_EQ(StickyRuleNumber("Rule1"), 1);
  EXPECT_EQ(StickyRuleNumber("RULE12"), 12);
  EXPECT_EQ(StickyRuleNumber("rule999999999"), 999999999);
  for (const char* other : {"", "Rule", "Rule0", "Rule01", "Rule-1", "Rule+1", "Rule1a", "Rule 1",
                            "Rul1", "1", "Rule1234567890", "X"}) {
    EXPECT_FALSE(StickyRuleNumber(other)) << '"' << other << '"';
  }
}

// --- Registry -------------------------------------------------------------------------------------

TEST(StickyRuleStore, SavedRulesComeBackInTheNextRun) {
  sim::SimRegistry registry;
  TStickyWindows run1;
  run1.Add(ByClass("NOTEPAD"));
  run1.Add(ByHandle(0x1234));
  run1.Add(ByTitle("note, pad"));
  ASSERT_EQ(SaveStickyRules(registry, run1), std::nullopt);

  EXPECT_EQ(Stored(registry, "Rule1"), "class:NOTEPAD");
  EXPECT_EQ(Stored(registry, "Rule2"), "title:note, pad");
  EXPECT_EQ(Stored(registry, "Rule3"), std::nullopt);
  EXPECT_EQ(registry.OpenKeyCount(), 0);

  TStickyWindows run2;
  EXPECT_EQ(LoadStickyRules(registry, run2), 2);
  EXPECT_EQ(Describe(run2), (std::vector<std::string>{"class:NOTEPAD", "title:note, pad"}));
  EXPECT_EQ(registry.OpenKeyCount(), 0);
}

TEST(StickyRuleStore, LoadedRulesRecognizeTheirWindows) {
  sim::SimRegistry registry;
  registry.SetRaw(kStickyPath, "Rule1", Sz("class:NOTEPAD"));
  registry.SetRaw(kStickyPath, "Rule2", Sz("title:world, clock"));
  sim::SimWindowSystem ws;
  const Hwnd notepad = ws.AddWindow("Untitled - Notepad", {0, 0, 10, 10});
  ws.Window(notepad).className = "Notepad";
  const Hwnd clock = ws.AddWindow("World Clock", {0, 0, 10, 10});
  const Hwnd other = ws.AddWindow("Calculator", {0, 0, 10, 10});

  TStickyWindows list;
  LoadStickyRules(registry, list);
  EXPECT_TRUE(list.IsSticky(ws, notepad));
  EXPECT_TRUE(list.IsSticky(ws, clock));
  EXPECT_FALSE(list.IsSticky(ws, other));
}

TEST(StickyRuleStore, LoadingSkipsGarbageAndKeepsTheOrderOfTheNumbers) {
  sim::SimRegistry registry;
  registry.SetRaw(kStickyPath, "Rule10", Sz("title:ten"));
  registry.SetRaw(kStickyPath, "Rule2", Sz("title:two"));
  registry.SetRaw(kStickyPath, "rule3", Sz("class:three"));
  registry.SetRaw(kStickyPath, "Rule4", Sz("nonsense"));
  registry.SetRaw(kStickyPath, "Rule5", Typed(kRegDword, std::string("\x01\x00\x00\x00", 4)));
  registry.SetRaw(kStickyPath, "Rule6", Typed(kRegBinary, "title:binary"));
  registry.SetRaw(kStickyPath, "Rule7", Sz("title:unreadable"));
  registry.FailReadOf("Rule7");
  registry.SetRaw(kStickyPath, "Rule8", Sz("title:two"));  // the same rule again
  registry.SetRaw(kStickyPath, "Rule9", Typed(kRegSz, std::string("title:nine\0tail", 15)));
  registry.SetRaw(kStickyPath, "Rule11", Typed(kRegSz, "title:unterminated"));
  registry.SetRaw(kStickyPath, "Favourite", Sz("title:not numbered"));
  registry.SetRaw(kStickyPath, "Rule012", Sz("title:leading zero"));
  registry.SetRaw(kStickyPath, "", Sz("title:default value"));

  TStickyWindows list;
  EXPECT_EQ(LoadStickyRules(registry, list), 5);
  EXPECT_EQ(Describe(list), (std::vector<std::string>{"title:two", "class:THREE", "title:nine",
                                                      "title:ten", "title:unterminated"}));
}

TEST(StickyRuleStore, LoadingAddsToTheRulesAlreadyThereAndNeverCreatesTheKey) {
  sim::SimRegistry registry;
  TStickyWindows list;
  list.Add(ByHandle(0x42));
  EXPECT_EQ(LoadStickyRules(registry, list), 0);
  EXPECT_FALSE(registry.KeyExists(kStickyPath));
  EXPECT_FALSE(registry.KeyExists("Software\\Mirel"));

  registry.SetRaw(kStickyPath, "Rule1", Sz("class:CLOCK"));
  list.Add(ByClass("CLOCK"));
  EXPECT_EQ(LoadStickyRules(registry, list), 0);
  EXPECT_EQ(Describe(list), (std::vector<std::string>{"handle:66", "class:CLOCK"}));
}

TEST(StickyRuleStore, SavingRewritesTheKeyToHoldExactlyTheList) {
  sim::SimRegistry registry;
  registry.SetRaw(kStickyPath, "Rule1", Sz("class:OLD"));
  registry.SetRaw(kStickyPath, "rule2", Sz("nonsense"));
  registry.SetRaw(kStickyPath, "Rule3", Sz("title:stale"));
  registry.SetRaw(kStickyPath, "Favourite", Sz("title:not ours"));

  TStickyWindows list;
  LoadStickyRules(registry, list);  // OLD, stale
  list.Add(ByTitle("new"));
  ASSERT_EQ(SaveStickyRules(registry, list), std::nullopt);

  EXPECT_EQ(Stored(registry, "Rule1"), "class:OLD");
  EXPECT_EQ(Stored(registry, "Rule2"), "title:stale");
  EXPECT_EQ(Stored(registry, "Rule3"), "title:new");
  EXPECT_EQ(Stored(registry, "Favourite"), std::nullopt);
  sim::SimRegistry::Key* key = registry.FindKey(kStickyPath);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->values.size(), 3u);
}

TEST(StickyRuleStore, NothingToStoreCreatesNoKeyButEmptiesAnExistingOne) {
  sim::SimRegistry registry;
  TStickyWindows handlesOnly;
  handlesOnly.Add(ByHandle(0x1234));
  ASSERT_EQ(SaveStickyRules(registry, handlesOnly), std::nullopt);
  EXPECT_FALSE(registry.KeyExists(kStickyPath));

  registry.SetRaw(kStickyPath, "Rule1", Sz("garbage"));
  ASSERT_EQ(SaveStickyRules(registry, handlesOnly), std::nullopt);
  ASSERT_TRUE(registry.KeyExists(kStickyPath));
  EXPECT_TRUE(registry.FindKey(kStickyPath)->values.empty());
}

TEST(StickyRuleStore, FailuresAreReported) {
  TStickyWindows list;
  list.Add(ByClass("NOTEPAD"));

  sim::SimRegistry noKeys;
  noKeys.FailKeyCreation(true);
  EXPECT_EQ(SaveStickyRules(noKeys, list),
            "Failed to create key Software\\Mirel\\Virtual Desktop\\Sticky");

  sim::SimRegistry noWrites;
  noWrites.SetRaw(kStickyPath, "Rule2", Sz("title:kept"));
  noWrites.FailWrites(true);
  EXPECT_EQ(SaveStickyRules(noWrites, list), "Failed to set data for 'Rule1'");
  // Nothing was deleted after the failure.
  EXPECT_EQ(Stored(noWrites, "Rule2"), "title:kept");
  EXPECT_EQ(noWrites.OpenKeyCount(), 0);
}

// --- With the hiding option -----------------------------------------------------------------------

class NoHost : public IEngineHost {
 public:
  Hwnd MainWindow() override { return 0; }
  Hwnd ApplicationWindow() override { return 0; }
  Hwnd OverlayWindow() override { return 0; }
  bool Terminating() override { return false; }
  void HideOverlay() override {}
  void ShowOverlay(Hwnd, const std::string&) override {}
  void InvalidateMainForm() override {}
  void RepaintVisualManagerIfShowing() override {}
};

TEST(StickyRuleStore, StoredRuleKeepsItsWindowShownWhileItMovesWithItsDesktop) {
  constexpr int W = 1024;
  sim::SimWindowSystem ws(W, 768);
  sim::SimRegistry registry;
  const Hwnd notepad = ws.AddWindow("Untitled - Notepad", {100, 100, 400, 300});
  ws.Window(notepad).className = "Notepad";
  const Hwnd other = ws.AddWindow("Calculator", {150, 150, 450, 350});

  // A rule made in an earlier run, as the dialog makes it.
  TStickyWindows earlier;
  earlier.Add(*MakeStickyRule(TStickyKind::skByClassName, notepad, "Notepad"));
  ASSERT_EQ(SaveStickyRules(registry, earlier), std::nullopt);

  TsDeskCFG config;
  config.HideApps = true;
  LoadStickyRules(registry, *config.StickyWindows);
  NoHost host;
  TDesktopEngine engine(ws, registry, config, host);
  engine.RefreshWindowList();
  engine.SwitchToDesktop(2);

  EXPECT_TRUE(ws.IsWindowVisible(notepad));
  EXPECT_TRUE(ws.IsWindowEnabled(notepad));
  EXPECT_EQ(ws.Window(notepad).rect.left, 100 - 2 * W);
  EXPECT_FALSE(ws.IsWindowVisible(other));
  EXPECT_FALSE(ws.IsWindowEnabled(other));
  EXPECT_EQ(ws.Window(other).rect.left, 150 - 2 * W);
}

}  // namespace
}  // namespace mirel

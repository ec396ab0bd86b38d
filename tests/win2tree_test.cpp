#include "engine/win2tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/tray_window_lists.h"
#include "engine/sticky.h"
#include "platform/sim/sim_window_system.h"
#include "platform/utf.h"

using namespace mirel;

namespace {

constexpr Rect kRect{100, 100, 400, 300};

std::vector<std::string> Captions(const TMenuItem& menu) {
  std::vector<std::string> captions;
  for (const auto& item : menu.Items) captions.push_back(item->Caption);
  return captions;
}

std::vector<std::string> ChildTitles(const TWindowNode& node) {
  std::vector<std::string> titles;
  for (const auto& child : node.Children) titles.push_back(child->Title);
  return titles;
}

std::intptr_t TagOf(Hwnd window) { return static_cast<std::intptr_t>(window); }

// A scene on the simulated window system and the two tray submenus filled from it as the tray
// menu does at each opening.
class WindowTreeTest : public ::testing::Test {
 protected:
  void OpenMenus(const TStickyWindows* sticky = nullptr) {
    moveHere.Clear();
    switchTo.Clear();
    std::unique_ptr<TWindowNode> tree = BuildWindowTree(ws, IsHidden());
    const TMenuClick onClick = [this](const TMenuItem& item) { clicks.push_back(item.Tag); };
    FillMenuFromTree(ws, *tree, moveHere, false, sticky, onClick);
    FillMenuFromTree(ws, *tree, switchTo, true, sticky, onClick);
    FreeWindowTree(tree);
    EXPECT_FALSE(tree);
  }

  TIsHiddenByProgram IsHidden() {
    return [this](Hwnd window) { return hiddenByProgram.count(window) != 0; };
  }

  // An owned window, above its owner in Z order as the system keeps them.
  Hwnd AddOwned(const std::string& title, Hwnd owner) {
    return ws.AddWindowOnTop(title, kRect, owner);
  }

  sim::SimWindowSystem ws;
  std::unordered_set<Hwnd> hiddenByProgram;
  std::vector<std::intptr_t> clicks;
  TMenuItem moveHere;
  TMenuItem switchTo;
};

// The tray menu fills its lists when they open: the lists of one opening share one tree, and the
// next opening looks at the windows afresh.
TEST_F(WindowTreeTest, TrayListsOfOneOpeningShareOneTreeAndTheNextOpeningReadsAfresh) {
  TTrayWindowLists lists(ws, IsHidden());
  const TMenuClick onClick = [this](const TMenuItem& item) { clicks.push_back(item.Tag); };
  ws.AddWindow("Editor", kRect);
  lists.MenuOpens();
  lists.Fill(switchTo, true, onClick);
  ws.AddWindow("Browser", kRect);  // opened while the menu is open
  lists.Fill(moveHere, false, onClick);
  lists.Fill(switchTo, true, onClick);  // opened a second time: refilled, not appended to
  EXPECT_EQ(Captions(switchTo), (std::vector<std::string>{"&Editor"}));
  EXPECT_EQ(Captions(moveHere), (std::vector<std::string>{"&Editor"}));
  lists.MenuOpens();
  lists.Fill(moveHere, false, onClick);
  EXPECT_EQ(Captions(moveHere), (std::vector<std::string>{"&Browser", "&Editor"}));
}

// What the next opening takes over of a window is read again once its rectangle changed: a window
// minimized since, or one whose owner came while it moved.
TEST_F(WindowTreeTest, TrayListsAskAgainOfAWindowThatMoved) {
  TTrayWindowLists lists(ws, IsHidden());
  const TMenuClick onClick = [this](const TMenuItem& item) { clicks.push_back(item.Tag); };
  const Hwnd editor = ws.AddWindow("Editor", kRect);
  const Hwnd find = ws.AddWindow("Find", {10, 10, 100, 100});
  const Hwnd notes = ws.AddWindow("Notes", kRect);
  lists.MenuOpens();
  lists.Fill(switchTo, true, onClick);
  ASSERT_EQ(Captions(switchTo), (std::vector<std::string>{"&Editor", "&Find", "&Notes"}));
  ws.Minimize(notes);
  ws.Window(find).owner = editor;
  ws.Window(find).rect = {20, 20, 110, 110};
  lists.MenuOpens();
  lists.Fill(switchTo, true, onClick);
  EXPECT_EQ(Captions(switchTo), (std::vector<std::string>{"&Editor - Find"}));
}

// --- Which windows are listed ------------------------------------------------------------------

TEST_F(WindowTreeTest, NothingListableLeavesBothSubmenusEmpty) {
  ws.AddWindow("Program Manager", kRect);
  ws.AddWindow("Mirel Desktop", kRect);
  ws.AddWindow("", kRect);
  ws.Window(ws.AddWindow("Hidden", kRect)).visible = false;
  ws.Minimize(ws.AddWindow("Minimized", kRect));
  ws.AddWindow("Nowhere", {5, 5, 5, 5});
  OpenMenus();
  EXPECT_EQ(moveHere.Count(), 0u);
  EXPECT_EQ(switchTo.Count(), 0u);
}

TEST_F(WindowTreeTest, CloakedWindowsAreListedOnlyWhenTheProgramHidThem) {
  ws.AddWindow("Shown", kRect);
  ws.Window(ws.AddWindow("Suspended app", kRect)).cloaked = true;
  const Hwnd held = ws.AddWindow("Held", kRect);
  ws.Window(held).visible = false;
  ws.Window(held).cloaked = true;  // whatever the system says of a window the program hid
  hiddenByProgram.insert(held);
  OpenMenus();
  EXPECT_EQ(Captions(switchTo), (std::vector<std::string>{"&Held", "&Shown"}));
  EXPECT_EQ(Captions(moveHere), (std::vector<std::string>{"&Held", "&Shown"}));
}

TEST_F(WindowTreeTest, EmptyTitlesLeftOutAtTopButListedInsideASubmenu) {
  const Hwnd untitledOwner = ws.AddWindow("", kRect);
  AddOwned("One", untitledOwner);
  AddOwned("Two", untitledOwner);
  const Hwnd editor = ws.AddWindow("Editor", kRect);
  AddOwned("Alpha", editor);
  AddOwned("", editor);
  OpenMenus();
  ASSERT_EQ(Captions(moveHere), (std::vector<std::string>{"&Editor"}));
  EXPECT_EQ(Captions(moveHere[0]), (std::vector<std::string>{"&This app", "-", "", "&Alpha"}));
}

TEST_F(WindowTreeTest, MinimizedAndInvisibleWindowsAreNotListed) {
  ws.AddWindow("Shown", kRect);
  ws.Minimize(ws.AddWindow("Minimized", kRect));
  ws.Window(ws.AddWindow("Invisible", kRect)).visible = false;
  // Not minimized, but its rectangle starts where its placement puts its icon.
  const Hwnd atIcon = ws.AddWindow("At icon", {40, 50, 300, 200});
  ws.Window(atIcon).placement.ptMinPosition = {40, 50};
  const Hwnd onlyLeft = ws.AddWindow("Same left only", {40, 60, 300, 200});
  ws.Window(onlyLeft).placement.ptMinPosition = {40, 50};
  OpenMenus();
  EXPECT_EQ(Captions(moveHere), (std::vector<std::string>{"&Same left only", "S&hown"}));
}

TEST_F(WindowTreeTest, WindowsHiddenByTheProgramAreListedOnlyWhileItHoldsThem) {
  const Hwnd held = ws.AddWindow("Held", kRect);
  ws.Window(held).visible = false;
  hiddenByProgram.insert(held);
  OpenMenus();
  ASSERT_EQ(Captions(moveHere), (std::vector<std::string>{"&Held"}));
  EXPECT_EQ(moveHere[0].Tag, TagOf(held));

  hiddenByProgram.clear();  // the hiding option was switched off
  OpenMenus();
  EXPECT_EQ(moveHere.Count(), 0u);
  EXPECT_FALSE(IsListableWindow(ws, held, {}));
}

TEST_F(WindowTreeTest, ShellNamesAreFilteredOnlyAtTopAndOnlyExactly) {
  ws.AddWindow("Program Manager", kRect);
  ws.AddWindow("Mirel Desktop", kRect);
  ws.AddWindow("program manager", kRect);
  ws.AddWindow("Mirel Desktop ", kRect);
  const Hwnd shell = ws.AddWindow("Shell", kRect);
  AddOwned("Program Manager", shell);
  AddOwned("Mirel Desktop", shell);
  OpenMenus();
  ASSERT_EQ(Captions(moveHere),
            (std::vector<std::string>{"&Mirel Desktop ", "&program manager", "&Shell"}));
  EXPECT_EQ(Captions(moveHere[2]),
            (std::vector<std::string>{"&This app", "-", "&Mirel Desktop", "&Program Manager"}));
}

TEST_F(WindowTreeTest, ZeroSizeWindowsAreLeftOutOnlyWithoutAreaAndWithoutOwnedWindows) {
  ws.AddWindow("Point", {7, 7, 7, 7});
  ws.AddWindow("Line down", {7, 7, 7, 90});
  ws.AddWindow("Line across", {7, 7, 90, 7});
  const Hwnd pointOwner = ws.AddWindow("Point owner", {7, 7, 7, 7});
  AddOwned("Owned", pointOwner);
  OpenMenus();
  EXPECT_EQ(Captions(moveHere),
            (std::vector<std::string>{"&Line across", "L&ine down", "&Point owner - Owned"}));
}

// --- Building ----------------------------------------------------------------------------------

TEST_F(WindowTreeTest, NodesReadShortStringsOnceWhenMade) {
  const Hwnd w = ws.AddWindow(std::string(300, 't'), {1, 2, 3, 4});
  ws.Window(w).className = std::string(300, 'c');
  std::unique_ptr<TWindowNode> tree = BuildWindowTree(ws, {});
  EXPECT_EQ(tree->Handle, 0u);
  EXPECT_TRUE(tree->Title.empty() && tree->WndClass.empty());
  EXPECT_EQ(tree->Bounds, Rect{});
  ASSERT_EQ(tree->Children.size(), 1u);
  const TWindowNode& node = *tree->Children[0];
  EXPECT_EQ(node.Title, std::string(254, 't'));
  EXPECT_EQ(node.WndClass, std::string(254, 'c'));
  EXPECT_EQ(node.Bounds, (Rect{1, 2, 3, 4}));
  EXPECT_TRUE(node.Listable);
  EXPECT_TRUE(node.Children.empty());
}

TEST_F(WindowTreeTest, TitlesAndClassNamesCountUtf16UnitsAsTheSystemDoes) {
  std::string cyrillic, rockets;
  for (int i = 0; i < 300; ++i) cyrillic += "\u0416";  // 300 characters, 600 bytes
  for (int i = 0; i < 150; ++i) rockets += "\U0001F680";  // 300 units
  const Hwnd w = ws.AddWindow(cyrillic, {1, 2, 3, 4});
  ws.Window(w).className = rockets;
  EXPECT_EQ(GetWindowTitle(ws, w), cyrillic.substr(0, 254 * 2));
  EXPECT_EQ(GetWindowClass(ws, w), rockets.substr(0, 127 * 4));  // 255 units: no half pair
  ws.Window(w).title = "x" + rockets;
  EXPECT_EQ(GetWindowTitle(ws, w), "x" + rockets.substr(0, 126 * 4));
}

TEST(TitleOrder, Utf8TitlesSortByCodePoint) {
  EXPECT_LT(CompareTitles("zebra", "\u00e9t\u00e9"), 0);
  EXPECT_LT(CompareTitles("\u03a9mega", "\u65e5\u672c"), 0);
  EXPECT_LT(CompareTitles("\uffef", "\U0001F680"), 0);  // beyond U+FFFF last, as code points are
  EXPECT_EQ(CompareTitles("\u0416a", "\u0416A"), 0);
}

TEST_F(WindowTreeTest, HiddenOwnerGetsAnUnlistableNodeUnderTheRoot) {
  const Hwnd app = ws.AddWindow("App", kRect);
  ws.Window(app).visible = false;
  const Hwnd main = AddOwned("Main", app);
  std::unique_ptr<TWindowNode> tree = BuildWindowTree(ws, {});
  ASSERT_EQ(tree->Children.size(), 1u);
  const TWindowNode& owner = *tree->Children[0];
  EXPECT_EQ(owner.Handle, app);
  EXPECT_FALSE(owner.Listable);
  ASSERT_EQ(owner.Children.size(), 1u);
  EXPECT_EQ(owner.Children[0]->Handle, main);
  EXPECT_TRUE(owner.Children[0]->Listable);
}

TEST_F(WindowTreeTest, DeeperOwnerChainKeepsTwoNodesForTheMiddleWindow) {
  // Z order C, B, A: C makes B under the root; B makes A under the root and a second B under A.
  const Hwnd a = ws.AddWindow("A", kRect);
  const Hwnd b = AddOwned("B", a);
  const Hwnd c = AddOwned("C", b);
  std::unique_ptr<TWindowNode> tree = BuildWindowTree(ws, {});
  ASSERT_EQ(tree->Children.size(), 2u);
  const TWindowNode& b1 = *tree->Children[0];
  const TWindowNode& a1 = *tree->Children[1];
  EXPECT_EQ(b1.Handle, b);
  ASSERT_EQ(b1.Children.size(), 1u);
  EXPECT_EQ(b1.Children[0]->Handle, c);
  EXPECT_EQ(a1.Handle, a);
  ASSERT_EQ(a1.Children.size(), 1u);
  EXPECT_EQ(a1.Children[0]->Handle, b);
  EXPECT_TRUE(a1.Children[0]->Children.empty());
  EXPECT_EQ(FindWindowNode(tree.get(), b), &b1);
  EXPECT_EQ(FindWindowNode(tree->Children[1].get(), b), a1.Children[0].get());

  OpenMenus();
  EXPECT_EQ(Captions(moveHere), (std::vector<std::string>{"&A - B", "&B - C"}));
}

TEST_F(WindowTreeTest, LaterOwnedWindowsHangUnderTheFirstNodeInPreOrder) {
  // Z order A, C, B, D with B owning C and D and A owning B: C makes a node for B under the root,
  // B makes its second node under A, which comes first in pre-order, so D goes there.
  const Hwnd a = ws.AddWindow("A", kRect);
  const Hwnd c = ws.AddWindow("C", kRect);
  const Hwnd b = ws.AddWindow("B", kRect, a);
  const Hwnd d = ws.AddWindow("D", kRect, b);
  ws.Window(c).owner = b;
  std::unique_ptr<TWindowNode> tree = BuildWindowTree(ws, {});
  ASSERT_EQ(ChildTitles(*tree), (std::vector<std::string>{"A", "B"}));
  const TWindowNode& secondB = *tree->Children[0]->Children.at(0);
  EXPECT_EQ(secondB.Handle, b);
  ASSERT_EQ(secondB.Children.size(), 1u);
  EXPECT_EQ(secondB.Children[0]->Handle, d);
  const TWindowNode& firstB = *tree->Children[1];
  ASSERT_EQ(firstB.Children.size(), 1u);
  EXPECT_EQ(firstB.Children[0]->Handle, c);
  EXPECT_EQ(FindWindowNode(tree.get(), b), &secondB);
}

TEST(FindWindowNode, NullGivesNoneAndRootMatchesHandleZero) {
  EXPECT_EQ(FindWindowNode(static_cast<TWindowNode*>(nullptr), 5), nullptr);
  TWindowNode root;
  EXPECT_EQ(FindWindowNode(&root, 0), &root);
  EXPECT_EQ(FindWindowNode(&root, 5), nullptr);
}

TEST_F(WindowTreeTest, DeepOwnerChainBuildsFillsAndFreesWithoutRecursion) {
  // Enumerated owner first, every window owned by the one before: one chain as deep as the scene.
  constexpr int kDepth = 50000;
  Hwnd previous = ws.AddWindow("W", kRect);
  const Hwnd first = previous;
  for (int i = 1; i < kDepth; ++i) previous = ws.AddWindow("W", kRect, previous);
  std::unique_ptr<TWindowNode> tree = BuildWindowTree(ws, {});
  ASSERT_EQ(tree->Children.size(), 1u);
  EXPECT_EQ(FindWindowNode(tree.get(), previous)->Handle, previous);
  FillMenuFromTree(ws, *tree, moveHere, false, nullptr, {});
  ASSERT_EQ(Captions(moveHere), (std::vector<std::string>{"&W - W"}));
  EXPECT_EQ(moveHere[0].Tag, TagOf(first));
  FreeWindowTree(tree);
}

// --- Sorting -----------------------------------------------------------------------------------

TEST(SortWindowTree, UpperCasesAsciiOnlyComparesUnsignedBytesAndKeepsEqualsInOrder) {
  TWindowNode root;
  for (const char* title :
       {"_u", "b", "\xE9t\xE9", "Zed", "B", "zebra", "Note", "alpha", "Notepad", "Note"}) {
    root.Children.push_back(std::make_unique<TWindowNode>());
    root.Children.back()->Title = title;
    root.Children.back()->Handle = root.Children.size();
  }
  SortWindowTree(&root);
  EXPECT_EQ(ChildTitles(root),
            (std::vector<std::string>{"alpha", "b", "B", "Note", "Note", "Notepad", "zebra", "Zed",
                                      "_u", "\xE9t\xE9"}));
  EXPECT_EQ(root.Children[3]->Handle, 7u);  // the first "Note" stays first
}

// Also true of the root: with a single top-level window (never the case on a real desktop, where
// "Program Manager" is one) the owned windows of that window keep their enumeration order.
TEST(SortWindowTree, NodeWithOneChildIsNotVisited) {
  TWindowNode root;
  auto& only = *root.Children.emplace_back(std::make_unique<TWindowNode>());
  for (const char* title : {"z", "y"}) {
    only.Children.push_back(std::make_unique<TWindowNode>());
    only.Children.back()->Title = title;
  }
  SortWindowTree(&root);
  EXPECT_EQ(ChildTitles(only), (std::vector<std::string>{"z", "y"}));
  SortWindowTree(&only);
  EXPECT_EQ(ChildTitles(only), (std::vector<std::string>{"y", "z"}));
}

// --- Menu items --------------------------------------------------------------------------------

TEST_F(WindowTreeTest, OwnerWithSeveralWindowsOpensSubmenuWithThisApp) {
  ws.AddWindow("Program Manager", kRect);  // as on every desktop: the root has two children
  const Hwnd editor = ws.AddWindow("Editor", kRect);
  const Hwnd alpha = AddOwned("Alpha", editor);
  const Hwnd beta = AddOwned("beta", editor);
  OpenMenus();
  for (TMenuItem* menu : {&moveHere, &switchTo}) {
    ASSERT_EQ(Captions(*menu), (std::vector<std::string>{"&Editor"}));
    const TMenuItem& item = (*menu)[0];
    EXPECT_EQ(item.Tag, TagOf(editor));
    EXPECT_FALSE(item.OnClick);
    ASSERT_EQ(Captions(item), (std::vector<std::string>{"&This app", "-", "&Alpha", "&beta"}));
    EXPECT_EQ(item[0].Tag, kThisAppTag);
    EXPECT_TRUE(item[1].IsSeparator());
    EXPECT_EQ(item[2].Tag, TagOf(alpha));
    EXPECT_EQ(item[3].Tag, TagOf(beta));
  }
  EXPECT_TRUE(moveHere[0][0].Enabled);
  EXPECT_FALSE(switchTo[0][0].Enabled);
  EXPECT_TRUE(moveHere[0][0].Click());
  EXPECT_FALSE(switchTo[0][0].Click());
  EXPECT_TRUE(switchTo[0][3].Click());
  EXPECT_EQ(clicks, (std::vector<std::intptr_t>{kThisAppTag, TagOf(beta)}));
}

TEST_F(WindowTreeTest, ThisAppAvoidsTheOwnersOwnAccelerator) {
  const Hwnd tools = ws.AddWindow("Tools", kRect);
  AddOwned("Palette", tools);
  AddOwned("Layers", tools);
  OpenMenus();
  ASSERT_EQ(Captions(moveHere), (std::vector<std::string>{"&Tools"}));
  EXPECT_EQ(Captions(moveHere[0]),
            (std::vector<std::string>{"T&his app", "-", "&Layers", "&Palette"}));
}

TEST_F(WindowTreeTest, OwnedWindowsInASubmenuAvoidOnlyThisAppsLetter) {
  ws.AddWindow("Program Manager", kRect);
  const Hwnd owner = ws.AddWindow("Owner", kRect);
  AddOwned("Axe", owner);
  AddOwned("Tab", owner);
  AddOwned("Alpha", owner);
  OpenMenus();
  EXPECT_EQ(Captions(moveHere[0]),
            (std::vector<std::string>{"&This app", "-", "&Alpha", "&Axe", "T&ab"}));
}

TEST_F(WindowTreeTest, OwnerWithOneWindowGivesOneClickableMergedItem) {
  // Enumerated owner first, so the chain nests: Editor, Find under it, Grandchild under Find.
  const Hwnd editor = ws.AddWindow("Editor", kRect);
  const Hwnd find = ws.AddWindow("Find", kRect, editor);
  ws.AddWindow("Grandchild", kRect, find);
  OpenMenus();
  for (TMenuItem* menu : {&moveHere, &switchTo}) {
    ASSERT_EQ(Captions(*menu), (std::vector<std::string>{"&Editor - Find"}));
    EXPECT_EQ((*menu)[0].Tag, TagOf(editor));
    EXPECT_FALSE((*menu)[0].HasSubmenu());
    EXPECT_TRUE((*menu)[0].Click());
  }
  EXPECT_EQ(clicks, (std::vector<std::intptr_t>{TagOf(editor), TagOf(editor)}));
}

TEST_F(WindowTreeTest, MergedItemOfAHiddenOwnerActsOnTheOwnedWindow) {
  const Hwnd app = ws.AddWindow("App", kRect);
  ws.Window(app).visible = false;
  const Hwnd main = AddOwned("Main", app);
  OpenMenus();
  ASSERT_EQ(Captions(switchTo), (std::vector<std::string>{"&App - Main"}));
  EXPECT_EQ(switchTo[0].Tag, TagOf(main));
  EXPECT_EQ(moveHere[0].Tag, TagOf(main));
  EXPECT_TRUE(moveHere[0].Click());
  EXPECT_EQ(clicks, (std::vector<std::intptr_t>{TagOf(main)}));
}

TEST_F(WindowTreeTest, PlainItemsCarryTheirHandleAndTheClickHandler) {
  const Hwnd notes = ws.AddWindow("Notes", kRect);
  const Hwnd notepad = ws.AddWindow("Notepad", kRect);
  OpenMenus();
  EXPECT_EQ(Captions(moveHere), (std::vector<std::string>{"&Notepad", "N&otes"}));
  EXPECT_EQ(Captions(switchTo), Captions(moveHere));
  EXPECT_EQ(moveHere[0].Tag, TagOf(notepad));
  EXPECT_TRUE(switchTo[1].Click());
  EXPECT_EQ(clicks, (std::vector<std::intptr_t>{TagOf(notes)}));
  EXPECT_EQ(moveHere[0].ImageIndex, -1);
}

TEST_F(WindowTreeTest, TakenCharactersAndTheWalkEndingAtTheFirstCaptionWithoutAmpersand) {
  for (const char* title : {"A", "ab", "B", "BA", "C", "CA"}) ws.AddWindow(title, kRect);
  OpenMenus();
  // "B" and "BA" find every character taken; the walk for "CA" stops at "B".
  EXPECT_EQ(Captions(moveHere), (std::vector<std::string>{"&A", "a&b", "B", "BA", "&C", "&CA"}));
}

TEST_F(WindowTreeTest, LongMergedCaptionIsCutBeforeAndAfterItsAccelerator) {
  const Hwnd owner = ws.AddWindow(std::string(200, 'x'), kRect);
  AddOwned(std::string(100, 'y'), owner);
  OpenMenus();
  ASSERT_EQ(moveHere.Count(), 1u);
  EXPECT_EQ(moveHere[0].Caption, "&" + std::string(200, 'x') + " - " + std::string(51, 'y'));
}

TEST_F(WindowTreeTest, StickyWindowsAreCheckedOnlyWhenAListIsGiven) {
  const Hwnd editor = ws.AddWindow("Editor", kRect);
  const Hwnd find = AddOwned("Find", editor);
  AddOwned("Replace", editor);
  ws.AddWindow("Clock", kRect);
  TStickyWindows sticky;
  sticky.Add({editor, "", "", TStickyKind::skByHandle});
  sticky.Add({0, "", "clock", TStickyKind::skByTitleParts});
  sticky.Add({find, "", "", TStickyKind::skByHandle});
  OpenMenus(&sticky);
  ASSERT_EQ(Captions(moveHere), (std::vector<std::string>{"&Clock", "&Editor"}));
  EXPECT_TRUE(moveHere[0].Checked);
  EXPECT_TRUE(moveHere[1].Checked);
  EXPECT_FALSE(moveHere[1][0].Checked);  // "This app" is not a window
  EXPECT_TRUE(moveHere[1][2].Checked);   // Find
  EXPECT_FALSE(moveHere[1][3].Checked);  // Replace

  OpenMenus();
  EXPECT_FALSE(moveHere[0].Checked || moveHere[1].Checked || moveHere[1][2].Checked);
}

TEST_F(WindowTreeTest, OpeningTwiceGivesTheSameItems) {
  const Hwnd editor = ws.AddWindow("Editor", kRect);
  AddOwned("One", editor);
  AddOwned("Two", editor);
  ws.AddWindow("Solo", kRect);
  OpenMenus();
  const auto first = Captions(moveHere);
  OpenMenus();
  EXPECT_EQ(Captions(moveHere), first);
  EXPECT_EQ(moveHere[0].Count(), 4u);
}

// --- Accelerators ------------------------------------------------------------------------------

TEST(Accelerators, WalkEndsAtFirstCaptionWithoutAmpersandAndIgnoresAsciiCase) {
  TMenuItem menu;
  menu.Add("&open");
  menu.Add("Save &As");
  menu.Add("-");
  menu.Add("&Zoom");
  EXPECT_FALSE(IsAcceleratorFree('O', menu));
  EXPECT_FALSE(IsAcceleratorFree('a', menu));
  EXPECT_TRUE(IsAcceleratorFree('z', menu));  // after the separator
  EXPECT_EQ(SetAccelerator("Oak", menu), "Oa&k");
  EXPECT_EQ(SetAccelerator("", menu), "");
  EXPECT_EQ(SetAccelerator("oa", menu), "oa");
  EXPECT_EQ(SetAccelerator("o k", menu), "o& k");  // a blank counts like any character
}

TEST(Accelerators, AreWholeCharactersAndOnlyAsciiLettersFoldCase) {
  TMenuItem menu;
  menu.Add("&\u0416uk");      // Ж: two bytes with the same first byte as ж and Ё
  menu.Add("&\U0001F680 go");
  EXPECT_FALSE(IsAcceleratorFree(U'\u0416', menu));
  EXPECT_TRUE(IsAcceleratorFree(U'\u0436', menu));  // ж: no case folding beyond ASCII
  EXPECT_TRUE(IsAcceleratorFree(U'\u0401', menu));
  EXPECT_FALSE(IsAcceleratorFree(U'\U0001F680', menu));
  // The "&" goes before the next whole character, never inside one.
  EXPECT_EQ(SetAccelerator("\u0416\u0401", menu), "\u0416&\u0401");
  EXPECT_EQ(SetAccelerator("\U0001F680\u65e5", menu), "\U0001F680&\u65e5");
}

TEST(Accelerators, CaptionsAreCutAt255Utf16UnitsBetweenCharacters) {
  TMenuItem menu;
  std::string greek;
  for (int i = 0; i < 300; ++i) greek += "\u03a9";
  EXPECT_EQ(SetAccelerator(greek, menu), "&" + greek.substr(0, 254 * 2));
  std::string rockets;
  for (int i = 0; i < 150; ++i) rockets += "\U0001F680";
  // "&" and 127 pairs fill 255 units; the 128th pair would not fit whole.
  EXPECT_EQ(SetAccelerator(rockets, menu), "&" + rockets.substr(0, 127 * 4));
}

TEST(Accelerators, CutLeavesATrailingAmpersandThatTakesNoCharacter) {
  TMenuItem menu;
  menu.Add("&a");
  const std::string text = std::string(254, 'a') + "b";
  const std::string caption = SetAccelerator(text, menu);
  EXPECT_EQ(caption, std::string(254, 'a') + "&");
  menu.Add(caption);
  EXPECT_TRUE(IsAcceleratorFree('b', menu));
  EXPECT_FALSE(IsAcceleratorFree('A', menu));
}

// --- The fast paths against the definitions, on random scenes -----------------------------------

// Literal versions of the definitions: lookups from the root by walking, bubble passes, the
// accelerator walk per character.
namespace reference {

TWindowNode* Find(TWindowNode* node, Hwnd handle) {
  if (node->Handle == handle) return node;
  for (auto& child : node->Children) {
    if (TWindowNode* found = Find(child.get(), handle)) return found;
  }
  return nullptr;
}

std::unique_ptr<TWindowNode> Build(IWindowSystem& ws, const TIsHiddenByProgram& isHidden) {
  std::unique_ptr<TWindowNode> root = NewWindowNode(ws, 0);
  ws.EnumWindows([&](Hwnd window) {
    if (!IsListableWindow(ws, window, isHidden)) return true;
    const Hwnd owner = ws.GetOwner(window);
    TWindowNode* ownerNode = Find(root.get(), owner);
    if (ownerNode == nullptr) {
      ownerNode = &NewWindowNode(ws, *root, owner);
      ownerNode->Listable = IsListableWindow(ws, owner, isHidden);
    }
    if (Find(ownerNode, window) == nullptr) NewWindowNode(ws, *ownerNode, window).Listable = true;
    return true;
  });
  return root;
}

bool Greater(const std::string& a, const std::string& b) {
  const std::string x = UpperAscii(a);
  const std::string y = UpperAscii(b);
  for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
    const auto cx = static_cast<unsigned char>(x[i]);
    const auto cy = static_cast<unsigned char>(y[i]);
    if (cx != cy) return cx > cy;
  }
  return x.size() > y.size();
}

void Sort(TWindowNode& node) {
  if (node.Children.size() < 2) return;
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (std::size_t i = 0; i + 1 < node.Children.size(); ++i) {
      if (Greater(node.Children[i]->Title, node.Children[i + 1]->Title)) {
        std::swap(node.Children[i], node.Children[i + 1]);
        swapped = true;
      }
    }
  }
  for (auto& child : node.Children) Sort(*child);
}

std::string SetAccelerator(const std::string& text, const TMenuItem& menu) {
  for (std::size_t p = 0; p < text.size();) {
    const std::size_t start = p;
    if (IsAcceleratorFree(NextCodePoint(text, p), menu)) {
      return CutToUtf16Units(text.substr(0, start) + "&" + text.substr(start), 255);
    }
  }
  return text;
}

}  // namespace reference

// Without `classNames` the actual tree was built without them: every WndClass is empty.
void ExpectSameTree(const TWindowNode& actual, const TWindowNode& expected,
                    bool classNames = true) {
  ASSERT_EQ(actual.Handle, expected.Handle);
  EXPECT_EQ(actual.Title, expected.Title);
  EXPECT_EQ(actual.WndClass, classNames ? expected.WndClass : "");
  EXPECT_EQ(actual.Bounds, expected.Bounds);
  EXPECT_EQ(actual.Listable, expected.Listable);
  ASSERT_EQ(actual.Children.size(), expected.Children.size()) << "under " << actual.Handle;
  for (std::size_t i = 0; i < actual.Children.size(); ++i) {
    ExpectSameTree(*actual.Children[i], *expected.Children[i], classNames);
  }
}

// Enumerates in an order the test chooses, repeats included.
class ScriptedWindows : public sim::SimWindowSystem {
 public:
  std::vector<Hwnd> order;
  void EnumWindows(const std::function<bool(Hwnd)>& callback) override {
    for (Hwnd window : order) {
      if (!callback(window)) break;
    }
  }
};

const std::vector<std::string> kTitles = {
    "Alpha",           "alpha", "ALPHA",     "beta",  "Beta",    "",    "Tools", "tool",
    "Program Manager", "_x",    "\xE9t\xE9", "Notes", "Notepad", "a&b", "zz"};

void MakeRandomForest(ScriptedWindows& ws, std::unordered_set<Hwnd>& hidden, std::mt19937& rng,
                      int count, bool repeats) {
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<std::size_t> title(0, kTitles.size() - 1);
  std::vector<Hwnd> windows;
  for (int i = 0; i < count; ++i) {
    const int x = percent(rng) < 5 ? 20 : 10 * percent(rng);
    const Rect rect = percent(rng) < 5 ? Rect{x, x, x, x} : Rect{x, 20, x + 300, 220};
    windows.push_back(ws.AddWindow(kTitles[title(rng)], rect));
  }
  std::uniform_int_distribution<std::size_t> pick(0, windows.size() - 1);
  for (Hwnd w : windows) {
    sim::SimWindow& window = ws.Window(w);
    const int roll = percent(rng);
    if (roll < 15) {
      window.visible = false;
      if (percent(rng) < 30) hidden.insert(w);
    } else if (roll < 20) {
      ws.Minimize(w);
    }
    // Owners anywhere in the Z order make chains in both directions, and the occasional cycle or
    // owner that no longer exists.
    const int owned = percent(rng);
    if (owned < 55)
      window.owner = windows[pick(rng)];
    else if (owned < 57)
      window.owner = 0xDEAD0;
  }
  if (percent(rng) < 50) {
    ws.Window(windows[pick(rng)]).className = "Other";
  }
  ws.order = windows;
  std::shuffle(ws.order.begin(), ws.order.end(), rng);
  if (repeats) {
    for (int i = 0; i < 3; ++i) ws.order.insert(ws.order.begin() + pick(rng), windows[pick(rng)]);
  }
}

TEST(WindowTreeReference, BuildAndSortMatchTheDefinitionsOnRandomForests) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    ScriptedWindows ws;
    std::unordered_set<Hwnd> hidden;
    const int count = seed % 100 == 0 ? 1000 : 1 + static_cast<int>(seed % 60);
    MakeRandomForest(ws, hidden, rng, count, seed % 7 == 0);
    const TIsHiddenByProgram isHidden = [&hidden](Hwnd w) { return hidden.count(w) != 0; };

    std::unique_ptr<TWindowNode> actual = BuildWindowTree(ws, isHidden);
    std::unique_ptr<TWindowNode> expected = reference::Build(ws, isHidden);
    ExpectSameTree(*actual, *expected);
    ExpectSameTree(*BuildWindowTree(ws, isHidden, false), *expected, false);
    SortWindowTree(actual.get());
    reference::Sort(*expected);
    ExpectSameTree(*actual, *expected);
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(WindowTreeReference, SetAcceleratorMatchesTheCharacterWalkOnRandomMenus) {
  const std::vector<std::string> alphabet = {"a", "A", "b", "B", "c", "C", " ", "&", "-", "z", "Z",
                                              "\u00e9", "\u00c9", "\u0436", "\u0416", "\u65e5",
                                              "\U0001F680", "\U0001F681"};
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::size_t> letter(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 6);
  auto randomText = [&] {
    std::string text;
    for (int n = length(rng); n > 0; --n) text += alphabet[letter(rng)];
    return text;
  };
  for (int round = 0; round < 2000; ++round) {
    TMenuItem menu;
    for (int n = length(rng); n > 0; --n) menu.Add(randomText());
    if (round % 10 == 0) menu.Add(std::string(254, 'q') + "&");
    for (int n = 0; n < 4; ++n) {
      const std::string text =
          round % 13 == 0 ? std::string(255, 'q') + randomText() : randomText();
      ASSERT_EQ(SetAccelerator(text, menu), reference::SetAccelerator(text, menu)) << round;
    }
  }
}

}  // namespace

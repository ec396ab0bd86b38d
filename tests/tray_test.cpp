// The tray icon component and its window-less timers, driven through fake platform calls: the
// shell's notifications and WM_TIMER arrive the way the hidden windows' procedures deliver them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/tray_marks.h"
#include "platform/utf.h"
#include "tray/popup_menu.h"
#include "tray/tray_icon.h"
#include "tray/windowless_timer.h"

using namespace mirel;

namespace {

class FakeTimers : public ITimerPlatform {
 public:
  Hwnd CreateMessageWindow(IMessageTarget& target) override {
    const Hwnd window = nextWindow_++;
    windows_[window] = &target;
    ++created;
    return window;
  }
  void DestroyMessageWindow(Hwnd window) override {
    windows_.erase(window);
    std::erase_if(running_, [window](const auto& t) { return t.first.first == window; });
    ++destroyed;
  }
  bool SetTimer(Hwnd window, std::uintptr_t id, std::uint32_t ms) override {
    ++setCalls;
    if (failSetTimer) return false;
    running_[{window, id}] = ms;
    return true;
  }
  bool KillTimer(Hwnd window, std::uintptr_t id) override {
    return running_.erase({window, id}) > 0;
  }

  // What the window procedure returns; nullopt when the message went to DefWindowProc.
  std::optional<std::intptr_t> Send(Hwnd window, std::uint32_t msg, std::uintptr_t wParam,
                                    std::intptr_t lParam) {
    const auto it = windows_.find(window);
    if (it == windows_.end()) return std::nullopt;
    TMessage message{msg, wParam, lParam, 0};
    if (!it->second->WindowMessage(message)) return std::nullopt;
    return message.Result;
  }
  // The platform's tick of a running timer.
  void Tick(std::uintptr_t id) {
    for (const auto& [key, ms] : running_) {
      if (key.second == id) {
        Send(key.first, kWmTimer, id, 0);
        return;
      }
    }
    ADD_FAILURE() << "timer " << id << " is not running";
  }
  std::optional<std::uint32_t> IntervalOf(std::uintptr_t id) const {
    for (const auto& [key, ms] : running_) {
      if (key.second == id) return ms;
    }
    return std::nullopt;
  }
  // The one running timer with this interval.
  std::optional<std::uintptr_t> RunningWithInterval(std::uint32_t ms) const {
    std::optional<std::uintptr_t> found;
    for (const auto& [key, interval] : running_) {
      if (interval != ms) continue;
      EXPECT_FALSE(found) << "two timers run every " << ms << " ms";
      found = key.second;
    }
    return found;
  }
  std::size_t WindowCount() const { return windows_.size(); }

  int created = 0;
  int destroyed = 0;
  int setCalls = 0;
  bool failSetTimer = false;

 private:
  Hwnd nextWindow_ = 0x1000;
  std::map<Hwnd, IMessageTarget*> windows_;
  std::map<std::pair<Hwnd, std::uintptr_t>, std::uint32_t> running_;
};

constexpr Hwnd kAppWindow = 0x10;
constexpr Hwnd kFormWindow = 0x20;
constexpr std::uint32_t kTaskbarCreated = 0xC0DE;

// The shell holds entries by (window, id); adding one it holds or changing one it lacks fails.
class FakeTrayPlatform : public ITrayPlatform {
 public:
  ITimerPlatform& Timers() override { return timers; }

  bool NotifyIcon(std::uint32_t message, const TTrayIconData& data) override {
    const auto key = std::make_pair(data.Wnd, data.Id);
    const bool held = entries.contains(key);
    bool ok = false;
    if (message == kNimAdd && !held) {
      entries[key] = data;
      addOrder.push_back(data.Id);
      ok = true;
    } else if (message == kNimModify && held) {
      entries[key] = data;
      ok = true;
    } else if (message == kNimDelete && held) {
      entries.erase(key);
      ok = true;
    }
    if (ok && message != kNimDelete) shownImages[data.Id].push_back(SourceOf(data.Icon));
    return ok;
  }
  std::uint32_t TaskbarCreatedMessage() const override { return kTaskbarCreated; }

  IconHandle CopyIcon(IconHandle icon) override {
    const IconHandle copy = nextIcon_++;
    sourceOf_[copy] = icon;
    liveCopies.insert(copy);
    return copy;
  }
  void DestroyIcon(IconHandle icon) override { liveCopies.erase(icon); }
  IconHandle SourceOf(IconHandle copy) const {
    const auto it = sourceOf_.find(copy);
    return it == sourceOf_.end() ? 0 : it->second;
  }

  bool GetCursorPos(Point& position) override {
    position = cursor;
    return true;
  }
  bool IsKeyDown(int virtualKey) override { return keysDown.contains(virtualKey); }
  std::uint32_t GetDoubleClickTime() override { return 500; }

  bool SetForegroundWindow(Hwnd window) override {
    log.push_back("foreground " + std::to_string(window));
    return true;
  }
  bool IsWindowVisible(Hwnd window) override { return visible.contains(window); }
  bool ShowWindow(Hwnd window, int command) override {
    if (command == sw::kHide) visible.erase(window);
    log.push_back("show " + std::to_string(window) + " " + std::to_string(command));
    return true;
  }
  bool PostMessage(Hwnd window, std::uint32_t message, std::uintptr_t, std::intptr_t) override {
    log.push_back("post " + std::to_string(window) + " " + std::to_string(message));
    return true;
  }
  Hwnd GetParent(Hwnd window) override { return parents.contains(window) ? parents[window] : 0; }
  void SetFocus(Hwnd window) override { log.push_back("focus " + std::to_string(window)); }
  void ProcessMessages() override { log.push_back("process messages"); }

  WindowHookHandle HookWindow(Hwnd window,
                              std::function<void(const TMessage&)> handler) override {
    const WindowHookHandle hook = nextHook_++;
    hooks_[window].push_back({hook, std::move(handler)});
    return hook;
  }
  void UnhookWindow(WindowHookHandle hook) override {
    for (auto& [window, chain] : hooks_) {
      std::erase_if(chain, [hook](const auto& h) { return h.first == hook; });
    }
  }
  // A message to a hooked window: the newest hook runs first.
  void SendHooked(Hwnd window, std::uint32_t msg, std::uintptr_t wParam = 0,
                  std::intptr_t lParam = 0) {
    const auto chain = hooks_[window];
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      it->second(TMessage{msg, wParam, lParam, 0});
    }
  }
  std::size_t HookCount(Hwnd window) { return hooks_[window].size(); }

  // The shell restarted: every entry is gone.
  void LoseEntries() {
    entries.clear();
    addOrder.clear();
  }
  const TTrayIconData* Entry(const TTrayIcon& icon) const {
    const auto it = entries.find({icon.IconData().Wnd, icon.IconId()});
    return it == entries.end() ? nullptr : &it->second;
  }
  std::string TipOf(const TTrayIcon& icon) const { return Entry(icon)->Tip; }

  FakeTimers timers;
  std::map<std::pair<Hwnd, std::uint32_t>, TTrayIconData> entries;
  std::vector<std::uint32_t> addOrder;
  std::map<std::uint32_t, std::vector<IconHandle>> shownImages;  // per entry, source images
  std::set<IconHandle> liveCopies;
  Point cursor{700, 750};
  std::set<int> keysDown;
  std::set<Hwnd> visible{kAppWindow};
  std::map<Hwnd, Hwnd> parents;
  std::vector<std::string> log;

 private:
  IconHandle nextIcon_ = 0x9000;
  std::map<IconHandle, IconHandle> sourceOf_;
  WindowHookHandle nextHook_ = 1;
  std::map<Hwnd, std::vector<std::pair<WindowHookHandle, std::function<void(const TMessage&)>>>>
      hooks_;
};

class FakeMenu : public TPopupMenu {
 public:
  explicit FakeMenu(std::vector<std::string>& log) : log_(log) {}
  std::vector<bool> defaults;
  std::vector<std::size_t> clicked;

 protected:
  void TrackAt(int x, int y) override {
    log_.push_back("track " + std::to_string(x) + "," + std::to_string(y));
  }
  std::size_t ItemCount() const override { return defaults.size(); }
  bool ItemIsDefault(std::size_t index) const override { return defaults[index]; }
  void ClickItem(std::size_t index) override { clicked.push_back(index); }

 private:
  std::vector<std::string>& log_;
};

class FakeIconList : public IIconList {
 public:
  explicit FakeIconList(int count) : count_(count) {}
  int Count() const override { return count_; }
  IconHandle IconAt(int index) const override { return ImageOf(index); }
  static IconHandle ImageOf(int index) { return 0x500 + static_cast<IconHandle>(index); }

 private:
  int count_;
};

class TrayIconTest : public ::testing::Test {
 protected:
  TTrayIconOwner Owner() {
    TTrayIconOwner owner;
    owner.ApplicationWindow = kAppWindow;
    owner.OwnerWindow = kFormWindow;
    owner.HasMainForm = [] { return true; };
    owner.HideMainForm = [this] { platform.log.push_back("hide main form"); };
    owner.DontShowMainForm = [this] { platform.log.push_back("don't show main form"); };
    return owner;
  }
  std::unique_ptr<TTrayIcon> MakeIcon() {
    auto icon = std::make_unique<TTrayIcon>(platform, Owner());
    icon->Loaded();
    return icon;
  }
  // Records the events of `icon` in the platform's log, in the order they fire.
  void Record(TTrayIcon& icon) {
    auto& log = platform.log;
    icon.OnClick = [&log](TTrayIcon&) { log.push_back("click"); };
    icon.OnMouseDown = [&log](TTrayIcon&, TMouseButton b, TShiftState s, int x, int y) {
      log.push_back("down " + std::to_string(static_cast<int>(b)) + " " + std::to_string(s) +
                    " " + std::to_string(x) + "," + std::to_string(y));
    };
    icon.OnMouseUp = [&log](TTrayIcon&, TMouseButton b, TShiftState, int, int) {
      log.push_back("up " + std::to_string(static_cast<int>(b)));
    };
    icon.OnMouseMove = [&log](TTrayIcon&, TShiftState, int, int) { log.push_back("move"); };
    icon.OnMouseEnter = [&log](TTrayIcon&) { log.push_back("enter"); };
    icon.OnMouseExit = [&log](TTrayIcon&) { log.push_back("exit"); };
    icon.OnBalloonHintClick = [&log](TTrayIcon&) { log.push_back("balloon click"); };
    icon.OnBalloonHintHide = [&log](TTrayIcon&) { log.push_back("balloon hide"); };
    icon.OnBalloonHintTimeout = [&log](TTrayIcon&) { log.push_back("balloon timeout"); };
  }
  void Notify(const TTrayIcon& icon, std::uint32_t mouseMessage) {
    platform.timers.Send(icon.IconData().Wnd, kTrayCallbackMessage, icon.IconId(), mouseMessage);
  }
  std::vector<std::string> TakeLog() { return std::exchange(platform.log, {}); }

  FakeTrayPlatform platform;
};

using Log = std::vector<std::string>;

}  // namespace

// --- Clicks --------------------------------------------------------------------------------------

TEST_F(TrayIconTest, SingleAndDoubleLeftClickFireOneClickAtTheReleaseBeforeMouseUp) {
  auto icon = MakeIcon();
  Record(*icon);

  Notify(*icon, kWmLButtonDown);
  EXPECT_EQ(TakeLog(), (Log{"down 0 8 700,750"}));
  Notify(*icon, kWmLButtonUp);
  EXPECT_EQ(TakeLog(), (Log{"click", "up 0"}));

  // The second press of a double click arrives as WM_LBUTTONDBLCLK and is no click.
  Notify(*icon, kWmLButtonDown);
  Notify(*icon, kWmLButtonUp);
  Notify(*icon, kWmLButtonDblClk);
  Notify(*icon, kWmLButtonUp);
  EXPECT_EQ(TakeLog(), (Log{"down 0 8 700,750", "click", "up 0", "up 0"}));
}

TEST_F(TrayIconTest, WithOnDblClickTheDoubleClickTimeDecidesBetweenClickAndDoubleClick) {
  auto icon = MakeIcon();
  int clicks = 0;
  int doubleClicks = 0;
  icon->OnClick = [&](TTrayIcon&) { ++clicks; };
  icon->OnDblClick = [&](TTrayIcon&) { ++doubleClicks; };
  Notify(*icon, kWmLButtonDown);
  // The press started the click timer with the system's double-click time.
  const std::optional<std::uintptr_t> id = platform.timers.RunningWithInterval(500);
  ASSERT_TRUE(id);
  Notify(*icon, kWmLButtonUp);
  EXPECT_EQ(clicks, 0);
  platform.timers.Tick(*id);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(platform.timers.IntervalOf(*id)) << "the click timer fires once";

  Notify(*icon, kWmLButtonDown);
  Notify(*icon, kWmLButtonUp);
  Notify(*icon, kWmLButtonDblClk);
  Notify(*icon, kWmLButtonUp);
  platform.timers.Tick(*id);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubleClicks, 1);

  // A third press within the double-click time belongs to the double click.
  Notify(*icon, kWmLButtonDown);
  Notify(*icon, kWmLButtonUp);
  Notify(*icon, kWmLButtonDblClk);
  Notify(*icon, kWmLButtonUp);
  Notify(*icon, kWmLButtonDown);
  Notify(*icon, kWmLButtonUp);
  platform.timers.Tick(*id);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubleClicks, 2);

  // The double click is forgotten with that tick: the next single click counts again.
  Notify(*icon, kWmLButtonDown);
  Notify(*icon, kWmLButtonUp);
  platform.timers.Tick(*id);
  EXPECT_EQ(clicks, 2);
}

TEST_F(TrayIconTest, ReleaseWithoutPressOnTheEntryIsNoClick) {
  auto icon = MakeIcon();
  Record(*icon);
  Notify(*icon, kWmLButtonUp);
  EXPECT_EQ(TakeLog(), (Log{"up 0"}));
}

// --- Menu ----------------------------------------------------------------------------------------

TEST_F(TrayIconTest, RightPressOpensTheMenuAtThePointerBeforeTheRelease) {
  auto icon = MakeIcon();
  Record(*icon);
  FakeMenu menu(platform.log);
  menu.OnPopup = [this](TPopupMenu&) { platform.log.push_back("on popup"); };
  icon->PopupMenu = &menu;
  platform.keysDown = {kVkControl};

  Notify(*icon, kWmRButtonDown);
  EXPECT_EQ(TakeLog(), (Log{"down 1 20 700,750", "foreground 16", "process messages", "on popup",
                            "track 700,750", "post 32 0"}));
  EXPECT_EQ(menu.PopupComponent, icon.get());

  Notify(*icon, kWmRButtonUp);
  Notify(*icon, kWmRButtonDblClk);
  EXPECT_EQ(TakeLog(), (Log{"up 1"})) << "no click, no second menu";
}

TEST_F(TrayIconTest, LeftPopupOpensOnLeftPressAndWithoutAutoPopupNothingOpens) {
  auto icon = MakeIcon();
  FakeMenu menu(platform.log);
  icon->PopupMenu = &menu;
  icon->LeftPopup = true;
  Notify(*icon, kWmLButtonDown);
  EXPECT_EQ(std::ranges::count(TakeLog(), "track 700,750"), 1);

  menu.AutoPopup = false;
  Notify(*icon, kWmRButtonDown);
  Notify(*icon, kWmLButtonDown);
  EXPECT_EQ(TakeLog(), Log{});
}

TEST_F(TrayIconTest, RemovedMenuIsForgottenAndTheRightPressOnlyFiresMouseDown) {
  auto icon = MakeIcon();
  Record(*icon);
  FakeMenu menu(platform.log);
  icon->PopupMenu = &menu;
  FakeMenu other(platform.log);
  icon->Notification(&other);
  EXPECT_EQ(icon->PopupMenu, &menu);
  icon->Notification(&menu);
  EXPECT_EQ(icon->PopupMenu, nullptr);
  Notify(*icon, kWmRButtonDown);
  EXPECT_EQ(TakeLog(), (Log{"down 1 16 700,750"}));
}

TEST_F(TrayIconTest, DoubleClickRunsTheLowestIndexedDefaultItemUnlessLeftPopup) {
  auto icon = MakeIcon();
  FakeMenu menu(platform.log);
  menu.defaults = {false, true, false, true};
  icon->PopupMenu = &menu;
  Notify(*icon, kWmLButtonDblClk);
  EXPECT_EQ(menu.clicked, (std::vector<std::size_t>{1}));

  icon->LeftPopup = true;
  Notify(*icon, kWmLButtonDblClk);
  icon->LeftPopup = false;
  menu.AutoPopup = false;
  Notify(*icon, kWmLButtonDblClk);
  menu.AutoPopup = true;
  menu.defaults = {false, false};
  Notify(*icon, kWmLButtonDblClk);
  EXPECT_EQ(menu.clicked, (std::vector<std::size_t>{1}));
}

// --- Enabled, balloons, identifiers --------------------------------------------------------------

TEST_F(TrayIconTest, DisabledIconIgnoresTheMouseButStillReportsBalloons) {
  auto icon = MakeIcon();
  Record(*icon);
  FakeMenu menu(platform.log);
  icon->PopupMenu = &menu;
  icon->SetWantEnterExitEvents(true);
  icon->Enabled = false;
  for (std::uint32_t message : {kWmMouseMove, kWmLButtonDown, kWmLButtonUp, kWmLButtonDblClk,
                                kWmRButtonDown, kWmRButtonUp, kWmMButtonDown, kWmMButtonUp}) {
    Notify(*icon, message);
  }
  EXPECT_EQ(TakeLog(), Log{});
  Notify(*icon, kNinBalloonHide);
  Notify(*icon, kNinBalloonTimeout);
  Notify(*icon, kNinBalloonUserClick);
  EXPECT_EQ(TakeLog(), (Log{"balloon hide", "balloon timeout", "balloon click"}));
}

TEST_F(TrayIconTest, NotificationsForNoLiveIconAreDropped) {
  auto first = MakeIcon();
  auto second = MakeIcon();
  Record(*first);
  Record(*second);
  ASSERT_EQ(first->IconData().Wnd, second->IconData().Wnd) << "one shared window";
  EXPECT_NE(first->IconId(), second->IconId());
  const Hwnd window = first->IconData().Wnd;
  const std::uint32_t goneId = second->IconId();
  second.reset();

  for (std::uintptr_t forged :
       {std::uintptr_t{goneId}, std::uintptr_t{0}, std::uintptr_t{0xDEADBEEF},
        reinterpret_cast<std::uintptr_t>(first.get())}) {
    EXPECT_EQ(platform.timers.Send(window, kTrayCallbackMessage, forged, kWmLButtonDown), 0);
    platform.timers.Send(window, kTrayCallbackMessage, forged, kWmLButtonUp);
  }
  EXPECT_EQ(TakeLog(), Log{});
  Notify(*first, kWmMButtonDown);
  EXPECT_EQ(TakeLog(), (Log{"down 2 32 700,750"}));
}

TEST_F(TrayIconTest, SharedWindowRefusesToCloseAndPassesOtherMessagesOn) {
  auto icon = MakeIcon();
  const Hwnd window = icon->IconData().Wnd;
  for (std::uint32_t message : {kWmDestroy, kWmClose, kWmQueryEndSession, kWmQuit, kWmEndSession,
                                kWmNcDestroy}) {
    EXPECT_EQ(platform.timers.Send(window, message, 0, 0), 1) << message;
  }
  EXPECT_EQ(platform.timers.Send(window, kWmSize, 0, 0), std::nullopt);
}

// --- Entry data ----------------------------------------------------------------------------------

TEST_F(TrayIconTest, EntryCarriesCallbackFlagsAndTheHintCutTo127Characters) {
  auto icon = MakeIcon();
  icon->SetIconVisible(true);
  const TTrayIconData* entry = platform.Entry(*icon);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->Flags, 7u);
  EXPECT_EQ(entry->CallbackMessage, 0x800u);
  EXPECT_EQ(entry->Wnd, SharedTrayHandler()->MessageWindow());

  std::string hint(200, 'x');
  hint[126] = 'y';
  icon->SetHint(hint);
  EXPECT_EQ(platform.TipOf(*icon), std::string(126, 'x') + "y");
  // Counted in UTF-16 units: a character beyond U+FFFF takes two and is never split.
  icon->SetHint(std::string(125, 'x') + "\U0001F680\U0001F680");
  EXPECT_EQ(platform.TipOf(*icon), std::string(125, 'x') + "\U0001F680");

  icon->SetShowHint(false);
  EXPECT_EQ(platform.TipOf(*icon), "");
  icon->SetShowHint(true);
  icon->SetHint("");
  EXPECT_EQ(platform.TipOf(*icon), "");

  icon->SetHint(std::string(300, 'z'));
  EXPECT_EQ(icon->Hint().size(), 255u);
}

TEST_F(TrayIconTest, IconIsACopyShownAtOnceAndReleasedWithTheIcon) {
  auto icon = MakeIcon();
  icon->SetIconVisible(true);
  icon->SetIcon(0x777);
  EXPECT_NE(icon->Icon(), 0x777u);
  EXPECT_EQ(platform.SourceOf(platform.Entry(*icon)->Icon), 0x777u);
  icon->SetIcon(0x778);
  EXPECT_EQ(platform.SourceOf(platform.Entry(*icon)->Icon), 0x778u);
  EXPECT_EQ(platform.liveCopies.size(), 1u);
  icon.reset();
  EXPECT_TRUE(platform.liveCopies.empty());
  EXPECT_TRUE(platform.entries.empty());
}

TEST_F(TrayIconTest, IconIndexStaysInsideTheList) {
  auto icon = MakeIcon();
  icon->SetIconIndex(2);
  EXPECT_EQ(icon->IconIndex(), 0) << "no list";
  FakeIconList four(4);
  icon->SetIconList(&four);
  icon->SetIconIndex(10);
  EXPECT_EQ(icon->IconIndex(), 3);
  EXPECT_EQ(platform.SourceOf(icon->Icon()), FakeIconList::ImageOf(3));
  icon->SetIconIndex(-5);
  EXPECT_EQ(icon->IconIndex(), 0);

  icon->SetIconIndex(2);
  icon->Notification(&four);
  EXPECT_EQ(icon->IconList(), nullptr);
  EXPECT_EQ(icon->IconIndex(), 0);
}

TEST_F(TrayIconTest, CyclingStepsThroughTheListAndWraps) {
  auto icon = MakeIcon();
  icon->SetIconVisible(true);
  FakeIconList three(3);
  icon->SetIconList(&three);
  std::vector<int> next;
  icon->OnCycle = [&](TTrayIcon&, int index) { next.push_back(index); };
  platform.shownImages.clear();

  icon->SetCycleInterval(250);
  icon->SetCycleIcons(true);
  const std::optional<std::uintptr_t> id = platform.timers.RunningWithInterval(250);
  ASSERT_TRUE(id);
  for (int tick = 0; tick < 4; ++tick) platform.timers.Tick(*id);

  std::vector<IconHandle> shown = platform.shownImages[icon->IconId()];
  shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
  const auto image = [](int i) { return FakeIconList::ImageOf(i); };
  EXPECT_EQ(shown, (std::vector<IconHandle>{image(0), image(1), image(2), image(0), image(1)}));
  EXPECT_EQ(next, (std::vector<int>{1, 2, 0, 1}));

  icon->SetCycleIcons(false);
  EXPECT_FALSE(platform.timers.IntervalOf(*id));
}

// --- Visibility and the taskbar ------------------------------------------------------------------

TEST_F(TrayIconTest, WantedEntriesComeBackNewestFirstWhenTheTaskbarIsCreatedAgain) {
  std::vector<std::unique_ptr<TTrayIcon>> icons;
  for (int i = 0; i < 4; ++i) icons.push_back(MakeIcon());
  for (int i = 3; i >= 0; --i) icons[i]->SetIconVisible(true);
  icons[0]->SetIcon(0x444);
  icons[2]->SetIconVisible(false);

  platform.LoseEntries();
  platform.SendHooked(kAppWindow, kTaskbarCreated);
  EXPECT_EQ(platform.addOrder, (std::vector<std::uint32_t>{icons[3]->IconId(), icons[1]->IconId(),
                                                           icons[0]->IconId()}));
  EXPECT_EQ(platform.SourceOf(platform.Entry(*icons[0])->Icon), 0x444u);
  EXPECT_EQ(platform.Entry(*icons[2]), nullptr);

  // A broadcast while the shell still holds the entries: adding fails and the entry is updated.
  icons[0]->SetHint("current");
  platform.SendHooked(kAppWindow, kTaskbarCreated);
  EXPECT_TRUE(icons[0]->IconShown());
  EXPECT_EQ(platform.TipOf(*icons[0]), "current");
}

TEST_F(TrayIconTest, WantedEntryStaysWantedWhileTheShellIsAwayAndReturnsOnTheNextChange) {
  auto icon = MakeIcon();
  icon->SetIconVisible(true);
  platform.LoseEntries();
  icon->SetIcon(0x321);
  EXPECT_TRUE(icon->IconVisible());
  EXPECT_TRUE(icon->IconShown());
  EXPECT_EQ(platform.SourceOf(platform.Entry(*icon)->Icon), 0x321u);

  icon->SetIconVisible(false);
  icon->SetIcon(0x322);
  EXPECT_EQ(platform.Entry(*icon), nullptr) << "an unwanted entry is not brought back";
  EXPECT_FALSE(icon->IconShown());
}

TEST_F(TrayIconTest, MinimisingTheApplicationHidesIntoTheTray) {
  auto plain = MakeIcon();
  auto minimizing = MakeIcon();
  minimizing->MinimizeToTray = true;
  platform.SendHooked(kAppWindow, kWmSize, 0);
  EXPECT_EQ(TakeLog(), Log{}) << "not minimised";

  platform.SendHooked(kAppWindow, kWmSize, kSizeMinimized);
  EXPECT_EQ(TakeLog(), (Log{"hide main form", "show 16 0"}));
  EXPECT_TRUE(minimizing->IconVisible());
  EXPECT_NE(platform.Entry(*minimizing), nullptr);
  EXPECT_FALSE(plain->IconVisible());
}

TEST_F(TrayIconTest, StartupHandlerCanKeepTheMainFormHidden) {
  auto icon = std::make_unique<TTrayIcon>(platform, Owner());
  icon->OnStartup = [](TTrayIcon&, bool& show) { show = false; };
  icon->Loaded();
  EXPECT_EQ(TakeLog(), (Log{"don't show main form", "hide main form", "show 16 0"}));
}

TEST_F(TrayIconTest, OwnerWindowActivationRefocusesTheActiveControlAndShowingBringsItForward) {
  TTrayIconOwner owner = Owner();
  constexpr Hwnd kEdit = 0x30;
  constexpr Hwnd kPanel = 0x31;
  owner.ActiveControl = [] { return kEdit; };
  platform.parents[kEdit] = kPanel;
  TTrayIcon icon(platform, owner);

  platform.SendHooked(kFormWindow, kWmActivate, kWaClickActive, 0x99);
  platform.SendHooked(kFormWindow, kWmActivate, kWaActive, static_cast<std::intptr_t>(kPanel));
  platform.SendHooked(kFormWindow, kWmActivate, 0, 0x99);  // deactivated
  EXPECT_EQ(TakeLog(), (Log{"focus 48"}));

  platform.SendHooked(kFormWindow, kWmShowWindow, 1, 0);
  platform.SendHooked(kFormWindow, kWmShowWindow, 1, 3);  // an owner was restored
  EXPECT_EQ(TakeLog(), (Log{"foreground 16", "foreground 32"}));
}

TEST_F(TrayIconTest, EnterOnTheFirstMoveExitWhenThePointerHasMoved) {
  auto icon = MakeIcon();
  Record(*icon);
  icon->SetWantEnterExitEvents(true);
  const std::optional<std::uintptr_t> id = platform.timers.RunningWithInterval(20);
  ASSERT_TRUE(id);

  platform.timers.Tick(*id);
  Notify(*icon, kWmMouseMove);
  Notify(*icon, kWmMouseMove);
  platform.timers.Tick(*id);
  EXPECT_EQ(TakeLog(), (Log{"enter", "move", "move"}));

  platform.cursor = {650, 300};
  platform.timers.Tick(*id);
  platform.timers.Tick(*id);
  Notify(*icon, kWmMouseMove);
  EXPECT_EQ(TakeLog(), (Log{"exit", "enter", "move"}));
}

TEST_F(TrayIconTest, HandlerAndHooksLiveWithTheIcons) {
  {
    auto first = MakeIcon();
    auto second = MakeIcon();
    EXPECT_EQ(platform.HookCount(kAppWindow), 2u);
    EXPECT_EQ(platform.HookCount(kFormWindow), 2u);
    EXPECT_NE(SharedTrayHandler(), nullptr);
  }
  EXPECT_EQ(SharedTrayHandler(), nullptr);
  EXPECT_EQ(SharedTimerHandler(), nullptr);
  EXPECT_EQ(platform.timers.WindowCount(), 0u);
  EXPECT_EQ(platform.HookCount(kAppWindow), 0u);
  EXPECT_EQ(platform.HookCount(kFormWindow), 0u);
}

// --- Window-less timer ---------------------------------------------------------------------------

namespace {

struct Ticks {
  int count = 0;
  static void Count(void* owner) { ++static_cast<Ticks*>(owner)->count; }
};

}  // namespace

TEST(WindowlessTimer, StartRestartsAndStopReportsWhetherATimerRan) {
  FakeTimers platform;
  Ticks ticks;
  TWindowlessTimer timer(platform, &ticks, &Ticks::Count);
  EXPECT_FALSE(timer.Active());
  EXPECT_FALSE(timer.Stop());

  EXPECT_TRUE(timer.Start(100));
  EXPECT_TRUE(timer.Start(100));
  EXPECT_EQ(platform.setCalls, 2) << "a second Start sets the platform timer again";
  EXPECT_TRUE(timer.Start(40));
  EXPECT_EQ(platform.IntervalOf(timer.TimerId()), 40u);
  EXPECT_EQ(timer.Interval(), 40u);

  platform.Tick(timer.TimerId());
  platform.Tick(timer.TimerId());
  EXPECT_EQ(ticks.count, 2);

  EXPECT_TRUE(timer.Stop());
  EXPECT_FALSE(timer.Active());
  EXPECT_FALSE(timer.Stop());
  EXPECT_FALSE(platform.IntervalOf(timer.TimerId()));
}

TEST(WindowlessTimer, FailedStartLeavesTheTimerStoppedEvenWhenItRan) {
  FakeTimers platform;
  TWindowlessTimer timer(platform, nullptr, nullptr);
  ASSERT_TRUE(timer.Start(100));
  platform.failSetTimer = true;
  EXPECT_FALSE(timer.Start(200));
  EXPECT_FALSE(timer.Active());
  EXPECT_FALSE(platform.IntervalOf(timer.TimerId()));
}

TEST(WindowlessTimer, HandlerWindowLivesFromTheFirstTimerToTheLast) {
  FakeTimers platform;
  {
    auto a = std::make_unique<TWindowlessTimer>(platform, nullptr, nullptr);
    auto b = std::make_unique<TWindowlessTimer>(platform, nullptr, nullptr);
    EXPECT_EQ(platform.created, 1);
    a.reset();
    EXPECT_EQ(platform.destroyed, 0);
    EXPECT_EQ(SharedTimerHandler()->InstanceCount(), 1u);
  }
  EXPECT_EQ(platform.destroyed, 1);
  EXPECT_EQ(SharedTimerHandler(), nullptr);
  TWindowlessTimer later(platform, nullptr, nullptr);
  EXPECT_EQ(platform.created, 2);

  FakeTimers otherPlatform;
  EXPECT_THROW(TWindowlessTimer(otherPlatform, nullptr, nullptr), std::logic_error);
}

TEST(WindowlessTimer, TimersTickIndependentlyAndStaleOrForeignIdsAreDropped) {
  FakeTimers platform;
  Ticks first;
  Ticks second;
  TWindowlessTimer a(platform, &first, &Ticks::Count);
  auto b = std::make_unique<TWindowlessTimer>(platform, &second, &Ticks::Count);
  TWindowlessTimer silent(platform, nullptr, nullptr);
  a.Start(10);
  b->Start(30);
  silent.Start(5);
  EXPECT_NE(a.TimerId(), b->TimerId());
  platform.Tick(a.TimerId());
  platform.Tick(a.TimerId());
  platform.Tick(b->TimerId());
  platform.Tick(silent.TimerId());
  EXPECT_EQ(first.count, 2);
  EXPECT_EQ(second.count, 1);

  const Hwnd window = SharedTimerHandler()->MessageWindow();
  const std::uintptr_t goneId = b->TimerId();
  b.reset();
  for (std::uintptr_t forged : {goneId, std::uintptr_t{0}, reinterpret_cast<std::uintptr_t>(&a)}) {
    EXPECT_EQ(platform.Send(window, kWmTimer, forged, 0), 0);
  }
  EXPECT_EQ(second.count, 1);
  EXPECT_EQ(platform.Send(window, kWmSize, 0, 0), std::nullopt) << "to DefWindowProc";
}

TEST(WindowlessTimer, CallbackMayStopOrDestroyItsOwnTimer) {
  FakeTimers platform;
  struct OneShot {
    std::unique_ptr<TWindowlessTimer> timer;
    int count = 0;
    static void Fire(void* owner) {
      auto& self = *static_cast<OneShot*>(owner);
      ++self.count;
      self.timer.reset();  // the last timer: takes the handler and its window with it
    }
  } oneShot;
  oneShot.timer = std::make_unique<TWindowlessTimer>(platform, &oneShot, &OneShot::Fire);
  oneShot.timer->Start(10);
  platform.Tick(oneShot.timer->TimerId());
  EXPECT_EQ(oneShot.count, 1);
  EXPECT_EQ(SharedTimerHandler(), nullptr);
  EXPECT_EQ(platform.destroyed, 1);
}

// --- What the icons mark ------------------------------------------------------------------------

namespace mirel {
namespace {

TEST(TrayMarks, PictureOfEachIconForEachDesktopOnScreen) {
  using enum TTrayPicture;
  // Icons 1 to 4 for desktops 1 to 8 on screen: A active, B the desktop below, - idle.
  constexpr const char* kFollowing[8] = {"A---", "-A--", "--A-", "---A",
                                         "B---", "-B--", "--B-", "---B"};
  constexpr const char* kNotFollowing[8] = {"A---", "-A--", "--A-", "---A",
                                            "----", "----", "----", "----"};
  const auto letter = [](TTrayPicture picture) {
    return picture == kActive ? 'A' : picture == kBelow ? 'B' : '-';
  };
  for (int marked = 0; marked < 8; ++marked) {
    std::string followed, chosen;
    for (int icon = 0; icon < 4; ++icon) {
      followed += letter(TrayIconPicture(icon, marked, true));
      chosen += letter(TrayIconPicture(icon, marked, false));
    }
    EXPECT_EQ(followed, kFollowing[marked]) << "desktop " << marked + 1 << ", following";
    EXPECT_EQ(chosen, kNotFollowing[marked]) << "desktop " << marked + 1 << ", not following";
  }
  EXPECT_EQ(TrayIconPicture(0, -1, true), kIdle);
}

TEST(TrayMarks, TooltipsNameTheDesktopAndWhenFollowingTheOneOnScreen) {
  TDesktopNames names = DefaultDesktopNames();
  names[5] = "Mail";
  EXPECT_EQ(TrayIconHint(names, 1, 5, false), "Desktop 2");
  EXPECT_EQ(TrayIconHint(names, 1, 5, true), "Desktop 2 - now: Mail");
  EXPECT_EQ(TrayIconHint(names, 0, 0, true), "Desktop 1 - now: Desktop 1");
  // Two names of 64 characters: the icon's own is cut so that the desktop on screen stays seen.
  names[0] = std::string(64, 'a');
  names[5] = std::string(63, 'b') + "\xF0\x9F\x9A\x80";  // 65 units once converted
  const std::string hint = TrayIconHint(names, 0, 5, true);
  EXPECT_EQ(hint, std::string(127 - 8 - 65, 'a') + " - now: " + names[5]);
  EXPECT_EQ(Utf16Length(hint), 127u);
}

}  // namespace
}  // namespace mirel

#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/sim_window_system.h"
#include "settings/hotkeys.h"
#include "settings/settings_store.h"
#include "settings/shortcut.h"

using namespace mirel;

namespace {

constexpr Hwnd kMainWindow = 0x4242;
constexpr std::uint32_t kVkA = 0x41;
constexpr std::uint32_t kVkF1 = 0x70;
constexpr std::uint32_t kVkF3 = 0x72;

// Keeps every call in order, accepted or not.
class RecordingWindowSystem : public sim::SimWindowSystem {
 public:
  std::vector<sim::HotKeyRegistration> registerCalls;
  std::vector<int> unregisterCalls;

  bool RegisterHotKey(Hwnd window, int id, std::uint32_t modifiers,
                      std::uint32_t virtualKey) override {
    registerCalls.push_back({window, id, modifiers, virtualKey});
    return SimWindowSystem::RegisterHotKey(window, id, modifiers, virtualKey);
  }
  bool UnregisterHotKey(Hwnd window, int id) override {
    EXPECT_EQ(window, kMainWindow);
    unregisterCalls.push_back(id);
    return SimWindowSystem::UnregisterHotKey(window, id);
  }
};

std::vector<int> RegisteredIds(const sim::SimWindowSystem& ws) {
  std::vector<int> ids;
  for (const sim::HotKeyRegistration& r : ws.HotKeys()) {
    if (r.window == kMainWindow) ids.push_back(r.id);
  }
  return ids;
}

}  // namespace

TEST(ShortCut, ControlWordToShortCutValue) {
  EXPECT_EQ(ShortCutFromHotKeyWord(0x0370), 0x6070);  // Ctrl+Shift+F1
  EXPECT_EQ(ShortCutFromHotKeyWord(0x0B70), 0x6070);  // extended-key flag dropped
  EXPECT_EQ(ShortCutFromHotKeyWord(0x0441), 0x8041);  // Alt+A
  EXPECT_EQ(ShortCutFromHotKeyWord(0x0FFF), 0xE0FF);
  EXPECT_EQ(ShortCutFromHotKeyWord(0x0041), 0x0041);
  EXPECT_EQ(ShortCutFromHotKeyWord(0), 0);
}

TEST(ShortCut, ShortCutValueToControlWord) {
  EXPECT_EQ(HotKeyWordFromShortCut(0x6070), 0x0370);
  EXPECT_EQ(HotKeyWordFromShortCut(0xE041), 0x0741);
  EXPECT_EQ(HotKeyWordFromShortCut(0x1F70), 0x0070);  // bits 8..12 are not carried
  EXPECT_EQ(HotKeyWordFromShortCut(0), 0);
  EXPECT_EQ(ShortCutFromStored(0x16070), 0x6070);
  EXPECT_EQ(ShortCutFromStored(-1), 0xFFFF);
}

TEST(ShortCut, NavigationKeysReachTheControlAsExtendedKeys) {
  EXPECT_EQ(HotKeyWordForControl(0xC027), 0x0E27);  // Ctrl+Alt+Right
  EXPECT_EQ(HotKeyWordForControl(0x202E), 0x092E);  // Shift+Delete
  EXPECT_EQ(HotKeyWordForControl(0x6070), 0x0370);  // F1 is no extended key
  EXPECT_EQ(ShortCutFromHotKeyWord(HotKeyWordForControl(0xE025)), 0xE025);
}

TEST(ShortCut, EveryControlWordWithoutExtendedFlagSurvivesTheRoundTrip) {
  for (unsigned flags = 0; flags < 8; ++flags) {
    for (unsigned key = 0; key < 256; ++key) {
      const auto word = static_cast<std::uint16_t>(flags << 8 | key);
      ASSERT_EQ(HotKeyWordFromShortCut(ShortCutFromHotKeyWord(word)), word);
    }
  }
}

TEST(HotKeys, ModifiersAndKeyPassedToTheSystem) {
  RecordingWindowSystem ws;
  RegisterShortCutHotKey(ws, kMainWindow, 0x6070, 205);
  RegisterShortCutHotKey(ws, kMainWindow, 0x8041, 206);
  RegisterShortCutHotKey(ws, kMainWindow, 0xE042, 207);
  RegisterShortCutHotKey(ws, kMainWindow, 0x1F43, 208);  // bits 8..12 stay in the key
  RegisterShortCutHotKey(ws, kMainWindow, 0, 209);
  ASSERT_EQ(ws.registerCalls.size(), 5u);
  const auto& c = ws.registerCalls;
  EXPECT_EQ(c[0].modifiers, kModShift | kModControl);
  EXPECT_EQ(c[0].virtualKey, kVkF1);
  EXPECT_EQ(c[1].modifiers, kModAlt);
  EXPECT_EQ(c[1].virtualKey, kVkA);
  EXPECT_EQ(c[2].modifiers, kModShift | kModControl | kModAlt);
  EXPECT_EQ(c[2].virtualKey, 0x42u);
  EXPECT_EQ(c[3].modifiers, 0u);
  EXPECT_EQ(c[3].virtualKey, 0x1F43u);
  EXPECT_EQ(c[4].modifiers, 0u);
  EXPECT_EQ(c[4].virtualKey, 0u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(c[i].window, kMainWindow);
    EXPECT_EQ(c[i].id, 205 + i);
  }
}

TEST(HotKeys, DefaultsRegisterSlotsInOrder) {
  RecordingWindowSystem ws;
  RegisterHotKeys(ws, kMainWindow, kDefaultHotKeys);
  ASSERT_EQ(ws.registerCalls.size(), 8u);
  for (int slot = 0; slot < 8; ++slot) {
    EXPECT_EQ(ws.registerCalls[slot].id, 205 + slot);
    EXPECT_EQ(ws.registerCalls[slot].modifiers, kModShift | kModControl);
    EXPECT_EQ(ws.registerCalls[slot].virtualKey, kVkF1 + slot);
  }
  EXPECT_EQ(RegisteredIds(ws), (std::vector<int>{205, 206, 207, 208, 209, 210, 211, 212}));
}

TEST(HotKeys, TakenCombinationsLeaveOnlyThoseSlotsUnbound) {
  RecordingWindowSystem ws;
  ASSERT_TRUE(ws.RegisterForeignHotKey(kModShift | kModControl, kVkF3));  // another program
  THotKeys hotKeys = kDefaultHotKeys;
  hotKeys[4] = hotKeys[1];  // slot 5 repeats slot 2
  RegisterHotKeys(ws, kMainWindow, hotKeys);
  EXPECT_EQ(ws.registerCalls.size(), 9u);  // every slot was tried
  EXPECT_EQ(RegisteredIds(ws), (std::vector<int>{205, 206, 208, 210, 211, 212}));
}

TEST(HotKeys, ClearedSlotsArePassedOnAsKeyZero) {
  RecordingWindowSystem ws;
  THotKeys hotKeys{};
  RegisterHotKeys(ws, kMainWindow, hotKeys);
  ASSERT_EQ(ws.registerCalls.size(), 8u);
  for (const sim::HotKeyRegistration& call : ws.registerCalls) {
    EXPECT_EQ(call.modifiers, 0u);
    EXPECT_EQ(call.virtualKey, 0u);
  }
}

TEST(HotKeys, UnregisterFreesIdsInOrder) {
  RecordingWindowSystem ws;
  ASSERT_TRUE(ws.RegisterForeignHotKey(kModAlt, kVkA));
  RegisterHotKeys(ws, kMainWindow, kDefaultHotKeys);
  UnregisterHotKeys(ws, kMainWindow);
  EXPECT_EQ(ws.unregisterCalls, (std::vector<int>{205, 206, 207, 208, 209, 210, 211, 212}));
  EXPECT_TRUE(RegisteredIds(ws).empty());
  EXPECT_EQ(ws.HotKeys().size(), 1u);  // the other program's hot key is not ours to free
}

TEST(HotKeys, MessageIdsMapToDesktops) {
  EXPECT_EQ(HotKeyDesktop(205), 0);
  EXPECT_EQ(HotKeyDesktop(210), 5);
  EXPECT_EQ(HotKeyDesktop(212), 7);
  EXPECT_EQ(HotKeyDesktop(204), std::nullopt);
  EXPECT_EQ(HotKeyDesktop(213), std::nullopt);
  EXPECT_EQ(HotKeyDesktop(0), std::nullopt);
  EXPECT_EQ(HotKeyDesktop(static_cast<std::uintptr_t>(-1)), std::nullopt);
  EXPECT_EQ(HotKeyDesktop(205 + 0x10000), std::nullopt);
}

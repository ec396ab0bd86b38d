#include "tray/win32/window_hooks_win32.h"

#include <array>
#include <cstddef>
#include <utility>

namespace mirel::win32 {

namespace {

// A window procedure receives no context pointer, so each hook needs a procedure of its own: a
// fixed set of procedures, one per slot, and the slot tells the procedure what it replaced. Four
// tray icons use eight.
constexpr std::size_t kHookSlots = 32;

struct HookSlot {
  bool reserved = false;
  HWND window = nullptr;
  WNDPROC replaced = nullptr;
  std::function<void(const TMessage&)> handler;  // empty: the slot only passes messages on
  const TErrorReport* report = nullptr;
};

std::array<HookSlot, kHookSlots>& Slots() {
  static std::array<HookSlot, kHookSlots> slots;
  return slots;
}

LRESULT RunHook(std::size_t index, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HookSlot& slot = Slots()[index];
  const WNDPROC replaced = slot.replaced;
  if (slot.handler) {
    // Copies: the handler may remove this very hook (destroying its tray icon).
    const auto handler = slot.handler;
    const TErrorReport* report = slot.report;
    RunAtBoundary(*report, [&] { handler(TMessage{message, wParam, lParam, 0}); });
  }
  if (replaced == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return ::CallWindowProcW(replaced, window, message, wParam, lParam);
}

template <std::size_t Index>
LRESULT CALLBACK HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunHook(Index, window, message, wParam, lParam);
}

template <std::size_t... Index>
constexpr std::array<WNDPROC, sizeof...(Index)> MakeHookProcs(std::index_sequence<Index...>) {
  return {&HookProc<Index>...};
}

constexpr std::array<WNDPROC, kHookSlots> kHookProcs =
    MakeHookProcs(std::make_index_sequence<kHookSlots>{});

// Pass-through slots whose window is gone can no longer be called.
void ReclaimSlotsOfDestroyedWindows() {
  for (HookSlot& slot : Slots()) {
    if (slot.reserved && !slot.handler && !::IsWindow(slot.window)) slot = HookSlot{};
  }
}

}  // namespace

WindowHookHandle InstallWindowHook(HWND window, std::function<void(const TMessage&)> handler,
                                   const TErrorReport& report) {
  if (!::IsWindow(window)) return 0;
  ReclaimSlotsOfDestroyedWindows();
  auto& slots = Slots();
  std::size_t index = 0;
  while (index < slots.size() && slots[index].reserved) ++index;
  if (index == slots.size()) return 0;

  HookSlot& slot = slots[index];
  slot = HookSlot{true, window, nullptr, std::move(handler), &report};
  // SetWindowLongPtr returns 0 both for failure and for a previous value of 0; only the last
  // error tells them apart.
  ::SetLastError(ERROR_SUCCESS);
  const LONG_PTR previous =
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kHookProcs[index]));
  if (previous == 0 && ::GetLastError() != ERROR_SUCCESS) {
    slot = HookSlot{};
    return 0;
  }
  slot.replaced = reinterpret_cast<WNDPROC>(previous);
  return index + 1;
}

void RemoveWindowHook(WindowHookHandle hook) {
  if (hook == 0 || hook > kHookSlots) return;
  const std::size_t index = hook - 1;
  HookSlot& slot = Slots()[index];
  if (!slot.reserved) return;
  slot.handler = nullptr;
  if (!::IsWindow(slot.window)) {
    slot = HookSlot{};  // a window that no longer exists is left alone
    return;
  }
  const LONG_PTR current = ::GetWindowLongPtrW(slot.window, GWLP_WNDPROC);
  if (current == reinterpret_cast<LONG_PTR>(kHookProcs[index])) {
    ::SetWindowLongPtrW(slot.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(slot.replaced));
    slot = HookSlot{};
  }
}

}  // namespace mirel::win32

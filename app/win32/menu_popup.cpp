#include "app/win32/menu_popup.h"

#include <algorithm>

#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

// Item data of an item with an image: the image index plus this marker.
constexpr ULONG_PTR kImageDataBase = 0x4D490000;

// UnhookWindowsHookEx for a hook this thread set.
struct HookTraits : NullHandleTraits<HHOOK> {
  static void Close(HHOOK hook) noexcept { ::UnhookWindowsHookEx(hook); }
};
using UniqueHook = UniqueHandle<HookTraits>;

// A menu gets the keyboard and the mouse only while its thread is the foreground thread
// (TrackPopupMenu, Remarks). When another window takes the foreground while a menu is open,
// Windows cancels the menu (the thread that loses activation gets WM_CANCELMODE); Wine 8 does not:
// the menu stays on the screen, its keys go to the other window, Escape does nothing and only a
// click elsewhere closes it. Measured under Wine with the tray menu: the hidden application window
// does become the foreground when the tray icon asks, so the menu works in front of any other
// application, until a window comes to the front while it is open (an application that was still
// starting, a window another process activates). This hook then closes the menu as Windows would.
// A thread that loses the foreground gets WM_ACTIVATEAPP(FALSE) in each of its top-level windows.
LRESULT CALLBACK EndMenuOnDeactivation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent.message == WM_ACTIVATEAPP && sent.wParam == FALSE) ::EndMenu();
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

UniqueMenu TMenuPopup::Build(const TMenuItem& parent) {
  UniqueMenu menu(::CreatePopupMenu());
  AppendItems(menu.get(), parent);
  return menu;
}

void TMenuPopup::AppendItems(HMENU menu, const TMenuItem& parent) {
  for (const auto& child : parent.Items) {
    const TMenuItem& item = *child;
    if (item.IsSeparator()) {
      ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::wstring caption = Wide(item.Caption);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_STATE | MIIM_ID;
    info.dwTypeData = caption.data();
    info.fState = (item.Enabled ? MFS_ENABLED : MFS_DISABLED) | (item.Checked ? MFS_CHECKED : 0);
    commands_.push_back(&item);
    info.wID = static_cast<UINT>(commands_.size());
    if (item.HasSubmenu()) {
      info.fMask |= MIIM_SUBMENU;
      if (item.OnPopup) {
        info.hSubMenu = ::CreatePopupMenu();  // empty until it opens
        unfilled_.emplace_back(info.hSubMenu, child.get());
      } else {
        info.hSubMenu = Build(item).Release();
      }
    }
    if (item.ImageIndex >= 0 && images_ != nullptr) {
      info.fMask |= MIIM_BITMAP | MIIM_DATA;
      info.hbmpItem = HBMMENU_CALLBACK;
      info.dwItemData = kImageDataBase + static_cast<ULONG_PTR>(item.ImageIndex);
    }
    ::InsertMenuItemW(menu, ::GetMenuItemCount(menu), TRUE, &info);
  }
}

bool TMenuPopup::InitPopup(HMENU submenu) {
  const auto found = std::ranges::find(unfilled_, submenu, &std::pair<HMENU, TMenuItem*>::first);
  if (found == unfilled_.end()) return false;
  TMenuItem& item = *found->second;
  unfilled_.erase(found);
  item.Clear();
  item.OnPopup(item);
  AppendItems(submenu, item);
  return true;
}

void TMenuPopup::TrackAt(int x, int y) {
  commands_.clear();
  unfilled_.clear();
  UniqueMenu menu = Build(Items);
  UniqueHook watch(
      ::SetWindowsHookExW(WH_CALLWNDPROC, EndMenuOnDeactivation, nullptr, ::GetCurrentThreadId()));
  ++trackingDepth_;
  const UINT chosen = static_cast<UINT>(::TrackPopupMenuEx(
      menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, owner_, nullptr));
  --trackingDepth_;
  watch.Reset();
  unfilled_.clear();
  menu.Reset();
  if (chosen == 0 || chosen > commands_.size()) return;
  const TMenuItem* item = commands_[chosen - 1];
  commands_.clear();
  item->Click();
}

bool TMenuPopup::MeasureItem(MEASUREITEMSTRUCT& measure) const {
  if (measure.CtlType != ODT_MENU || measure.itemData < kImageDataBase || images_ == nullptr) {
    return false;
  }
  measure.itemWidth = static_cast<UINT>(images_->Size());
  measure.itemHeight = static_cast<UINT>(images_->Size());
  return true;
}

bool TMenuPopup::DrawItem(const DRAWITEMSTRUCT& draw) const {
  if (draw.CtlType != ODT_MENU || draw.itemData < kImageDataBase || images_ == nullptr) {
    return false;
  }
  const int image = static_cast<int>(draw.itemData - kImageDataBase);
  const int x = draw.rcItem.left;
  const int y = draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - images_->Size()) / 2;
  ::ImageList_Draw(images_->Handle(), image, draw.hDC, x, y, ILD_TRANSPARENT);
  return true;
}

}  // namespace mirel::win32

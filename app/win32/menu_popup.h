// A pop-up menu shown from a menu model (TMenuItem): built into a real menu at each opening,
// tracked at the pointer, and the chosen item's click handler run once the menu has closed.
// Item images come from an image list and are drawn by the menu's owner window.
#pragma once

#include <utility>
#include <vector>

#include "app/win32/image_list.h"
#include "engine/menu_model.h"
#include "platform/win32/handles.h"
#include "tray/popup_menu.h"

namespace mirel::win32 {

class TMenuPopup : public TPopupMenu {
 public:
  TMenuPopup(HWND owner, const TImageList* images) : owner_(owner), images_(images) {}

  // Whether a menu of this program is open: the GUI thread is inside TrackAt. Timers still fire
  // meanwhile, and one that would take the foreground away must not close the user's menu.
  static bool Tracking() { return trackingDepth_ > 0; }

  TMenuItem Items;  // the top-level items

  // The owner window forwards WM_MEASUREITEM and WM_DRAWITEM here; true when they were for a
  // menu image of this menu. Images take the list's size, which follows the owner's DPI.
  bool MeasureItem(MEASUREITEMSTRUCT& measure) const;
  bool DrawItem(const DRAWITEMSTRUCT& draw) const;
  // The owner window forwards WM_INITMENUPOPUP here: a submenu filled on opening (an item with
  // OnPopup) gets its items now. True when `submenu` was one of them.
  bool InitPopup(HMENU submenu);

 protected:
  void TrackAt(int x, int y) override;
  std::size_t ItemCount() const override { return Items.Count(); }
  bool ItemIsDefault(std::size_t) const override { return false; }
  void ClickItem(std::size_t index) override { Items[index].Click(); }

 private:
  UniqueMenu Build(const TMenuItem& parent);
  void AppendItems(HMENU menu, const TMenuItem& parent);

  static inline int trackingDepth_ = 0;  // GUI thread only

  HWND owner_;
  const TImageList* images_;
  std::vector<const TMenuItem*> commands_;  // command id - 1 -> item, valid during one opening
  // Submenus still to be filled, during one opening.
  std::vector<std::pair<HMENU, TMenuItem*>> unfilled_;
};

}  // namespace mirel::win32

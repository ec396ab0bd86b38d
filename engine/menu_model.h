// A menu as plain values: what the window-tree code fills and the host tests read. A thin Win32
// adapter turns a TMenuItem's Items into a real popup menu and calls OnClick when one is chosen.
//
// Items are owned by the item they were added to: clearing or destroying a submenu frees them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mirel {

struct TMenuItem;

// A click handler receives the item that was clicked and reads its Tag.
using TMenuClick = std::function<void(const TMenuItem&)>;

// The caption that makes an item a separator line.
inline constexpr const char* kSeparatorCaption = "-";

struct TMenuItem {
  std::string Caption;
  std::intptr_t Tag = 0;
  bool Enabled = true;
  bool Checked = false;
  TMenuClick OnClick;
  // Fills this item's submenu when it is about to open: an item with one shows a submenu, empty
  // until then, and its items cost nothing until the user looks at them.
  std::function<void(TMenuItem&)> OnPopup;
  int ImageIndex = -1;  // none
  std::vector<std::unique_ptr<TMenuItem>> Items;

  // Appends a new empty item owned by this one and returns it.
  TMenuItem& Add();
  TMenuItem& Add(std::string caption);
  TMenuItem& AddSeparator() { return Add(kSeparatorCaption); }
  // Removes and frees every item under this one.
  void Clear() { Items.clear(); }
  std::size_t Count() const { return Items.size(); }
  TMenuItem& operator[](std::size_t index) { return *Items.at(index); }
  const TMenuItem& operator[](std::size_t index) const { return *Items.at(index); }

  bool IsSeparator() const { return Caption == kSeparatorCaption; }
  bool HasSubmenu() const { return !Items.empty() || static_cast<bool>(OnPopup); }
  // What choosing the item does: calls OnClick when the item is enabled and has one. Returns
  // whether a handler ran.
  bool Click() const;
};

}  // namespace mirel

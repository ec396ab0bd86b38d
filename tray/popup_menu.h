// The pop-up menu a tray icon opens. The tray icon knows menus only through this class; the
// program derives from it over its real menu (see TWin32PopupMenu in tray/win32 for a plain HMENU).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>

namespace mirel {

class TTrayIcon;

class TPopupMenu {
 public:
  virtual ~TPopupMenu() = default;

  // False: tray icons neither open the menu nor run its default item.
  bool AutoPopup = true;
  // Runs each time the menu is about to open, before it is drawn (the place to rebuild items).
  std::function<void(TPopupMenu& sender)> OnPopup;
  // The component that opened the menu last; set by the tray icon just before Popup.
  TTrayIcon* PopupComponent = nullptr;

  // OnPopup, then the menu shown at the screen position (x, y) and tracked until it closes; a
  // chosen item's action has run when this returns (or is posted, as the implementation decides).
  void Popup(int x, int y);

  // The lowest-indexed top-level item with the Default flag, if any.
  std::optional<std::size_t> DefaultItem() const;
  // Runs the click action of the default item; false when there is none.
  bool ClickDefaultItem();

 protected:
  virtual void TrackAt(int x, int y) = 0;
  virtual std::size_t ItemCount() const = 0;  // top-level items
  virtual bool ItemIsDefault(std::size_t index) const = 0;
  virtual void ClickItem(std::size_t index) = 0;
};

}  // namespace mirel

// The "Windows Tree" page: the managed windows grouped by desktop, and the two window actions of
// its context menu, "Make transparent" and "Close".
#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <cstring>
#include <exception>

#include "app/win32/main_form.h"
#include "app/win32/transparency_form.h"
#include "app/windows_tree.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

constexpr UINT_PTR kTreeSubclassId = 1;

HTREEITEM InsertNode(HWND tree, HTREEITEM parent, const std::string& text, int image, Hwnd window) {
  std::wstring wide = Wide(text);
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = wide.data();
  insert.item.iImage = image;
  insert.item.iSelectedImage = image;
  // A node carries a window exactly when it is a window node; a window handle is never 0.
  insert.item.lParam = static_cast<LPARAM>(window);
  return reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The class icon drawn at twice the node's size and shrunk to a bitmap of the node's size on the
// tree's background (smoother than the icon's own scaling); null when GDI refused.
UniqueBitmap ShrunkClassIcon(HICON icon, int nodeImageSize) {
  const int classIconSize = 2 * nodeImageSize;
  const WindowDc screen = GetWindowDc(nullptr);
  const MemoryDc large(::CreateCompatibleDC(screen.get()));
  const MemoryDc small(::CreateCompatibleDC(screen.get()));
  const UniqueBitmap largeBitmap(
      ::CreateCompatibleBitmap(screen.get(), classIconSize, classIconSize));
  UniqueBitmap smallBitmap(::CreateCompatibleBitmap(screen.get(), nodeImageSize, nodeImageSize));
  if (!large || !small || !largeBitmap || !smallBitmap) return {};
  {
    const ScopedSelection largeSelection(large.get(), largeBitmap.get());
    const ScopedSelection smallSelection(small.get(), smallBitmap.get());
    const RECT area{0, 0, classIconSize, classIconSize};
    ::FillRect(large.get(), &area, ::GetSysColorBrush(COLOR_WINDOW));
    ::DrawIconEx(large.get(), 0, 0, icon, classIconSize, classIconSize, 0, nullptr, DI_NORMAL);
    ::SetStretchBltMode(small.get(), HALFTONE);
    ::SetBrushOrgEx(small.get(), 0, 0, nullptr);
    ::StretchBlt(small.get(), 0, 0, nodeImageSize, nodeImageSize, large.get(), 0, 0,
                 classIconSize, classIconSize, SRCCOPY);
  }
  return smallBitmap;
}

}  // namespace

void TVirtualDeskForm::SetUpWindowsTree() {
  // The image list comes with the other pictures (ApplyPictures).
  ::SetWindowSubclass(ProgramsTreeView_, &TVirtualDeskForm::ProgramsTreeViewProc, kTreeSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));

  WindowPopup_ = std::make_unique<TMenuPopup>(Handle(), nullptr);
  for (const char* name : {"MakeTransparentAction", "CloseWindowAction"}) {
    TAction* action = ActionManager1_.Find(name);
    if (action == nullptr) continue;
    TMenuItem& item = WindowPopup_->Items.Add(action->Caption);
    item.OnClick = [this, action](const TMenuItem&) { ActionManager1_.Execute(*action); };
  }
  // A rule that keeps the selected window from being hidden (main_form_sticky.cpp).
  WindowPopup_->Items.Add("Sticky...").OnClick = [this](const TMenuItem&) {
    StickyActionExecute();
  };
  // Rules for every new window of the selected window's program (main_form_rules.cpp).
  WindowPopup_->Items.Add("Always open on this desktop").OnClick = [this](const TMenuItem&) {
    RuleForSelectedWindow(TRuleAction::raDesktop);
  };
  WindowPopup_->Items.Add("Always on all desktops").OnClick = [this](const TMenuItem&) {
    RuleForSelectedWindow(TRuleAction::raAllDesktops);
  };
}

// The tree's own window procedure comes after this one: only the context menu is handled here.
LRESULT CALLBACK TVirtualDeskForm::ProgramsTreeViewProc(HWND window, UINT message, WPARAM wParam,
                                                        LPARAM lParam, UINT_PTR, DWORD_PTR form) {
  // Shift+F10 asks for the context menu like the menu key; not every default window procedure
  // turns it into WM_CONTEXTMENU (Wine's does not), so it is answered here.
  const bool shiftF10 = message == WM_SYSKEYDOWN && wParam == VK_F10 && ::GetKeyState(VK_SHIFT) < 0;
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(window, &TVirtualDeskForm::ProgramsTreeViewProc, kTreeSubclassId);
  } else if (message == WM_CONTEXTMENU || shiftF10) {
    // No C++ exception may unwind through user32.
    try {
      reinterpret_cast<TVirtualDeskForm*>(form)->WindowPopupShow(shiftF10 ? -1 : lParam);
    } catch (const std::exception& error) {
      if (TApplication* app = Application()) app->ShowException(error.what());
    }
    return 0;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

void TVirtualDeskForm::WindowPopupShow(LPARAM position) {
  POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  if (position == -1) {
    // From the keyboard (Shift+F10, the menu key): below the selected node, else the tree's corner.
    at = {0, 0};
    RECT item{};
    const auto selected = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(ProgramsTreeView_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (selected != nullptr) {
      // TVM_GETITEMRECT takes the item's handle in the rectangle it fills.
      std::memcpy(&item, &selected, sizeof selected);
      if (::SendMessageW(ProgramsTreeView_, TVM_GETITEMRECT, TRUE,
                         reinterpret_cast<LPARAM>(&item))) {
        at = {item.left, item.bottom};
      }
    }
    ::ClientToScreen(ProgramsTreeView_, &at);
  }
  WindowPopup_->Popup(at.x, at.y);
}

void TVirtualDeskForm::RefreshWindowsTree() {
  const HWND tree = ProgramsTreeView_;
  ::SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  while (ProgramsImageList_.Count() > kFixedTreeImages) {
    ProgramsImageList_.Delete(ProgramsImageList_.Count() - 1);
  }

  const auto groups =
      BuildWindowsTree(ws_, engine_.ManagedWindows(), engine_.CurrentDesktop(), engine_.Layout(),
                       engine_.Config().DesktopNames,
                       [this](Hwnd window) { return engine_.DesktopRect(window); });
  std::vector<HTREEITEM> groupNodes;
  for (const TWindowsTreeGroup& group : groups) {
    groupNodes.push_back(InsertNode(tree, TVI_ROOT, group.Caption, kGroupNodeImage, 0));
  }
  for (std::size_t g = 0; g < groups.size(); ++g) {
    for (const TWindowsTreeNode& node : groups[g].Windows) {
      int image = kNoIconWindowImage;
      if (node.ClassIcon != 0) {
        const UniqueBitmap bitmap =
            ShrunkClassIcon(reinterpret_cast<HICON>(node.ClassIcon), ProgramsImageList_.Size());
        const int added = bitmap ? ProgramsImageList_.AddBitmap(bitmap.get()) : -1;
        if (added >= 0) image = added;
      }
      InsertNode(tree, groupNodes[g], node.Title, image, node.Handle);
    }
  }

  ::SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(tree, nullptr, TRUE);
}

Hwnd TVirtualDeskForm::SelectedWindow() const {
  const auto selected = reinterpret_cast<HTREEITEM>(
      ::SendMessageW(ProgramsTreeView_, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (selected == nullptr) return 0;
  TVITEMW item{};
  item.mask = TVIF_PARAM | TVIF_HANDLE;
  item.hItem = selected;
  if (!::SendMessageW(ProgramsTreeView_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
    return 0;
  }
  return static_cast<Hwnd>(item.lParam);
}

bool TVirtualDeskForm::CheckWindowSelected() {
  const bool anySelected =
      ::SendMessageW(ProgramsTreeView_, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0;
  const char* message = SelectionMessage(anySelected, SelectedWindow());
  if (message == nullptr) return true;
  app_.MessageBox(message, kErrorCaption, MB_OK | MB_ICONINFORMATION);
  return false;
}

void TVirtualDeskForm::PageControlChange() {
  if (ActivePage() == 0) RefreshWindowsTree();
}

void TVirtualDeskForm::FormActivate() {
  if (ActivePage() == 0) RefreshWindowsTree();
}

void TVirtualDeskForm::CloseWindowActionExecute() {
  if (!CheckWindowSelected()) return;
  // Ends the message loop of the thread that owns the window; nothing waits for it.
  ws_.PostMessage(SelectedWindow(), kWmQuit, 1, 0);
  RefreshWindowsTree();
}

void TVirtualDeskForm::MakeTransparentActionExecute() {
  if (!CheckWindowSelected() || TransparencyForm_ == nullptr) return;
  // Taken before the dialog: the main form refreshes the tree when it is activated again.
  const Hwnd window = SelectedWindow();
  if (TransparencyForm_->ShowModal() != mrOk) return;
  // Results deliberately unchecked: a window that has closed meanwhile just ignores the calls.
  ws_.SetExStyle(window, ws_.GetExStyle(window) | kWsExLayered);
  ws_.SetLayeredAlpha(window, static_cast<std::uint8_t>(TransparencyForm_->TransparencyLevel()));
}

}  // namespace mirel::win32

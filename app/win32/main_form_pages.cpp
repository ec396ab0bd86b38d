// The main form's page control and the pages' common header.
#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include "app/win32/main_form.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

constexpr int kToolBarHeight = 26;
constexpr int kHeaderHeight = 49;

struct TPageInfo {
  const char* caption;
  const char* header;
};

// The header pictures are image n of HeaderImages_ for page n (main_form_pictures.cpp).
constexpr TPageInfo kPages[] = {
    {"Windows Tree", "Desktop manager"},
    {"Visual Manager", "Desktop window manager"},
    {"Options", "Mirel Virtual Desktop Options"},
    {"Hot keys", "Hot keys"},
    {"More hot keys", "More hot keys"},
    {"Rules", "Where new windows open"},
};

}  // namespace

HWND TVirtualDeskForm::CreatePageHeader(int page, const char* caption) {
  // The page's width is measured (pixels); the header's own sizes are design pixels.
  RECT area;
  ::GetClientRect(pages_[static_cast<std::size_t>(page)], &area);
  const int headerHeight = Scaled(kHeaderHeight);
  HWND header = CreatePanel(pages_[static_cast<std::size_t>(page)],
                            TPixelBounds{0, 0, area.right, headerHeight});
  // The picture itself comes with the others (ApplyPictures).
  headerPictures_[static_cast<std::size_t>(page)] =
      CreateControl(header, L"STATIC", "", SS_ICON | SS_REALSIZEIMAGE, 8, 8, kHeaderPictureSize,
                    kHeaderPictureSize, 0, nullptr);
  HWND label = CreateControl(header, L"STATIC", caption, SS_LEFT,
                             TPixelBounds{Scaled(56), Scaled(16), area.right - Scaled(64),
                                          Scaled(16)},
                             0, BoldFont());
  AddHighlightLabel(label);
  const TPixelBounds bevel{0, headerHeight - Scaled(2), area.right, Scaled(2)};
  HWND line = CreateControl(header, L"STATIC", "", SS_ETCHEDHORZ, bevel, 0, nullptr);
  // The etched line gets an edge of its own after creation and grows by it: back to the header's
  // width, or it would reach past the page.
  ::SetWindowPos(line, nullptr, bevel.x, bevel.y, bevel.width, bevel.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  return header;
}

void TVirtualDeskForm::CreatePages() {
  static_assert(std::size(kPages) == kPageCount, "one entry per page");
  // Measured sizes (the client area, the tab control's display area) are pixels; the toolbar's
  // and the headers' heights are design pixels, scaled where they meet measured ones.
  RECT client;
  ::GetClientRect(Handle(), &client);
  const int toolBarHeight = Scaled(kToolBarHeight);
  const int headerHeight = Scaled(kHeaderHeight);
  PageControl_ = CreateControl(Handle(), WC_TABCONTROLW, "", WS_CLIPSIBLINGS | WS_TABSTOP,
                               TPixelBounds{0, toolBarHeight, client.right,
                                            client.bottom - toolBarHeight},
                               0, Font());
  for (int i = 0; i < kPageCount; ++i) {
    std::wstring caption = Wide(kPages[i].caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    ::SendMessageW(PageControl_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  // Pages are panels laid over the tab control's display area, above it in Z order.
  RECT display{0, 0, client.right, client.bottom - toolBarHeight};
  ::SendMessageW(PageControl_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const int width = display.right - display.left;
  const int height = display.bottom - display.top;
  for (int i = 0; i < kPageCount; ++i) {
    pages_[static_cast<std::size_t>(i)] =
        CreatePanel(Handle(),
                    TPixelBounds{display.left, toolBarHeight + display.top, width, height});
    ::ShowWindow(pages_[static_cast<std::size_t>(i)], SW_HIDE);
    // New children go to the bottom of the Z order: lift the page above the tab control.
    ::SetWindowPos(pages_[static_cast<std::size_t>(i)], HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CreatePageHeader(i, kPages[i].header);
  }
  const int bodyHeight = height - headerHeight;

  // "Windows Tree"
  ProgramsTreeView_ = CreateControl(pages_[0], WC_TREEVIEWW, "",
                                    TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                        TVS_SHOWSELALWAYS | WS_TABSTOP,
                                    TPixelBounds{0, headerHeight, width, bodyHeight}, 0, Font(),
                                    WS_EX_CLIENTEDGE);
  SetUpWindowsTree();

  // "Visual Manager": the miniature of the desktops.
  CreateDesktopsPaintBox(pages_[1], 0, headerHeight, width, bodyHeight);

  // "Options"
  AutoStartBox_ = CreateControl(pages_[2], L"BUTTON", "Start Mirel Virtual Desktop with windows",
                                BS_AUTOCHECKBOX | WS_TABSTOP, 16, kHeaderHeight + 16, 300, 17, 0,
                                Font());
  HideAppsCB_ = CreateControl(pages_[2], L"BUTTON", "Hide other apps from taskbar",
                              BS_AUTOCHECKBOX | WS_TABSTOP, 16, kHeaderHeight + 40, 300, 17, 0,
                              Font());
  KeepWindowStateCB_ =
      CreateControl(pages_[2], L"BUTTON", "Keep maximized and minimized windows as they are",
                    BS_AUTOCHECKBOX | WS_TABSTOP, 16, kHeaderHeight + 88, 340, 17, 0, Font());
  TrayFollowsCB_ = CreateControl(pages_[2], L"BUTTON", "Tray icons follow the desktop on screen",
                                 BS_AUTOCHECKBOX | WS_TABSTOP, 16, kHeaderHeight + 64, 300, 17, 0,
                                 Font());
  CreateNameControls(pages_[2], kHeaderHeight + 124);

  // "Hot keys": four rows in two columns on the panel below the header.
  HWND hotKeysPanel = CreatePanel(pages_[3], TPixelBounds{0, headerHeight, width, bodyHeight});
  constexpr int kRows[4] = {14, 46, 78, 110};
  for (int slot = 0; slot < kHotKeySlotCount; ++slot) {
    const int column = slot / 4;
    const int y = kRows[slot % 4];
    const std::string label = "Deskop " + std::to_string(slot + 1);
    CreateControl(hotKeysPanel, L"STATIC", label.c_str(), SS_LEFT, column ? 248 : 16, y + 2, 52, 13,
                  0, Font());
    HotkeysDesktop_[static_cast<std::size_t>(slot)] =
        CreateControl(hotKeysPanel, HOTKEY_CLASSW, "", WS_TABSTOP, column ? 302 : 70, y, 139, 19,
                      0, Font(), WS_EX_CLIENTEDGE);
  }
  CreateCommandHotKeysPage(pages_[4], headerHeight, width, bodyHeight);
  CreateRulesPage(pages_[5], kHeaderHeight);
}

int TVirtualDeskForm::ActivePage() const {
  return static_cast<int>(::SendMessageW(PageControl_, TCM_GETCURSEL, 0, 0));
}

void TVirtualDeskForm::SelectPage(int page) {
  ::SendMessageW(PageControl_, TCM_SETCURSEL, page, 0);
  for (int i = 0; i < kPageCount; ++i) {
    ::ShowWindow(pages_[static_cast<std::size_t>(i)], i == page ? SW_SHOW : SW_HIDE);
  }
}

}  // namespace mirel::win32

// The main form's pictures at the DPI of the monitor it is on: the toolbar's and the tray menu's
// images, the windows tree's, the page headers', the visual manager's sizes; and the tray icons at
// the notification area's size. Loaded at creation and again when the form moves to a monitor of
// another DPI.
#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include "app/win32/main_form.h"
#include "app/win32/resource.h"

namespace mirel::win32 {

namespace {

// The toolbar's room around an image, design pixels (comctl32's default at 96 DPI).
constexpr int kToolBarPaddingX = 7;
constexpr int kToolBarPaddingY = 6;
constexpr int kTreeIndent = 19;

constexpr int kHeaderPictures[] = {IDI_HEADER_WINDOWS_TREE, IDI_HEADER_VISUAL_MANAGER,
                                   IDI_HEADER_OPTIONS, IDI_HEADER_HOTKEYS, IDI_HEADER_HOTKEYS,
                                   IDI_HEADER_OPTIONS};

void LoadIcons(TImageList& list, HINSTANCE instance, int firstId, int count) {
  for (int id = firstId; id < firstId + count; ++id) list.AddResourceIcon(instance, id);
}

}  // namespace

void TVirtualDeskForm::LoadPictures() {
  static_assert(std::size(kHeaderPictures) == kPageCount, "one header picture per page");
  const HINSTANCE instance = app_.Instance();
  IconImageList_.Reset(Scaled(kIconSize));
  LoadIcons(IconImageList_, instance, IDI_IMAGE_BASE, IDI_IMAGE_COUNT);
  HeaderImages_.Reset(Scaled(kHeaderPictureSize));
  for (const int picture : kHeaderPictures) HeaderImages_.AddResourceIcon(instance, picture);
  // The windows tree keeps its two fixed images; the class icons come at its next refresh.
  ProgramsImageList_.Reset(Scaled(kIconSize));
  ProgramsImageList_.AddResourceIcon(instance, IDI_GROUP_NODE);
  ProgramsImageList_.AddResourceIcon(instance, IDI_NO_ICON_WINDOW);
  // The notification area shows icons at the system's small icon size (Shell_NotifyIcon, Remarks),
  // whatever monitor the control panel is on.
  TrayImages_.Reset(::GetSystemMetrics(SM_CXSMICON));
  LoadIcons(TrayImages_, instance, IDI_IMAGE_BASE, 8);
  LoadIcons(TrayImages_, instance, IDI_DESKTOP1_BELOW, IDI_DESKTOP_BELOW_COUNT);
}

void TVirtualDeskForm::ApplyPictures() {
  ::SendMessageW(ActionToolBar1_, TB_SETIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(IconImageList_.Handle()));
  // The buttons are the images' size plus the room around them, set rather than left to the
  // control, whose own padding does not follow the DPI everywhere.
  const int image = IconImageList_.Size();
  ::SendMessageW(ActionToolBar1_, TB_SETBITMAPSIZE, 0, MAKELPARAM(image, image));
  ::SendMessageW(ActionToolBar1_, TB_SETBUTTONSIZE, 0,
                 MAKELPARAM(image + Scaled(kToolBarPaddingX), image + Scaled(kToolBarPaddingY)));
  ::SendMessageW(ActionToolBar1_, TB_AUTOSIZE, 0, 0);

  ::SendMessageW(ProgramsTreeView_, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(ProgramsImageList_.Handle()));
  ::SendMessageW(ProgramsTreeView_, TVM_SETINDENT, static_cast<WPARAM>(Scaled(kTreeIndent)), 0);

  for (std::size_t page = 0; page < headerPictures_.size(); ++page) {
    ::SendMessageW(headerPictures_[page], STM_SETICON,
                   reinterpret_cast<WPARAM>(HeaderImages_.IconAt(static_cast<int>(page))), 0);
  }

  SmallFonts_.Reset();  // made again at the next paint, at the new DPI
  VisualManager_.SetScale(VisualScaleForDpi(static_cast<int>(Dpi())));
}

void TVirtualDeskForm::DpiChanged(UINT dpi, const RECT& suggested) {
  TForm::DpiChanged(dpi, suggested);
  LoadPictures();
  ApplyPictures();
  if (ActivePage() == 0) RefreshWindowsTree();
  if (trayIcons_[0]) UpdateTrayIcons(trayMarked_);
  ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace mirel::win32

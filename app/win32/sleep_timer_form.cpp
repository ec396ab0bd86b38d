#include "app/win32/sleep_timer_form.h"

#include <commctrl.h>

#include <string>

#include "app/app_names.h"
#include "app/sleep_timer.h"
#include "app/win32/dialog_style.h"
#include "app/win32/paint_scope.h"
#include "app/win32/program_files.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

constexpr int kClientWidth = 380;
constexpr int kClientHeight = 241;
// Panel1 across the top; Image1 at its left inside the panel's 1-pixel bevel; Shape1 fills the
// rest of the panel, right of the picture.
constexpr RECT kPanel1{0, 0, kClientWidth, 200};
constexpr int kImageLeft = 1;
constexpr int kImageTop = 1;
constexpr int kImageWidth = 96;
constexpr int kImageHeight = 198;
constexpr RECT kShape1{kImageLeft + kImageWidth, 1, kClientWidth - 1, 199};

// The picture drawn at `width` x `height` with the system's smoothing (halftone); the picture
// itself where the size is already right or GDI refused.
UniqueBitmap ScaledPicture(UniqueBitmap picture, int width, int height) {
  BITMAP info{};
  if (!picture || !::GetObjectW(picture.get(), sizeof info, &info) ||
      (info.bmWidth == width && info.bmHeight == height)) {
    return picture;
  }
  const WindowDc screen = GetWindowDc(nullptr);
  const MemoryDc source(::CreateCompatibleDC(screen.get()));
  const MemoryDc target(::CreateCompatibleDC(screen.get()));
  UniqueBitmap scaled(::CreateCompatibleBitmap(screen.get(), width, height));
  if (!source || !target || !scaled) return picture;
  {
    const ScopedSelection from(source.get(), picture.get());
    const ScopedSelection to(target.get(), scaled.get());
    ::SetStretchBltMode(target.get(), HALFTONE);
    ::SetBrushOrgEx(target.get(), 0, 0, nullptr);
    ::StretchBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, info.bmWidth,
                 info.bmHeight, SRCCOPY);
  }
  return scaled;
}

}  // namespace

TSleepTimerForm::TSleepTimerForm(TApplication& app, HWND mainWindow)
    : TForm(app), minutes_(kSleepMinutesInitial) {
  TFormStyle style =
      DialogStyle(kSleepTimerFormClass, "Sleep timer", kClientWidth, kClientHeight, mainWindow);
  // The form paints the panel and the shape behind its controls.
  style.style |= WS_CLIPCHILDREN;
  CreateForm(style, TPosition::poOwnerFormCenter);
  CreateControls();
}

// The control lets go of the picture before the bitmap is deleted.
TSleepTimerForm::~TSleepTimerForm() { SetPicture(UniqueBitmap()); }

HWND TSleepTimerForm::CreateLabel(const char* text, int x, int y) {
  // Labels size themselves to their caption.
  SIZE size{};
  const WindowDc dc = GetWindowDc(Handle());
  {
    const ScopedSelection font(dc.get(), Font());
    const std::wstring wide = Wide(text);
    ::GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  }
  return CreateControl(Handle(), L"STATIC", text, SS_LEFT | SS_NOPREFIX,
                       TPixelBounds{Scaled(x), Scaled(y), size.cx, size.cy}, 0, Font());
}

void TSleepTimerForm::CreateControls() {
  const HWND form = Handle();
  Image1_ = CreateControl(form, L"STATIC", "", SS_BITMAP, kImageLeft, kImageTop, kImageWidth,
                          kImageHeight, 0, nullptr);
  Label3_ = CreateLabel("Type", 112, 16);
  TypeCB_ = CreateControl(form, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 176,
                          16, 193, 120, 0, Font());
  ::SendMessageW(TypeCB_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Power Off"));
  ::SendMessageW(TypeCB_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Restart"));
  ::SendMessageW(TypeCB_, CB_SETCURSEL, kSleepTypePowerOff, 0);

  Label1_ = CreateLabel("Sleep timer", 112, 56);
  // The spin edit: a digits-only field with an up-down control that takes the right end of its
  // 145 pixels (UDS_ALIGNRIGHT narrows the buddy) and writes its position into it.
  SleepTimeEdit_ = CreateControl(form, WC_EDITW, "", ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, 176,
                                 54, 145, 22, 0, Font(), WS_EX_CLIENTEDGE);
  ::SendMessageW(SleepTimeEdit_, EM_SETLIMITTEXT, 5, 0);
  SleepTimeSpin_ = CreateControl(form, UPDOWN_CLASSW, "",
                                 UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                 0, 0, 0, 0, 0, nullptr);
  ::SendMessageW(SleepTimeSpin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(SleepTimeEdit_), 0);
  ::SendMessageW(SleepTimeSpin_, UDM_SETRANGE32, kSleepMinutesMin, kSleepMinutesMax);
  ShowMinutes();
  Label2_ = CreateLabel("minutes", 328, 56);

  CreateControl(form, WC_BUTTONW, "Start", BS_DEFPUSHBUTTON | WS_TABSTOP, 208, 208, 75, 25, IDOK,
                Font());
  CreateControl(form, WC_BUTTONW, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 296, 208, 75, 25, IDCANCEL,
                Font());
}

int TSleepTimerForm::TypeIndex() const {
  return static_cast<int>(::SendMessageW(TypeCB_, CB_GETCURSEL, 0, 0));
}

void TSleepTimerForm::ShowMinutes() {
  settingText_ = true;
  // UDS_SETBUDDYINT: the up-down writes its new position into the field.
  ::SendMessageW(SleepTimeSpin_, UDM_SETPOS32, 0, minutes_);
  settingText_ = false;
  const int end = ::GetWindowTextLengthW(SleepTimeEdit_);
  ::SendMessageW(SleepTimeEdit_, EM_SETSEL, end, end);
}

void TSleepTimerForm::SleepTimeEditChange() {
  if (settingText_) return;
  const std::string text = ReadWindowText(SleepTimeEdit_);
  if (text.empty()) return;
  if (const auto minutes = ParseSleepMinutes(text)) {
    minutes_ = *minutes;
    return;
  }
  ::MessageBeep(MB_OK);
  ShowMinutes();
}

void TSleepTimerForm::Button1Click() {
  if (const auto minutes = ParseSleepMinutes(ReadWindowText(SleepTimeEdit_))) {
    minutes_ = *minutes;
    SetModalResult(mrOk);
    return;
  }
  // An empty field: the dialog stays open with the last accepted value back in the field.
  ::MessageBeep(MB_OK);
  ShowMinutes();
  ::SetFocus(SleepTimeEdit_);
  ::SendMessageW(SleepTimeEdit_, EM_SETSEL, 0, -1);
}

void TSleepTimerForm::FormShow() {
  focus_.Reset();
  if (!ParseSleepMinutes(ReadWindowText(SleepTimeEdit_))) ShowMinutes();

  // The picture is read afresh at every show, without looking for the file first: a missing or
  // unreadable file is reported in the error box and the dialog still comes up, without picture.
  if (const DWORD error = LoadPicture(); error != ERROR_SUCCESS) {
    app_.ShowException(
        CannotOpenFileMessage(SleepPicturePath(ProgramFolder()), SystemErrorText(error)));
  }
}

DWORD TSleepTimerForm::LoadPicture() {
  const std::string path = SleepPicturePath(ProgramFolder());
  UniqueBitmap picture(static_cast<HBITMAP>(
      ::LoadImageW(nullptr, Wide(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  DWORD error = picture ? ERROR_SUCCESS : ::GetLastError();
  // A file that opens but holds no bitmap may leave no error code behind.
  if (!picture && error == ERROR_SUCCESS) error = ERROR_INVALID_DATA;
  // The file's picture is made for 96 DPI: at the form's DPI it fills the same frame.
  SetPicture(ScaledPicture(std::move(picture), Scaled(kImageWidth), Scaled(kImageHeight)));
  return error;
}

void TSleepTimerForm::DpiChanged(UINT dpi, const RECT& suggested) {
  TForm::DpiChanged(dpi, suggested);
  // Reported at the next show, not while the window is being moved.
  if (Visible()) LoadPicture();
}

void TSleepTimerForm::SetPicture(UniqueBitmap picture) {
  // The static control sizes itself to the bitmap. It may draw from a copy of its own (bitmaps
  // with alpha, comctl32 6): that copy comes back from the next STM_SETIMAGE and is ours to
  // delete (STM_SETIMAGE, Remarks).
  const auto previous = reinterpret_cast<HBITMAP>(::SendMessageW(
      Image1_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get())));
  if (previous != nullptr && previous != picture_.get()) ::DeleteObject(previous);
  picture_ = std::move(picture);
}

void TSleepTimerForm::Paint() {
  const TPaintScope paint(Handle());
  const HDC dc = paint.Dc();
  RECT panel = Scaled(kPanel1);
  ::DrawEdge(dc, &panel, BDR_RAISEDINNER, BF_RECT);
  // Shape1: default pen and brush, a black outline drawn inside the frame and a white fill.
  const ScopedSelection pen(dc, ::GetStockObject(BLACK_PEN));
  const ScopedSelection brush(dc, ::GetStockObject(WHITE_BRUSH));
  const RECT shape = Scaled(kShape1);
  ::Rectangle(dc, shape.left, shape.top, shape.right, shape.bottom);
}

LRESULT TSleepTimerForm::ColorStatic(HDC dc, HWND control) {
  // Label1 and Label2 are transparent over the white shape; Label3 keeps the panel's colour.
  if (control == Label1_ || control == Label2_) {
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
  }
  return Default(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

LRESULT TSleepTimerForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
        Button1Click();
        return 0;
      }
      if (reinterpret_cast<HWND>(lParam) == SleepTimeEdit_ && HIWORD(wParam) == EN_CHANGE) {
        SleepTimeEditChange();
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      return ColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ACTIVATE:
      if (focus_.Activate(Handle(), wParam, TypeCB_)) return 0;
      break;
    default:
      break;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace mirel::win32

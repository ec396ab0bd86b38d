// The sleep timer dialog, created once at start and shown modally when needed. It keeps its values
// from one use to the next; the main form reads the kind of shutdown from it when the time is up.
#pragma once

#include "app/win32/dialog_focus.h"
#include "app/win32/form.h"
#include "platform/win32/handles.h"

namespace mirel::win32 {

class TSleepTimerForm : public TForm {
 public:
  TSleepTimerForm(TApplication& app, HWND mainWindow);
  ~TSleepTimerForm() override;

  // The minutes of SleepTimeEdit: always within the accepted limits, since the field refuses
  // anything else.
  int SleepTime() const { return minutes_; }
  // The selected item of TypeCB: 0 "Power Off", 1 "Restart".
  int TypeIndex() const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Loads the picture at every show.
  void FormShow() override;
  // On a monitor of another DPI the picture is read again for the new frame.
  void DpiChanged(UINT dpi, const RECT& suggested) override;

 private:
  void CreateControls();
  HWND CreateLabel(const char* text, int x, int y);
  void Paint();
  LRESULT ColorStatic(HDC dc, HWND control);
  // EN_CHANGE of SleepTimeEdit: a text that is not an accepted number of minutes is refused and
  // the last accepted value comes back; an empty field is let through while the user types.
  void SleepTimeEditChange();
  // "Start": closes with the OK result only with an accepted number of minutes in the field.
  void Button1Click();
  void ShowMinutes();
  void SetPicture(UniqueBitmap picture);
  // Reads the picture from the program's folder at the form's DPI; the error, ERROR_SUCCESS when
  // none.
  DWORD LoadPicture();

  HWND Image1_ = nullptr;
  HWND Label1_ = nullptr;
  HWND Label2_ = nullptr;
  HWND Label3_ = nullptr;
  HWND TypeCB_ = nullptr;
  HWND SleepTimeEdit_ = nullptr;
  HWND SleepTimeSpin_ = nullptr;
  UniqueBitmap picture_;
  int minutes_;
  bool settingText_ = false;
  TDialogFocus focus_;
};

}  // namespace mirel::win32

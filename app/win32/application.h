// The application object: the hidden top-level window that owns the program's taskbar button, the
// event loop, the terminate request and the error box that every window procedure reports to.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace mirel::win32 {

class TApplication {
 public:
  explicit TApplication(HINSTANCE instance);
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;
  ~TApplication();

  HINSTANCE Instance() const { return instance_; }
  HWND Handle() const { return window_.get(); }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  HICON ProgramIcon() const { return icon_; }

  // Runs the event loop until the quit request arrives; from then on the program is terminating.
  void Run();
  // Asks the event loop to end after the current message.
  void Terminate();
  bool Terminating() const { return terminating_; }
  // The program ends without the event loop's quit request (the session is ending).
  void BeginTermination() { terminating_ = true; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool show) { showMainForm_ = show; }

  // The window whose dialog keys (Tab, Enter, Escape) the event loop routes: the active form.
  void SetDialogWindow(HWND window) { dialogWindow_ = window; }
  HWND DialogWindow() const { return dialogWindow_; }
  // Translates and dispatches one message, with dialog navigation for the active form.
  void Dispatch(MSG& message);
  // Dispatches the messages waiting in the queue; returns false when the quit request arrived.
  bool ProcessMessages();

  // The default error box for an error that reached the event loop; the program goes on.
  void ShowException(const std::string& message);
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  // Runs when the application window receives "TaskbarCreated" or another registered message.
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HINSTANCE instance_;
  HICON icon_ = nullptr;  // shared resource icon, never destroyed
  UniqueWindow window_;
  std::string title_;
  HWND dialogWindow_ = nullptr;
  bool terminating_ = false;
  bool showMainForm_ = true;
};

// The one application object of the process, set while it exists (window procedures report
// errors through it).
TApplication* Application();

}  // namespace mirel::win32

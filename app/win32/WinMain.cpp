// Entry point: start-up in order, the event loop, and shut-down in the reverse order.
#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <objbase.h>

#include <exception>

#include "app/app_names.h"
#include "app/win32/application.h"
#include "app/win32/desktop_name_form.h"
#include "app/win32/about_form.h"
#include "app/win32/command_line_client.h"
#include "app/win32/main_form.h"
#include "app/win32/sleep_timer_form.h"
#include "app/win32/transparency_form.h"
#include "platform/win32/wide_text.h"

namespace {

// DLLs load from the system folder only, before anything else loads one.
void RestrictDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  auto setDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDirectories != nullptr) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

using mirel::win32::Wide;

int RunProgram(HINSTANCE instance) {
  using namespace mirel::win32;
  TApplication app(instance);
  app.SetTitle(mirel::kAppTitle);
  {
    TVirtualDeskForm mainForm(app);
    {
      TfDesktopName fDesktopName(app, mainForm.Handle());
      TAboutForm aboutForm(app);
      TTransparencyForm transparencyForm(app, mainForm.Handle());
      TSleepTimerForm sleepTimerForm(app, mainForm.Handle());
      mainForm.SetOverlay(&fDesktopName);
      mainForm.SetDialogs(&aboutForm, &transparencyForm, &sleepTimerForm);
      if (app.ShowMainForm()) mainForm.Show();
      app.Run();
      // The other forms go first, newest first; the main form last.
      mainForm.SetDialogs(nullptr, nullptr, nullptr);
      mainForm.SetOverlay(nullptr);
    }
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  RestrictDllSearch();
  // With arguments the program only hands a command to the copy that runs.
  if (const auto args = mirel::win32::CommandLineArguments(); !args.empty()) {
    return mirel::win32::RunCommandLine(args);
  }
  const HRESULT com = ::CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                     ICC_TAB_CLASSES | ICC_HOTKEY_CLASS |
                                                     ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS};
  ::InitCommonControlsEx(&controls);
  int result = 0;
  try {
    result = RunProgram(instance);
  } catch (const std::exception& error) {
    ::MessageBoxW(nullptr, Wide(error.what()).c_str(), Wide(mirel::kAppTitle).c_str(),
                  MB_OK | MB_ICONSTOP);
    result = 1;
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return result;
}

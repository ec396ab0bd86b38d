// The main form's commands that are not about desktops: monitor, help, about, sleep timer, and the
// window actions of the windows tree.
#include "platform/win32/windows_api.h"

#include <shellapi.h>

#include "app/win32/main_form.h"

namespace mirel::win32 {

namespace {

// The program's folder, ending in a backslash.
std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  folder.resize(folder.find_last_of('\\') + 1);
  return folder;
}

}  // namespace

void TVirtualDeskForm::MonitorOffActionExecute() {
  ::SendMessageA(app_.Handle(), WM_SYSCOMMAND, SC_MONITORPOWER, 0);
}

void TVirtualDeskForm::HowtouseActionExecute() {
  const std::string page = ProgramFolder() + "help\\products\\vd.htm";
  ::ShellExecuteA(Handle(), nullptr, page.c_str(), "", "", SW_SHOW);
}

void TVirtualDeskForm::AboutActionExecute() {}

void TVirtualDeskForm::SleepTimerActionExecute() {}

void TVirtualDeskForm::CloseWindowActionExecute() {}

void TVirtualDeskForm::MakeTransparentActionExecute() {}

}  // namespace mirel::win32

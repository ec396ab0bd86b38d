// The main form's power and help commands: monitor off, the sleep timer, the help page and the
// about box.
#include "platform/win32/windows_api.h"

#include <shellapi.h>

#include <stdexcept>

#include "app/sleep_timer.h"
#include "app/win32/about_form.h"
#include "app/win32/main_form.h"
#include "app/win32/program_files.h"
#include "app/win32/sleep_timer_form.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

static_assert(kExitShutdown == EWX_SHUTDOWN && kExitReboot == EWX_REBOOT &&
              kExitPowerOff == EWX_POWEROFF);

namespace {

// ExitWindowsEx refuses to shut down or restart unless the caller's token holds the shutdown
// privilege enabled (ExitWindowsEx, Remarks); a process gets it disabled, so enable it first.
// Failures are left to ExitWindowsEx, whose result is not examined either.
void EnableShutdownPrivilege() {
  UniqueKernelHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token.Put())) {
    return;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return;
  ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

void TVirtualDeskForm::MonitorOffActionExecute() {
  // To the application's hidden window, not broadcast; its default handling of SC_MONITORPOWER
  // passes the request on to the system. lParam 0 as the command has always sent.
  ::SendMessageW(app_.Handle(), WM_SYSCOMMAND, SC_MONITORPOWER, 0);
}

void TVirtualDeskForm::HowtouseActionExecute() {
  const std::string page = HelpPagePath(ProgramFolder());
  // The page opens in whatever the system associates with it; the result is not examined, so a
  // missing page brings no message from this program.
  (void)::ShellExecuteW(Handle(), nullptr, Wide(page).c_str(), L"", L"", SW_SHOW);
}

void TVirtualDeskForm::AboutActionExecute() {
  if (AboutForm_ != nullptr) AboutForm_->ShowModal();
}

void TVirtualDeskForm::SleepTimerActionExecute() {
  if (SleepTimerForm_ == nullptr) return;
  const TTimerChange change = SleepTimerForm_->ShowModal() == mrOk
                                  ? Timer_.Arm(SleepTimerForm_->SleepTime())
                                  : Timer_.Disarm();
  switch (change) {
    case TTimerChange::Restart:
      // SetTimer with the id of a running timer replaces it: the new delay counts from now
      // (SetTimer, Remarks).
      if (::SetTimer(Handle(), kSleepTimerId, Timer_.Interval(), nullptr) == 0) {
        Timer_.Disarm();
        throw std::runtime_error("Cannot start the sleep timer");
      }
      break;
    case TTimerChange::Stop:
      ::KillTimer(Handle(), kSleepTimerId);
      break;
    case TTimerChange::None:
      break;
  }
}

void TVirtualDeskForm::TimerTimer() {
  // Anyone may post WM_TIMER with the timer's id: only an armed timer may end the session.
  if (!Timer_.Armed()) return;
  // The kind of shutdown is read now, from the dialog, not when the timer was started.
  if (SleepTimerForm_ == nullptr) return;
  const auto flags = ShutdownFlagsForType(SleepTimerForm_->TypeIndex());
  if (!flags) return;
  EnableShutdownPrivilege();
  // Not forced: applications may hold the shutdown up. The timer stays armed, so the request is
  // made again after every further interval until the machine goes down or "Cancel" disarms it.
  (void)::ExitWindowsEx(*flags, 0);
}

}  // namespace mirel::win32

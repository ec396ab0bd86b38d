#include "app/win32/window_events_win32.h"

#include <optional>
#include <utility>

#include "platform/win32/handle_cast.h"

namespace mirel::win32 {

namespace {

TWindowEventHooks* gHooks = nullptr;

std::optional<TWindowEvent> EventKind(DWORD event) {
  switch (event) {
    case EVENT_OBJECT_CREATE: return TWindowEvent::weCreate;
    case EVENT_OBJECT_DESTROY: return TWindowEvent::weDestroy;
    case EVENT_OBJECT_SHOW: return TWindowEvent::weShow;
    case EVENT_OBJECT_NAMECHANGE: return TWindowEvent::weNameChange;
    default: return std::nullopt;
  }
}

HWINEVENTHOOK Hook(DWORD first, DWORD last, WINEVENTPROC proc) {
  return ::SetWinEventHook(first, last, nullptr, proc, 0, 0,
                           WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

}  // namespace

TWindowEventHooks::TWindowEventHooks(THandler handler, TErrorReport report)
    : handler_(std::move(handler)), report_(std::move(report)) {
  gHooks = this;
  // Two ranges: the one between them holds location changes, far too many to take.
  createToShow_ = Hook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, &HookProc);
  nameChange_ = Hook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, &HookProc);
  installed_ = createToShow_ != nullptr && nameChange_ != nullptr;
}

TWindowEventHooks::~TWindowEventHooks() {
  if (createToShow_ != nullptr) ::UnhookWinEvent(createToShow_);
  if (nameChange_ != nullptr) ::UnhookWinEvent(nameChange_);
  if (gHooks == this) gHooks = nullptr;
}

void CALLBACK TWindowEventHooks::HookProc(HWINEVENTHOOK, DWORD event, HWND window, LONG idObject,
                                          LONG idChild, DWORD, DWORD) {
  if (gHooks == nullptr || window == nullptr || idObject != OBJID_WINDOW ||
      idChild != CHILDID_SELF) {
    return;
  }
  const std::optional<TWindowEvent> kind = EventKind(event);
  if (!kind) return;
  // Top-level windows only; a destroyed window has no parent left to ask about.
  if (*kind != TWindowEvent::weDestroy && ::GetAncestor(window, GA_PARENT) != ::GetDesktopWindow()) {
    return;
  }
  TWindowEventHooks& hooks = *gHooks;
  RunAtBoundary(hooks.report_, [&] { hooks.handler_(FromHwnd(window), *kind); });
}

}  // namespace mirel::win32

#include "platform/win32/background_work.h"

#include <utility>

#include "platform/win32/detached_thread.h"
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace mirel::win32 {

namespace {

// How long Start waits for the job before it: one that has not ended by then is left to itself.
constexpr unsigned kEarlierJobWaitMs = 5000;

}  // namespace

struct TBackgroundWork::Run {
  // Manual reset: set once when the job has ended, however it ended.
  UniqueKernelHandle ended{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

bool TBackgroundWork::Start(std::function<void()> job) {
  if (run_) Wait(kEarlierJobWaitMs);
  run_.reset();
  auto run = std::make_shared<Run>();
  if (!run->ended) return false;
  const bool started = StartDetachedThread([run, job = std::move(job)] {
    struct SetOnExit {
      HANDLE event;
      ~SetOnExit() { ::SetEvent(event); }
    } const setOnExit{run->ended.get()};
    job();
  });
  if (started) run_ = std::move(run);
  return started;
}

bool TBackgroundWork::Wait(unsigned timeoutMs) {
  if (!run_) return true;
  const HANDLE ended = run_->ended.get();
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    const ULONGLONG now = ::GetTickCount64();
    const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    const DWORD woken = ::MsgWaitForMultipleObjectsEx(1, &ended, left, QS_SENDMESSAGE, 0);
    if (woken == WAIT_OBJECT_0) break;
    if (woken != WAIT_OBJECT_0 + 1) return false;  // timed out, or the wait failed
    // A message sent to this thread (the job asking one of its windows): answered by the peek.
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  run_.reset();
  return true;
}

}  // namespace mirel::win32

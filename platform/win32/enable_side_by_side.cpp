#include "platform/win32/enable_side_by_side.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <unordered_map>

#include "platform/win32/detached_thread.h"
#include "platform/win32/handle_cast.h"
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace mirel::win32 {

namespace {

// More workers than this only queue up at the window server.
constexpr std::size_t kMaxWorkers = 8;
// Below this many windows, a worker costs more than it saves.
constexpr std::size_t kFewWindows = 4;

// Shared by the caller and the workers, so that a worker still waiting for a stuck thread after
// the caller has gone on finds it alive.
struct Work {
  std::vector<std::vector<std::pair<Hwnd, bool>>> groups;
  std::atomic<std::size_t> next{0};
  // The caller has stopped waiting. A disable that has not begun by then is dropped: a later switch
  // may have shown the window again since, and it must not be left shown and disabled. A late
  // enable is still carried out; it leaves at worst a hidden window enabled.
  std::atomic<bool> late{false};
  std::atomic<std::size_t> workersLeft{0};
  // Set by the last worker (manual reset: the caller may look after it is set).
  UniqueKernelHandle finished{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

void RunWorker(const std::shared_ptr<Work>& work) {
  for (std::size_t g = work->next++; g < work->groups.size(); g = work->next++) {
    for (const auto& [window, enable] : work->groups[g]) {
      if (!enable && work->late) continue;
      ::EnableWindow(ToHwnd(window), enable ? TRUE : FALSE);
    }
  }
  if (--work->workersLeft == 0) ::SetEvent(work->finished.get());
}

}  // namespace

void EnableSideBySide(const std::vector<std::pair<Hwnd, bool>>& windows, unsigned timeoutMs) {
  if (windows.size() < kFewWindows) {
    for (const auto& [window, enable] : windows) ::EnableWindow(ToHwnd(window), enable ? TRUE : FALSE);
    return;
  }
  auto work = std::make_shared<Work>();
  if (!work->finished) {
    for (const auto& [window, enable] : windows) ::EnableWindow(ToHwnd(window), enable ? TRUE : FALSE);
    return;
  }
  std::unordered_map<DWORD, std::size_t> groupOfThread;
  const DWORD self = ::GetCurrentThreadId();
  for (const auto& entry : windows) {
    const DWORD thread = ::GetWindowThreadProcessId(ToHwnd(entry.first), nullptr);
    // The program's own windows (its dialogs) are this thread's: a worker would wait for this
    // thread while this thread waits for the worker.
    if (thread == self) {
      ::EnableWindow(ToHwnd(entry.first), entry.second ? TRUE : FALSE);
      continue;
    }
    const auto [it, added] = groupOfThread.try_emplace(thread, work->groups.size());
    if (added) work->groups.emplace_back();
    work->groups[it->second].push_back(entry);
  }
  if (work->groups.empty()) return;
  const std::size_t workers = std::min(kMaxWorkers, work->groups.size());
  work->workersLeft = workers;
  std::size_t started = 0;
  for (; started < workers; ++started) {
    if (!StartDetachedThread([work] { RunWorker(work); })) break;
  }
  if (started < workers) {
    // No more threads to be had: this one takes the place of those that did not start.
    work->workersLeft -= workers - started - 1;
    RunWorker(work);
  }
  if (::WaitForSingleObject(work->finished.get(), timeoutMs) != WAIT_OBJECT_0) work->late = true;
}

}  // namespace mirel::win32

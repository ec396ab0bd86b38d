// EnableWindow for many windows of other threads at once.
#pragma once

#include <utility>
#include <vector>

#include "platform/types.h"

namespace mirel::win32 {

// EnableWindow sends WM_ENABLE to the window's thread and waits for it: one round trip per window,
// and the windows of different applications wait for different threads. The windows are grouped
// by thread and the groups run side by side on a few worker threads; the windows of one thread
// keep their order; the caller's own windows it does itself. Returns when all are done or after
// `timeoutMs`: a thread that stops answering meanwhile then holds up only its worker, which
// finishes its enables once it wakes (as EnableWindowAsync) and drops the disables not yet begun.
void EnableSideBySide(const std::vector<std::pair<Hwnd, bool>>& windows, unsigned timeoutMs);

}  // namespace mirel::win32

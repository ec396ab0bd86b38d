// A thread of its own for work nobody waits to join.
#pragma once

#include <functional>

namespace mirel::win32 {

// Runs `body` on a new system thread and returns at once; the thread ends with `body`. An exception
// that `body` lets out ends only that thread. Returns false, with `body` not run, when the system
// gives no thread.
//
// The C++ library's std::thread is not used here: with this runtime, a thread detached right after
// its start can begin with its state already gone (a crash at the thread's first instruction).
bool StartDetachedThread(std::function<void()> body);

}  // namespace mirel::win32

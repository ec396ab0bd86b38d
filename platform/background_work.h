// Work handed to a thread of its own and waited for later, by the thread that handed it over.
#pragma once

#include <functional>

namespace mirel {

class IBackgroundWork {
 public:
  virtual ~IBackgroundWork() = default;
  // Starts `job` on a thread of its own and returns at once; false when no thread could be had
  // (`job` has not run). A job still under way from an earlier Start is waited for first.
  virtual bool Start(std::function<void()> job) = 0;
  // Waits up to `timeoutMs` for the job of the last Start to end, answering the messages sent to
  // this thread meanwhile (the job may ask this thread's windows); false when it has not ended.
  // What the job wrote is safe to read once this returned true.
  virtual bool Wait(unsigned timeoutMs) = 0;
};

}  // namespace mirel

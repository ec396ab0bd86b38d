// IBackgroundWork on a system thread, finished when an event is set.
#pragma once

#include <memory>

#include "platform/background_work.h"

namespace mirel::win32 {

class TBackgroundWork : public IBackgroundWork {
 public:
  bool Start(std::function<void()> job) override;
  bool Wait(unsigned timeoutMs) override;

 private:
  struct Run;
  // Shared with the thread: a job that outlives a Wait that gave up still has its event.
  std::shared_ptr<Run> run_;
};

}  // namespace mirel::win32

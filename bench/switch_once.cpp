// One switch, for counting instructions: sets up the simulated desktop, then switches once from
// desktop 1 to desktop 2 and does nothing else, so that a profiler that collects only inside
// TDesktopEngine::SwitchToDesktop sees the same work at every run.
//
//   mirel_switch_once [WINDOWS] [hide]
//
// WINDOWS defaults to 1000; "hide" turns the hiding option on.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/bench_scene.h"

int main(int argc, char** argv) {
  const int windows = argc > 1 ? std::atoi(argv[1]) : 1000;
  const bool hide = argc > 2 && std::strcmp(argv[2], "hide") == 0;
  if (windows < 0) {
    std::fprintf(stderr, "usage: %s [WINDOWS] [hide]\n", argv[0]);
    return 2;
  }
  mirel::bench::BenchScene scene(windows, hide);
  scene.engine.SwitchToDesktop(1);
  const bool switched = scene.engine.CurrentDesktop() == 1 && scene.ws.BatchesEnded() == 1;
  std::printf("%d windows, hiding %s: %zu managed, %zu hidden\n", windows, hide ? "on" : "off",
              scene.engine.ManagedWindows().size(), scene.engine.HiddenWindows().size());
  return switched || windows == 0 ? 0 : 1;
}

// The windows of the Wine timings: COUNT plain top-level windows titled "Bench 0" ... in the upper
// left of the screen, PER_THREAD of them on each thread (an application with several windows),
// until the process is ended.
//
//   mirel_bench_windows COUNT [PER_THREAD]      (PER_THREAD defaults to 10)
//
// One thread per window would give every window a connection to the X server of its own under
// Wine, and a few hundred of them exhaust the server's clients. The threads make their windows one
// after the other: Wine 8.0 corrupted its heap now and then when dozens of threads made their first
// windows at the same moment.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/windows_api.h"

namespace {

constexpr const char* kClassName = "MirelBenchWindow";

void RunThread(int first, int last, HANDLE created) {
  for (int i = first; i < last; ++i) {
    const std::string title = "Bench " + std::to_string(i);
    CreateWindowExA(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                    20 + (i * 13) % 600, 20 + (i * 7) % 400, 240, 160, nullptr, nullptr,
                    GetModuleHandleA(nullptr), nullptr);
  }
  SetEvent(created);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const int count = __argc > 1 ? std::atoi(__argv[1]) : 0;
  const int perThread = std::max(1, __argc > 2 ? std::atoi(__argv[2]) : 10);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  if (count <= 0 || RegisterClassA(&windowClass) == 0) return 2;
  std::vector<std::thread> threads;
  const HANDLE created = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  for (int first = 0; first < count; first += perThread) {
    threads.emplace_back(RunThread, first, std::min(count, first + perThread), created);
    WaitForSingleObject(created, INFINITE);
  }
  for (auto& thread : threads) thread.join();
  return 0;
}

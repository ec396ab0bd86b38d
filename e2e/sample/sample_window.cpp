#include "e2e/sample/sample_window.h"

#include <chrono>
#include <cstdint>
#include <future>
#include <iterator>
#include <mutex>
#include <set>
#include <thread>

#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

namespace mirel::sample {
namespace {

constexpr char kHiddenOwnerClass[] = "MirelSampleHiddenOwner";
constexpr UINT_PTR kHangTimer = 1;
constexpr auto kCreateTimeout = std::chrono::seconds(10);

// How long each window's thread is to stall, by window; read on the window's own thread only.
thread_local int tHangForMs = 0;
// Where the thread's window last was, and how often it changed place.
thread_local POINT tPlace{};
thread_local std::intptr_t tMoves = 0;
// The class of the window told of each move (recipe key onmove), and how often it answered.
thread_local std::wstring tTellClass;
thread_local std::intptr_t tTold = 0;

void TellOfMove(HWND window) {
  const HWND target = FindWindowW(tTellClass.c_str(), nullptr);
  DWORD_PTR result = 0;
  const LPARAM size = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  if (target != nullptr &&
      SendMessageTimeoutW(target, WM_DISPLAYCHANGE, 32, size, SMTO_NORMAL, 10000, &result) != 0) {
    SetPropA(window, kToldProperty, reinterpret_cast<HANDLE>(++tTold));
  }
}

void CountMove(HWND window, const WINDOWPOS& position) {
  if ((position.flags & SWP_NOMOVE) != 0 || (position.x == tPlace.x && position.y == tPlace.y)) {
    return;
  }
  tPlace = POINT{position.x, position.y};
  SetPropA(window, kMovesProperty, reinterpret_cast<HANDLE>(++tMoves));
  if (!tTellClass.empty()) TellOfMove(window);
}

LRESULT CALLBACK SampleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kHangTimer) {
        KillTimer(window, kHangTimer);
        // The simulated hang itself: the thread answers no message meanwhile.
        Sleep(static_cast<DWORD>(tHangForMs));
        return 0;
      }
      break;
    case WM_WINDOWPOSCHANGED:
      CountMove(window, *reinterpret_cast<const WINDOWPOS*>(lParam));
      break;
    case WM_DESTROY:
      RemovePropA(window, kMovesProperty);
      RemovePropA(window, kToldProperty);
      // One sample window per thread: its end ends the thread's loop.
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Window classes are per process; every thread may create windows of a class once registered.
bool EnsureClass(const std::string& name, WNDPROC procedure) {
  static std::mutex mutex;
  static std::set<std::string> registered;
  std::lock_guard lock(mutex);
  if (registered.contains(name)) return true;
  const std::wstring className = win32::Wide(name);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = className.c_str();
  if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  registered.insert(name);
  return true;
}

int ShowCommand(ShowState state) {
  switch (state) {
    case ShowState::kMinimized:
      return SW_SHOWMINNOACTIVE;
    case ShowState::kMaximized:
      return SW_SHOWMAXIMIZED;
    case ShowState::kNormal:
      break;
  }
  return SW_SHOWNORMAL;
}

std::string ErrorText(const char* what) {
  return std::string(what) + " failed with error " + std::to_string(GetLastError());
}

// The body of a window's thread: create, report, run the loop, destroy.
void RunWindowThread(WindowRecipe recipe, HWND owner, std::promise<OpenResult> created) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!EnsureClass(recipe.className, SampleWindowProc) ||
      !EnsureClass(kHiddenOwnerClass, DefWindowProcW)) {
    created.set_value({nullptr, ErrorText("RegisterClassEx")});
    return;
  }
  win32::UniqueWindow hiddenOwner;
  if (recipe.hiddenOwner) {
    hiddenOwner.Reset(CreateWindowExW(0, win32::Wide(kHiddenOwnerClass).c_str(), L"",
                                      WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                      instance, nullptr));
    if (!hiddenOwner) {
      created.set_value({nullptr, ErrorText("CreateWindowEx of the hidden owner")});
      return;
    }
    owner = hiddenOwner.get();
  }
  tPlace = POINT{recipe.x, recipe.y};
  tTellClass = win32::Wide(recipe.onMoveTell);
  // Wide functions: a title in any script is the window's text as given (UTF-8 in the recipe).
  win32::UniqueWindow window(CreateWindowExW(
      recipe.toolWindow ? WS_EX_TOOLWINDOW : 0, win32::Wide(recipe.className).c_str(),
      win32::Wide(recipe.title).c_str(), WS_OVERLAPPEDWINDOW, recipe.x, recipe.y, recipe.width,
      recipe.height, owner, nullptr, instance,
      nullptr));
  if (!window) {
    created.set_value({nullptr, ErrorText("CreateWindowEx")});
    return;
  }
  if (recipe.disabled) EnableWindow(window.get(), FALSE);
  if (recipe.visible) ShowWindow(window.get(), ShowCommand(recipe.state));
  if (recipe.hangAfterMs >= 0) {
    tHangForMs = recipe.hangForMs;
    SetTimer(window.get(), kHangTimer, static_cast<UINT>(recipe.hangAfterMs), nullptr);
  }
  created.set_value({window.get(), {}});

  // Ends on WM_DESTROY (close) or on a WM_QUIT posted by anyone, whatever its wParam.
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // Already destroyed through WM_CLOSE: nothing left to release.
  if (!IsWindow(window.get())) (void)window.Release();
}

bool IsOwnSampleWindow(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return false;
  wchar_t className[256] = {};
  GetClassNameW(window, className, static_cast<int>(std::size(className)));
  const std::string name = win32::Utf8(className);
  return name != kHiddenOwnerClass && name != "MirelSampleControl";
}

struct TitleSearch {
  const std::string& title;
  HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<TitleSearch*>(context);
  wchar_t text[512] = {};
  GetWindowTextW(window, text, static_cast<int>(std::size(text)));
  if (search.title != win32::Utf8(text) || !IsOwnSampleWindow(window)) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

OpenResult OpenWindowOnOwnThread(const WindowRecipe& recipe) {
  HWND owner = nullptr;
  if (recipe.ownerTitle) {
    owner = FindSampleWindow(*recipe.ownerTitle);
    if (owner == nullptr) return {nullptr, "no window titled '" + *recipe.ownerTitle + "' to own it"};
  }
  std::promise<OpenResult> created;
  std::future<OpenResult> result = created.get_future();
  // Detached: the thread lives as long as its window; the process may end while it hangs.
  std::thread(RunWindowThread, recipe, owner, std::move(created)).detach();
  if (result.wait_for(kCreateTimeout) != std::future_status::ready) {
    return {nullptr, "the window thread did not create '" + recipe.title + "' in time"};
  }
  return result.get();
}

HWND FindSampleWindow(const std::string& title) {
  TitleSearch search{title};
  EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace mirel::sample

// The text that describes one window of the sample application: `key=value` pairs separated by
// semicolons, for example "title=Alpha;x=100;y=100;w=300;h=200;state=max". The same text opens a
// window from the command line (one argument per window) and through the control window.
//
// Keys: title (required, may be empty), x, y, w, h, owner (title of an earlier window of the
// sample), hiddenowner=1 (owned by an invisible unowned window of its own), state=normal|min|max,
// tool=1 (WS_EX_TOOLWINDOW), visible=0, disabled=1, class (window class name), hangafter and hangfor
// (milliseconds: the window's thread stops answering hangfor ms after hangafter ms), onmove (a
// window class: at each move the window sends WM_DISPLAYCHANGE to the top-level window of that
// class and waits for its answer, as a display change arrives in the middle of a call that moves
// windows of other programs). Titles cannot
// contain ';'. Titles and class names are UTF-8, and the windows are made with the wide functions,
// so a title may be in any script; the command line carries them too (it is read as UTF-16).
#pragma once

#include <optional>
#include <string>

namespace mirel::sample {

enum class ShowState { kNormal, kMinimized, kMaximized };

inline constexpr const char* kDefaultWindowClass = "MirelSampleWindow";

struct WindowRecipe {
  std::string title;
  int x = 100;
  int y = 100;
  int width = 300;
  int height = 200;
  std::optional<std::string> ownerTitle;
  bool hiddenOwner = false;
  ShowState state = ShowState::kNormal;
  bool toolWindow = false;
  bool visible = true;
  bool disabled = false;
  std::string className = kDefaultWindowClass;
  int hangAfterMs = -1;  // negative: never hangs
  int hangForMs = 0;
  std::string onMoveTell;  // empty: tells nobody
};

// Parses `text`; on failure returns nothing and says why in `error`.
std::optional<WindowRecipe> ParseWindowRecipe(const std::string& text, std::string& error);

}  // namespace mirel::sample

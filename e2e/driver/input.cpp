#include "e2e/driver/input.h"

#include <string>
#include <vector>

#include "e2e/driver/wait.h"
#include "tests/win32/support/unix_command.h"

namespace mirel::e2e {
namespace {

INPUT KeyEvent(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

// Without --sync: a synchronous move to where the pointer already is waits 15 s for a motion that
// never comes. The X server handles a move before the click that follows it anyway.
std::string MoveTo(POINT point) {
  return " mousemove " + std::to_string(point.x) + " " + std::to_string(point.y);
}

void RunXdotool(const std::string& arguments) {
  const std::string command = "xdotool" + arguments;
  const test::UnixCommandResult result = test::RunUnixCommand(command);
  if (!result.finished || result.exitStatus != 0) {
    throw DriverError("'" + command + "' failed (status " + std::to_string(result.exitStatus) +
                      "): " + result.output);
  }
}

}  // namespace

void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) inputs.push_back(KeyEvent(key, false));
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
    inputs.push_back(KeyEvent(*key, true));
  }
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  if (sent != inputs.size()) {
    throw DriverError("SendInput sent " + std::to_string(sent) + " of " +
                      std::to_string(inputs.size()) + " key events (error " +
                      std::to_string(GetLastError()) + ")");
  }
}

void Click(POINT point, MouseButton button) {
  RunXdotool(MoveTo(point) + " click " + (button == MouseButton::kLeft ? "1" : "3"));
}

void MovePointerAlong(std::initializer_list<POINT> points) {
  std::string arguments;
  for (POINT point : points) arguments += MoveTo(point);
  RunXdotool(arguments);
}

POINT CursorPosition() {
  POINT point{};
  GetCursorPos(&point);
  return point;
}

}  // namespace mirel::e2e

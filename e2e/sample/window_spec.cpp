#include "e2e/sample/window_spec.h"

#include <charconv>
#include <string_view>

namespace mirel::sample {
namespace {

bool ParseInt(std::string_view text, int& value) {
  const char* end = text.data() + text.size();
  const auto [rest, status] = std::from_chars(text.data(), end, value);
  return status == std::errc() && rest == end;
}

bool ParseFlag(std::string_view text, bool& value) {
  if (text == "1") {
    value = true;
  } else if (text == "0") {
    value = false;
  } else {
    return false;
  }
  return true;
}

bool ParseState(std::string_view text, ShowState& state) {
  if (text == "normal") {
    state = ShowState::kNormal;
  } else if (text == "min") {
    state = ShowState::kMinimized;
  } else if (text == "max") {
    state = ShowState::kMaximized;
  } else {
    return false;
  }
  return true;
}

// Applies one key=value pair; false for an unknown key or a malformed value.
bool Apply(std::string_view key, std::string_view value, WindowSpec& spec) {
  if (key == "title") {
    spec.title = value;
    return true;
  }
  if (key == "owner") {
    spec.ownerTitle = std::string(value);
    return true;
  }
  if (key == "class") {
    spec.className = value;
    return !value.empty();
  }
  if (key == "x") return ParseInt(value, spec.x);
  if (key == "y") return ParseInt(value, spec.y);
  if (key == "w") return ParseInt(value, spec.width);
  if (key == "h") return ParseInt(value, spec.height);
  if (key == "hangafter") return ParseInt(value, spec.hangAfterMs) && spec.hangAfterMs >= 0;
  if (key == "hangfor") return ParseInt(value, spec.hangForMs) && spec.hangForMs >= 0;
  if (key == "hiddenowner") return ParseFlag(value, spec.hiddenOwner);
  if (key == "tool") return ParseFlag(value, spec.toolWindow);
  if (key == "visible") return ParseFlag(value, spec.visible);
  if (key == "disabled") return ParseFlag(value, spec.disabled);
  if (key == "state") return ParseState(value, spec.state);
  return false;
}

}  // namespace

std::optional<WindowSpec> ParseWindowSpec(const std::string& text, std::string& error) {
  WindowSpec spec;
  bool hasTitle = false;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find(';');
    const std::string_view pair = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (pair.empty()) continue;
    const std::size_t equals = pair.find('=');
    if (equals == std::string_view::npos) {
      error = "'" + std::string(pair) + "' is not key=value";
      return std::nullopt;
    }
    const std::string_view key = pair.substr(0, equals);
    if (!Apply(key, pair.substr(equals + 1), spec)) {
      error = "bad or unknown setting '" + std::string(pair) + "'";
      return std::nullopt;
    }
    hasTitle = hasTitle || key == "title";
  }
  if (!hasTitle) {
    error = "no title= in '" + text + "'";
    return std::nullopt;
  }
  if (spec.hiddenOwner && spec.ownerTitle) {
    error = "owner= and hiddenowner=1 exclude each other";
    return std::nullopt;
  }
  return spec;
}

}  // namespace mirel::sample

#include "e2e/sample/window_recipe.h"

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
bool Apply(std::string_view key, std::string_view value, WindowRecipe& recipe) {
  if (key == "title") {
    recipe.title = value;
    return true;
  }
  if (key == "owner") {
    recipe.ownerTitle = std::string(value);
    return true;
  }
  if (key == "class") {
    recipe.className = value;
    return !value.empty();
  }
  if (key == "x") return ParseInt(value, recipe.x);
  if (key == "y") return ParseInt(value, recipe.y);
  if (key == "w") return ParseInt(value, recipe.width);
  if (key == "h") return ParseInt(value, recipe.height);
  if (key == "hangafter") return ParseInt(value, recipe.hangAfterMs) && recipe.hangAfterMs >= 0;
  if (key == "onmove") {
    recipe.onMoveTell = value;
    return !value.empty();
  }
  if (key == "hangfor") return ParseInt(value, recipe.hangForMs) && recipe.hangForMs >= 0;
  if (key == "hiddenowner") return ParseFlag(value, recipe.hiddenOwner);
  if (key == "tool") return ParseFlag(value, recipe.toolWindow);
  if (key == "visible") return ParseFlag(value, recipe.visible);
  if (key == "disabled") return ParseFlag(value, recipe.disabled);
  if (key == "state") return ParseState(value, recipe.state);
  return false;
}

}  // namespace

std::optional<WindowRecipe> ParseWindowRecipe(const std::string& text, std::string& error) {
  WindowRecipe recipe;
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
    if (!Apply(key, pair.substr(equals + 1), recipe)) {
      error = "bad or unknown setting '" + std::string(pair) + "'";
      return std::nullopt;
    }
    hasTitle = hasTitle || key == "title";
  }
  if (!hasTitle) {
    error = "no title= in '" + text + "'";
    return std::nullopt;
  }
  if (recipe.hiddenOwner && recipe.ownerTitle) {
    error = "owner= and hiddenowner=1 exclude each other";
    return std::nullopt;
  }
  return recipe;
}

}  // namespace mirel::sample

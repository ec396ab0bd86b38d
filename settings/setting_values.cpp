#include "settings/setting_values.h"

#include <algorithm>

namespace mirel {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string InvalidTypeMessage(std::string_view name) {
  return "Invalid data type for '" + std::string(name) + "'";
}

std::string FailedReadMessage(std::string_view name) {
  return "Failed to get data for '" + std::string(name) + "'";
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  text = TrimBlanks(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  // Accumulate the magnitude in 64 bits and stop as soon as it cannot fit any more, so that any
  // length of digits is safe.
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;  // |INT32_MIN|
  std::int64_t magnitude = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kLimit) return std::nullopt;
  }
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(result);
}

std::optional<std::string> ValueText(const RegValue& value) {
  if (value.type != kRegSz && value.type != kRegExpandSz) return std::nullopt;
  const auto end = std::find(value.data.begin(), value.data.end(), std::uint8_t{0});
  return std::string(value.data.begin(), end);
}

SettingRead<std::int32_t> ReadInteger(RegRead status, const RegValue& value, std::string_view name,
                                      std::int32_t defaultValue) {
  switch (status) {
    case RegRead::kMissing:
      return {defaultValue, {}};
    case RegRead::kFailed:
      return {defaultValue, FailedReadMessage(name)};
    case RegRead::kOk:
      break;
  }
  const std::optional<std::string> text = ValueText(value);
  if (!text) return {defaultValue, InvalidTypeMessage(name)};
  return {ParseInteger(*text).value_or(defaultValue), {}};
}

SettingRead<bool> ReadBool(RegRead status, const RegValue& value, std::string_view name,
                           bool defaultValue) {
  const SettingRead<std::int32_t> number = ReadInteger(status, value, name, defaultValue ? 1 : 0);
  return {number.value != 0, number.error};
}

std::string EncodeInteger(std::int32_t value) { return std::to_string(value); }

std::string EncodeBool(bool value) { return value ? "1" : "0"; }

}  // namespace mirel

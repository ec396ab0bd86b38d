// How settings are stored: every value is registry text, integers as plain decimal and Booleans as
// "1" / "0". Reading is forgiving: text that is not a number gives the default. Only a value of a
// non-text type, or one whose data cannot be fetched, is an error, and even then the setting takes
// its default so that one bad value never stops the rest of start-up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace mirel {

// The outcome of reading one setting: the value to use and, when the stored value was unusable
// in a way the user should hear about, the message for the error box (empty otherwise).
template <typename T>
struct SettingRead {
  T value{};
  std::string error;
};

// Plain decimal with an optional leading minus, blanks (space, tab) around it ignored; nothing
// else. Empty when the text is not such a number or lies outside the signed 32-bit range.
std::optional<std::int32_t> ParseInteger(std::string_view text);

// The text of a REG_SZ or REG_EXPAND_SZ value (the latter raw, unexpanded), ending at the first
// zero byte. Empty for every other type.
std::optional<std::string> ValueText(const RegValue& value);

// `status` and `value` are what IRegistry::QueryValue gave for the value `name`.
SettingRead<std::int32_t> ReadInteger(RegRead status, const RegValue& value, std::string_view name,
                                      std::int32_t defaultValue);
// Any integer other than 0 reads as true.
SettingRead<bool> ReadBool(RegRead status, const RegValue& value, std::string_view name,
                           bool defaultValue);

std::string EncodeInteger(std::int32_t value);
std::string EncodeBool(bool value);

}  // namespace mirel

// The registry value decoder over any stored value: any type number, any bytes, any read status.
// Besides surviving, it keeps its promises: a text value never raises an error, the number read is
// the one a plain decimal reading of the text up to its first zero gives (or the default), and
// every number it reads is written back as text that reads the same.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "settings/setting_values.h"

namespace mirel::fuzz {
namespace {

// The reading the decoder promises, written the slow and obvious way.
std::optional<std::int32_t> ReferenceInteger(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  text.remove_prefix(std::min(text.find_first_not_of('0'), text.size()));
  if (text.size() > 10) return std::nullopt;  // beyond any 32-bit number
  long long value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

void CheckRead(RegRead status, const RegValue& value, std::int32_t defaultValue) {
  const SettingRead<std::int32_t> number = ReadInteger(status, value, "HotKey1", defaultValue);
  const SettingRead<bool> flag = ReadBool(status, value, "HideApps", defaultValue != 0);
  const std::optional<std::string> text = ValueText(value);
  const bool isText = value.type == kRegSz || value.type == kRegExpandSz;
  Require(text.has_value() == isText, "only text types have text");

  switch (status) {
    case RegRead::kMissing:
      Require(number.value == defaultValue && number.error.empty(), "missing reads as default");
      break;
    case RegRead::kFailed:
      Require(number.value == defaultValue && !number.error.empty(), "failed read is reported");
      break;
    case RegRead::kOk:
      if (!isText) {
        Require(number.value == defaultValue && !number.error.empty(), "wrong type is reported");
        break;
      }
      Require(number.error.empty(), "text never raises an error");
      Require(text->find('\0') == std::string::npos, "text ends at the first zero");
      Require(number.value == ReferenceInteger(*text).value_or(defaultValue),
              "number as plain decimal text gives it");
      break;
  }
  if (status == RegRead::kOk && isText) {
    const bool expected = ReferenceInteger(*text).value_or(defaultValue != 0 ? 1 : 0) != 0;
    Require(flag.value == expected, "a Boolean is a number other than 0");
  } else {
    Require(flag.value == (defaultValue != 0), "an unusable Boolean reads as its default");
  }
  Require(flag.error.empty() == number.error.empty(), "Boolean and number agree on errors");

  const std::optional<std::int32_t> back = ParseInteger(EncodeInteger(number.value));
  Require(back == number.value, "every number read is written back as itself");
  Require(ParseInteger(EncodeBool(flag.value)) == (flag.value ? 1 : 0), "Booleans round-trip");
}

}  // namespace
}  // namespace mirel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirel;
  FuzzedDataProvider input(data, size);
  const auto status = static_cast<RegRead>(input.ConsumeIntegralInRange<int>(0, 2));
  // Mostly the text types, the others often enough to cover every wrong type.
  const std::uint32_t types[] = {kRegSz, kRegExpandSz, kRegSz, kRegBinary, kRegDword,
                                 kRegMultiSz, kRegQword, kRegNone};
  RegValue value;
  value.type = input.ConsumeBool() ? input.ConsumeIntegral<std::uint32_t>()
                                   : input.PickValueInArray(types);
  const std::int32_t defaultValue = input.ConsumeIntegral<std::int32_t>();
  value.data = input.ConsumeRemainingBytes<std::uint8_t>();
  fuzz::CheckRead(status, value, defaultValue);
  return 0;
}

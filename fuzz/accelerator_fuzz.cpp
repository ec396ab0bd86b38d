// The accelerator chooser over random menus: captions with and without "&", "&" at the end of a
// caption, bytes above 127, separators, empty captions that end the walk, texts of any length.
// SetAccelerator marks the first character of the text that IsAcceleratorFree calls free, keeps the
// rest of the text, and never gives more than 255 UTF-16 units.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "engine/menu_model.h"
#include "engine/win2tree.h"
#include "fuzz/fuzz_support.h"
#include "platform/utf.h"

namespace mirel::fuzz {
namespace {

std::string Caption(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
      return "";
    case 1:
      return kSeparatorCaption;
    case 2:
      return "&" + input.ConsumeRandomLengthString(8);
    case 3:
      return input.ConsumeRandomLengthString(6) + "&";
    default:
      return input.ConsumeRandomLengthString(40);
  }
}

void CheckChoice(const std::string& text, const TMenuItem& menu) {
  const std::string result = SetAccelerator(text, menu);
  std::size_t first = text.size();
  for (std::size_t p = 0; p < text.size();) {
    const std::size_t start = p;
    if (IsAcceleratorFree(NextCodePoint(text, p), menu)) {
      first = start;
      break;
    }
  }
  if (first == text.size()) {
    Require(result == text, "no free character leaves the text alone");
    return;
  }
  const std::string expected =
      CutToUtf16Units(text.substr(0, first) + "&" + text.substr(first), kShortStringMax);
  Require(result == expected, "\"&\" goes before the first free character");
  Require(Utf16Length(result) <= kShortStringMax, "captions are short strings");
}

}  // namespace
}  // namespace mirel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirel;
  FuzzedDataProvider input(data, size);
  TMenuItem menu;
  const int items = input.ConsumeIntegralInRange<int>(0, 40);
  for (int i = 0; i < items; ++i) menu.Add(fuzz::Caption(input));
  const std::string text = input.ConsumeBool() ? input.ConsumeRandomLengthString(600)
                                               : input.ConsumeRandomLengthString(24);
  fuzz::CheckChoice(text, menu);

  // Choosing captions one after the other, as a menu is filled, each against the items before it.
  TMenuItem filled;
  while (input.remaining_bytes() > 0) {
    TMenuItem& item = filled.Add();
    item.Caption = SetAccelerator(input.ConsumeRandomLengthString(32), filled);
    fuzz::Require(Utf16Length(item.Caption) <= kShortStringMax, "captions are short strings");
  }
  return 0;
}

#include "settings/shortcut.h"

namespace mirel {

std::uint16_t ShortCutFromHotKeyWord(std::uint16_t controlWord) {
  const std::uint8_t key = controlWord & 0xFF;
  const std::uint8_t flags = controlWord >> 8;
  std::uint16_t value = key;
  if (flags & kHotKeyFShift) value |= kShortCutShift;
  if (flags & kHotKeyFControl) value |= kShortCutCtrl;
  if (flags & kHotKeyFAlt) value |= kShortCutAlt;
  return value;
}

std::uint16_t HotKeyWordFromShortCut(std::uint16_t value) {
  std::uint8_t flags = 0;
  if (value & kShortCutShift) flags |= kHotKeyFShift;
  if (value & kShortCutCtrl) flags |= kHotKeyFControl;
  if (value & kShortCutAlt) flags |= kHotKeyFAlt;
  return static_cast<std::uint16_t>((flags << 8) | (value & 0xFF));
}

std::uint16_t HotKeyWordForControl(std::uint16_t value) {
  const std::uint8_t key = value & 0xFF;
  const bool navigation = (key >= 0x21 && key <= 0x28) || key == 0x2D || key == 0x2E;
  const std::uint16_t word = HotKeyWordFromShortCut(value);
  return navigation ? static_cast<std::uint16_t>(word | kHotKeyFExt << 8) : word;
}

}  // namespace mirel

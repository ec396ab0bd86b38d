// Shortcut values and the word of the platform's hot-key entry field.
//
// A shortcut value is a 16-bit key combination: bits 0..7 the virtual-key code, 0x2000 Shift,
// 0x4000 Ctrl, 0x8000 Alt; 0 means none. The hot-key control (HKM_GETHOTKEY / HKM_SETHOTKEY) holds
// the key code in its low byte and HOTKEYF_* flags in its high byte.
#pragma once

#include <cstdint>

namespace mirel {

inline constexpr std::uint16_t kShortCutShift = 0x2000;
inline constexpr std::uint16_t kShortCutCtrl = 0x4000;
inline constexpr std::uint16_t kShortCutAlt = 0x8000;
inline constexpr std::uint16_t kShortCutModifiers = kShortCutShift | kShortCutCtrl | kShortCutAlt;

// Modifier flags of the hot-key control, as in <commctrl.h>.
inline constexpr std::uint8_t kHotKeyFShift = 0x01;
inline constexpr std::uint8_t kHotKeyFControl = 0x02;
inline constexpr std::uint8_t kHotKeyFAlt = 0x04;
inline constexpr std::uint8_t kHotKeyFExt = 0x08;

// Control word -> shortcut value. The extended-key flag has no place in a shortcut value and is
// dropped, so the result always fits the stored range 0..65535.
std::uint16_t ShortCutFromHotKeyWord(std::uint16_t controlWord);

// Shortcut value -> control word: the low 8 bits as key code, the three modifiers as flags.
// Bits 8..12 of the value are not carried.
std::uint16_t HotKeyWordFromShortCut(std::uint16_t value);

// The word to give the control: as above, with the extended-key flag for the navigation keys
// (arrows, Page Up/Down, Home, End, Insert, Delete), which the control otherwise names after the
// numeric keypad's keys.
std::uint16_t HotKeyWordForControl(std::uint16_t value);

// A number read from the registry becomes a shortcut value by keeping its low 16 bits.
constexpr std::uint16_t ShortCutFromStored(std::int32_t stored) {
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(stored) & 0xFFFFu);
}

}  // namespace mirel

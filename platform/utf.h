// Text conversion at the Win32 boundary. Text inside the program is UTF-8; the wide ("W") functions
// of Win32 take and return UTF-16. Windows counts characters in UTF-16 units (a title's 254, a menu
// caption's 255), so limits are counted in those units and cut between characters.
//
// Both directions always produce well-formed output: what cannot be converted (a byte that starts
// no UTF-8 sequence, a truncated or overlong sequence, an encoded surrogate, an unpaired surrogate
// in UTF-16) becomes U+FFFD, one per bad byte or unit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mirel {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// The code point that starts at text[pos], moving `pos` past it; U+FFFD and one byte for a byte
// that starts no well-formed sequence. `pos` must be below text.size().
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

// How many UTF-16 units `text` takes once converted.
std::size_t Utf16Length(std::string_view text);

// The longest start of `text` that takes at most `maxUnits` UTF-16 units, ending between
// characters. Well-formed input is returned as it is when it fits.
std::string CutToUtf16Units(std::string_view text, std::size_t maxUnits);

}  // namespace mirel

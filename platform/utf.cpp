#include "platform/utf.h"

#include <algorithm>
#include <cstdint>

namespace mirel {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes the code point that starts at text[pos] and advances `pos` past it. A malformed sequence
// gives U+FFFD and advances by one byte only, so the next byte gets its own chance (the W3C/Unicode
// "maximal subpart" practice, simplified to one replacement per bad byte).
char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int length = 0;
  char32_t point = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, point = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, point = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, point = lead & 0x07, minimum = 0x10000;
  }
  if (length == 0 || pos + length > text.size()) {
    ++pos;
    return kReplacement;
  }
  for (int i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[pos + i]);
    if (!IsContinuation(byte)) {
      ++pos;
      return kReplacement;
    }
    point = (point << 6) | (byte & 0x3F);
  }
  if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
    ++pos;
    return kReplacement;
  }
  pos += length;
  return point;
}

char32_t DecodeUtf16(std::u16string_view text, std::size_t& pos) {
  const char16_t unit = text[pos++];
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit <= 0xDBFF && pos < text.size() && text[pos] >= 0xDC00 && text[pos] <= 0xDFFF) {
    const char16_t low = text[pos++];
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00);
  }
  return kReplacement;  // an unpaired surrogate
}

std::size_t Utf16Units(char32_t point) { return point >= 0x10000 ? 2 : 1; }

void AppendUtf8(std::string& out, char32_t point) {
  if (point < 0x80) {
    out += static_cast<char>(point);
  } else if (point < 0x800) {
    out += static_cast<char>(0xC0 | (point >> 6));
    out += static_cast<char>(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    out += static_cast<char>(0xE0 | (point >> 12));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (point >> 18));
    out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t point) {
  if (point < 0x10000) {
    out += static_cast<char16_t>(point);
  } else {
    point -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (point >> 10));
    out += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
  }
}

}  // namespace

char32_t NextCodePoint(std::string_view text, std::size_t& pos) { return DecodeUtf8(text, pos); }

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) AppendUtf16(out, DecodeUtf8(text, pos));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) AppendUtf8(out, DecodeUtf16(text, pos));
  return out;
}

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < text.size();) units += Utf16Units(DecodeUtf8(text, pos));
  return units;
}

std::string CutToUtf16Units(std::string_view text, std::size_t maxUnits) {
  // ASCII that fits, the common case (every window title of every switch), needs no decoding.
  if (text.size() <= maxUnits &&
      std::none_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; })) {
    return std::string(text);
  }
  // Well-formed text that fits is returned as it is.
  std::size_t units = 0;
  std::size_t pos = 0;
  bool wellFormed = true;
  while (pos < text.size()) {
    const std::size_t start = pos;
    const char32_t point = DecodeUtf8(text, pos);
    if (point == kReplacement && pos - start != 3) wellFormed = false;  // U+FFFD itself is 3 bytes
    units += Utf16Units(point);
    if (units > maxUnits) {
      pos = start;
      break;
    }
  }
  if (wellFormed) return std::string(text.substr(0, pos));
  // Malformed bytes are replaced so that the result is well-formed UTF-8 like every converted text.
  return Utf16ToUtf8(Utf8ToUtf16(text.substr(0, pos)));
}

}  // namespace mirel

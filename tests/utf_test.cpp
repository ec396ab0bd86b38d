// The conversions at the Win32 boundary and the cuts counted in UTF-16 units.
#include "platform/utf.h"

#include <gtest/gtest.h>

#include <string>

namespace mirel {
namespace {

const std::string kGreek = "\xce\x91\xce\xb8\xce\xae\xce\xbd\xce\xb1";  // Αθήνα: 2 bytes, 1 unit each
const std::string kJapanese = "\xe6\x97\xa5\xe6\x9c\xac";             // 日本: 3 bytes, 1 unit each
const std::string kRocket = "\xf0\x9f\x9a\x80";                          // U+1F680: 4 bytes, 2 units

// True when `text` is well-formed UTF-8 (no surrogates, no overlong forms, nothing past U+10FFFF).
bool IsWellFormed(const std::string& text) {
  return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

TEST(Utf, ConvertsEveryPlaneBothWays) {
  const std::string text = "A" + kGreek + kJapanese + kRocket + "\xef\xbf\xbd";  // and U+FFFD itself
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide, u"A\u0391\u03b8\u03ae\u03bd\u03b1\u65e5\u672c\U0001F680\uFFFD");
  EXPECT_EQ(Utf16ToUtf8(wide), text);
  EXPECT_EQ(Utf16Length(text), wide.size());
  EXPECT_EQ(Utf8ToUtf16(""), u"");
  EXPECT_EQ(Utf16ToUtf8(u""), "");
}

TEST(Utf, UnpairedSurrogatesBecomeTheReplacementCharacter) {
  // A title may hold any sequence of units; its UTF-8 never holds an encoded surrogate.
  const std::u16string lonely = {u'a', 0xD83D, u'b', 0xDE80, 0xDE80, 0xD83D};
  EXPECT_EQ(Utf16ToUtf8(lonely), "a\xef\xbf\xbd" "b\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");
  const std::u16string pair = {0xD83D, 0xDE80};
  EXPECT_EQ(Utf16ToUtf8(pair), kRocket);
}

TEST(Utf, InvalidUtf8IsNeverPassedOn) {
  const std::string bad[] = {
      "Fen\xeatre",          // a Latin-1 byte
      "\xc0\xaf",            // overlong "/"
      "\xed\xa0\xbd",        // an encoded surrogate
      "\xf4\x90\x80\x80",    // beyond U+10FFFF
      "\xe6\x97",            // cut short
      "\x80\xbf" "x",        // stray continuation bytes
      "\xf8\x88\x80\x80\x80",
  };
  for (const std::string& text : bad) {
    const std::string repaired = Utf16ToUtf8(Utf8ToUtf16(text));
    EXPECT_TRUE(IsWellFormed(repaired)) << testing::PrintToString(text);
    EXPECT_NE(repaired.find("\xef\xbf\xbd"), std::string::npos);
    EXPECT_TRUE(IsWellFormed(CutToUtf16Units(text, 100)));
    EXPECT_TRUE(IsWellFormed(CutToUtf16Units(text, 2)));
  }
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("Fen\xeatre")), "Fen\xef\xbf\xbdtre");
}

TEST(Utf, CutsCountUtf16UnitsAndNeverSplitACharacter) {
  // ASCII keeps its meaning exactly: N units are N bytes.
  EXPECT_EQ(CutToUtf16Units(std::string(300, 'a'), 254), std::string(254, 'a'));
  EXPECT_EQ(CutToUtf16Units("abc", 3), "abc");
  EXPECT_EQ(CutToUtf16Units("abc", 0), "");

  // 300 characters of two and three bytes: 254 characters, not 254 bytes.
  std::string greek;
  for (int i = 0; i < 60; ++i) greek += kGreek;  // 300 characters
  const std::string cut = CutToUtf16Units(greek, 254);
  EXPECT_EQ(Utf16Length(cut), 254u);
  EXPECT_EQ(cut, greek.substr(0, 254 * 2));
  std::string japanese;
  for (int i = 0; i < 150; ++i) japanese += kJapanese;
  EXPECT_EQ(CutToUtf16Units(japanese, 255), japanese.substr(0, 255 * 3));

  // A pair that would straddle the limit is left out whole.
  std::string rockets;
  for (int i = 0; i < 150; ++i) rockets += kRocket;  // 300 units
  EXPECT_EQ(CutToUtf16Units(rockets, 254), rockets.substr(0, 127 * 4));
  EXPECT_EQ(CutToUtf16Units(rockets, 255), rockets.substr(0, 127 * 4));
  EXPECT_EQ(CutToUtf16Units("x" + kRocket, 2), "x");
  EXPECT_EQ(Utf16Length(rockets), 300u);
}

}  // namespace
}  // namespace mirel

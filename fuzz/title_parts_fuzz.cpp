// The title-parts matcher of sticky rules over any rule text and any title. Every call of
// NextTitlePart takes something off the rest, so the matcher always ends, and its answer is the
// one the rule's definition gives: every comma-separated part, trimmed of bytes up to 32, is
// non-empty and occurs in the title with ASCII letters compared without case.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/sticky.h"
#include "engine/win2tree.h"
#include "fuzz/fuzz_support.h"

namespace mirel::fuzz {
namespace {

std::string Trimmed(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) --last;
  return text.substr(first, last - first);
}

bool ReferenceMatch(const std::string& parts, const std::string& title) {
  if (parts.empty()) return false;
  std::vector<std::string> pieces(1);
  for (char c : parts) {
    if (c == ',') {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  // A trailing comma leaves nothing to take: the walk ends there without a further part.
  if (pieces.size() > 1 && pieces.back().empty()) pieces.pop_back();
  const std::string upperTitle = UpperAscii(title);
  for (const std::string& piece : pieces) {
    const std::string part = UpperAscii(Trimmed(piece));
    if (part.empty() || upperTitle.find(part) == std::string::npos) return false;
  }
  return true;
}

void CheckWalk(const std::string& parts) {
  std::string rest = parts;
  std::string part;
  std::size_t steps = 0;
  while (!rest.empty()) {
    const std::size_t before = rest.size();
    NextTitlePart(rest, part);
    Require(rest.size() < before, "each part shortens the rest");
    Require(part.size() <= before, "a part comes from the rest");
    Require(part.find(',') == std::string::npos, "a part holds no comma");
    Require(part.empty() || (static_cast<unsigned char>(part.front()) > 32 &&
                             static_cast<unsigned char>(part.back()) > 32),
            "a part is trimmed");
    ++steps;
  }
  Require(steps <= parts.size(), "at most one part per byte");
}

}  // namespace
}  // namespace mirel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string parts = input.ConsumeRandomLengthString(512);
  const std::string title = input.ConsumeRemainingBytesAsString();
  mirel::fuzz::CheckWalk(parts);
  const bool match = mirel::AllTitlePartsIn(parts, title);
  mirel::fuzz::Require(match == mirel::fuzz::ReferenceMatch(parts, title),
                       "the matcher follows the rule's definition");
  return 0;
}

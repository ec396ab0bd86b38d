// The stored form of sticky rules, read back from anything a damaged or hostile registry may hold:
// any value names, types and bytes below the rules' key. Loading never fails and never keeps a rule
// that could not match; what it keeps is saved and loaded again as exactly the same list, and the
// key then holds nothing else.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "engine/win2tree.h"
#include "fuzz/fuzz_support.h"
#include "platform/sim/sim_registry.h"
#include "settings/sticky_rules.h"

namespace mirel::fuzz {
namespace {

bool SameLists(const TStickyWindows& a, const TStickyWindows& b) {
  if (a.Count() != b.Count()) return false;
  for (std::size_t i = 0; i < a.Count(); ++i) {
    const TStickyWindow& x = *a.Items(i);
    const TStickyWindow& y = *b.Items(i);
    if (x.Kind != y.Kind || x.Handle != y.Handle || x.WndClass != y.WndClass ||
        x.TitleParts != y.TitleParts) {
      return false;
    }
  }
  return true;
}

void CheckText(const std::string& text) {
  const auto rule = DecodeStickyRule(text);
  if (!rule) return;
  Require(rule->Kind != TStickyKind::skByHandle, "no rule by handle is stored");
  const auto encoded = EncodeStickyRule(*rule);
  Require(encoded.has_value(), "a decoded rule can be stored");
  const auto again = DecodeStickyRule(*encoded);
  Require(again && again->Kind == rule->Kind && again->WndClass == rule->WndClass &&
              again->TitleParts == rule->TitleParts,
          "a stored rule reads back as itself");
}

void CheckName(const std::string& name) {
  const auto number = StickyRuleNumber(name);
  if (!number) return;
  Require(*number >= 1, "rule numbers start at 1");
  Require(UpperAscii(StickyRuleValueName(*number)) == UpperAscii(name),
          "a rule number names its value");
}

std::string ValueName(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return "Rule" + std::to_string(input.ConsumeIntegralInRange<int>(0, 12));
    case 1:
      return "rUlE" + std::to_string(input.ConsumeIntegral<std::int64_t>());
    default:
      return input.ConsumeRandomLengthString(24);
  }
}

}  // namespace
}  // namespace mirel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirel;
  FuzzedDataProvider input(data, size);
  sim::SimRegistry registry;
  const int values = input.ConsumeIntegralInRange<int>(0, 12);
  for (int i = 0; i < values && input.remaining_bytes() > 0; ++i) {
    const std::string name = fuzz::ValueName(input);
    RegValue value;
    value.type = input.ConsumeBool() ? kRegSz : input.ConsumeIntegralInRange<std::uint32_t>(0, 11);
    std::string text = input.ConsumeRandomLengthString(300);
    if (input.ConsumeBool()) text = (input.ConsumeBool() ? "class:" : "TITLE:") + text;
    value.data.assign(text.begin(), text.end());
    if (input.ConsumeBool()) value.data.push_back(0);
    fuzz::CheckName(name);
    fuzz::CheckText(text);
    registry.SetRaw(kStickyKeyPath, name, value);
  }

  TStickyWindows loaded;
  LoadStickyRules(registry, loaded);
  for (std::size_t i = 0; i < loaded.Count(); ++i) {
    const TStickyWindow& rule = *loaded.Items(i);
    const auto remade = MakeStickyRule(rule.Kind, rule.Handle,
                                       rule.Kind == TStickyKind::skByClassName ? rule.WndClass
                                                                               : rule.TitleParts);
    fuzz::Require(remade.has_value(), "only rules that can match are loaded");
  }

  fuzz::Require(!SaveStickyRules(registry, loaded).has_value(), "saving to a working registry");
  TStickyWindows reloaded;
  LoadStickyRules(registry, reloaded);
  fuzz::Require(fuzz::SameLists(loaded, reloaded), "saved rules load as the same list");
  const auto* key = registry.FindKey(kStickyKeyPath);
  const std::size_t stored = key != nullptr ? key->values.size() : 0;
  fuzz::Require(stored == loaded.Count(), "the key holds exactly the saved rules");
  return 0;
}

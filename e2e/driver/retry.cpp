#include "e2e/driver/retry.h"

#include <cmath>
#include <iostream>
#include <map>
#include <stdexcept>

namespace mirel::e2e {
namespace {

// How rarely a test of a program that loses nothing may exceed its allowance.
constexpr double kFalseAlarm = 1e-3;

struct Tally {
  const LossyAction* kind = nullptr;
  int actions = 0;  // calls of Retrying: what the test set out to do
  int tries = 0;    // printed only: the repeats add to it
  int repeats = 0;
};

// Per kind, for the running test. The driver runs on the test's thread only.
std::map<std::string, Tally>& Tallies() {
  static std::map<std::string, Tally> tallies;
  return tallies;
}

}  // namespace

bool Retrying(const LossyAction& kind, const std::string& what,
              const std::function<bool()>& attempt, const std::function<void()>& beforeRepeat) {
  // An allowance that one action's repeats can never exceed would check nothing.
  if (RetryAllowance(kind, 1) >= kind.triesPerAction - 1) {
    throw std::logic_error(std::string(kind.name) + ": its loss rate allows every repeat");
  }
  Tally& tally = Tallies()[kind.name];
  tally.kind = &kind;
  ++tally.actions;
  for (int tryNumber = 1; tryNumber <= kind.triesPerAction; ++tryNumber) {
    if (tryNumber > 1) {
      ++tally.repeats;
      std::cerr << what << ": " << kind.name << " lost; try " << tryNumber << " of "
                << kind.triesPerAction << " (repeat " << tally.repeats << " in this test)\n";
      if (beforeRepeat) beforeRepeat();
    }
    ++tally.tries;
    if (attempt()) return true;
  }
  return false;
}

int RetryAllowance(const LossyAction& kind, int actions) {
  // The smallest k with P(X > k) below kFalseAlarm for X ~ Poisson(actions x rate). Counted on
  // the actions, not the tries: a repeat must not raise its own allowance.
  const double mean = actions * kind.lossRate;
  double term = std::exp(-mean);  // P(X = 0)
  double atMost = term;
  int k = 0;
  while (1.0 - atMost >= kFalseAlarm) {
    ++k;
    term *= mean / k;
    atMost += term;
  }
  return k;
}

void ResetRetryTallies() { Tallies().clear(); }

::testing::AssertionResult RetriesWithinAllowance() {
  std::string over;
  for (const auto& [name, tally] : Tallies()) {
    const int allowed = RetryAllowance(*tally.kind, tally.actions);
    std::cerr << name << ": " << tally.repeats << " repeats for " << tally.actions
              << " actions (allowed " << allowed << ")\n";
    if (tally.repeats > allowed) {
      over += "\n  " + std::string(name) + ": " + std::to_string(tally.repeats) + " repeats for " +
              std::to_string(tally.actions) + " actions, more than the " +
              std::to_string(allowed) + " the measured loss rate allows";
    }
  }
  if (over.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "lost more than Wine loses:" << over;
}

}  // namespace mirel::e2e

// What the fuzz targets share: a check that stops the run the way a crash does, so libFuzzer keeps
// the input that broke a promise as well as one that broke memory.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace mirel::fuzz {

inline void Require(bool condition, const char* promise) {
  if (condition) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

}  // namespace mirel::fuzz

#include "engine/window_family.h"

#include <algorithm>

namespace mirel {

Hwnd RootOwner(IWindowSystem& ws, Hwnd window) {
  std::vector<Hwnd> chain{window};
  while (true) {
    const Hwnd owner = ws.GetOwner(chain.back());
    if (owner == 0) return chain.back();
    const auto seen = std::find(chain.begin(), chain.end(), owner);
    if (seen != chain.end()) return *std::min_element(seen, chain.end());
    chain.push_back(owner);
  }
}

std::vector<Hwnd> WindowFamily(IWindowSystem& ws, Hwnd window,
                               const std::vector<Hwnd>& candidates) {
  const Hwnd root = RootOwner(ws, window);
  std::vector<Hwnd> family;
  for (const Hwnd candidate : candidates) {
    if (RootOwner(ws, candidate) == root) family.push_back(candidate);
  }
  return family;
}

}  // namespace mirel

#include "app/dpi_scale.h"

#include <cstdint>

namespace mirel {

namespace {

int ValidDpi(int dpi) { return dpi > 0 ? dpi : kDesignPixelsPerInch; }

}  // namespace

int ScaleToDpi(int design, int dpi) {
  const std::int64_t product = std::int64_t{design} * ValidDpi(dpi);
  const std::int64_t half = kDesignPixelsPerInch / 2;
  const std::int64_t rounded = product >= 0 ? (product + half) / kDesignPixelsPerInch
                                            : (product - half) / kDesignPixelsPerInch;
  return static_cast<int>(rounded);
}

int LineWidthForDpi(int dpi) {
  const int width = (ValidDpi(dpi) + kDesignPixelsPerInch / 2 - 1) / kDesignPixelsPerInch;
  return width < 1 ? 1 : width;
}

int ClickSlopForDpi(int dpi) { return (ValidDpi(dpi) - 1) / kDesignPixelsPerInch; }

}  // namespace mirel

// Sizes at a screen's DPI. The program's pictures and layouts are designed in pixels at 96 DPI
// (100 %); at 120, 144 and 192 DPI (125, 150, 200 %) each design pixel covers more screen pixels.
#pragma once

namespace mirel {

inline constexpr int kDesignPixelsPerInch = 96;

// `design` pixels at `dpi`, rounded half away from zero as MulDiv rounds: 16 -> 20, 24, 32 at
// 120, 144, 192 DPI.
int ScaleToDpi(int design, int dpi);

// The width of a one-pixel design line at `dpi`: the scale rounded to whole screen pixels, a half
// rounded down and never below one (1 up to 144 DPI, 2 up to 240, 3 up to 336).
int LineWidthForDpi(int dpi);

// How far (in screen pixels, each way) a release may lie from its press and still be the same
// point: the pixels one design pixel covers beyond the first (0 at 96 DPI, 1 at 144 and 192, 2 at
// 288). A click does not become a drag because the pointer twitched by less than a design pixel.
int ClickSlopForDpi(int dpi);

}  // namespace mirel

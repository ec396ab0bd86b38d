// Pictures of the screen: a rectangle of the screen as 32-bit pixels, saved as BMP files under the
// artifacts folder and compared region by region.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"

namespace mirel::e2e {

class Image {
 public:
  Image() = default;
  Image(int width, int height) : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return pixels_.empty(); }
  // 0x00RRGGBB, (0, 0) the top left.
  std::uint32_t At(int x, int y) const { return pixels_[Index(x, y)]; }
  std::uint32_t& At(int x, int y) { return pixels_[Index(x, y)]; }
  Image Crop(const RECT& area) const;

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// The screen inside `area` (screen coordinates), read through the screen DC with BitBlt.
Image CaptureScreen(const RECT& area);
// The whole primary screen.
Image CaptureScreen();

// Writes a 32-bit top-down BMP; throws DriverError when the file cannot be written.
void SaveBmp(const Image& image, const std::string& path);

// Number of pixels that differ between two images of the same size (all of them when the sizes
// differ).
int CountDifferentPixels(const Image& a, const Image& b);

// The screen inside `area` once two pictures in a row agree: a window just shown may still be
// painting. Throws DriverError when it does not settle.
Image SettledPicture(const RECT& area);

// Number of distinct colours: a region of one colour only shows nothing drawn on it.
int CountColours(const Image& image);

}  // namespace mirel::e2e

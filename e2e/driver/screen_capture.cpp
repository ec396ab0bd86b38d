#include "e2e/driver/screen_capture.h"

#include <algorithm>
#include <fstream>
#include <unordered_set>

#include "e2e/driver/wait.h"
#include "platform/win32/handles.h"

namespace mirel::e2e {

Image Image::Crop(const RECT& area) const {
  const int left = std::clamp<int>(area.left, 0, width_);
  const int top = std::clamp<int>(area.top, 0, height_);
  const int right = std::clamp<int>(area.right, left, width_);
  const int bottom = std::clamp<int>(area.bottom, top, height_);
  Image part(right - left, bottom - top);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) part.At(x - left, y - top) = At(x, y);
  }
  return part;
}

Image CaptureScreen(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) throw DriverError("CaptureScreen: empty area");
  Image image(width, height);

  const win32::WindowDc screen = win32::GetWindowDc(nullptr);
  const win32::MemoryDc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const win32::UniqueBitmap bitmap(
      CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!screen || !memory || !bitmap || bits == nullptr) {
    throw DriverError("CaptureScreen: cannot create the bitmap (error " +
                      std::to_string(GetLastError()) + ")");
  }
  {
    const win32::ScopedSelection select(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY)) {
      throw DriverError("CaptureScreen: BitBlt failed (error " + std::to_string(GetLastError()) +
                        ")");
    }
    GdiFlush();
  }
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.At(x, y) = pixels[static_cast<std::size_t>(y) * width + x] & 0x00FFFFFF;
    }
  }
  return image;
}

Image CaptureScreen() {
  return CaptureScreen(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

void SaveBmp(const Image& image, const std::string& path) {
  const std::uint32_t pixelBytes = static_cast<std::uint32_t>(image.Width()) *
                                   static_cast<std::uint32_t>(image.Height()) * 4;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + pixelBytes;
  info.biSize = sizeof(info);
  info.biWidth = image.Width();
  info.biHeight = -image.Height();
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  info.biSizeImage = pixelBytes;

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const std::uint32_t pixel = image.At(x, y);
      out.write(reinterpret_cast<const char*>(&pixel), sizeof(pixel));
    }
  }
  if (!out.flush()) throw DriverError("cannot write " + path);
}

int CountDifferentPixels(const Image& a, const Image& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) {
    return std::max(a.Width() * a.Height(), b.Width() * b.Height());
  }
  int different = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) different += a.At(x, y) != b.At(x, y) ? 1 : 0;
  }
  return different;
}

int CountColours(const Image& image) {
  std::unordered_set<std::uint32_t> colours;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) colours.insert(image.At(x, y));
  }
  return static_cast<int>(colours.size());
}

Image SettledPicture(const RECT& area) {
  Image last = CaptureScreen(area);
  Image settled;
  Await("a settled picture of the screen", [&] {
    Image next = CaptureScreen(area);
    const bool same = CountDifferentPixels(next, last) == 0;
    last = std::move(next);
    if (same) settled = last;
    return same;
  });
  return settled;
}

}  // namespace mirel::e2e

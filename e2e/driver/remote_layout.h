// Structures that another process fills in for a message, laid out for that process's bitness.
//
// A control writes its answer (a tool's text, a tree item, a toolbar button) into a structure in
// its own process, so the structure must have that process's layout, which is not the driver's
// when a 32-bit test asks the 64-bit shell. Only the fields the driver uses are described; the
// table is checked against the system's own structures in each build (remote_layout.cpp), which
// between the 32-bit and the 64-bit build covers both layouts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace mirel::e2e {

enum class Bitness { k32, k64 };

constexpr std::size_t PointerSize(Bitness bitness) { return bitness == Bitness::k64 ? 8 : 4; }

// TTTOOLINFOW (the full structure, with lpReserved).
struct ToolInfoLayout {
  std::size_t size, cbSize, hwnd, rect, lpszText;
};
constexpr ToolInfoLayout ToolInfoFor(Bitness bitness) {
  return bitness == Bitness::k64 ? ToolInfoLayout{72, 0, 8, 24, 48}
                                 : ToolInfoLayout{48, 0, 8, 16, 36};
}

// TVITEMW.
struct TreeItemLayout {
  std::size_t size, mask, hItem, pszText, cchTextMax;
};
constexpr TreeItemLayout TreeItemFor(Bitness bitness) {
  return bitness == Bitness::k64 ? TreeItemLayout{56, 0, 8, 24, 32}
                                 : TreeItemLayout{40, 0, 4, 16, 20};
}

// TBBUTTON.
struct ToolbarButtonLayout {
  std::size_t size, idCommand;
};
constexpr ToolbarButtonLayout ToolbarButtonFor(Bitness bitness) {
  return bitness == Bitness::k64 ? ToolbarButtonLayout{32, 4} : ToolbarButtonLayout{20, 4};
}

// The bytes of one such structure, little-endian as both targets are; zeroed at first.
class StructBytes {
 public:
  StructBytes(Bitness bitness, std::size_t size) : bitness_(bitness), bytes_(size) {}

  void SetUint32(std::size_t offset, std::uint32_t value) { Put(offset, value, 4); }
  // A pointer or handle field: 4 or 8 bytes as the target has them.
  void SetPointer(std::size_t offset, std::uint64_t value) {
    Put(offset, value, PointerSize(bitness_));
  }
  std::uint32_t Uint32(std::size_t offset) const {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes_.data() + offset, sizeof value);
    return value;
  }

  char* data() { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }

 private:
  void Put(std::size_t offset, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
      bytes_[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
  }

  Bitness bitness_;
  std::vector<char> bytes_;
};

}  // namespace mirel::e2e

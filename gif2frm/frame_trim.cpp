#include "gif2frm/frame_trim.h"

#include <cstddef>
#include <cstring>

namespace {

bool rowIsClear(const std::uint8_t* row, std::uint32_t width) {
  for (std::uint32_t x = 0; x < width; ++x) {
    if (row[x] != 0) return false;
  }
  return true;
}

}  // namespace

PixelRect visibleRect(const std::uint8_t* pixels, std::uint32_t width,
                      std::uint32_t height) {
  const auto row = [&](std::uint32_t y) {
    return pixels + std::size_t{y} * width;
  };
  std::uint32_t top = 0;
  while (top < height && rowIsClear(row(top), width)) ++top;
  if (top == height) return PixelRect{};
  std::uint32_t bottom = height;  // one past the last visible row
  while (rowIsClear(row(bottom - 1), width)) --bottom;
  std::uint32_t left = width;
  std::uint32_t right = 0;  // one past the last visible column
  for (std::uint32_t y = top; y < bottom; ++y) {
    const std::uint8_t* r = row(y);
    for (std::uint32_t x = 0; x < left; ++x) {
      if (r[x] != 0) {
        left = x;
        break;
      }
    }
    for (std::uint32_t x = width; x > right; --x) {
      if (r[x - 1] != 0) {
        right = x;
        break;
      }
    }
  }
  return PixelRect{left, top, right - left, bottom - top};
}

void cropInPlace(std::uint8_t* pixels, std::uint32_t width,
                 const PixelRect& rect) {
  // Each row moves to a place at or before its own: front to back, nothing
  // is overwritten before it is moved.
  for (std::uint32_t y = 0; y < rect.height; ++y) {
    std::memmove(pixels + std::size_t{y} * rect.width,
                 pixels + std::size_t{rect.top + y} * width + rect.left,
                 rect.width);
  }
}

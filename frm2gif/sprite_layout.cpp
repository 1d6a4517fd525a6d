#include "frm2gif/sprite_layout.h"

#include <algorithm>

DirectionPicture layOutDirection(const FrmImage& image, int direction) {
  const std::uint32_t count = image.framesPerDirection;
  const std::uint32_t first = count * static_cast<std::uint32_t>(direction);
  DirectionPicture layout;
  layout.frames.resize(count);
  // At most 65535 offsets of at most 32768 each: 64-bit sums never overflow.
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::int64_t minLeft = 0, minTop = 0, maxRight = 0, maxBottom = 0;
  for (std::uint32_t k = 0; k < count; ++k) {
    const FrmFrame& frame = *image.frames[first + k];
    x += frame.offsetX;
    y += frame.offsetY;
    const std::int64_t left = x - frame.width / 2;
    const std::int64_t top = y - frame.height;
    layout.frames[k] = {left, top};
    if (k == 0) {
      minLeft = maxRight = left;
      minTop = maxBottom = top;
    }
    minLeft = std::min(minLeft, left);
    minTop = std::min(minTop, top);
    maxRight = std::max(maxRight, left + frame.width);
    maxBottom = std::max(maxBottom, top + frame.height);
  }
  for (FramePlacement& placement : layout.frames) {
    placement.left -= minLeft;
    placement.top -= minTop;
  }
  layout.width = std::max<std::int64_t>(1, maxRight - minLeft);
  layout.height = std::max<std::int64_t>(1, maxBottom - minTop);
  return layout;
}

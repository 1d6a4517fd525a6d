#include "frm2gif/sprite_layout.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A frame's reference point, summed from the offsets, and the size it is
// shown at: a frame without pixels is one pixel.
struct Shown {
  std::int64_t x, y, width, height;
};

std::vector<Shown> shownFrames(const FrmImage& image, int direction) {
  const std::uint32_t count = image.framesPerDirection;
  const std::uint32_t first = count * static_cast<std::uint32_t>(direction);
  std::vector<Shown> shown(count);
  // At most 65535 offsets of at most 32768 each: 64-bit sums never overflow.
  std::int64_t x = 0;
  std::int64_t y = 0;
  for (std::uint32_t k = 0; k < count; ++k) {
    const FrmFrame& frame = *image.frames[first + k];
    x += frame.offsetX;
    y += frame.offsetY;
    const bool empty = frame.pixelCount == 0;
    shown[k] = {x, y, empty ? 1 : frame.width, empty ? 1 : frame.height};
  }
  return shown;
}

std::int64_t floorHalf(std::int64_t value) {
  return value >= 0 ? value / 2 : -((1 - value) / 2);
}

// The widths a picture needs with its bottom centre at anchor x = a. A frame
// w wide whose point lies at x (from the anchor) fits, with the converter's
// halving, when -floor((W - w) / 2) <= x <= ceil((W - w) / 2), that is when
// W >= w + max(2x - 1, -2x). Over all frames: W >= max(right - 2a,
// left + 2a), with right = max(w + 2x) - 1 and left = max(w - 2x).
struct WidthNeed {
  std::int64_t right = 0;
  std::int64_t left = 0;
  std::int64_t at(std::int64_t anchor) const {
    return std::max(right - 2 * anchor, left + 2 * anchor);
  }
};

WidthNeed widthNeed(const std::vector<Shown>& shown) {
  WidthNeed need{shown[0].width + 2 * shown[0].x - 1,
                 shown[0].width - 2 * shown[0].x};
  for (const Shown& frame : shown) {
    need.right = std::max(need.right, frame.width + 2 * frame.x - 1);
    need.left = std::max(need.left, frame.width - 2 * frame.x);
  }
  return need;
}

// The anchor that gives the narrowest picture: where the two bounds of
// WidthNeed cross, the nearer to 0 of two equally narrow ones.
std::int64_t narrowestAnchor(const WidthNeed& need) {
  const std::int64_t low = floorHalf(floorHalf(need.right - need.left));
  std::int64_t best = low;
  for (const std::int64_t anchor : {low + 1, low - 1, low + 2}) {
    const std::int64_t width = need.at(anchor);
    const std::int64_t bestWidth = need.at(best);
    if (width < bestWidth ||
        (width == bestWidth &&
         (std::llabs(anchor) < std::llabs(best) ||
          (std::llabs(anchor) == std::llabs(best) && anchor < best)))) {
      best = anchor;
    }
  }
  return best;
}

void layOutAcross(const std::vector<Shown>& shown, DirectionPicture& layout) {
  const WidthNeed need = widthNeed(shown);
  const std::int64_t centred = need.at(0);
  if (centred > kMaxGifSide) {
    layout.centredWidth = centred;
    layout.anchorX = narrowestAnchor(need);
  }
  layout.width = need.at(layout.anchorX);
}

// Heights: a frame h high whose point lies at y (from the anchor) fits when
// y <= 0 and H >= h - y.
void layOutDown(const std::vector<Shown>& shown, DirectionPicture& layout) {
  std::int64_t lowest = shown[0].y;
  std::int64_t tallest = shown[0].height - shown[0].y;
  for (std::uint32_t k = 0; k < shown.size(); ++k) {
    if (shown[k].y > lowest) {
      lowest = shown[k].y;
      layout.lowestFrame = k;
    }
    tallest = std::max(tallest, shown[k].height - shown[k].y);
  }
  if (lowest > 0) {
    layout.lowestBelow = lowest;
    layout.anchorY = lowest;
  } else if (tallest > kMaxGifSide) {
    layout.centredHeight = tallest;
    layout.anchorY = lowest;
  }
  layout.height = tallest + layout.anchorY;
}

}  // namespace

DirectionPicture layOutDirection(const FrmImage& image, int direction) {
  const std::vector<Shown> shown = shownFrames(image, direction);
  DirectionPicture layout;
  if (shown.empty()) return layout;
  layOutAcross(shown, layout);
  layOutDown(shown, layout);
  layout.frames.resize(shown.size());
  for (std::size_t k = 0; k < shown.size(); ++k) {
    const Shown& frame = shown[k];
    layout.frames[k] = {
        frame.x - layout.anchorX + (layout.width - frame.width) / 2,
        frame.y - layout.anchorY + layout.height - frame.height};
  }
  return layout;
}

// Where the frames of one direction of a sprite land when it is shown, so
// that gif2frm -n, given the GIF, gives every frame's offsets back.
//
// Each frame's reference point, the horizontal centre of its bottom edge,
// lies at the sum of the offsets of the direction's frames up to and
// including it. gif2frm measures that point in a GIF of W x H pixels from
// the picture's bottom centre, for an image of w x h pixels at (left, top):
// x = left - (W - w) / 2 (halved toward zero), y = top + h - H, the
// direction's first frame from (0, 0) and every later one from the frame
// before it. So the picture is laid out around its bottom centre, the
// point the sums start from: the smallest picture in which every frame lies
// whole and that rule gives back every frame's own point. A frame without
// pixels is shown as one pixel, placed the same way.
//
// A frame whose point lies below the picture's bottom centre (y > 0) could
// only come back from outside the picture, and a picture laid out so may be
// wider or taller than a GIF holds. Then the picture is the smallest box
// around the frames instead, measured from another point, the anchor:
// every frame keeps its place relative to the others, but the first frame
// comes back with its offsets less the anchor.
#ifndef GIF2FRM_FRM2GIF_SPRITE_LAYOUT_H_
#define GIF2FRM_FRM2GIF_SPRITE_LAYOUT_H_

#include <cstdint>
#include <vector>

#include "frm/frm_image.h"

// A frame's top left corner, measured from the picture's top left corner.
struct FramePlacement {
  std::int64_t left = 0;
  std::int64_t top = 0;
};

// The largest picture a GIF holds, either way.
constexpr std::int64_t kMaxGifSide = 0xFFFF;

struct DirectionPicture {
  // The picture, at least 1 x 1.
  std::int64_t width = 1;
  std::int64_t height = 1;
  std::vector<FramePlacement> frames;  // one per frame of the direction

  // Where gif2frm's measuring starts, from the point the offsets are summed
  // from: (0, 0) when the GIF gives every offset back.
  std::int64_t anchorX = 0;
  std::int64_t anchorY = 0;
  // Why the anchor moved down: the frame whose point lies lowest, and how
  // far below the point the offsets start from (0 when none lies below).
  std::uint32_t lowestFrame = 0;
  std::int64_t lowestBelow = 0;
  // The picture laid out around the bottom centre, when that is too large
  // for a GIF; 0 x 0 otherwise.
  std::int64_t centredWidth = 0;
  std::int64_t centredHeight = 0;

  bool exact() const { return anchorX == 0 && anchorY == 0; }
  // Whether a GIF can hold the picture.
  bool fitsGif() const { return width <= kMaxGifSide && height <= kMaxGifSide; }
};

// The layout of direction (0 to frmDirectionCount - 1) of a sprite that the
// reader has filled.
DirectionPicture layOutDirection(const FrmImage& image, int direction);

#endif  // GIF2FRM_FRM2GIF_SPRITE_LAYOUT_H_

// Where the frames of one direction of a sprite land when it is shown. Each
// frame's reference point, the horizontal centre of its bottom edge, lies
// at the sum of the offsets of the direction's frames up to and including
// it; a frame w wide has w / 2 columns left of that point (w / 2 rounded
// down) and its bottom row directly above it. The picture is the bounding
// box of all the frames, so that every frame lies within it.
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

struct DirectionPicture {
  // The bounding box of the frames, at least 1 x 1; a frame without pixels
  // counts as the point where its corner lies.
  std::int64_t width = 1;
  std::int64_t height = 1;
  std::vector<FramePlacement> frames;  // one per frame of the direction

  // Whether a GIF can hold the picture: at most 65535 pixels either way.
  bool fitsGif() const { return width <= 0xFFFF && height <= 0xFFFF; }
};

// The layout of direction (0 to frmDirectionCount - 1) of a sprite that the
// reader has filled.
DirectionPicture layOutDirection(const FrmImage& image, int direction);

#endif  // GIF2FRM_FRM2GIF_SPRITE_LAYOUT_H_

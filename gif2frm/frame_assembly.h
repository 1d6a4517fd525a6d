// Turns decoded frames into the frames of an FRM sprite: one FRM frame per
// source frame, its colours matched to the palette (the built-in one, or the
// colours of a palette file) by the run's match mode, transparent pixels
// index 0, and each frame placed by its offset from the frame before it,
// measured between reference points: the horizontal centre and the bottom
// edge of the frame's rectangle, against the canvas's.
#ifndef GIF2FRM_CONVERTER_FRAME_ASSEMBLY_H_
#define GIF2FRM_CONVERTER_FRAME_ASSEMBLY_H_

#include <cstdint>

#include "color/palette_file.h"
#include "frm/frm_image.h"
#include "gif/gif_file.h"
#include "gif2frm/frame_colors.h"
#include "gif2frm/options.h"
#include "gif2frm/source_image.h"

// Why decoded images could not become a sprite, or Ok.
enum class SpriteStatus {
  Ok,
  NoImage,                // an input holds no image
  TooLarge,               // too many frames, or a frame area beyond 4 GiB
  ImagesNotDivisible,     // -6 with an image count not divisible by 6
  ActionFrameOutOfRange,  // -a= is past the last frame of a direction
  UnequalDirections,      // a direction file has more or fewer images
  CantTranslate,          // a colour has no palette entry within the delta
  NeedsIndices,           // -n, but an image is true colour
  NoMemory,               // the frame array, a frame or the dithering's
                          // memory could not be allocated
  BadLayout,  // frames that do not make whole directions of the layout
              // asked for: a caller's mistake, never a user's
};

// The bytes the frames take in an FRM frame area: 12 + width x height
// summed over them. Looks only at their sizes.
std::uint64_t frameAreaOf(const SourceImage& image);

// Where an image's frames go in a sprite of several directions.
struct DirectionLayout {
  int directionCount = 1;  // 1, or 6 for a whole sprite
  std::uint16_t framesPerDirection = 0;
  int firstDirection = 0;  // the direction the image starts
};

// Fills directions of a sprite from source: its frames, in order, become the
// frames of directions layout.firstDirection onwards,
// layout.framesPerDirection to a direction (the image holds whole
// directions). The image that starts the sprite (firstDirection 0) makes the
// frame array for all directions, after its shared colour table is matched;
// the images after it find that array in image. Each direction gets its
// shifts of the options and, in dataOffset, the frame area written before
// it, and its first frame is measured from (0, 0). Colours are written by
// colors, started on source here. With takeOver set, each pixel block that
// can hold its FRM frame in place becomes that frame (the source cannot be
// assembled again); without it, the source is only read. After a failure
// image holds the frames built so far, the other entries empty, and is
// destroyed as usual.
SpriteStatus buildDirections(SourceImage& source, const Options& options,
                             const DirectionLayout& layout, FrameColors& colors,
                             FrmImage& image, bool takeOver);

// One GIF in one direction, into image, which must be freshly constructed:
// the whole conversion of a GIF that fits, with colours matched by options
// (palette: the colours to match against instead of the built-in
// palette's). The GIF is only read.
SpriteStatus buildFrmImage(const GifFile& gif, const Options& options,
                           FrmImage& image,
                           const PaletteColors* palette = nullptr);

// The same, each GIF frame's pixel block becoming its FRM frame where it
// can, so that the two copies of a sprite never exist side by side. The GIF
// cannot be assembled again afterwards.
SpriteStatus buildFrmImageReleasingPixels(
    GifFile& gif, const Options& options, FrmImage& image,
    const PaletteColors* palette = nullptr);

#endif  // GIF2FRM_CONVERTER_FRAME_ASSEMBLY_H_

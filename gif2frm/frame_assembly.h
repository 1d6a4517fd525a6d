// Turns a decoded GIF into an FRM image: one frame per GIF image, colours
// matched to the palette (the built-in one, or the colours of a palette file)
// by the run's match mode, the transparent colour to index 0, and each frame
// placed by its offset from the frame before it.
#ifndef GIF2FRM_CONVERTER_FRAME_ASSEMBLY_H_
#define GIF2FRM_CONVERTER_FRAME_ASSEMBLY_H_

#include <cstdint>

#include "color/palette_file.h"
#include "frm/frm_image.h"
#include "gif/gif_file.h"
#include "gif2frm/gif_color_maps.h"
#include "gif2frm/options.h"
#include "gif2frm/run_colors.h"

enum class AssemblyStatus {
  Ok,
  CantTranslate,  // the global or a local colour table has no palette match
  NoMemory,       // the frame array, a frame or the dithering's memory
                  // could not be allocated
};

// The bytes the GIF's images take in an FRM frame area: 12 + width x height
// summed over the images. Looks only at the descriptors.
std::uint64_t frameAreaOf(const GifFile& gif);

// Whether the GIF fits the FRM format's fixed fields as one direction: at
// most 65,535 images, and a frame area of at most 4,294,967,295 bytes.
bool fitsInFrm(const GifFile& gif);

// Where a GIF's frames go in a sprite of several directions.
struct DirectionLayout {
  int directionCount = 1;  // 1, or 6 for a whole sprite
  std::uint16_t framesPerDirection = 0;
  int firstDirection = 0;  // the direction the GIF starts
};

// Fills image, which must be freshly constructed, from gif (at least one
// frame, and fitsInFrm). The global colour table is translated before the
// frame array is made, each local table before its frame is allocated; the
// first failure ends the assembly. After any failure the image holds the
// frames built so far, the other entries empty, and is destroyed as usual.
// palette: the colours to match against instead of the built-in palette's.
AssemblyStatus buildFrmImage(const GifFile& gif, const Options& options,
                             FrmImage& image,
                             const PaletteColors* palette = nullptr);

// The same, releasing each GIF frame's pixels as soon as its FRM frame has
// been built, so that the two copies of a sprite never exist side by side:
// the run's peak memory is one sprite and one frame, not two sprites. The
// GIF cannot be assembled again afterwards.
AssemblyStatus buildFrmImageReleasingPixels(
    GifFile& gif, const Options& options, FrmImage& image,
    const PaletteColors* palette = nullptr);

// Fills directions of a sprite from gif, releasing its pixels as above: the
// GIF's frames, in order, become the frames of directions
// layout.firstDirection onwards, layout.framesPerDirection to a direction
// (the GIF holds whole directions). The GIF that starts the sprite
// (firstDirection 0) makes its frame array for all directions, after its own
// global table; the GIFs after it find that array in image. Each direction
// gets the shifts of the options and, in dataOffset, the frame area written
// before it, and its first frame is measured from (0, 0). Colour tables are
// matched as in buildFrmImage by colors, which the GIFs of one sprite share,
// into maps, which are gif's own: restarted before gif was loaded, and
// handed to its load if the reader was to map its pixels.
AssemblyStatus buildDirectionsReleasingPixels(
    GifFile& gif, const Options& options, const DirectionLayout& layout,
    RunColors& colors, GifColorMaps& maps, FrmImage& image);

#endif  // GIF2FRM_CONVERTER_FRAME_ASSEMBLY_H_

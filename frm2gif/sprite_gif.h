// One direction of a sprite as an animated GIF: a global colour table made
// from the palette, and for every frame a graphic control extension (index
// 0 transparent, disposal "restore to background" so that each frame shows
// alone, the frame's delay) and the frame's indices as they are, placed by
// the direction's layout; the looping extension makes it play forever. A
// frame without pixels becomes one transparent pixel where its corner lies
// (inside the picture): GIF decoders, giflib among them, refuse images of
// width or height 0, and the frame must still take its turn.
#ifndef GIF2FRM_FRM2GIF_SPRITE_GIF_H_
#define GIF2FRM_FRM2GIF_SPRITE_GIF_H_

#include <cstdint>
#include <vector>

#include "frm/frm_image.h"
#include "frm2gif/palette.h"
#include "frm2gif/sprite_layout.h"

// The delay between frames, in hundredths of a second, for a sprite's
// framesPerSecond: 100 / framesPerSecond rounded, at least 1; 10 (ten frames
// a second) when the field is 0.
std::uint16_t frameDelay(std::uint16_t framesPerSecond);

// The GIF file of direction of image, laid out by layout (which must fit a
// GIF). Throws std::bad_alloc when the memory cannot be had.
std::vector<std::uint8_t> directionGif(const FrmImage& image, int direction,
                                       const DirectionPicture& layout,
                                       const PaletteColors& colors);

#endif  // GIF2FRM_FRM2GIF_SPRITE_GIF_H_

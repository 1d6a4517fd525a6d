// What -i prints: the header fields of a sprite, the picture of each
// direction, and one line per frame with where it lands in that picture.
#ifndef GIF2FRM_FRM2GIF_SPRITE_INFO_H_
#define GIF2FRM_FRM2GIF_SPRITE_INFO_H_

#include <vector>

#include "frm/frm_image.h"
#include "frm2gif/sprite_layout.h"

// Prints the sprite that the reader has filled, with the layout of each of
// its directions, on standard output.
void printSpriteInfo(const FrmImage& image,
                     const std::vector<DirectionPicture>& layouts);

#endif  // GIF2FRM_FRM2GIF_SPRITE_INFO_H_

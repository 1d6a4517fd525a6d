// Random animated GIFs drawn with the palette's own colours, as a sprite
// artist draws them: every entry of the colour table is exactly a palette
// colour, entry i that of palette entry i wherever entry i is the first of
// its colour. Converted with -d=0, such a GIF keeps its colour indices, and
// its transparent pixels become 0.
#ifndef GIF2FRM_TESTS_SUPPORT_PALETTE_ART_H_
#define GIF2FRM_TESTS_SUPPORT_PALETTE_ART_H_

#include <cstdint>
#include <random>
#include <vector>

#include "gif/encoder/gifenc.h"

struct PaletteArt {
  std::vector<std::uint8_t> gif;
  std::uint16_t screenWidth = 0;
  std::uint16_t screenHeight = 0;
  std::vector<gifenc::Image> images;  // as drawn, pixels in display order
  std::vector<int> transparent;       // per image: its transparent index or -1

  // The FRM frame that image k becomes with -d=0: its pixels, the
  // transparent ones 0.
  std::vector<std::uint8_t> expectedIndices(std::size_t k) const;
};

// imageCount images of random sizes (now and then empty, or reaching past
// the screen), places, interlacing and transparency.
PaletteArt drawPaletteArt(std::mt19937& random, int imageCount);

#endif  // GIF2FRM_TESTS_SUPPORT_PALETTE_ART_H_

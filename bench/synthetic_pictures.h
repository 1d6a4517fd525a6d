// Pictures for the benchmark corpus, made from integer arithmetic and a
// seeded generator only, so that every machine and compiler draws the same
// pixels and the cached corpus never depends on where it was made.
#ifndef GIF2FRM_BENCH_SYNTHETIC_PICTURES_H_
#define GIF2FRM_BENCH_SYNTHETIC_PICTURES_H_

#include <cstdint>
#include <vector>

#include "gif/encoder/gif_builder.h"

namespace bench {

// splitmix64: tiny, fast, and the same sequence everywhere (unlike the
// standard distributions, whose output is left to each library).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  // 0 to bound - 1; bound at least 1.
  std::uint32_t below(std::uint32_t bound);

 private:
  std::uint64_t state_;
};

// A colour table of count entries, every one of them a colour of the
// program's palette (entries 1..228, 6-bit) widened to 8 bits, so that the
// conversion can match each entry. variant shuffles the order and sets the
// low two bits differently, making tables that look different to a decoder
// but convert alike.
gifenc::ColorTable paletteColorTable(const std::uint8_t* palette, int count,
                                     int variant);

// A smooth, textured, photo-like RGB picture (three channels per pixel),
// looked at through a window starting at (originX, originY) of an endless
// field, so that shifted windows make the frames of a panning shot.
std::vector<std::uint8_t> photoField(std::uint32_t width, std::uint32_t height,
                                     std::uint32_t originX,
                                     std::uint32_t originY, std::uint64_t seed);

// Floyd-Steinberg error diffusion of an RGB picture onto the colours of
// table: the indices, one per pixel.
std::vector<std::uint8_t> ditherToTable(const std::vector<std::uint8_t>& rgb,
                                        std::uint32_t width,
                                        std::uint32_t height,
                                        const gifenc::ColorTable& table);

// Frame frame of a walk cycle of frameCount frames: a shaded, outlined
// figure on index 0 (the transparent colour), using indices below 32.
std::vector<std::uint8_t> spriteFrame(std::uint32_t width, std::uint32_t height,
                                      int frame, int frameCount);

// Large areas of 8 colours (indices 0..7): bands, rectangles and discs, so
// that rows are made of runs hundreds to thousands of pixels long.
std::vector<std::uint8_t> flatShapes(std::uint32_t width, std::uint32_t height);

// Independent uniform indices 0..colors - 1 (colors a power of two up to
// 256): the worst case for LZW, which then fills its dictionary every few
// thousand codes. With fewer colours, more of the codes are short strings.
std::vector<std::uint8_t> noise(std::uint32_t width, std::uint32_t height,
                                std::uint64_t seed, std::uint32_t colors = 256);

}  // namespace bench

#endif  // GIF2FRM_BENCH_SYNTHETIC_PICTURES_H_

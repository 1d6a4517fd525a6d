// Ordered dithering onto the palette entries 1..228. A colour is shown as a
// mix of entries: a plan of kPlanSlots entries whose average in linear light
// is the colour, found by spreading the error of each pick over the picks
// after it, and sorted by lightness. An 8 x 8 Bayer threshold matrix laid
// over the canvas decides pixel by pixel which slot of the plan shows, so
// that each entry's share of the pixels lies evenly spread. A pixel's entry
// thus depends on nothing but its colour and its place on the canvas: what
// keeps its colour and place from one frame of an animation to the next
// keeps its entry, and a colour that is a palette entry (by its 6-bit
// reduction, as the other match modes tell it) is that entry everywhere.
#ifndef GIF2FRM_COLOR_ORDERED_DITHER_H_
#define GIF2FRM_COLOR_ORDERED_DITHER_H_

#include <cstdint>

#include "color/color_map.h"
#include "color/floyd_steinberg.h"
#include "color/palette_lab.h"
#include "platform/byte_buffer.h"

// The plans of the colours a run meets. Lives for a run: it depends on the
// palette only.
class MixPlans {
 public:
  static constexpr std::uint32_t kSlots = 16;
  using Plan = std::uint8_t[kSlots];

  // nearest: the run's nearest-entry cache, which the plans are made of;
  // its cells are allocated here when they are first needed.
  explicit MixPlans(NearestCache& nearest);

  // The memory that making and keeping plans takes, had on first need: the
  // nearest-entry cells and the kept plans. False when it cannot be had.
  bool reserve();

  // The plan of an 8-bit colour, darkest entry first (reserve first).
  void make(std::uint8_t red, std::uint8_t green, std::uint8_t blue, Plan plan);

  // The entry that a colour whose 6-bit reduction is an entry's colour is
  // at every place (the lowest such index); 0 for any other colour.
  std::uint8_t entryAlone(std::uint8_t red, std::uint8_t green,
                          std::uint8_t blue) const {
    return entryOf(std::uint32_t{red} >> 2 << 12 |
                   std::uint32_t{green} >> 2 << 6 | blue >> 2);
  }

  // The same, kept: the plan of a colour met before is looked up, not made
  // again. A colour whose 6-bit reduction is an entry's is that entry alone,
  // without memory of its own. Null when a plan must be made and reserve
  // fails.
  const std::uint8_t* find(std::uint8_t red, std::uint8_t green,
                           std::uint8_t blue);

 private:
  struct Kept {
    std::uint32_t key;  // 1 << 24 | red << 16 | green << 8 | blue; 0: empty
    Plan plan;
  };

  // The entry 1..228 of a 6-bit colour, or 0 when no entry has it.
  std::uint8_t entryOf(std::uint32_t cell) const;

  NearestCache& nearest_;
  bool reserved_ = false;
  Plan alone_[256];  // each entry's plan of itself
  // Set by reserve: each entry's widened colour in linear light and in
  // CIELAB, and its luminance, which plans are sorted by.
  double entryLinear_[256][3] = {};
  Lab entryLab_[256] = {};
  // One bit per 6-bit colour: set for the colours of entries 1..228.
  std::uint8_t entryCells_[64 * 64 * 64 / 8] = {};
  // The same colours, cell << 8 | entry, sorted.
  std::uint32_t byCell_[256] = {};
  std::uint32_t cellCount_ = 0;
  std::int32_t lightness_[256] = {};
  platform::ByteBuffer kept_;  // kKept plans, by a hash of the colour
};

// One image, row by row from the top, each row given once: rows of GIF
// indices into a colour table (start, row), or rows of 8-bit red, green,
// blue, alpha (startRgba, rowRgba). The image lies at (left, top) on the
// canvas, which places the threshold matrix.
class OrderedDither {
 public:
  explicit OrderedDither(MixPlans& plans) : plans_(plans) {}

  // Starts an image of width pixels a row whose GIF indices below entryCount
  // are the colours of table (3 bytes each). Pixels of the transparent index
  // (when transparent is set) become 0; indices at or above entryCount,
  // which have no colour, become what map holds for them.
  // False when the memory for the plans cannot be had.
  bool start(std::uint32_t width, const std::uint8_t* table,
             std::uint32_t entryCount, const ColorMap& map, bool transparent,
             std::uint8_t transparentIndex, std::uint32_t left,
             std::uint32_t top);

  // Maps the next row: the first delivered pixels of source are GIF
  // indices; the rest of the row was never decoded and becomes 0. out may
  // be source itself.
  void row(const std::uint8_t* source, std::uint32_t delivered,
           std::uint8_t* out);

  // Starts an image of width pixels a row of 4 bytes each, red, green, blue,
  // alpha. A pixel whose alpha is below alphaThreshold becomes 0; the others
  // are opaque, of their colour as stored. False when the memory for the
  // plans cannot be had.
  bool startRgba(std::uint32_t width, std::uint32_t alphaThreshold,
                 std::uint32_t left, std::uint32_t top);

  // Maps the next row of such pixels, the first delivered of which were
  // decoded; the rest become 0. out has width bytes.
  void rowRgba(const std::uint8_t* rgba, std::uint32_t delivered,
               std::uint8_t* out);

 private:
  MixPlans& plans_;
  std::uint32_t width_ = 0;
  std::uint32_t left_ = 0;
  std::uint32_t y_ = 0;  // the canvas row of the next row
  std::uint32_t alphaThreshold_ = 0;
  // Indexed images: each GIF index's entry at each place of the matrix (row
  // by row), and whether it is the same at every place.
  std::uint8_t byPlace_[64][256] = {};
  bool uniform_[256] = {};
};

#endif  // GIF2FRM_COLOR_ORDERED_DITHER_H_

// A palette's matchable entries (1..228) in CIELAB, computed once per run,
// and the search for the entry nearest to a colour.
#ifndef GIF2FRM_COLOR_PALETTE_LAB_H_
#define GIF2FRM_COLOR_PALETTE_LAB_H_

#include <array>
#include <cstdint>

#include "color/cielab.h"
#include "color/palette.h"

class PaletteLab {
 public:
  // palette: 256 entries of red, green, blue with 6-bit components, as the
  // first 768 bytes of the built-in palette; only entries 1..228 are read.
  explicit PaletteLab(const std::uint8_t* palette);

  // The entry of 1..228 at the least CIE76 Delta E from color; among entries
  // at the same distance, the lowest index.
  std::uint8_t nearest(const Lab& color) const;
  std::uint8_t nearest(std::uint8_t red, std::uint8_t green,
                       std::uint8_t blue) const {
    return nearest(labFromSrgb(red, green, blue));
  }

  // An entry's colour on the 8-bit scale (expandSixBit of each component),
  // 3 bytes.
  const std::uint8_t* widened(std::uint8_t entry) const {
    return &widened_[3 * std::size_t{entry}];
  }

 private:
  static constexpr int kCount = kLastMatchableEntry - kFirstMatchableEntry + 1;
  struct Candidate {
    Lab lab;
    std::uint8_t entry;
  };
  // Sorted by lightness: a search can stop on each side once the lightness
  // difference alone exceeds the best distance found.
  std::array<Candidate, kCount> byLightness_;
  std::array<std::uint8_t, 3 * kPaletteEntries> widened_{};
};

#endif  // GIF2FRM_COLOR_PALETTE_LAB_H_

// Palette entries for the colours of true-colour pixels, by the same rules
// that match a colour table: the first entry within the delta, or the CIE76
// nearest entry (ties to the lower index). A picture holds far more pixels
// than colours, so each colour is matched once and its entry remembered.
//
// The nearest entry is found among a few candidates: the colour cube is cut
// into 16 x 16 x 16 cells, and a cell keeps the entries that can be nearest
// to some colour in it. sRGB's matrix to XYZ has no negative coefficient,
// so a cell's colours lie in a box of XYZ that its corners give exactly and
// in a box of CIELAB that the box of XYZ bounds; an entry farther from the
// whole box than another entry's farthest point of it is nearest to none of
// its colours. The result is exactly PaletteLab::nearest's.
#ifndef GIF2FRM_COLOR_TRUE_COLOR_MATCH_H_
#define GIF2FRM_COLOR_TRUE_COLOR_MATCH_H_

#include <cstdint>
#include <vector>

#include "color/cielab.h"
#include "color/color_matching.h"
#include "platform/byte_buffer.h"

class TrueColorMatch {
 public:
  // settings must outlive this object; their rule is FirstWithinDelta, or
  // one that matches by nearness (then settings.lab is needed).
  explicit TrueColorMatch(const MatchSettings& settings)
      : settings_(settings) {}
  TrueColorMatch(const TrueColorMatch&) = delete;
  TrueColorMatch& operator=(const TrueColorMatch&) = delete;

  // The memory of the entries found; false when it cannot be had.
  bool allocate();

  // The entry for an 8-bit colour, or 0 when the rule finds none (the first
  // within the delta only).
  std::uint8_t entry(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const std::uint32_t key =
        firstWithinDelta()
            ? (red >> 2) << 12 | (green >> 2) << 6 | (blue >> 2)
            : std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue;
    const std::uint8_t known = memo_.data()[key];
    if (known == kNone) return 0;
    return known != kUnknown ? known : find(key, red, green, blue);
  }

  // The nearest entry without remembering it: for tests, the search alone.
  std::uint8_t nearestByCells(std::uint8_t red, std::uint8_t green,
                              std::uint8_t blue);

 private:
  static constexpr std::uint8_t kUnknown = 0;  // never an entry found
  static constexpr std::uint8_t kNone = 255;   // never an entry either

  bool firstWithinDelta() const {
    return settings_.match == ColorMatch::FirstWithinDelta;
  }
  std::uint8_t find(std::uint32_t key, std::uint8_t red, std::uint8_t green,
                    std::uint8_t blue);
  const std::vector<std::uint8_t>& candidates(std::uint32_t cell);

  const MatchSettings& settings_;
  // One byte per colour (6 bits a component for the first within the delta,
  // which looks at nothing finer; 8 bits otherwise): kUnknown, kNone or the
  // entry.
  platform::ByteBuffer memo_;
  // The candidates of each cell, made when a colour of the cell is first
  // matched; a cell with none made yet is empty.
  std::vector<std::vector<std::uint8_t>> cells_;
  // Each matchable entry's colour in CIELAB, as PaletteLab has it.
  Lab labs_[256] = {};
};

#endif  // GIF2FRM_COLOR_TRUE_COLOR_MATCH_H_

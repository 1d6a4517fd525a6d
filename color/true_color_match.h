// Palette entries for the colours of true-colour pixels, by the same rules
// that match a colour table: the first entry within the delta, or the CIE76
// nearest entry (ties to the lower index), exactly PaletteLab::nearest's.
//
// The first within the delta looks at nothing finer than 6 bits a component:
// each of those 2^18 colours is matched once and its entry remembered.
//
// The nearest entry: a picture may hold as many colours as pixels, so each
// pixel is matched afresh, quickly and exactly, a batch of pixels at a time,
// each step over the whole batch:
//  1. its CIELAB approximately, in float from tables (approximate_lab.h),
//     within kApproximateLabError of labFromSrgb's;
//  2. the candidates of the cube of CIELAB that holds it
//     (nearest_candidates.h): PaletteLab's answer is among them;
//  3. the squared distances to the candidates in float, four at a time
//     (four_lanes.h; nearly every cube has up to eight), and the least of
//     them; that entry is the answer when every other candidate is farther
//     by a margin that the approximation cannot bridge;
//  4. otherwise (a few colours in a thousand: near ties, longer lists) the
//     same over a longer list, or labFromSrgb and the candidates' distances
//     in double, in increasing entry order, as PaletteLab compares them.
//
// Why step 3 is exact. Let c be labFromSrgb's colour and c' the
// approximation, e and e' an entry's CIELAB in double and in float: |c' - c|
// <= 0.0025 and |e' - e| <= 1.1e-5, so |c' - e'| is within d = 0.00252 of
// |c - e| for every entry. The float squared distance D' is within 3e-7
// (relative) of |c' - e'|^2. The entry e1 of the least distance has D'1 <=
// D1, D1 being its distance with the low mantissa bits that the comparison
// dropped set again. If every other candidate has D' > T = (sqrt(D1) + 2d +
// 1e-4)^2 (1 + 1e-4), then |c - e| - |c - e1| > 1e-4 for all of them (the
// factor covers the relative errors and T's own rounding), a gap that the
// rounding of PaletteLab's double precision cannot close: PaletteLab picks
// e1 too.
#ifndef GIF2FRM_COLOR_TRUE_COLOR_MATCH_H_
#define GIF2FRM_COLOR_TRUE_COLOR_MATCH_H_

#include <cstddef>
#include <cstdint>
#include <optional>

#include "color/approximate_lab.h"
#include "color/color_matching.h"
#include "color/four_lanes.h"
#include "color/nearest_candidates.h"
#include "platform/byte_buffer.h"

class TrueColorMatch {
 public:
  // settings must outlive this object; their rule is FirstWithinDelta, or
  // one that matches by nearness (then settings.lab is needed).
  explicit TrueColorMatch(const MatchSettings& settings)
      : settings_(settings) {}
  TrueColorMatch(const TrueColorMatch&) = delete;
  TrueColorMatch& operator=(const TrueColorMatch&) = delete;

  // The memory of the matching; false when it cannot be had.
  bool allocate();

  // The entry for an 8-bit colour, or 0 when the rule finds none (the first
  // within the delta only).
  std::uint8_t entry(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

  // The entries of count pixels of 4 bytes (red, green, blue, alpha) into
  // out: 0 where alpha is below threshold, else the colour's entry (0 when
  // the first within the delta finds none). out may be the pixels
  // themselves: a pixel's entry is written after its 4 bytes are read.
  void mapPixels(const std::uint8_t* rgba, std::size_t count,
                 std::uint8_t threshold, std::uint8_t* out);

 private:
  static constexpr std::uint8_t kUnknown = 0;  // never an entry found
  static constexpr std::uint8_t kNone = 255;   // never an entry either

  bool firstWithinDelta() const {
    return settings_.match == ColorMatch::FirstWithinDelta;
  }
  std::uint8_t firstEntry(std::uint8_t red, std::uint8_t green,
                          std::uint8_t blue);
  void mapNearest(const std::uint8_t* rgba, std::size_t count,
                  std::uint8_t threshold, std::uint8_t* out);
  // Steps 3 and 4 for a colour whose list has more than one group, or whose
  // one group left it open.
  std::uint8_t nearestSlowly(const std::uint8_t* color, Float4 lab,
                             std::uint32_t list) const;

  const MatchSettings& settings_;
  // The first within the delta: one byte per 6-bit colour, kUnknown, kNone
  // or the entry.
  platform::ByteBuffer memo_;
  std::optional<NearestCandidates> candidates_;
};

#endif  // GIF2FRM_COLOR_TRUE_COLOR_MATCH_H_

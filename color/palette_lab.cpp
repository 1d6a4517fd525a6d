#include "color/palette_lab.h"

#include <algorithm>
#include <limits>

#include "color/six_bit.h"

PaletteLab::PaletteLab(const std::uint8_t* palette) {
  for (int j = kFirstMatchableEntry; j <= kLastMatchableEntry; ++j) {
    const std::uint8_t* rgb = palette + 3 * j;
    std::uint8_t* wide = &widened_[3 * static_cast<std::size_t>(j)];
    for (int k = 0; k < 3; ++k) wide[k] = expandSixBit(rgb[k]);
    byLightness_[static_cast<std::size_t>(j - kFirstMatchableEntry)] =
        Candidate{labFromSrgb(wide[0], wide[1], wide[2]),
                  static_cast<std::uint8_t>(j)};
  }
  std::sort(byLightness_.begin(), byLightness_.end(),
            [](const Candidate& x, const Candidate& y) {
              return x.lab.l < y.lab.l ||
                     (x.lab.l == y.lab.l && x.entry < y.entry);
            });
}

std::uint8_t PaletteLab::nearest(const Lab& color) const {
  // Outward from the color's lightness, taking the side whose next entry is
  // closer in lightness; a side is done once its lightness difference squared
  // exceeds the best distance, as every entry beyond it is farther still.
  // Entries at exactly the best distance are still looked at, for the tie.
  const Candidate* const first = byLightness_.data();
  const Candidate* const last = first + kCount;
  const Candidate* up = std::lower_bound(
      first, last, color.l,
      [](const Candidate& c, double l) { return c.lab.l < l; });
  const Candidate* down = up;  // the next one down is down[-1]
  double best = std::numeric_limits<double>::infinity();
  std::uint8_t bestEntry = 0;
  for (;;) {
    const double upGap = up != last ? up->lab.l - color.l : best + 1.0;
    const double downGap =
        down != first ? color.l - down[-1].lab.l : best + 1.0;
    const bool upOpen = up != last && upGap * upGap <= best;
    const bool downOpen = down != first && downGap * downGap <= best;
    if (!upOpen && !downOpen) break;
    const Candidate* candidate =
        upOpen && (!downOpen || upGap <= downGap) ? up++ : --down;
    const double d = squaredDeltaE(candidate->lab, color);
    if (d < best || (d == best && candidate->entry < bestEntry)) {
      best = d;
      bestEntry = candidate->entry;
    }
  }
  return bestEntry;
}

#include "color/true_color_match.h"

#include <algorithm>
#include <cstddef>

#include "color/cielab.h"
#include "color/color_translation.h"
#include "color/palette.h"
#include "color/palette_lab.h"

namespace {

constexpr std::uint32_t kCellBits = 4;  // 16 cells along each component
constexpr std::uint32_t kCellCount = 1u << (3 * kCellBits);

// The CIELAB box that holds every colour of a cell.
struct LabBox {
  Lab low;
  Lab high;
};

LabBox cellBox(std::uint32_t cell) {
  constexpr std::uint32_t kMask = (1u << kCellBits) - 1;
  constexpr std::uint32_t kSpan = 256u >> kCellBits;
  const std::uint32_t first[3] = {(cell >> 2 * kCellBits & kMask) * kSpan,
                                  (cell >> kCellBits & kMask) * kSpan,
                                  (cell & kMask) * kSpan};
  double least[3];
  double most[3];
  for (int k = 0; k < 3; ++k) {
    least[k] = linearFromSrgb(static_cast<std::uint8_t>(first[k]));
    most[k] = linearFromSrgb(static_cast<std::uint8_t>(first[k] + kSpan - 1));
  }
  // Every coordinate of XYZ grows with every component: the corners bound
  // it. L grows with Y alone, a with X and against Y, b with Y and against Z.
  const Xyz xyzLow = xyzFromLinear(least[0], least[1], least[2]);
  const Xyz xyzHigh = xyzFromLinear(most[0], most[1], most[2]);
  // (low x, high y, high z) gives the least a and b = 200 (fy - fz) at
  // high z; the least b needs low y as well.
  const Lab low = labFromXyz({xyzLow.x, xyzLow.y, xyzLow.z});
  const Lab high = labFromXyz({xyzHigh.x, xyzHigh.y, xyzHigh.z});
  const Lab leastA = labFromXyz({xyzLow.x, xyzHigh.y, xyzHigh.z});
  const Lab mostA = labFromXyz({xyzHigh.x, xyzLow.y, xyzLow.z});
  const Lab leastB = labFromXyz({xyzLow.x, xyzLow.y, xyzHigh.z});
  const Lab mostB = labFromXyz({xyzHigh.x, xyzHigh.y, xyzLow.z});
  return LabBox{{low.l, leastA.a, leastB.b}, {high.l, mostA.a, mostB.b}};
}

// The least and the greatest squared distance from a point to the box.
double nearestInBox(const Lab& p, const LabBox& box) {
  const auto gap = [](double v, double lo, double hi) {
    return v < lo ? lo - v : v > hi ? v - hi : 0.0;
  };
  const double dl = gap(p.l, box.low.l, box.high.l);
  const double da = gap(p.a, box.low.a, box.high.a);
  const double db = gap(p.b, box.low.b, box.high.b);
  return dl * dl + da * da + db * db;
}

double farthestInBox(const Lab& p, const LabBox& box) {
  const auto reach = [](double v, double lo, double hi) {
    return std::max(v - lo, hi - v);
  };
  const double dl = reach(p.l, box.low.l, box.high.l);
  const double da = reach(p.a, box.low.a, box.high.a);
  const double db = reach(p.b, box.low.b, box.high.b);
  return dl * dl + da * da + db * db;
}

// Whether other is nearer than entry to every colour of the box, so that
// entry is nearest to none of them: the box lies wholly on other's side of
// the plane halfway between the two. The difference of the squared
// distances, |p - other|^2 - |p - entry|^2, is linear in p; its greatest
// value over the box, at the corner that each coordinate's sign picks, must
// be below 0 by more than rounding.
bool nearerEverywhere(const Lab& other, const Lab& entry, const LabBox& box) {
  const double d[3] = {entry.l - other.l, entry.a - other.a, entry.b - other.b};
  const double low[3] = {box.low.l, box.low.a, box.low.b};
  const double high[3] = {box.high.l, box.high.a, box.high.b};
  double most = 0.0;
  for (int k = 0; k < 3; ++k) {
    most += 2.0 * std::max(low[k] * d[k], high[k] * d[k]);
  }
  const double otherSquared =
      other.l * other.l + other.a * other.a + other.b * other.b;
  const double entrySquared =
      entry.l * entry.l + entry.a * entry.a + entry.b * entry.b;
  return most + otherSquared - entrySquared <
         -1e-6 * (1.0 + otherSquared + entrySquared);
}

}  // namespace

bool TrueColorMatch::allocate() {
  const std::size_t colors = firstWithinDelta() ? 1u << 18 : 1u << 24;
  if (!memo_.allocate(colors)) return false;
  std::fill(memo_.data(), memo_.data() + colors, kUnknown);
  if (firstWithinDelta()) return true;
  if (settings_.lab == nullptr) return false;
  cells_.resize(kCellCount);
  for (int e = kFirstMatchableEntry; e <= kLastMatchableEntry; ++e) {
    const std::uint8_t* wide =
        settings_.lab->widened(static_cast<std::uint8_t>(e));
    labs_[static_cast<std::size_t>(e)] = labFromSrgb(wide[0], wide[1], wide[2]);
  }
  return true;
}

const std::vector<std::uint8_t>& TrueColorMatch::candidates(
    std::uint32_t cell) {
  std::vector<std::uint8_t>& list = cells_[cell];
  if (!list.empty()) return list;
  const LabBox box = cellBox(cell);
  double bound = 1e300;
  for (int e = kFirstMatchableEntry; e <= kLastMatchableEntry; ++e) {
    bound = std::min(bound, farthestInBox(labs_[e], box));
  }
  // A margin far above rounding keeps an entry at the very edge, for ties.
  bound += 1e-6 * (1.0 + bound);
  std::vector<std::uint8_t> near;
  for (int e = kFirstMatchableEntry; e <= kLastMatchableEntry; ++e) {
    if (nearestInBox(labs_[e], box) <= bound) {
      near.push_back(static_cast<std::uint8_t>(e));
    }
  }
  // Of those, the ones that no other is nearer than everywhere in the box.
  for (const std::uint8_t e : near) {
    const bool beaten =
        std::any_of(near.begin(), near.end(), [&](std::uint8_t o) {
          return o != e && nearerEverywhere(labs_[o], labs_[e], box);
        });
    if (!beaten) list.push_back(e);
  }
  return list;
}

std::uint8_t TrueColorMatch::nearestByCells(std::uint8_t red,
                                            std::uint8_t green,
                                            std::uint8_t blue) {
  const std::uint32_t cell = (std::uint32_t{red} >> 4) << 8 |
                             (std::uint32_t{green} >> 4) << 4 |
                             std::uint32_t{blue} >> 4;
  const Lab color = labFromSrgb(red, green, blue);
  double best = 1e300;
  std::uint8_t bestEntry = 0;
  // In entry order: on a tie the lower index stays.
  for (const std::uint8_t e : candidates(cell)) {
    const double d = squaredDeltaE(labs_[e], color);
    if (d < best) {
      best = d;
      bestEntry = e;
    }
  }
  return bestEntry;
}

std::uint8_t TrueColorMatch::find(std::uint32_t key, std::uint8_t red,
                                  std::uint8_t green, std::uint8_t blue) {
  std::uint8_t found = 0;
  if (firstWithinDelta()) {
    ColorMap map{};
    const std::uint8_t color[3] = {red, green, blue};
    if (translateColorTable(map, color, 1, settings_.delta, settings_.palette,
                            true) != 0) {
      found = map[0];
    }
  } else {
    found = nearestByCells(red, green, blue);
  }
  memo_.data()[key] = found != 0 ? found : kNone;
  return found;
}

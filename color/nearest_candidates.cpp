#include "color/nearest_candidates.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "color/palette.h"

namespace {

// How far a cube's list reaches past the cube: the approximation's error,
// and room for every rounding of the tests below (all in double precision,
// where rounding is below 1e-10 on these magnitudes).
constexpr double kReach = kApproximateLabError + 1e-3;

// A list of more entries than two groups hold is cut into finer cubes.
constexpr int kMostEntries = 8;

// The grid's origin.
constexpr double kLowL = -4.0;
constexpr double kLowA = -88.0;
constexpr double kLowB = -112.0;

struct Near {
  double squared;  // to the cube's centre
  double value;    // see keep()
  std::uint8_t entry;
};

// Zeroed memory for a grid of cells; false when it cannot be had.
template <typename Level>
bool allocateLevel(Level& level, std::uint32_t l, std::uint32_t a,
                   std::uint32_t b) {
  level.cellsL = l;
  level.cellsA = a;
  level.cellsB = b;
  const std::size_t size = std::size_t{l} * a * b * sizeof(std::uint32_t);
  if (!level.bytes.allocate(size)) return false;
  std::memset(level.bytes.data(), 0, size);
  level.cells = reinterpret_cast<std::uint32_t*>(level.bytes.data());
  return true;
}

template <typename Level>
std::uint32_t& cellAt(Level& level, std::uint32_t l, std::uint32_t a,
                      std::uint32_t b) {
  return level.cells[(l * level.cellsA + a) * level.cellsB + b];
}

}  // namespace

NearestCandidates::NearestCandidates(const PaletteLab& lab) : lab_(lab) {}

bool NearestCandidates::allocate() {
  if (!cubeBytes_.allocate(std::size_t{kCubesL} * kCubesA * kCubesB *
                           sizeof(std::uint32_t)) ||
      !allocateLevel(cubeLists_, kCubesL, kCubesA, kCubesB) ||
      !allocateLevel(wide_, (kCubesL + 1) / 2, (kCubesA + 1) / 2,
                     (kCubesB + 1) / 2)) {
    return false;
  }
  std::memset(cubeBytes_.data(), 0, cubeBytes_.size());
  cubes_ = reinterpret_cast<std::uint32_t*>(cubeBytes_.data());
  // Eighths 0 to 7 are never a cut cube's, so that 0 means none.
  eighths_.assign(8, 0);
  // Group 0 is never a list's, so that 0 means none.
  groups_.assign(1, Group{});
  // The entries by colour, each colour's lowest entry first.
  std::uint32_t byColor[kLastMatchableEntry + 1];
  int count = 0;
  for (int e = kFirstMatchableEntry; e <= kLastMatchableEntry; ++e) {
    const std::uint8_t* wide = lab_.widened(static_cast<std::uint8_t>(e));
    const Lab& lab = labs_[e] = labFromSrgb(wide[0], wide[1], wide[2]);
    squares_[e] = lab.l * lab.l + lab.a * lab.a + lab.b * lab.b;
    byColor[count++] =
        std::uint32_t{wide[0]} << 24 | std::uint32_t{wide[1]} << 16 |
        std::uint32_t{wide[2]} << 8 | static_cast<std::uint32_t>(e);
  }
  std::sort(byColor, byColor + count);
  entries_.assign(1, 0);
  for (int i = 0; i < count; ++i) {
    if (i == 0 || byColor[i] >> 8 != byColor[i - 1] >> 8) {
      entries_.push_back(static_cast<std::uint8_t>(byColor[i]));
      ++entries_[0];
    }
  }
  std::sort(entries_.begin() + 1, entries_.end());
  return true;
}

std::uint32_t NearestCandidates::keep(const double low[3], double width,
                                      std::uint32_t candidates, bool thorough) {
  const int count = entries_[candidates];
  const std::uint8_t* entries = &entries_[candidates + 1];
  const double half = 0.5 * width + kReach;
  const double centre[3] = {low[0] + 0.5 * width, low[1] + 0.5 * width,
                            low[2] + 0.5 * width};
  double squared[256];
  double least = std::numeric_limits<double>::infinity();
  for (int i = 0; i < count; ++i) {
    const Lab& e = labs_[entries[i]];
    const double dl = e.l - centre[0];
    const double da = e.a - centre[1];
    const double db = e.b - centre[2];
    squared[i] = dl * dl + da * da + db * db;
    least = std::min(least, squared[i]);
  }
  // Farther from the centre than the nearest entry by more than the
  // diagonal: every point of the cube is nearer to that one.
  const double reach = std::sqrt(least) + 2.0 * std::sqrt(3.0) * half + 1e-3;
  Near near[256];
  int within = 0;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t e = entries[i];
    near[within] = Near{squared[i], 0.0, e};
    within += squared[i] <= reach * reach;
  }
  // |p - o|^2 - |p - e|^2 = 2 p.(e - o) + |o|^2 - |e|^2 is linear in p, and
  // greatest over the cube at the corner that the signs of e - o pick:
  // there it is value(e) - value(o) + 2 half |e - o|_1, with value(x) =
  // 2 centre.x - |x|^2. Below 0 by far more than rounding, o is nearer than
  // e everywhere.
  for (int i = 0; i < within; ++i) {
    const Lab& e = labs_[near[i].entry];
    near[i].value =
        2.0 * (centre[0] * e.l + centre[1] * e.a + centre[2] * e.b) -
        squares_[near[i].entry];
  }
  const auto beats = [&](const Near& o, const Near& e) {
    const Lab& x = labs_[o.entry];
    const Lab& y = labs_[e.entry];
    const double most = e.value - o.value +
                        2.0 * half *
                            (std::fabs(y.l - x.l) + std::fabs(y.a - x.a) +
                             std::fabs(y.b - x.b));
    return most < -1e-6 * (1.0 + squares_[o.entry] + squares_[e.entry]);
  };
  // The two nearest to the centre, which leave out most of the others.
  int first = 0;
  int second = within > 1 ? 1 : 0;
  if (near[second].squared < near[first].squared) std::swap(first, second);
  for (int i = 2; i < within; ++i) {
    if (near[i].squared < near[second].squared) {
      second = i;
      if (near[i].squared < near[first].squared) std::swap(first, second);
    }
  }
  const Near judges[2] = {near[first], near[second]};
  int kept = 0;
  for (int i = 0; i < within; ++i) {
    const std::uint8_t e = near[i].entry;
    if ((e != judges[0].entry && beats(judges[0], near[i])) ||
        (e != judges[1].entry && beats(judges[1], near[i]))) {
      continue;
    }
    near[kept++] = near[i];
  }
  std::uint8_t out[256];
  if (thorough) {
    // Nearest to the centre first; each tried against those kept.
    for (int i = 1; i < kept; ++i) {
      for (int j = i; j > 0 && near[j].squared < near[j - 1].squared; --j) {
        std::swap(near[j], near[j - 1]);
      }
    }
    within = kept;
    kept = 0;
    for (int i = 0; i < within; ++i) {
      bool beaten = false;
      for (int j = 0; j < kept && !beaten; ++j)
        beaten = beats(near[j], near[i]);
      if (!beaten) near[kept++] = near[i];
    }
    for (int i = 0; i < kept; ++i) out[i] = near[i].entry;
    std::sort(out, out + kept);
  } else {
    for (int i = 0; i < kept; ++i) out[i] = near[i].entry;
  }
  const auto start = static_cast<std::uint32_t>(entries_.size());
  entries_.push_back(static_cast<std::uint8_t>(kept));
  entries_.insert(entries_.end(), out, out + kept);
  return start;
}

std::uint32_t NearestCandidates::grouped(std::uint32_t start) {
  const int count = entries_[start];
  const std::uint8_t* entries = &entries_[start + 1];
  const auto first = static_cast<std::uint32_t>(groups_.size());
  for (int i = 0; i < count; i += 4) {
    Group group{};
    for (int k = 0; k < 4; ++k) {
      const std::uint32_t e = i + k < count ? entries[i + k] : 0;
      group.l[k] = e != 0 ? static_cast<float>(labs_[e].l) : kFar;
      group.a[k] = e != 0 ? static_cast<float>(labs_[e].a) : kFar;
      group.b[k] = e != 0 ? static_cast<float>(labs_[e].b) : kFar;
      group.entries[k] = e;
    }
    groups_.push_back(group);
  }
  return first << 6 | static_cast<std::uint32_t>((count + 3) / 4);
}

std::uint32_t NearestCandidates::wideEntries(std::uint32_t l, std::uint32_t a,
                                             std::uint32_t b) {
  std::uint32_t& start = cellAt(wide_, l, a, b);
  if (start == 0) {
    const double low[3] = {kLowL + 16.0 * l, kLowA + 16.0 * a,
                           kLowB + 16.0 * b};
    start = keep(low, 16.0, 0, false);
  }
  return start;
}

std::uint32_t NearestCandidates::cubeEntries(std::uint32_t l, std::uint32_t a,
                                             std::uint32_t b) {
  std::uint32_t& start = cellAt(cubeLists_, l, a, b);
  if (start == 0) {
    const std::uint32_t wide = wideEntries(l / 2, a / 2, b / 2);
    const double low[3] = {kLowL + 8.0 * l, kLowA + 8.0 * a, kLowB + 8.0 * b};
    const std::uint32_t made = keep(low, 8.0, wide, true);
    start = made;
    std::uint32_t& list = cubes_[(l * kCubesA + a) * kCubesB + b];
    if (entries_[made] <= kMostEntries) {
      list = grouped(made);
    } else {
      list = static_cast<std::uint32_t>(eighths_.size()) << 6;
      eighths_.resize(eighths_.size() + 8, 0);
    }
  }
  return start;
}

std::uint32_t NearestCandidates::listSlowly(const LabF& color) {
  const std::uint32_t cube = cubeOf(color);
  const std::uint32_t l = cube / (kCubesA * kCubesB);
  const std::uint32_t a = cube / kCubesB % kCubesA;
  const std::uint32_t b = cube % kCubesB;
  const std::uint32_t made = cubeEntries(l, a, b);
  const std::uint32_t list = cubes_[cube];
  if (groupCount(list) != 0) return list;
  // A cube of many entries, cut in eight: the eighth that holds the colour
  // (or one next to it, within rounding, far inside its list's margin).
  const std::uint32_t eighth = eighthOf(color);
  std::uint32_t& fine = eighths_[list >> 6 | eighth];
  if (fine == 0) {
    const double low[3] = {kLowL + 8.0 * l + 4.0 * (eighth >> 2),
                           kLowA + 8.0 * a + 4.0 * (eighth >> 1 & 1),
                           kLowB + 8.0 * b + 4.0 * (eighth & 1)};
    const std::uint32_t kept = keep(low, 4.0, made, true);
    fine = grouped(kept);
  }
  return fine;
}

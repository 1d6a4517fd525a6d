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
  fine_.bytes.reset();
  fine_.cells = nullptr;
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

inline bool NearestCandidates::nearerEverywhere(std::uint8_t other,
                                                std::uint8_t entry,
                                                const double centre[3],
                                                double half) const {
  // |p - o|^2 - |p - e|^2 = 2 p.(e - o) + |o|^2 - |e|^2 is linear in p; its
  // greatest value over the cube, at the corner that the signs of e - o
  // pick, must be below 0 by far more than rounding.
  const Lab& o = labs_[other];
  const Lab& e = labs_[entry];
  const double dl = e.l - o.l;
  const double da = e.a - o.a;
  const double db = e.b - o.b;
  const double most =
      2.0 * (centre[0] * dl + centre[1] * da + centre[2] * db) +
      2.0 * half * (std::fabs(dl) + std::fabs(da) + std::fabs(db)) +
      squares_[other] - squares_[entry];
  return most < -1e-6 * (1.0 + squares_[other] + squares_[entry]);
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
    near[within] = Near{squared[i], entries[i]};
    within += squared[i] <= reach * reach;
  }
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
  const std::uint8_t judges[2] = {near[first].entry, near[second].entry};
  int kept = 0;
  for (int i = 0; i < within; ++i) {
    const std::uint8_t e = near[i].entry;
    if ((e != judges[0] && nearerEverywhere(judges[0], e, centre, half)) ||
        (e != judges[1] && nearerEverywhere(judges[1], e, centre, half))) {
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
      for (int j = 0; j < kept && !beaten; ++j) {
        beaten = nearerEverywhere(out[j], near[i].entry, centre, half);
      }
      if (!beaten) out[kept++] = near[i].entry;
    }
    for (int i = 1; i < kept; ++i) {
      for (int j = i; j > 0 && out[j] < out[j - 1]; --j) {
        std::swap(out[j], out[j - 1]);
      }
    }
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
    cubes_[(l * kCubesA + a) * kCubesB + b] =
        entries_[made] <= kMostEntries ? grouped(made) : kCut;
  }
  return start;
}

std::uint32_t NearestCandidates::listSlowly(const LabF& color) {
  const std::uint32_t cube = cubeOf(color);
  const std::uint32_t l = cube / (kCubesA * kCubesB);
  const std::uint32_t a = cube / kCubesB % kCubesA;
  const std::uint32_t b = cube % kCubesB;
  const std::uint32_t made = cubeEntries(l, a, b);
  if (cubes_[cube] != kCut) return cubes_[cube];
  // A cube of many entries: the 4-wide cube that holds the colour.
  if (fine_.cells == nullptr &&
      !allocateLevel(fine_, 2 * kCubesL, 2 * kCubesA, 2 * kCubesB)) {
    // No memory for finer cubes: the long list it is.
    cubes_[cube] = grouped(made);
    return cubes_[cube];
  }
  const std::uint32_t fine = fineCubeOf(color);
  const std::uint32_t fl = fine / (4 * kCubesA * kCubesB);
  const std::uint32_t fa = fine / (2 * kCubesB) % (2 * kCubesA);
  const std::uint32_t fb = fine % (2 * kCubesB);
  std::uint32_t& list = fine_.cells[fine];
  if (list == 0) {
    // From the 8-wide cube that holds this one, which rounding may have
    // made another than the colour's.
    const std::uint32_t parent = cubeEntries(fl / 2, fa / 2, fb / 2);
    const double low[3] = {kLowL + 4.0 * fl, kLowA + 4.0 * fa,
                           kLowB + 4.0 * fb};
    list = grouped(keep(low, 4.0, parent, true));
  }
  return list;
}

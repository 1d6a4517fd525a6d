#include "color/nearest_candidates.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "color/palette.h"

namespace {

// How far a cube's list reaches past the cube: the approximation's error,
// and room for every rounding of the tests below (all in double precision,
// where rounding is below 1e-10 on these magnitudes).
constexpr double kReach = kApproximateLabError + 1e-3;

double squared(const double p[3], const Lab& q) {
  const double dl = p[0] - q.l;
  const double da = p[1] - q.a;
  const double db = p[2] - q.b;
  return dl * dl + da * da + db * db;
}

// Whether other is nearer than entry to every point of the box [low, high]:
// |p - other|^2 - |p - entry|^2 = 2 p.(entry - other) + |other|^2 - |entry|^2
// is linear in p, greatest at the corner that the signs of entry - other
// pick, and must be below 0 there by far more than rounding.
bool nearerEverywhere(const Lab& other, const Lab& entry, const double low[3],
                      const double high[3]) {
  const double d[3] = {entry.l - other.l, entry.a - other.a, entry.b - other.b};
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

NearestCandidates::NearestCandidates(const PaletteLab& lab) : lab_(lab) {}

bool NearestCandidates::allocate() {
  constexpr std::size_t kFine = std::size_t{kCellsL} * kCellsA * kCellsB;
  constexpr std::size_t kCoarse = std::size_t{kCoarseL} * kCoarseA * kCoarseB;
  if (!fineBytes_.allocate(kFine * sizeof(std::uint32_t)) ||
      !coarseBytes_.allocate(kCoarse * sizeof(std::uint32_t))) {
    return false;
  }
  std::memset(fineBytes_.data(), 0, fineBytes_.size());
  std::memset(coarseBytes_.data(), 0, coarseBytes_.size());
  fine_ = reinterpret_cast<std::uint32_t*>(fineBytes_.data());
  coarse_ = reinterpret_cast<std::uint32_t*>(coarseBytes_.data());
  // Group 0 and coarse entry 0 are never a list's, so that 0 means none.
  groups_.assign(1, Group{});
  coarseEntries_.assign(1, 0);
  // The entries by colour, each colour's lowest entry first.
  std::uint32_t byColor[kLastMatchableEntry + 1];
  int count = 0;
  for (int e = kFirstMatchableEntry; e <= kLastMatchableEntry; ++e) {
    const std::uint8_t* wide = lab_.widened(static_cast<std::uint8_t>(e));
    labs_[e] = labFromSrgb(wide[0], wide[1], wide[2]);
    byColor[count++] =
        std::uint32_t{wide[0]} << 24 | std::uint32_t{wide[1]} << 16 |
        std::uint32_t{wide[2]} << 8 | static_cast<std::uint32_t>(e);
  }
  std::sort(byColor, byColor + count);
  distinctCount_ = 0;
  for (int i = 0; i < count; ++i) {
    if (i == 0 || byColor[i] >> 8 != byColor[i - 1] >> 8) {
      distinct_[distinctCount_++] = static_cast<std::uint8_t>(byColor[i]);
    }
  }
  std::sort(distinct_, distinct_ + distinctCount_);
  return true;
}

int NearestCandidates::select(const double low[3], double width,
                              const std::uint8_t* candidates, int count,
                              std::uint8_t* out) const {
  double lo[3];
  double hi[3];
  double centre[3];
  for (int k = 0; k < 3; ++k) {
    lo[k] = low[k] - kReach;
    hi[k] = low[k] + width + kReach;
    centre[k] = 0.5 * (lo[k] + hi[k]);
  }
  const double halfDiagonal = 0.5 * std::sqrt(3.0) * (width + 2.0 * kReach);
  double toCentre[256];
  int nearest = 0;
  int next = 0;
  double best = std::numeric_limits<double>::infinity();
  double second = best;
  for (int i = 0; i < count; ++i) {
    const double d = squared(centre, labs_[candidates[i]]);
    toCentre[i] = d;
    if (d < best) {
      second = best;
      next = nearest;
      best = d;
      nearest = candidates[i];
    } else if (d < second) {
      second = d;
      next = candidates[i];
    }
  }
  const double reach = std::sqrt(best) + 2.0 * halfDiagonal + 1e-3;
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    const int e = candidates[i];
    if (toCentre[i] > reach * reach) continue;
    if (e != nearest && nearerEverywhere(labs_[nearest], labs_[e], lo, hi)) {
      continue;
    }
    if (next != 0 && e != next &&
        nearerEverywhere(labs_[next], labs_[e], lo, hi)) {
      continue;
    }
    out[kept++] = static_cast<std::uint8_t>(e);
  }
  return kept;
}

std::uint32_t NearestCandidates::coarse(std::uint32_t cell) {
  if (coarse_[cell] != 0) return coarse_[cell];
  const std::uint32_t l = cell / (kCoarseA * kCoarseB);
  const std::uint32_t a = cell / kCoarseB % kCoarseA;
  const std::uint32_t b = cell % kCoarseB;
  const double low[3] = {-4.0 + 8.0 * l, -88.0 + 8.0 * a, -112.0 + 8.0 * b};
  std::uint8_t chosen[256];
  const int count = select(low, 8.0, distinct_, distinctCount_, chosen);
  const auto start = static_cast<std::uint32_t>(coarseEntries_.size());
  coarseEntries_.insert(coarseEntries_.end(), chosen, chosen + count);
  coarse_[cell] = start << 8 | static_cast<std::uint32_t>(count);
  return coarse_[cell];
}

std::uint32_t NearestCandidates::makeFine(std::uint32_t cell) {
  const std::uint32_t l = cell / (kCellsA * kCellsB);
  const std::uint32_t a = cell / kCellsB % kCellsA;
  const std::uint32_t b = cell % kCellsB;
  const std::uint32_t parent =
      coarse((l / 2 * kCoarseA + a / 2) * kCoarseB + b / 2);
  const double low[3] = {-4.0 + 4.0 * l, -88.0 + 4.0 * a, -112.0 + 4.0 * b};
  std::uint8_t chosen[256];
  const int count = select(low, 4.0, &coarseEntries_[parent >> 8],
                           static_cast<int>(parent & 255), chosen);
  const auto first = static_cast<std::uint32_t>(groups_.size());
  for (int i = 0; i < count; i += 4) {
    Group group{};
    for (int k = 0; k < 4; ++k) {
      const std::uint32_t e = i + k < count ? chosen[i + k] : 0;
      group.l[k] = e != 0 ? static_cast<float>(labs_[e].l) : kFar;
      group.a[k] = e != 0 ? static_cast<float>(labs_[e].a) : kFar;
      group.b[k] = e != 0 ? static_cast<float>(labs_[e].b) : kFar;
      group.entries[k] = e;
    }
    groups_.push_back(group);
  }
  fine_[cell] = first << 6 | static_cast<std::uint32_t>((count + 3) / 4);
  return fine_[cell];
}

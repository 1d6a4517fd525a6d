#include "color/ordered_dither.h"

#include <algorithm>
#include <cstring>

#include "color/cielab.h"
#include "color/linear_light.h"

namespace {

constexpr std::uint32_t kLevels = 64;  // the threshold matrix's 8 x 8

// The Bayer matrix of 8 x 8, row by row: each threshold 0..63 once, every
// share of n in 64 spread as evenly as a square grid allows.
constexpr struct Bayer {
  std::uint8_t at[64];
  constexpr Bayer() : at() {
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        int v = 0;
        for (int bit = 0; bit < 3; ++bit) {
          const int xb = (x >> bit) & 1;
          const int yb = (y >> bit) & 1;
          // Within each 2 x 2: 0 top left, 1 bottom right, 2 top right,
          // 3 bottom left; the finer the level, the higher its weight.
          v |= (((xb ^ yb) << 1) | yb) << (2 * (2 - bit));
        }
        at[8 * y + x] = static_cast<std::uint8_t>(v);
      }
    }
  }
} kBayer;

// The slot of a plan that shows at a place of the matrix.
std::uint32_t slotOf(std::uint32_t place) {
  return kBayer.at[place] * MixPlans::kSlots / kLevels;
}

constexpr std::uint32_t kKept = 1u << 16;  // plans kept, by colour
// The squared Delta E of a plan's mean above which entries beyond the
// nearest ones are looked for.
constexpr double kReachAbove = 4.0;
// Plans are made of the entries nearest to a colour: this many.
constexpr int kCandidates = 8;
// How much an entry's distance from the colour counts against it, beside
// the distance of the mean: a pattern of far entries is coarse.
constexpr double kGrainWeight = 0.02;

// An entry a plan may pick: its offset from the colour in (linearised)
// CIELAB, and its squared Delta E from the colour.
struct Candidate {
  double offset[3];
  double distance;
  std::uint8_t entry;
};

// The kCandidates entries nearest to color, nearest first (the lower index
// first among equals); their offsets are left to the caller.
void findNearest(const Lab& color, const Lab entryLab[256],
                 Candidate near[kCandidates]) {
  int found = 0;
  for (int j = kFirstMatchableEntry; j <= kLastMatchableEntry; ++j) {
    const double distance = squaredDeltaE(color, entryLab[j]);
    if (found == kCandidates && distance >= near[kCandidates - 1].distance) {
      continue;
    }
    int at = found < kCandidates ? found++ : kCandidates - 1;
    while (at > 0 && near[at - 1].distance > distance) {
      near[at] = near[at - 1];
      --at;
    }
    near[at].distance = distance;
    near[at].entry = static_cast<std::uint8_t>(j);
  }
}

// Puts entry among the first count entries of plan, which are sorted
// darkest first (the lower index first among equals), keeping them so.
void insertByLightness(std::uint8_t* plan, std::uint32_t count,
                       std::uint8_t entry, const std::int32_t lightness[256]) {
  std::uint32_t at = count;
  while (at > 0 && (lightness[plan[at - 1]] > lightness[entry] ||
                    (lightness[plan[at - 1]] == lightness[entry] &&
                     plan[at - 1] > entry))) {
    plan[at] = plan[at - 1];
    --at;
  }
  plan[at] = entry;
}

}  // namespace

MixPlans::MixPlans(NearestCache& nearest) : nearest_(nearest) {
  const PaletteLab& lab = nearest.lab();
  for (std::size_t entry = 0; entry < 256; ++entry) {
    const std::uint8_t* wide = lab.widened(static_cast<std::uint8_t>(entry));
    if (entry >= kFirstMatchableEntry && entry <= kLastMatchableEntry) {
      const std::uint32_t cell = std::uint32_t{wide[0]} >> 2 << 12 |
                                 std::uint32_t{wide[1]} >> 2 << 6 |
                                 std::uint32_t{wide[2]} >> 2;
      entryCells_[cell >> 3] |= static_cast<std::uint8_t>(1u << (cell & 7));
      byCell_[cellCount_++] = cell << 8 | static_cast<std::uint32_t>(entry);
    }
    std::memset(alone_[entry], static_cast<int>(entry), kSlots);
  }
  // By cell, and among entries of the same colour the lowest index first.
  std::sort(byCell_, byCell_ + cellCount_);
}

bool MixPlans::reserve() {
  if (reserved_) return true;
  if (!nearest_.allocated() && !nearest_.allocate()) return false;
  if (!kept_.allocate(kKept * sizeof(Kept))) return false;
  std::memset(kept_.data(), 0, kept_.size());
  // What making plans measures the entries by.
  const LinearLight& linear = LinearLight::tables();
  const PaletteLab& lab = nearest_.lab();
  for (std::size_t entry = 0; entry < 256; ++entry) {
    const std::uint8_t* wide = lab.widened(static_cast<std::uint8_t>(entry));
    for (std::size_t k = 0; k < 3; ++k) {
      entryLinear_[entry][k] = linearFromSrgbTable()[wide[k]];
    }
    entryLab_[entry] = labFromSrgb(wide[0], wide[1], wide[2]);
    // Rec. 709 luminance weights in 1/1024.
    lightness_[entry] = 218 * linear.fromSrgb(wide[0]) +
                        732 * linear.fromSrgb(wide[1]) +
                        74 * linear.fromSrgb(wide[2]);
  }
  reserved_ = true;
  return true;
}

std::uint8_t MixPlans::entryOf(std::uint32_t cell) const {
  if ((entryCells_[cell >> 3] & (1u << (cell & 7))) == 0) return 0;
  const std::uint32_t* end = byCell_ + cellCount_;
  const std::uint32_t* found = std::lower_bound(byCell_, end, cell << 8);
  return found != end && *found >> 8 == cell
             ? static_cast<std::uint8_t>(*found & 0xFF)
             : 0;
}

void MixPlans::make(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                    Plan plan) {
  // A colour that is an entry at the palette's precision is that entry.
  const std::uint8_t own = entryAlone(red, green, blue);
  if (own != 0) {
    std::memset(plan, own, kSlots);
    return;
  }
  // Near the colour, CIELAB is a linear map of linear light: its Jacobian
  // measures every entry and every mix of entries against the colour
  // without a cube root each.
  const std::array<double, 256>& linear = linearFromSrgbTable();
  const double color[3] = {linear[red], linear[green], linear[blue]};
  double jacobian[3][3];
  labJacobian(color[0], color[1], color[2], jacobian);
  const auto offsetOf = [&](std::uint8_t entry, double offset[3]) {
    for (int row = 0; row < 3; ++row) {
      offset[row] = 0;
      for (int k = 0; k < 3; ++k) {
        offset[row] += jacobian[row][k] * (entryLinear_[entry][k] - color[k]);
      }
    }
  };
  // The entries nearest to the colour, with their offsets from it; the
  // last place is for one more, found below.
  Candidate near[kCandidates + 1];
  const Lab colorLab = labFromSrgb(red, green, blue);
  findNearest(colorLab, entryLab_, near);
  for (int n = 0; n < kCandidates; ++n) {
    offsetOf(near[n].entry, near[n].offset);
  }
  // Each pick makes the mean of the picks so far nearest to the colour, a
  // little against entries far from it, which would make the pattern
  // coarse.
  double sum[3] = {0, 0, 0};
  double picked[3] = {0, 0, 0};  // the picks' sum in linear light
  const LinearLight& fixed = LinearLight::tables();
  for (std::uint32_t i = 0; i < kSlots; ++i) {
    const double count = i + 1.0;
    const auto meanError = [&](const Candidate& c) {
      double error = 0;
      for (int k = 0; k < 3; ++k) {
        const double mean = (sum[k] + c.offset[k]) / count;
        error += mean * mean;
      }
      return error;
    };
    int best = 0;
    double bestError = meanError(near[0]);
    double bestScore = bestError + kGrainWeight * near[0].distance;
    const auto consider = [&](int n) {
      const double error = meanError(near[n]);
      const double score = error + kGrainWeight * near[n].distance;
      if (score < bestScore) {
        best = n;
        bestError = error;
        bestScore = score;
      }
    };
    for (int n = 1; n < kCandidates; ++n) consider(n);
    if (i > 0 && bestError > kReachAbove) {
      // The nearest entries do not surround the colour closely enough: also
      // the one nearest to the colour plus the error of the picks so far.
      std::uint32_t six[3];
      for (int k = 0; k < 3; ++k) {
        const double v = color[k] * count - picked[k];
        const double clamped = v < 0 ? 0 : (v > 1 ? 1 : v);
        six[k] = fixed.sixBit(
            static_cast<std::int32_t>(clamped * LinearLight::kOne + 0.5));
      }
      const std::uint8_t reach = nearest_.lookupSixBit(six[0], six[1], six[2]);
      Candidate& more = near[kCandidates];
      more.distance = squaredDeltaE(colorLab, entryLab_[reach]);
      more.entry = reach;
      offsetOf(reach, more.offset);
      consider(kCandidates);
    }
    for (int k = 0; k < 3; ++k) picked[k] += entryLinear_[near[best].entry][k];
    for (int k = 0; k < 3; ++k) sum[k] += near[best].offset[k];
    insertByLightness(plan, i, near[best].entry, lightness_);
  }
}

const std::uint8_t* MixPlans::find(std::uint8_t red, std::uint8_t green,
                                   std::uint8_t blue) {
  const std::uint8_t own = entryAlone(red, green, blue);
  if (own != 0) return alone_[own];
  if (!reserve()) return nullptr;
  const std::uint32_t key =
      1u << 24 | std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue;
  Kept& kept = reinterpret_cast<Kept*>(kept_.data())[(key * 2654435761u) >> 16];
  if (kept.key != key) {
    make(red, green, blue, kept.plan);
    kept.key = key;
  }
  return kept.plan;
}

bool OrderedDither::start(std::uint32_t width, const std::uint8_t* table,
                          std::uint32_t entryCount, const ColorMap& map,
                          bool transparent, std::uint8_t transparentIndex,
                          std::uint32_t left, std::uint32_t top) {
  width_ = width;
  left_ = left;
  y_ = top;
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint8_t only = map[i];
    const std::uint8_t* plan = nullptr;
    if (transparent && i == transparentIndex) {
      only = 0;
    } else if (i < entryCount && table != nullptr) {
      const std::uint8_t* color = table + 3 * std::size_t{i};
      plan = plans_.find(color[0], color[1], color[2]);
      if (plan == nullptr) return false;
    }
    uniform_[i] = plan == nullptr || plan[0] == plan[MixPlans::kSlots - 1];
    for (std::uint32_t place = 0; place < 64; ++place) {
      byPlace_[place][i] = plan == nullptr ? only : plan[slotOf(place)];
    }
  }
  return true;
}

void OrderedDither::row(const std::uint8_t* source, std::uint32_t delivered,
                        std::uint8_t* out) {
  if (delivered > width_) delivered = width_;
  // The matrix row of this canvas row, each column's table where the
  // row's pixel x + j stands (x a multiple of 8).
  const std::uint8_t* at[8];
  for (std::uint32_t j = 0; j < 8; ++j) {
    at[j] = byPlace_[8 * (y_ & 7) + ((left_ + j) & 7)];
  }
  constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
  std::uint32_t x = 0;
  for (; x + 8 <= delivered; x += 8) {
    std::uint64_t word;
    std::memcpy(&word, source + x, 8);
    const std::uint64_t first = word & 0xFF;
    if (word == first * kEveryByte && uniform_[first]) {
      std::memset(out + x, at[0][first], 8);
      continue;
    }
    for (std::uint32_t j = 0; j < 8; ++j) out[x + j] = at[j][source[x + j]];
  }
  for (std::uint32_t j = 0; x < delivered; ++x, ++j) {
    out[x] = at[j][source[x]];
  }
  std::memset(out + delivered, 0, width_ - delivered);
  ++y_;
}

bool OrderedDither::startRgba(std::uint32_t width, std::uint32_t alphaThreshold,
                              std::uint32_t left, std::uint32_t top) {
  width_ = width;
  alphaThreshold_ = alphaThreshold;
  left_ = left;
  y_ = top;
  return plans_.reserve();
}

void OrderedDither::rowRgba(const std::uint8_t* rgba, std::uint32_t delivered,
                            std::uint8_t* out) {
  if (delivered > width_) delivered = width_;
  for (std::uint32_t x = 0; x < delivered; ++x) {
    const std::uint8_t* pixel = rgba + 4 * std::size_t{x};
    if (pixel[3] < alphaThreshold_) {
      out[x] = 0;
      continue;
    }
    const std::uint8_t* plan = plans_.find(pixel[0], pixel[1], pixel[2]);
    // (Not null after startRgba's reserve.)
    out[x] =
        plan != nullptr ? plan[slotOf(8 * (y_ & 7) + ((left_ + x) & 7))] : 0;
  }
  std::memset(out + delivered, 0, width_ - delivered);
  ++y_;
}

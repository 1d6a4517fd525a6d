#include "color/true_color_match.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "color/cielab.h"
#include "color/color_translation.h"

namespace {

using Group = NearestCandidates::Group;

// The d of the header: the approximation's error and the entries' rounding
// to float (at most 1.1e-5).
constexpr double kDrift = kApproximateLabError + 2e-5;
// 2d + 1e-4, and the factor of T.
constexpr float kGap = static_cast<float>(2.0 * kDrift + 1e-4);
constexpr float kSlack = 1.0001f;

// The greatest squared distance that a key can stand for.
float keyDistance(std::uint32_t key) {
  const std::uint32_t bits = key | 0xFF;
  float squared;
  std::memcpy(&squared, &bits, sizeof squared);
  return squared;
}

float limitFor(std::uint32_t least) {
  const float root = std::sqrt(keyDistance(least)) + kGap;
  return root * root * kSlack;
}

// Four lanes at once: SSE2 on x86-64, one lane at a time where there is
// nothing like it (WebAssembly without SIMD).
typedef float Float4 __attribute__((vector_size(16)));
typedef std::uint32_t Bits4 __attribute__((vector_size(16)));
typedef std::int32_t Mask4 __attribute__((vector_size(16)));

Float4 lanewiseMin(Float4 x, Float4 y) { return x < y ? x : y; }

// The squared distances from color to a group's four entries.
Float4 distances(const Group& group, const LabF& color) {
  Float4 l, a, b;
  std::memcpy(&l, group.l, sizeof l);
  std::memcpy(&a, group.a, sizeof a);
  std::memcpy(&b, group.b, sizeof b);
  const Float4 dl = l - color.l;
  const Float4 da = a - color.a;
  const Float4 db = b - color.b;
  return dl * dl + da * da + db * db;
}

// The least of a group's keys: a key is a squared distance with its low 8
// mantissa bits replaced by the entry, so that the least key is the least
// distance (to within 2^-15) and names its entry. Keys, non-negative floats,
// order as their bits do.
std::uint32_t leastKey(const Group& group, Float4 squared) {
  Bits4 entries;
  std::memcpy(&entries, group.entries, sizeof entries);
  Bits4 bits;
  std::memcpy(&bits, &squared, sizeof bits);
  bits = (bits & ~std::uint32_t{0xFF}) | entries;
  Float4 keys;
  std::memcpy(&keys, &bits, sizeof keys);
  keys = lanewiseMin(keys, __builtin_shufflevector(keys, keys, 2, 3, 0, 1));
  keys = lanewiseMin(keys, __builtin_shufflevector(keys, keys, 1, 0, 3, 2));
  std::uint32_t least;
  std::memcpy(&least, &keys, sizeof least);
  return least;
}

// How many of the four are at most limit.
int within(Float4 squared, float limit) {
  Mask4 in = squared <= limit;
  in += __builtin_shufflevector(in, in, 2, 3, 0, 1);
  in += __builtin_shufflevector(in, in, 1, 0, 3, 2);
  return -in[0];
}

// A group of no entries, the second of a one-group list.
constexpr float kFar = NearestCandidates::kFar;
constexpr Group kFarGroup = {{kFar, kFar, kFar, kFar},
                             {kFar, kFar, kFar, kFar},
                             {kFar, kFar, kFar, kFar},
                             {0, 0, 0, 0}};

}  // namespace

bool TrueColorMatch::allocate() {
  if (firstWithinDelta()) {
    constexpr std::size_t kColors = std::size_t{1} << 18;
    if (!memo_.allocate(kColors)) return false;
    std::memset(memo_.data(), kUnknown, kColors);
    return true;
  }
  if (settings_.lab == nullptr) return false;
  ApproximateLab::tables();
  candidates_.emplace(*settings_.lab);
  if (!candidates_->allocate()) {
    candidates_.reset();
    return false;
  }
  return true;
}

std::uint8_t TrueColorMatch::firstEntry(std::uint8_t red, std::uint8_t green,
                                        std::uint8_t blue) {
  const std::uint32_t key = std::uint32_t{red} >> 2 << 12 |
                            std::uint32_t{green} >> 2 << 6 |
                            std::uint32_t{blue} >> 2;
  const std::uint8_t known = memo_.data()[key];
  if (known != kUnknown) return known != kNone ? known : 0;
  ColorMap map{};
  const std::uint8_t color[3] = {red, green, blue};
  std::uint8_t found = 0;
  if (translateColorTable(map, color, 1, settings_.delta, settings_.palette,
                          true) != 0) {
    found = map[0];
  }
  memo_.data()[key] = found != 0 ? found : kNone;
  return found;
}

std::uint8_t TrueColorMatch::entry(std::uint8_t red, std::uint8_t green,
                                   std::uint8_t blue) {
  if (firstWithinDelta()) return firstEntry(red, green, blue);
  const std::uint8_t pixel[4] = {red, green, blue, 255};
  std::uint8_t found;
  mapNearest(pixel, 1, 0, &found);
  return found;
}

void TrueColorMatch::mapPixels(const std::uint8_t* rgba, std::size_t count,
                               std::uint8_t threshold, std::uint8_t* out) {
  if (!firstWithinDelta()) {
    mapNearest(rgba, count, threshold, out);
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = rgba + 4 * i;
    out[i] = p[3] < threshold ? 0 : firstEntry(p[0], p[1], p[2]);
  }
}

// A batch of pixels at a time, each step over the whole batch, so that the
// work of many pixels overlaps in the processor.
void TrueColorMatch::mapNearest(const std::uint8_t* rgba, std::size_t count,
                                std::uint8_t threshold, std::uint8_t* out) {
  constexpr std::size_t kBatch = 64;
  const ApproximateLab& approximate = ApproximateLab::tables();
  NearestCandidates& candidates = *candidates_;
  std::uint8_t colors[kBatch][3];
  std::uint32_t places[kBatch];
  LabF labs[kBatch];
  std::uint32_t lists[kBatch];
  Float4 squared[kBatch][2];
  std::uint32_t leastKeys[kBatch];
  std::uint8_t found[kBatch];
  for (std::size_t first = 0; first < count; first += kBatch) {
    const std::size_t size = std::min(kBatch, count - first);
    // The opaque pixels' colours, read before out is written.
    std::size_t opaque = 0;
    for (std::size_t i = 0; i < size; ++i) {
      const std::uint8_t* p = rgba + 4 * (first + i);
      std::memcpy(colors[opaque], p, 3);
      places[opaque] = static_cast<std::uint32_t>(i);
      opaque += p[3] >= threshold;
    }
    for (std::size_t j = 0; j < opaque; ++j) {
      labs[j] = approximate(colors[j][0], colors[j][1], colors[j][2]);
    }
    for (std::size_t j = 0; j < opaque; ++j) {
      lists[j] = candidates.list(labs[j]);
    }
    // Step 3 for lists of up to two groups (nearly all), in two passes: the
    // least key, then how many distances are within its limit. Index 0
    // never settles a colour: longer lists take that way.
    for (std::size_t j = 0; j < opaque; ++j) {
      const Group* groups = candidates.groups(lists[j]);
      const std::uint32_t n = NearestCandidates::groupCount(lists[j]);
      const Group& second = n >= 2 ? groups[1] : kFarGroup;
      squared[j][0] = distances(groups[0], labs[j]);
      squared[j][1] = distances(second, labs[j]);
      const std::uint32_t least = std::min(leastKey(groups[0], squared[j][0]),
                                           leastKey(second, squared[j][1]));
      leastKeys[j] = n <= 2 ? least : 0;
    }
    for (std::size_t j = 0; j < opaque; ++j) {
      const float limit = limitFor(leastKeys[j]);
      const int near =
          within(squared[j][0], limit) + within(squared[j][1], limit);
      found[j] = near == 1 ? static_cast<std::uint8_t>(leastKeys[j]) : 0;
    }
    std::memset(out + first, 0, size);
    for (std::size_t j = 0; j < opaque; ++j) {
      out[first + places[j]] =
          found[j] != 0 ? found[j]
                        : nearestSlowly(colors[j], labs[j], lists[j]);
    }
  }
}

std::uint8_t TrueColorMatch::nearestSlowly(const std::uint8_t* color,
                                           const LabF& lab,
                                           std::uint32_t list) const {
  const NearestCandidates& candidates = *candidates_;
  const Group* groups = candidates.groups(list);
  const std::uint32_t count = NearestCandidates::groupCount(list);
  if (count > 2) {
    std::uint32_t least = std::numeric_limits<std::uint32_t>::max();
    for (std::uint32_t g = 0; g < count; ++g) {
      least = std::min(least, leastKey(groups[g], distances(groups[g], lab)));
    }
    const float limit = limitFor(least);
    int near = 0;
    for (std::uint32_t g = 0; g < count; ++g) {
      near += within(distances(groups[g], lab), limit);
    }
    if (near == 1) return static_cast<std::uint8_t>(least);
  }
  // As PaletteLab compares: in double, the lowest entry among the nearest.
  const Lab exact = labFromSrgb(color[0], color[1], color[2]);
  double best = std::numeric_limits<double>::infinity();
  std::uint8_t nearest = 0;
  for (std::uint32_t g = 0; g < count; ++g) {
    for (const std::uint32_t e : groups[g].entries) {
      if (e == 0) continue;
      const double d = squaredDeltaE(candidates.exact(e), exact);
      if (d < best) {
        best = d;
        nearest = static_cast<std::uint8_t>(e);
      }
    }
  }
  return nearest;
}

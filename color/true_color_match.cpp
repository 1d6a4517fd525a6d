#include "color/true_color_match.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "color/cielab.h"
#include "color/color_translation.h"
#include "color/four_lanes.h"

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

// The squared distances from color (L, a, b, 0) to a group's four entries.
Float4 distances(const Group& group, Float4 color) {
  Float4 l, a, b;
  std::memcpy(&l, group.l, sizeof l);
  std::memcpy(&a, group.a, sizeof a);
  std::memcpy(&b, group.b, sizeof b);
  const Float4 dl = l - broadcast<0>(color);
  const Float4 da = a - broadcast<1>(color);
  const Float4 db = b - broadcast<2>(color);
  return dl * dl + da * da + db * db;
}

// The keys of a group's distances: a key is a squared distance with its low
// 8 mantissa bits replaced by the entry, so that the least key is the least
// distance (to within 2^-15) and names its entry. Keys, non-negative floats,
// order as their bits do.
Float4 keysOf(const Group& group, Float4 squared) {
  Bits4 entries;
  std::memcpy(&entries, group.entries, sizeof entries);
  return floatsOf((bitsOf(squared) & ~std::uint32_t{0xFF}) | entries);
}

// The least of four keys.
std::uint32_t leastKey(Float4 keys) {
  keys = lanewiseMin(keys, __builtin_shufflevector(keys, keys, 2, 3, 0, 1));
  keys = lanewiseMin(keys, __builtin_shufflevector(keys, keys, 1, 0, 3, 2));
  return bitsOf(keys)[0];
}

// How many lanes are true (-1), over one or more comparisons added up.
int trueLanes(Mask4 in) {
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
// A batch of pixels at a time, each step over the whole batch, so that the
// work of many pixels overlaps in the processor.
void TrueColorMatch::mapNearest(const std::uint8_t* rgba, std::size_t count,
                                std::uint8_t threshold, std::uint8_t* out) {
  constexpr std::size_t kBatch = 64;
  const ApproximateLab& approximate = ApproximateLab::tables();
  NearestCandidates& candidates = *candidates_;
  std::uint8_t colors[kBatch][4];
  std::uint32_t places[kBatch];
  Float4 labs[kBatch];
  std::uint32_t lists[kBatch];
  Float4 squared[kBatch][2];
  std::uint32_t leastKeys[kBatch];
  for (std::size_t first = 0; first < count; first += kBatch) {
    const std::size_t size = std::min(kBatch, count - first);
    // The opaque pixels, read before out is written.
    const std::uint8_t* batch = rgba + 4 * first;
    std::size_t opaque = 0;
    for (std::size_t i = 0; i < size; ++i) {
      std::memcpy(colors[opaque], batch + 4 * i, 4);
      places[opaque] = static_cast<std::uint32_t>(i);
      opaque += batch[4 * i + 3] >= threshold;
    }
    for (std::size_t j = 0; j < opaque; ++j) {
      labs[j] = approximate.lanes(colors[j][0], colors[j][1], colors[j][2]);
    }
    for (std::size_t j = 0; j < opaque; ++j) {
      lists[j] = candidates.list(LabF{labs[j][0], labs[j][1], labs[j][2]});
    }
    // Step 3 for lists of up to two groups (nearly all), in two passes: the
    // least key, then how many distances are within its limit. A key of
    // index 0 settles nothing: longer lists take the slow way.
    for (std::size_t j = 0; j < opaque; ++j) {
      const Group* groups = candidates.groups(lists[j]);
      const std::uint32_t n = NearestCandidates::groupCount(lists[j]);
      const Group& second = n >= 2 ? groups[1] : kFarGroup;
      squared[j][0] = distances(groups[0], labs[j]);
      squared[j][1] = distances(second, labs[j]);
      const std::uint32_t least = leastKey(lanewiseMin(
          keysOf(groups[0], squared[j][0]), keysOf(second, squared[j][1])));
      leastKeys[j] = n <= 2 ? least : least & ~std::uint32_t{0xFF};
    }
    std::memset(out + first, 0, size);
    for (std::size_t j = 0; j < opaque; ++j) {
      const float limit = limitFor(leastKeys[j]);
      const int near =
          trueLanes((squared[j][0] <= limit) + (squared[j][1] <= limit));
      const auto entry = static_cast<std::uint8_t>(leastKeys[j]);
      out[first + places[j]] =
          near == 1 && entry != 0 ? entry
                                  : nearestSlowly(colors[j], labs[j], lists[j]);
    }
  }
}

std::uint8_t TrueColorMatch::nearestSlowly(const std::uint8_t* color,
                                           Float4 lab,
                                           std::uint32_t list) const {
  const NearestCandidates& candidates = *candidates_;
  const Group* groups = candidates.groups(list);
  const std::uint32_t count = NearestCandidates::groupCount(list);
  if (count > 2) {
    Float4 least = keysOf(groups[0], distances(groups[0], lab));
    for (std::uint32_t g = 1; g < count; ++g) {
      least = lanewiseMin(least, keysOf(groups[g], distances(groups[g], lab)));
    }
    const std::uint32_t key = leastKey(least);
    const float limit = limitFor(key);
    int near = 0;
    for (std::uint32_t g = 0; g < count; ++g) {
      near += trueLanes(distances(groups[g], lab) <= limit);
    }
    if (near == 1) return static_cast<std::uint8_t>(key);
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

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

// A squared distance with its low 8 mantissa bits replaced by the entry: the
// least key is the least distance (to within 2^-15) and names its entry.
// Non-negative floats order as their bits do.
std::uint32_t keyOf(float squared, std::uint32_t entry) {
  std::uint32_t bits;
  std::memcpy(&bits, &squared, sizeof bits);
  return (bits & ~std::uint32_t{0xFF}) | entry;
}

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

// The squared distances from color to a group's four entries, and their
// keys.
void distances(const Group& group, const LabF& color, float squared[4],
               std::uint32_t keys[4]) {
  for (int k = 0; k < 4; ++k) {
    const float dl = group.l[k] - color.l;
    const float da = group.a[k] - color.a;
    const float db = group.b[k] - color.b;
    squared[k] = dl * dl + da * da + db * db;
    keys[k] = keyOf(squared[k], group.entries[k]);
  }
}

// The nearest of a one-group list when the approximation settles it, else
// 0 (index 0 is never nearest: it fills groups up, far away).
std::uint8_t settle(const Group& group, const LabF& color) {
  float squared[4];
  std::uint32_t keys[4];
  distances(group, color, squared, keys);
  const std::uint32_t least =
      std::min(std::min(keys[0], keys[1]), std::min(keys[2], keys[3]));
  const float limit = limitFor(least);
  const int near = (squared[0] <= limit) + (squared[1] <= limit) +
                   (squared[2] <= limit) + (squared[3] <= limit);
  return near == 1 ? static_cast<std::uint8_t>(least) : 0;
}

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
      lists[j] = NearestCandidates::cellOf(labs[j]);
    }
    for (std::size_t j = 0; j < opaque; ++j) {
      lists[j] = candidates.list(lists[j]);
    }
    for (std::size_t j = 0; j < opaque; ++j) {
      found[j] = NearestCandidates::groupCount(lists[j]) == 1
                     ? settle(*candidates.groups(lists[j]), labs[j])
                     : 0;
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
  if (count > 1) {
    std::uint32_t least = std::numeric_limits<std::uint32_t>::max();
    for (std::uint32_t g = 0; g < count; ++g) {
      float squared[4];
      std::uint32_t keys[4];
      distances(groups[g], lab, squared, keys);
      for (const std::uint32_t key : keys) least = std::min(least, key);
    }
    const float limit = limitFor(least);
    int near = 0;
    for (std::uint32_t g = 0; g < count; ++g) {
      float squared[4];
      std::uint32_t keys[4];
      distances(groups[g], lab, squared, keys);
      for (const float d : squared) near += d <= limit;
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

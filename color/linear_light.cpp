#include "color/linear_light.h"

#include <cmath>

#include "color/cielab.h"

namespace {

// The linear light of an sRGB value s from 0 to 1 (IEC 61966-2-1).
double linearOf(double s) {
  return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
}

}  // namespace

const LinearLight& LinearLight::tables() {
  static const LinearLight made;
  return made;
}

LinearLight::LinearLight() {
  const std::array<double, 256>& linear = linearFromSrgbTable();
  for (std::size_t v = 0; v < 256; ++v) {
    fromSrgb_[v] = static_cast<std::int32_t>(std::lround(linear[v] * kOne));
  }
  // 8-bit values 4c to 4c + 3 have the 6-bit component c: the sRGB values
  // from 4c - 0.5 up to (not including) 4c + 3.5 round to them. cellStart_
  // holds where each component's linear values begin.
  std::int32_t next = 0;
  for (std::uint32_t c = 0; c < 64; ++c) {
    cellStart_[c] = next;
    const double end = c == 63 ? 2.0 : linearOf((4.0 * c + 3.5) / 255.0);
    while (next <= kOne && static_cast<double>(next) < end * kOne) ++next;
  }
  cellStart_[64] = kOne + 1;
  // Each bucket of 64 linear values starts at the component of its first
  // value; no bucket spans more than two components' starts.
  std::uint32_t c = 0;
  for (std::size_t bucket = 0; bucket < bucketStart_.size(); ++bucket) {
    const std::int32_t first = static_cast<std::int32_t>(bucket << kBucketBits);
    while (cellStart_[c + 1] <= first) ++c;
    bucketStart_[bucket] = static_cast<std::uint8_t>(c);
  }
}

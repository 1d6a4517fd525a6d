// Colours in linear light, where mixing and spreading colour behave as the
// eye's blending of neighbouring pixels does: the sRGB transfer curve of
// IEC 61966-2-1 undone, in fixed point so that every build computes the same
// entries.
#ifndef GIF2FRM_COLOR_LINEAR_LIGHT_H_
#define GIF2FRM_COLOR_LINEAR_LIGHT_H_

#include <array>
#include <cstdint>

class LinearLight {
 public:
  // Linear 1.0 (white); 0 is black.
  static constexpr std::int32_t kOne = 1 << 16;

  // The tables, made on first use.
  static const LinearLight& tables();

  // The linear light of an 8-bit sRGB component, in 1/kOne.
  std::int32_t fromSrgb(std::uint8_t value) const { return fromSrgb_[value]; }
  // The 6-bit component of a linear value from 0 to kOne: that of the 8-bit
  // value it rounds to (div 4), as an 8-bit colour's 6-bit reduction is.
  std::uint32_t sixBit(std::int32_t value) const {
    std::uint32_t c =
        bucketStart_[static_cast<std::uint32_t>(value) >> kBucketBits];
    while (value >= cellStart_[c + 1]) ++c;
    return c;
  }

 private:
  LinearLight();

  std::array<std::int32_t, 256> fromSrgb_{};
  static constexpr int kBucketBits = 6;
  // The first linear value of each 6-bit component (and kOne + 1 after the
  // last), and the component of the first value of each bucket of
  // 1 << kBucketBits values: small enough to stay in the fastest cache.
  std::array<std::int32_t, 65> cellStart_{};
  std::array<std::uint8_t, (kOne >> kBucketBits) + 1> bucketStart_{};
};

#endif  // GIF2FRM_COLOR_LINEAR_LIGHT_H_

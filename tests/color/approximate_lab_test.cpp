// The approximate CIELAB must stay within its stated error of labFromSrgb's,
// and inside the grid of candidate cubes, for every colour.
#include "color/approximate_lab.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "color/cielab.h"
#include "color/nearest_candidates.h"

namespace {

double distance(const LabF& x, const Lab& y) {
  const double dl = x.l - y.l;
  const double da = x.a - y.a;
  const double db = x.b - y.b;
  return std::sqrt(dl * dl + da * da + db * db);
}

// Every third value of each component (and 255), every grey, and all the
// colours next to black and white, where the curve and the table bend most.
TEST(ApproximateLab, StaysWithinItsErrorOfLabFromSrgb) {
  const ApproximateLab& approximate = ApproximateLab::tables();
  double worst = 0.0;
  const auto check = [&](int r, int g, int b) {
    const auto red = static_cast<std::uint8_t>(r);
    const auto green = static_cast<std::uint8_t>(g);
    const auto blue = static_cast<std::uint8_t>(b);
    const double d =
        distance(approximate(red, green, blue), labFromSrgb(red, green, blue));
    worst = std::max(worst, d);
    ASSERT_LE(d, kApproximateLabError) << r << " " << g << " " << b;
  };
  for (int r = 0; r < 258; r += 3) {
    for (int g = 0; g < 258; g += 3) {
      for (int b = 0; b < 258; b += 3) {
        check(std::min(r, 255), std::min(g, 255), std::min(b, 255));
      }
    }
  }
  for (int v = 0; v < 256; ++v) check(v, v, v);
  for (int r = 0; r < 8; ++r) {
    for (int g = 0; g < 8; ++g) {
      for (int b = 0; b < 8; ++b) {
        check(r, g, b);
        check(255 - r, 255 - g, 255 - b);
      }
    }
  }
  // The bound is a worst case; the table is in fact much closer.
  EXPECT_LT(worst, kApproximateLabError / 2);
}

TEST(ApproximateLab, EveryColourFallsInsideTheGridOfCubes) {
  const ApproximateLab& approximate = ApproximateLab::tables();
  std::uint32_t least = UINT32_MAX;
  std::uint32_t most = 0;
  float lowest[3] = {1e9f, 1e9f, 1e9f};
  float highest[3] = {-1e9f, -1e9f, -1e9f};
  for (std::uint32_t c = 0; c < (1u << 24); ++c) {
    const LabF lab = approximate(static_cast<std::uint8_t>(c >> 16),
                                 static_cast<std::uint8_t>(c >> 8),
                                 static_cast<std::uint8_t>(c));
    const float v[3] = {lab.l, lab.a, lab.b};
    for (int k = 0; k < 3; ++k) {
      lowest[k] = std::min(lowest[k], v[k]);
      highest[k] = std::max(highest[k], v[k]);
    }
    const std::uint32_t cell = NearestCandidates::cubeOf(lab);
    least = std::min(least, cell);
    most = std::max(most, cell);
  }
  // The grid starts at L -4, a -88, b -112 and is 14 x 24 x 26 cubes of 8
  // (the finer cubes 4 wide, 27 x 47 x 52 of them, cover the same).
  EXPECT_GT(lowest[0], -4.0f + 1.0f);
  EXPECT_GT(lowest[1], -88.0f + 1.0f);
  EXPECT_GT(lowest[2], -112.0f + 1.0f);
  EXPECT_LT(highest[0], -4.0f + 4 * 27 - 1.0f);
  EXPECT_LT(highest[1], -88.0f + 4 * 47 - 1.0f);
  EXPECT_LT(highest[2], -112.0f + 4 * 52 - 1.0f);
  EXPECT_LT(most, NearestCandidates::kCubesL * NearestCandidates::kCubesA *
                      NearestCandidates::kCubesB);
  EXPECT_GT(most, least);
}

}  // namespace

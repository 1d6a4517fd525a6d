// Error diffusion's promises: palette colours stay exact, transparent and
// undecoded pixels neither take nor pass error, and a flat area keeps its
// colour on average.
#include "color/floyd_steinberg.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "color/cielab.h"
#include "color/palette.h"
#include "color/six_bit.h"
#include "gtest/gtest.h"

namespace {

using Pixels = std::vector<std::uint8_t>;

class FloydSteinbergTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(cache_.allocate()); }

  // Diffuses an image of GIF indices row by row, in place; delivered gives
  // each row's decoded pixels (all when empty). Indices beyond the table
  // map to 77.
  Pixels dither(Pixels pixels, std::uint32_t width, const Pixels& table,
                int transparentIndex = -1,
                std::vector<std::uint32_t> delivered = {}) {
    const auto height = static_cast<std::uint32_t>(pixels.size() / width);
    delivered.resize(height, width);
    ColorMap map;
    map.fill(77);
    FloydSteinberg diffusion(cache_);
    EXPECT_TRUE(diffusion.start(
        width, table.data(), static_cast<std::uint32_t>(table.size() / 3), map,
        transparentIndex >= 0, static_cast<std::uint8_t>(transparentIndex)));
    for (std::uint32_t y = 0; y < height; ++y) {
      std::uint8_t* row = pixels.data() + std::size_t{y} * width;
      diffusion.row(row, delivered[y], row);
    }
    return pixels;
  }

  Pixels widened(int entry) const {
    const std::uint8_t* c = palette_ + 3 * entry;
    return {expandSixBit(c[0]), expandSixBit(c[1]), expandSixBit(c[2])};
  }

  const std::uint8_t* palette_ = loadPalette();
  PaletteLab lab_{palette_};
  NearestCache cache_{lab_};
};

TEST_F(FloydSteinbergTest, FlatPaletteColoursStayTheirEntry) {
  for (int entry : {1, 8, 15, 16, 98, 133, 207, 220, 228}) {
    // The entry's colour widened, and as the swatch files hold it (times 4):
    // the same colour at the palette's 6 bits.
    const Pixels wide = widened(entry);
    const std::uint8_t* c = palette_ + 3 * entry;
    const Pixels table = {wide[0],
                          wide[1],
                          wide[2],
                          std::uint8_t(c[0] * 4),
                          std::uint8_t(c[1] * 4),
                          std::uint8_t(c[2] * 4)};
    for (std::uint8_t index : {std::uint8_t{0}, std::uint8_t{1}}) {
      for (std::uint8_t pixel : dither(Pixels(37 * 20, index), 37, table)) {
        ASSERT_EQ(pixel, entry) << int{index};
      }
    }
  }
}

TEST_F(FloydSteinbergTest, TransparentPixelsNeitherTakeNorPassError) {
  // Random colours left and right of a column of the transparent index 15.
  // No error crosses the column, so the right part comes out as it does
  // alone; it takes the column's place as its left edge.
  std::mt19937 random(5);
  constexpr std::uint32_t kLeft = 13, kRight = 17, kWidth = kLeft + 1 + kRight;
  Pixels table(3 * 16);
  for (std::uint8_t& c : table) c = static_cast<std::uint8_t>(random());
  Pixels whole, right;
  for (std::uint32_t i = 0; i < kWidth * 19; ++i) {
    const std::uint32_t x = i % kWidth;
    std::uint8_t index = static_cast<std::uint8_t>(random() % 15);
    if (x == kLeft || (x < kLeft && random() % 7 == 0)) index = 15;
    whole.push_back(index);
    if (x > kLeft) right.push_back(index);
  }
  const Pixels out = dither(whole, kWidth, table, 15);
  const Pixels alone = dither(right, kRight, table, 15);
  for (std::size_t i = 0, r = 0; i < out.size(); ++i) {
    if (whole[i] == 15) {
      ASSERT_EQ(out[i], 0);
    } else {
      ASSERT_GE(out[i], 1);
      ASSERT_LE(out[i], 228);
    }
    if (i % kWidth > kLeft) {
      ASSERT_EQ(out[i], alone[r++]) << i;
    }
  }
}

TEST_F(FloydSteinbergTest, UndecodedPixelsAreZeroAndPassNoError) {
  constexpr std::uint32_t kWidth = 12;
  const Pixels table = {100, 150, 200, 30, 30, 30};
  // Row 2 ends early, rows 3 and 5 were never reached; what the decoder
  // never wrote holds anything, here index 1. Index 9 is beyond the table.
  const std::vector<std::uint32_t> delivered = {12, 12, 5, 0, 12, 0};
  Pixels pixels(kWidth * 6, 0);
  for (std::uint32_t y = 0; y < 6; ++y) {
    for (std::uint32_t x = delivered[y]; x < kWidth; ++x) {
      pixels[y * kWidth + x] = 1;
    }
  }
  pixels[5] = 9;
  const Pixels out = dither(pixels, kWidth, table, -1, delivered);
  EXPECT_EQ(out[5], 77);
  for (std::uint32_t y = 0; y < 6; ++y) {
    for (std::uint32_t x = delivered[y]; x < kWidth; ++x) {
      ASSERT_EQ(out[y * kWidth + x], 0) << x << "," << y;
    }
  }
  // Row 4 follows an undecoded row, so it comes out as a first row.
  const Pixels fresh = dither(Pixels(kWidth, 0), kWidth, table);
  EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), out.begin() + 4 * kWidth));
}

TEST_F(FloydSteinbergTest, FlatAreasKeepTheirColourOnAverage) {
  // Greys between the grey ramp's steps, and mixes of an entry with the
  // entry nearest to it.
  std::vector<Pixels> colors = {{128, 128, 128}, {100, 100, 100}, {20, 20, 20}};
  std::mt19937 random(11);
  for (int n = 0; n < 40; ++n) {
    const int j = 1 + static_cast<int>(random() % 228);
    const Pixels a = widened(j);
    const Lab aLab = labFromSrgb(a[0], a[1], a[2]);
    int k = j == 1 ? 2 : 1;
    for (int other = 1; other <= 228; ++other) {
      const Pixels b = widened(other), best = widened(k);
      if (other != j &&
          squaredDeltaE(aLab, labFromSrgb(b[0], b[1], b[2])) <
              squaredDeltaE(aLab, labFromSrgb(best[0], best[1], best[2]))) {
        k = other;
      }
    }
    const Pixels b = widened(k);
    const double t = static_cast<double>(random() % 100) / 100.0;
    Pixels mix;
    for (int c = 0; c < 3; ++c) {
      mix.push_back(
          static_cast<std::uint8_t>(std::lround(a[c] * t + b[c] * (1 - t))));
    }
    colors.push_back(mix);
  }
  // The eye blends the pattern in linear light: its mean there must be the
  // colour's.
  const std::array<double, 256>& linear = linearFromSrgbTable();
  constexpr std::uint32_t kSide = 64;
  for (const Pixels& color : colors) {
    double sum[3] = {0, 0, 0};
    for (std::uint8_t entry : dither(Pixels(kSide * kSide, 0), kSide, color)) {
      const Pixels c = widened(entry);
      for (int k = 0; k < 3; ++k) sum[k] += linear[c[k]];
    }
    const Lab mean =
        labFromLinear(sum[0] / (kSide * kSide), sum[1] / (kSide * kSide),
                      sum[2] / (kSide * kSide));
    const Lab source = labFromSrgb(color[0], color[1], color[2]);
    EXPECT_LE(std::sqrt(squaredDeltaE(source, mean)), 1.5)
        << int{color[0]} << "," << int{color[1]} << "," << int{color[2]};
    EXPECT_NEAR(mean.l, source.l, 1.0);
  }
}

TEST_F(FloydSteinbergTest, TrueColourRowsDiffuseAsIndexedRowsOfTheSameColours) {
  // The same picture as GIF indices into a table and as RGBA: the same
  // entries, palette colours and transparency included.
  std::mt19937 random(23);
  Pixels table(3 * 12);
  for (std::uint8_t& c : table) c = static_cast<std::uint8_t>(random());
  for (int k = 0; k < 3; ++k) table[3 * 4 + k] = widened(98)[k];
  constexpr std::uint32_t kWidth = 41, kHeight = 23;
  Pixels indices(kWidth * kHeight), rgba;
  for (std::uint8_t& i : indices) i = static_cast<std::uint8_t>(random() % 12);
  for (std::uint8_t i : indices) {
    for (int k = 0; k < 3; ++k) rgba.push_back(table[3 * i + k]);
    rgba.push_back(i == 7 ? 127 : 128);  // index 7 is the transparent one
  }
  const Pixels expected = dither(indices, kWidth, table, 7);
  FloydSteinberg diffusion(cache_);
  ASSERT_TRUE(diffusion.startRgba(kWidth, 128));
  Pixels out(kWidth * kHeight, 99);
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    diffusion.rowRgba(&rgba[4 * y * kWidth], kWidth, &out[y * kWidth]);
  }
  EXPECT_EQ(out, expected);
}

}  // namespace

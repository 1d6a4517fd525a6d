// Ordered dithering's promises: palette colours stay exact, a pixel's entry
// depends only on its colour and its place on the canvas (so still parts of
// an animation hold still), transparent and undecoded pixels are 0, and a
// flat area's pattern blends to its colour.
#include "color/ordered_dither.h"

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

class OrderedDitherTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plans_.reserve()); }

  // An image of GIF indices placed at (left, top); delivered gives each
  // row's decoded pixels (all when empty). Indices beyond the table map to
  // 77.
  Pixels indexed(const Pixels& pixels, std::uint32_t width, const Pixels& table,
                 std::uint32_t left, std::uint32_t top,
                 int transparentIndex = -1,
                 std::vector<std::uint32_t> delivered = {}) {
    const auto height = static_cast<std::uint32_t>(pixels.size() / width);
    delivered.resize(height, width);
    ColorMap map;
    map.fill(77);
    OrderedDither dither(plans_);
    EXPECT_TRUE(dither.start(
        width, table.data(), static_cast<std::uint32_t>(table.size() / 3), map,
        transparentIndex >= 0, static_cast<std::uint8_t>(transparentIndex),
        left, top));
    Pixels out(pixels.size(), 99);
    for (std::uint32_t y = 0; y < height; ++y) {
      dither.row(&pixels[y * width], delivered[y], &out[y * width]);
    }
    return out;
  }

  Pixels rgba(const Pixels& pixels, std::uint32_t width, std::uint32_t left,
              std::uint32_t top) {
    const auto height = static_cast<std::uint32_t>(pixels.size() / 4 / width);
    OrderedDither dither(plans_);
    EXPECT_TRUE(dither.startRgba(width, 128, left, top));
    Pixels out(std::size_t{width} * height, 99);
    for (std::uint32_t y = 0; y < height; ++y) {
      dither.rowRgba(&pixels[4 * y * width], width, &out[y * width]);
    }
    return out;
  }

  Pixels widened(int entry) const {
    const std::uint8_t* c = palette_ + 3 * entry;
    return {expandSixBit(c[0]), expandSixBit(c[1]), expandSixBit(c[2])};
  }

  const std::uint8_t* palette_ = loadPalette();
  PaletteLab lab_{palette_};
  NearestCache cache_{lab_};
  MixPlans plans_{cache_};
};

TEST_F(OrderedDitherTest, FlatPaletteColoursStayTheirEntryEverywhere) {
  for (int entry : {1, 8, 15, 16, 98, 133, 207, 220, 228}) {
    // The widened colour, and the 6-bit colour times 4.
    const Pixels wide = widened(entry);
    const std::uint8_t* c = palette_ + 3 * entry;
    const Pixels table = {wide[0],
                          wide[1],
                          wide[2],
                          std::uint8_t(c[0] * 4),
                          std::uint8_t(c[1] * 4),
                          std::uint8_t(c[2] * 4)};
    for (std::uint32_t offset : {0u, 3u, 13u}) {
      for (std::uint8_t index : {std::uint8_t{0}, std::uint8_t{1}}) {
        for (std::uint8_t pixel :
             indexed(Pixels(19 * 9, index), 19, table, offset, 2 * offset)) {
          ASSERT_EQ(pixel, entry) << int{index} << " at " << offset;
        }
        Pixels true_colour;
        for (int n = 0; n < 19 * 9; ++n) {
          true_colour.insert(true_colour.end(), table.begin() + 3 * index,
                             table.begin() + 3 * index + 3);
          true_colour.push_back(255);
        }
        for (std::uint8_t pixel : rgba(true_colour, 19, offset, offset)) {
          ASSERT_EQ(pixel, entry);
        }
      }
    }
  }
}

TEST_F(OrderedDitherTest, APixelsEntryDependsOnlyOnItsColourAndCanvasPlace) {
  // One canvas of random colours; frames cut from it at several places, as
  // GIF indices and as RGBA, must all agree with the canvas where they lie.
  std::mt19937 random(7);
  Pixels table(3 * 64);
  for (std::uint8_t& c : table) c = static_cast<std::uint8_t>(random());
  constexpr std::uint32_t kSide = 40;
  Pixels canvas(kSide * kSide);
  for (std::uint8_t& i : canvas) i = static_cast<std::uint8_t>(random() % 64);
  const Pixels whole = indexed(canvas, kSide, table, 0, 0);
  for (const auto& [left, top, width, height] :
       {std::array<std::uint32_t, 4>{1, 2, 17, 11},
        {5, 0, 9, 33},
        {8, 8, 24, 24},
        {13, 27, 27, 13}}) {
    Pixels cut, cutRgba;
    for (std::uint32_t y = top; y < top + height; ++y) {
      for (std::uint32_t x = left; x < left + width; ++x) {
        const std::uint8_t i = canvas[y * kSide + x];
        cut.push_back(i);
        cutRgba.insert(cutRgba.end(), table.begin() + 3 * i,
                       table.begin() + 3 * i + 3);
        cutRgba.push_back(200);
      }
    }
    const Pixels a = indexed(cut, width, table, left, top);
    const Pixels b = rgba(cutRgba, width, left, top);
    for (std::uint32_t y = 0; y < height; ++y) {
      for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint8_t expected = whole[(top + y) * kSide + left + x];
        ASSERT_EQ(a[y * width + x], expected) << x << "," << y;
        ASSERT_EQ(b[y * width + x], expected) << x << "," << y;
      }
    }
  }
}

TEST_F(OrderedDitherTest, TransparentUndecodedAndUncolouredPixels) {
  const Pixels table = {100, 150, 200, 30, 30, 30, 250, 10, 10};
  constexpr std::uint32_t kWidth = 12;
  const std::vector<std::uint32_t> delivered = {12, 5, 0, 12};
  Pixels pixels(kWidth * 4, 0);
  pixels[1] = 2;  // the transparent index
  pixels[2] = 9;  // beyond the table: what the map holds
  for (std::uint32_t x = 5; x < kWidth; ++x) pixels[kWidth + x] = 1;
  const Pixels out = indexed(pixels, kWidth, table, 3, 1, 2, delivered);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(out[2], 77);
  for (std::uint32_t y = 0; y < 4; ++y) {
    for (std::uint32_t x = 0; x < kWidth; ++x) {
      if (x >= delivered[y]) {
        ASSERT_EQ(out[y * kWidth + x], 0);
      } else if (!(y == 0 && x < 3)) {
        ASSERT_GE(out[y * kWidth + x], 1);
        ASSERT_LE(out[y * kWidth + x], 228);
      }
    }
  }
  // True colour: alpha below the threshold is transparent, the rest opaque
  // whatever its colour.
  const Pixels pixelsRgba = {250, 10, 10, 127, 250, 10, 10, 128,
                             0,   0,  0,  0,   0,   0,  0,  255};
  const Pixels outRgba = rgba(pixelsRgba, 4, 0, 0);
  EXPECT_EQ(outRgba[0], 0);
  EXPECT_NE(outRgba[1], 0);
  EXPECT_EQ(outRgba[2], 0);
  EXPECT_EQ(outRgba[3], 228);  // black is an entry
}

TEST_F(OrderedDitherTest, FlatAreasBlendToTheirColourInLinearLight) {
  // Greys between the grey ramp's steps, and mixes of a random entry with
  // the entry nearest to it: over the matrix's 8 x 8 the pattern's mean in
  // linear light is near the colour.
  std::vector<Pixels> colors = {{128, 128, 128}, {100, 100, 100}, {20, 20, 20}};
  std::mt19937 random(11);
  for (int n = 0; n < 40; ++n) {
    const int j = 1 + static_cast<int>(random() % 228);
    const Pixels a = widened(j);
    const Lab aLab = labFromSrgb(a[0], a[1], a[2]);
    int k = j == 1 ? 2 : 1;
    for (int other = 1; other <= 228; ++other) {
      const Pixels o = widened(other), best = widened(k);
      if (other != j &&
          squaredDeltaE(aLab, labFromSrgb(o[0], o[1], o[2])) <
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
  const std::array<double, 256>& linear = linearFromSrgbTable();
  double worst = 0;
  double sum = 0;
  for (const Pixels& color : colors) {
    double total[3] = {0, 0, 0};
    for (std::uint8_t entry : indexed(Pixels(64, 0), 8, color, 0, 0)) {
      const Pixels c = widened(entry);
      for (int k = 0; k < 3; ++k) total[k] += linear[c[k]];
    }
    const double d = std::sqrt(squaredDeltaE(
        labFromSrgb(color[0], color[1], color[2]),
        labFromLinear(total[0] / 64, total[1] / 64, total[2] / 64)));
    worst = std::max(worst, d);
    sum += d;
  }
  EXPECT_LE(sum / static_cast<double>(colors.size()), 1.5);
  EXPECT_LE(worst, 6.0);
}

}  // namespace

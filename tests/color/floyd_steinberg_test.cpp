// Error diffusion's promises: palette colours stay exact, transparent and
// undecoded pixels neither take nor pass error, and a flat area keeps its
// colour on average.
#include "color/floyd_steinberg.h"

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "color/cielab.h"
#include "color/palette.h"
#include "gtest/gtest.h"

namespace {

class FloydSteinbergTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(cache_.allocate()); }

  // Diffuses an image of GIF indices, row by row; delivered gives each row's
  // decoded pixels (all when empty).
  std::vector<std::uint8_t> dither(const std::vector<std::uint8_t>& indices,
                                   std::uint32_t width,
                                   const std::vector<std::uint8_t>& table,
                                   int transparentIndex = -1,
                                   std::vector<std::uint32_t> delivered = {}) {
    const std::uint32_t height =
        static_cast<std::uint32_t>(indices.size() / width);
    if (delivered.empty()) delivered.assign(height, width);
    ColorMap map;
    map.fill(77);
    FloydSteinberg diffusion(cache_);
    EXPECT_TRUE(diffusion.start(
        width, table.data(), static_cast<std::uint32_t>(table.size() / 3), map,
        transparentIndex >= 0, static_cast<std::uint8_t>(transparentIndex)));
    std::vector<std::uint8_t> out(indices.size(), 0xEE);
    for (std::uint32_t y = 0; y < height; ++y) {
      diffusion.row(indices.data() + std::size_t{y} * width, delivered[y],
                    out.data() + std::size_t{y} * width);
    }
    return out;
  }

  const std::uint8_t* palette_ = loadPalette();
  PaletteLab lab_{palette_};
  NearestCache cache_{lab_};
};

std::vector<std::uint8_t> widened(const std::uint8_t* palette, int entry) {
  const std::uint8_t* c = palette + 3 * entry;
  return {widenSixBit(c[0]), widenSixBit(c[1]), widenSixBit(c[2])};
}

TEST_F(FloydSteinbergTest, FlatPaletteColoursStayTheirEntry) {
  constexpr std::uint32_t kWidth = 37;
  for (int entry : {1, 8, 15, 16, 98, 133, 207, 220, 228}) {
    SCOPED_TRACE(entry);
    // The entry's colour as the palette widens it, and as the swatch files
    // hold it (times 4), which is the same colour at 6 bits.
    std::vector<std::uint8_t> table = widened(palette_, entry);
    const std::uint8_t* c = palette_ + 3 * entry;
    table.insert(table.end(), {std::uint8_t(c[0] * 4), std::uint8_t(c[1] * 4),
                               std::uint8_t(c[2] * 4)});
    for (std::uint8_t index : {std::uint8_t{0}, std::uint8_t{1}}) {
      const std::vector<std::uint8_t> out =
          dither(std::vector<std::uint8_t>(kWidth * 20, index), kWidth, table);
      for (std::uint8_t pixel : out) ASSERT_EQ(pixel, entry);
    }
  }
}

TEST_F(FloydSteinbergTest,
       PaletteColoursNextToDitheredOnesStayExactWhereNoErrorReaches) {
  // Left half a colour between entries, right half entry 133 exactly, with
  // a transparent column between them: the right half takes no error.
  constexpr std::uint32_t kWidth = 21;
  std::vector<std::uint8_t> table = {90, 140, 37};
  const std::vector<std::uint8_t> red = widened(palette_, 133);
  table.insert(table.end(), red.begin(), red.end());
  table.insert(table.end(), {0, 0, 0});
  std::vector<std::uint8_t> indices;
  for (int y = 0; y < 16; ++y) {
    for (std::uint32_t x = 0; x < kWidth; ++x) {
      indices.push_back(x < 10 ? 0 : (x == 10 ? 2 : 1));
    }
  }
  const std::vector<std::uint8_t> out = dither(indices, kWidth, table, 2);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::uint32_t x = static_cast<std::uint32_t>(i % kWidth);
    if (x == 10) {
      ASSERT_EQ(out[i], 0) << i;
    } else if (x > 10) {
      ASSERT_EQ(out[i], 133) << i;
    }
  }
}

TEST_F(FloydSteinbergTest, TransparentPixelsNeitherTakeNorPassError) {
  std::mt19937 random(5);
  constexpr std::uint32_t kLeft = 13;
  constexpr std::uint32_t kRight = 17;
  constexpr std::uint32_t kWidth = kLeft + 1 + kRight;
  constexpr std::uint32_t kHeight = 19;
  std::vector<std::uint8_t> table(3 * 16);
  for (std::uint8_t& c : table) c = static_cast<std::uint8_t>(random() & 0xFF);
  std::vector<std::uint8_t> whole;
  std::vector<std::uint8_t> right;
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    for (std::uint32_t x = 0; x < kWidth; ++x) {
      // Index 15 is transparent: a whole column of it, and a few spots.
      std::uint8_t index = static_cast<std::uint8_t>(random() % 15);
      if (x == kLeft || (x < kLeft && random() % 7 == 0)) index = 15;
      whole.push_back(index);
      if (x > kLeft) right.push_back(index);
    }
  }
  const std::vector<std::uint8_t> out = dither(whole, kWidth, table, 15);
  // No error crosses the column, so the right part comes out as it does
  // alone, with its left edge where the column was.
  const std::vector<std::uint8_t> alone = dither(right, kRight, table, 15);
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    for (std::uint32_t x = 0; x < kWidth; ++x) {
      const std::uint8_t source = whole[y * kWidth + x];
      const std::uint8_t pixel = out[y * kWidth + x];
      if (source == 15) {
        ASSERT_EQ(pixel, 0);
      } else {
        ASSERT_GE(pixel, 1);
        ASSERT_LE(pixel, 228);
      }
      if (x > kLeft) {
        ASSERT_EQ(pixel, alone[y * kRight + x - kLeft - 1]);
      }
    }
  }
}

TEST_F(FloydSteinbergTest, UndecodedPixelsAreZeroAndPassNoError) {
  constexpr std::uint32_t kWidth = 12;
  const std::vector<std::uint8_t> table = {100, 150, 200, 30, 30, 30};
  std::vector<std::uint8_t> indices(kWidth * 6, 0);
  // Rows 2 and 3 end early; row 5 was never reached. The bytes the decoder
  // never wrote hold anything, here index 1.
  const std::vector<std::uint32_t> delivered = {12, 12, 5, 0, 12, 0};
  for (std::uint32_t y = 0; y < 6; ++y) {
    for (std::uint32_t x = delivered[y]; x < kWidth; ++x)
      indices[y * kWidth + x] = 1;
  }
  std::vector<std::uint8_t> out = dither(indices, kWidth, table, -1, delivered);
  for (std::uint32_t y = 0; y < 6; ++y) {
    for (std::uint32_t x = delivered[y]; x < kWidth; ++x) {
      ASSERT_EQ(out[y * kWidth + x], 0) << x << "," << y;
    }
  }
  // Row 4 follows an undecoded row: it gets no error from above and so
  // comes out as the first row of an image of its own.
  const std::vector<std::uint8_t> fresh =
      dither(std::vector<std::uint8_t>(kWidth, 0), kWidth, table);
  EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), out.begin() + 4 * kWidth));

  // In place, the same result.
  FloydSteinberg diffusion(cache_);
  ColorMap map;
  map.fill(77);
  ASSERT_TRUE(diffusion.start(kWidth, table.data(), 2, map, false, 0));
  for (std::uint32_t y = 0; y < 6; ++y) {
    std::uint8_t* row = indices.data() + y * kWidth;
    diffusion.row(row, delivered[y], row);
  }
  EXPECT_EQ(indices, out);
}

TEST_F(FloydSteinbergTest, IndicesBeyondTheTableTakeTheirMapValue) {
  const std::vector<std::uint8_t> table = {10, 20, 30, 200, 100, 50};
  const std::vector<std::uint8_t> out =
      dither({0, 1, 2, 255, 1, 0, 9, 9}, 4, table, 1);
  EXPECT_EQ(out[1], 0);   // transparent
  EXPECT_EQ(out[2], 77);  // beyond the table: the map's value
  EXPECT_EQ(out[3], 77);
  EXPECT_EQ(out[6], 77);
  EXPECT_EQ(out[4], 0);
  EXPECT_GE(out[0], 1);
  EXPECT_LE(out[0], 228);
}

TEST_F(FloydSteinbergTest, FlatAreasKeepTheirColourOnAverage) {
  // Colours between neighbouring palette entries: greys between the grey
  // ramp's steps, and mixes of an entry with the entry nearest to it.
  std::vector<std::vector<int>> colors = {
      {128, 128, 128}, {100, 100, 100}, {250, 250, 250}, {20, 20, 20}};
  std::mt19937 random(11);
  for (int n = 0; n < 40; ++n) {
    const int j = 1 + static_cast<int>(random() % 228);
    const std::vector<std::uint8_t> a = widened(palette_, j);
    const Lab aLab = labFromSrgb(a[0], a[1], a[2]);
    int k = j == 1 ? 2 : 1;
    for (int other = 1; other <= 228; ++other) {
      const std::vector<std::uint8_t> b = widened(palette_, other);
      const std::vector<std::uint8_t> best = widened(palette_, k);
      if (other != j &&
          squaredDeltaE(aLab, labFromSrgb(b[0], b[1], b[2])) <
              squaredDeltaE(aLab, labFromSrgb(best[0], best[1], best[2]))) {
        k = other;
      }
    }
    const std::vector<std::uint8_t> b = widened(palette_, k);
    const double t = static_cast<double>(random() % 100) / 100.0;
    std::vector<int> mix;
    for (int c = 0; c < 3; ++c) {
      mix.push_back(static_cast<int>(std::lround(a[c] * t + b[c] * (1 - t))));
    }
    colors.push_back(mix);
  }
  constexpr std::uint32_t kSide = 64;
  for (const std::vector<int>& color : colors) {
    SCOPED_TRACE(::testing::Message()
                 << color[0] << "," << color[1] << "," << color[2]);
    const std::vector<std::uint8_t> table = {
        std::uint8_t(color[0]), std::uint8_t(color[1]), std::uint8_t(color[2])};
    const std::vector<std::uint8_t> out =
        dither(std::vector<std::uint8_t>(kSide * kSide, 0), kSide, table);
    double sum[3] = {0, 0, 0};
    for (std::uint8_t entry : out) {
      const std::vector<std::uint8_t> c = widened(palette_, entry);
      for (int k = 0; k < 3; ++k) sum[k] += c[k];
    }
    const double count = kSide * kSide;
    const Lab source = labFromSrgb(table[0], table[1], table[2]);
    const Lab mean =
        labFromSrgb(static_cast<std::uint8_t>(std::lround(sum[0] / count)),
                    static_cast<std::uint8_t>(std::lround(sum[1] / count)),
                    static_cast<std::uint8_t>(std::lround(sum[2] / count)));
    EXPECT_LE(std::sqrt(squaredDeltaE(source, mean)), 4.0);
  }
}

}  // namespace

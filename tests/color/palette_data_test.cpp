// The committed resources/palette.pal and the artists' swatch files made from
// it: the colour match of existing GIFs depends on where these colours sit.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "color/committed_palette.h"
#include "gtest/gtest.h"

namespace {

struct Rgb {
  int r, g, b;
};

class PaletteDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pal_ = committedResource("palette.pal");
    ASSERT_EQ(pal_.size(), 33536u) << resourcePath("palette.pal");
  }

  Rgb entry(int i) const {
    const std::size_t at = 3 * static_cast<std::size_t>(i);
    return Rgb{pal_[at], pal_[at + 1], pal_[at + 2]};
  }

  std::vector<std::uint8_t> pal_;
};

TEST_F(PaletteDataTest, ReservedEntriesAreColourless) {
  for (int i : {0, 229, 240, 255}) {
    const Rgb c = entry(i);
    EXPECT_EQ(c.r, 255) << i;
    EXPECT_EQ(c.g, 255) << i;
    EXPECT_EQ(c.b, 255) << i;
  }
  for (int i = 229; i < 256; ++i) {
    const Rgb c = entry(i);
    EXPECT_TRUE(c.r == 255 && c.g == 255 && c.b == 255) << i;
  }
}

TEST_F(PaletteDataTest, MatchableEntriesAreDistinctSixBitColours) {
  std::set<std::tuple<int, int, int>> seen;
  for (int i = 1; i <= 228; ++i) {
    const Rgb c = entry(i);
    EXPECT_LE(c.r, 63) << i;
    EXPECT_LE(c.g, 63) << i;
    EXPECT_LE(c.b, 63) << i;
    EXPECT_TRUE(seen.insert({c.r, c.g, c.b}).second) << "repeated at " << i;
  }
}

TEST_F(PaletteDataTest, TellingRows) {
  const struct {
    int index;
    Rgb color;
  } rows[] = {
      {1, {59, 59, 59}},   {8, {32, 32, 32}},   {15, {8, 8, 8}},
      {16, {63, 59, 59}},  {98, {2, 7, 1}},     {100, {1, 3, 0}},
      {126, {63, 51, 51}}, {133, {63, 0, 0}},   {140, {16, 0, 0}},
      {207, {3, 3, 3}},    {220, {63, 63, 63}}, {228, {0, 0, 0}},
  };
  for (const auto& row : rows) {
    const Rgb c = entry(row.index);
    EXPECT_EQ(c.r, row.color.r) << row.index;
    EXPECT_EQ(c.g, row.color.g) << row.index;
    EXPECT_EQ(c.b, row.color.b) << row.index;
  }
}

TEST_F(PaletteDataTest, GreysAndRedsDarkenStepByStep) {
  for (int i = 1; i <= 15; ++i) {
    const Rgb c = entry(i);
    EXPECT_TRUE(c.r == c.g && c.g == c.b) << "not grey at " << i;
    if (i > 1) {
      EXPECT_LT(c.r, entry(i - 1).r) << i;
    }
  }
  for (int i = 126; i <= 140; ++i) {
    const Rgb c = entry(i);
    EXPECT_EQ(c.g, c.b) << "not red at " << i;
    EXPECT_GE(c.r, c.g) << "not red at " << i;
    if (i > 126) {
      const Rgb p = entry(i - 1);
      EXPECT_LT(c.r + c.g + c.b, p.r + p.g + p.b) << i;
    }
  }
}

// Worked out here from the entries, independently of the generator: 5-bit
// components scaled to 6 bits as x * 63 / 31 rounded, least sum of absolute
// differences, lowest index among equals.
TEST_F(PaletteDataTest, SecondBlockHoldsNearestEntries) {
  int wrong = 0;
  for (int r5 = 0; r5 < 32; ++r5) {
    for (int g5 = 0; g5 < 32; ++g5) {
      for (int b5 = 0; b5 < 32; ++b5) {
        const int r = static_cast<int>(r5 * 63.0 / 31.0 + 0.5);
        const int g = static_cast<int>(g5 * 63.0 / 31.0 + 0.5);
        const int b = static_cast<int>(b5 * 63.0 / 31.0 + 0.5);
        int best = 0;
        int bestDistance = 1000;
        for (int j = 1; j <= 228; ++j) {
          const Rgb c = entry(j);
          const int d =
              std::abs(r - c.r) + std::abs(g - c.g) + std::abs(b - c.b);
          if (d < bestDistance) {
            bestDistance = d;
            best = j;
          }
        }
        const int stored = pal_[768 + r5 * 1024 + g5 * 32 + b5];
        if (stored != best && ++wrong <= 5) {
          ADD_FAILURE() << "5-bit colour " << r5 << "," << g5 << "," << b5
                        << " holds " << stored << ", nearest is " << best;
        }
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  // The corners land on the exact black and white entries.
  EXPECT_EQ(pal_[768], 228);
  EXPECT_EQ(pal_[768 + 32767], 220);
}

TEST_F(PaletteDataTest, ActHoldsEveryColourAtItsIndexScaledToEightBits) {
  const std::vector<std::uint8_t> act = committedResource("palette.act");
  ASSERT_EQ(act.size(), 772u);
  for (int i = 1; i <= 228; ++i) {
    const Rgb c = entry(i);
    const std::size_t at = 3 * static_cast<std::size_t>(i);
    EXPECT_EQ(act[at], c.r * 4) << i;
    EXPECT_EQ(act[at + 1], c.g * 4) << i;
    EXPECT_EQ(act[at + 2], c.b * 4) << i;
  }
  // Trailer, big-endian: 229 colours in use, index 0 transparent.
  EXPECT_EQ(act[768], 0);
  EXPECT_EQ(act[769], 229);
  EXPECT_EQ(act[770], 0);
  EXPECT_EQ(act[771], 0);
}

TEST_F(PaletteDataTest, GplListsEveryColourAtItsIndex) {
  std::ifstream in(resourcePath("palette.gpl"));
  ASSERT_TRUE(in) << resourcePath("palette.gpl");
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "GIMP Palette");
  int next = 0;  // editors number the colour lines from 0
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#' || line.rfind("Name:", 0) == 0 ||
        line.rfind("Columns:", 0) == 0) {
      continue;
    }
    std::istringstream fields(line);
    int r = -1, g = -1, b = -1, named = -1;
    fields >> r >> g >> b >> named;
    ASSERT_FALSE(fields.fail()) << line;
    EXPECT_EQ(named, next) << "name column of: " << line;
    if (next >= 1) {
      ASSERT_LE(next, 228) << "more colours than the palette has";
      const Rgb c = entry(next);
      EXPECT_EQ(r, c.r * 4) << line;
      EXPECT_EQ(g, c.g * 4) << line;
      EXPECT_EQ(b, c.b * 4) << line;
    }
    ++next;
  }
  EXPECT_EQ(next, 229);
}

}  // namespace

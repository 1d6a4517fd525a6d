// Colour matching against the real built-in palette: the first entry within
// the delta wins, not the nearest.
#include "color/color_translation.h"

#include <cstdint>
#include <limits>
#include <vector>

#include "color/palette.h"
#include "gtest/gtest.h"

namespace {

constexpr std::uint8_t kUntouched = 0xEE;

struct Color {
  std::uint8_t r, g, b;
};

std::vector<std::uint8_t> tableOf(const std::vector<Color>& colors) {
  std::vector<std::uint8_t> table;
  for (const Color& c : colors) {
    table.push_back(c.r);
    table.push_back(c.g);
    table.push_back(c.b);
  }
  return table;
}

ColorMap untouchedMap() {
  ColorMap map;
  map.fill(kUntouched);
  return map;
}

class ColorTranslationTest : public ::testing::Test {
 protected:
  int translate(ColorMap& map, const std::vector<Color>& colors,
                std::int32_t delta) {
    const std::vector<std::uint8_t> table = tableOf(colors);
    return translateColorTable(map, table.data(),
                               static_cast<std::uint32_t>(colors.size()), delta,
                               palette_, true);
  }

  // The entry one colour becomes, or 0 when the translation fails.
  int matchOf(Color c, std::int32_t delta) {
    ColorMap map = untouchedMap();
    if (translate(map, {c}, delta) == 0) {
      EXPECT_EQ(map[0], kUntouched) << "failed colour was written";
      return 0;
    }
    return map[0];
  }

  const std::uint8_t* palette_ = loadPalette();
};

TEST_F(ColorTranslationTest, FirstEntryWithinDeltaWinsNotTheNearest) {
  const struct {
    Color color;
    std::int32_t delta;
    int expected;  // 0: no entry, the translation fails
  } cases[] = {
      {{0, 0, 0}, 4, 100},       {{0, 0, 0}, 0, 228},
      {{0, 0, 0}, 10, 98},       {{3, 3, 3}, 4, 100},
      {{3, 3, 3}, 0, 228},       {{3, 3, 3}, 10, 98},
      {{4, 4, 4}, 0, 0},         {{4, 4, 4}, 4, 100},
      {{255, 255, 255}, 4, 220}, {{252, 252, 252}, 4, 220},
      {{255, 255, 255}, 10, 16}, {{252, 252, 252}, 10, 16},
      {{236, 236, 236}, 0, 1},   {{236, 236, 236}, 4, 1},
      {{236, 236, 236}, 100, 1}, {{240, 240, 240}, 0, 0},
      {{240, 240, 240}, 4, 1},   {{255, 0, 0}, 4, 133},
      {{128, 128, 128}, 4, 8},   {{0, 255, 0}, 4, 0},
      {{0, 255, 0}, 10, 0},      {{0, 0, 255}, 4, 0},
      {{0, 0, 255}, 10, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(matchOf(c.color, c.delta), c.expected)
        << "colour " << int{c.color.r} << "," << int{c.color.g} << ","
        << int{c.color.b} << " delta " << c.delta;
  }
}

// Components pair by position and reduce by truncating division by 4: every
// entry, drawn at 6 bits times 4 plus anything below 4, finds itself at
// delta 0.
TEST_F(ColorTranslationTest, EveryEntryMatchesItselfAtDeltaZero) {
  for (int low : {0, 3}) {
    std::vector<Color> colors;
    for (int j = 1; j <= 228; ++j) {
      const std::uint8_t* e = palette_ + 3 * j;
      colors.push_back(Color{static_cast<std::uint8_t>(e[0] * 4 + low),
                             static_cast<std::uint8_t>(e[1] * 4 + low),
                             static_cast<std::uint8_t>(e[2] * 4 + low)});
    }
    ColorMap map = untouchedMap();
    ASSERT_EQ(translate(map, colors, 0), 1);
    for (int i = 0; i < 228; ++i) EXPECT_EQ(map[i], i + 1) << i;
  }
}

TEST_F(ColorTranslationTest, LargeDeltaMakesEveryColourEntryOne) {
  for (std::int32_t delta : {177, std::numeric_limits<std::int32_t>::max()}) {
    // Every 6-bit colour, 256 to a table, with varied low bits.
    for (int first = 0; first < 64 * 64 * 64; first += 256) {
      std::vector<Color> colors;
      for (int c = first; c < first + 256; ++c) {
        colors.push_back(Color{static_cast<std::uint8_t>((c >> 12) * 4 + 3),
                               static_cast<std::uint8_t>((c >> 6 & 63) * 4),
                               static_cast<std::uint8_t>((c & 63) * 4 + 1)});
      }
      ColorMap map = untouchedMap();
      ASSERT_EQ(translate(map, colors, delta), 1);
      for (std::uint8_t m : map) ASSERT_EQ(m, 1) << "colours from " << first;
    }
  }
  // (0,0,0) is 177 from entry 1 (59,59,59): one less and black moves on to
  // entry 2 (55,55,55).
  EXPECT_EQ(matchOf({0, 0, 0}, 176), 2);
}

TEST_F(ColorTranslationTest, NegativeDeltaFailsEveryTable) {
  for (std::int32_t delta : {-1, std::numeric_limits<std::int32_t>::min()}) {
    ColorMap map = untouchedMap();
    EXPECT_EQ(translate(map, {{236, 236, 236}, {0, 0, 0}}, delta), 0);
    EXPECT_EQ(map, untouchedMap());
  }
}

TEST_F(ColorTranslationTest, FailureKeepsEntriesBeforeItAndLeavesTheRest) {
  ColorMap map = untouchedMap();
  EXPECT_EQ(
      translate(map, {{255, 255, 255}, {0, 0, 0}, {0, 255, 0}, {255, 0, 0}}, 4),
      0);
  EXPECT_EQ(map[0], 220);
  EXPECT_EQ(map[1], 100);
  for (std::size_t i = 2; i < map.size(); ++i) EXPECT_EQ(map[i], kUntouched);
}

// Every colour of the table counts, whether or not a pixel uses it.
TEST_F(ColorTranslationTest, UnmatchedLastEntryFailsTheTable) {
  std::vector<Color> colors(255, Color{128, 128, 128});
  colors.push_back(Color{0, 0, 255});
  ColorMap map = untouchedMap();
  EXPECT_EQ(translate(map, colors, 4), 0);
  for (int i = 0; i < 255; ++i) EXPECT_EQ(map[i], 8) << i;
  EXPECT_EQ(map[255], kUntouched);
}

TEST_F(ColorTranslationTest, EntriesAtOrBeyondCountKeepTheirValues) {
  ColorMap map = untouchedMap();
  map[2] = 7;
  EXPECT_EQ(translate(map, {{255, 0, 0}, {128, 128, 128}}, 4), 1);
  EXPECT_EQ(map[0], 133);
  EXPECT_EQ(map[1], 8);
  EXPECT_EQ(map[2], 7);
  for (std::size_t i = 3; i < map.size(); ++i) EXPECT_EQ(map[i], kUntouched);

  // An empty table succeeds and writes nothing.
  ColorMap empty = untouchedMap();
  EXPECT_EQ(translateColorTable(empty, nullptr, 0, 4, palette_, true), 1);
  EXPECT_EQ(empty, untouchedMap());
}

// Translation off ignores the table, delta and palette (null here, so a read
// of them would crash) and writes all 256 entries.
TEST_F(ColorTranslationTest, TranslationOffIsTheIdentity) {
  for (std::int32_t delta : {4, -1, std::numeric_limits<std::int32_t>::min()}) {
    ColorMap map = untouchedMap();
    EXPECT_EQ(translateColorTable(map, nullptr, 2, delta, nullptr, false), 1);
    for (std::size_t i = 0; i < map.size(); ++i) EXPECT_EQ(map[i], i);
  }
}

}  // namespace

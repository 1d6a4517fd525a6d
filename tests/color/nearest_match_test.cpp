// Nearest-colour matching against a plain computation: CIELAB in double
// precision, straight from the formulas, and every entry 1..228 compared.
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "color/cielab.h"
#include "color/color_matching.h"
#include "color/color_translation.h"
#include "color/palette.h"
#include "color/palette_lab.h"
#include "color/six_bit.h"
#include "gtest/gtest.h"

namespace {

struct ReferenceLab {
  double l, a, b;
};

// sRGB (IEC 61966-2-1) to CIELAB under D65, written out for one colour; the
// white point is the matrix applied to (1, 1, 1).
ReferenceLab referenceLab(int red, int green, int blue) {
  const auto linear = [](int v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const double r = linear(red), g = linear(green), b = linear(blue);
  const auto f = [](double t) {
    const double d = 6.0 / 29.0;
    return t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29.0;
  };
  const double fx = f((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.9505);
  const double fy = f(0.2126 * r + 0.7152 * g + 0.0722 * b);
  const double fz = f((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.089);
  return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

// Delta E from colour (r, g, b) to palette entry j, widened from 6 bits.
double deltaE(const std::uint8_t* palette, int j, int r, int g, int b) {
  const auto widen = [&](int k) {
    const int c = palette[3 * j + k];
    return (c << 2) | (c >> 4);
  };
  const ReferenceLab p = referenceLab(r, g, b);
  const ReferenceLab q = referenceLab(widen(0), widen(1), widen(2));
  return std::sqrt((p.l - q.l) * (p.l - q.l) + (p.a - q.a) * (p.a - q.a) +
                   (p.b - q.b) * (p.b - q.b));
}

// Checks map against the nearest entry found by trying all of them; where
// two entries are equally near up to rounding, either is right.
void expectNearest(const std::uint8_t* palette,
                   const std::vector<std::uint8_t>& table,
                   const ColorMap& map) {
  for (std::size_t i = 0; i < table.size() / 3; ++i) {
    const int r = table[3 * i], g = table[3 * i + 1], b = table[3 * i + 2];
    int best = 1;
    for (int j = 2; j <= 228; ++j) {
      if (deltaE(palette, j, r, g, b) < deltaE(palette, best, r, g, b))
        best = j;
    }
    ASSERT_GE(map[i], 1);
    ASSERT_LE(map[i], 228);
    if (map[i] != best) {
      EXPECT_NEAR(deltaE(palette, map[i], r, g, b),
                  deltaE(palette, best, r, g, b), 1e-9)
          << r << "," << g << "," << b << ": " << int{map[i]} << " not "
          << best;
    }
  }
}

MatchSettings nearestSettings(const std::uint8_t* palette,
                              const PaletteLab& lab) {
  MatchSettings settings;
  settings.match = ColorMatch::Nearest;
  settings.palette = palette;
  settings.lab = &lab;
  return settings;
}

TEST(NearestMatch, CielabOfKnownColours) {
  const Lab white = labFromSrgb(255, 255, 255);
  EXPECT_NEAR(white.l, 100.0, 1e-9);
  EXPECT_NEAR(white.a, 0.0, 1e-9);
  EXPECT_NEAR(white.b, 0.0, 1e-9);
  EXPECT_NEAR(labFromSrgb(0, 0, 0).l, 0.0, 1e-9);
  // Published values for sRGB red and mid grey.
  const Lab red = labFromSrgb(255, 0, 0);
  EXPECT_NEAR(red.l, 53.24, 0.05);
  EXPECT_NEAR(red.a, 80.09, 0.05);
  EXPECT_NEAR(red.b, 67.20, 0.05);
  EXPECT_NEAR(labFromSrgb(128, 128, 128).l, 53.59, 0.05);
}

TEST(NearestMatch, RandomColourTablesAgainstTheReference) {
  const std::uint8_t* palette = loadPalette();
  const PaletteLab lab(palette);
  std::mt19937 random(20240611);
  for (int round = 0; round < 16; ++round) {
    std::vector<std::uint8_t> table(3 * 256);
    for (std::uint8_t& c : table) c = static_cast<std::uint8_t>(random());
    ColorMap map{};
    ASSERT_TRUE(
        buildColorMap(map, table.data(), 256, nearestSettings(palette, lab)));
    expectNearest(palette, table, map);
  }
  // Every entry's own colour, widened and as the swatch files hold it
  // (times 4), is that entry.
  for (int j = 1; j <= 228; ++j) {
    const std::uint8_t* c = palette + 3 * j;
    EXPECT_EQ(
        lab.nearest(expandSixBit(c[0]), expandSixBit(c[1]), expandSixBit(c[2])),
        j);
    EXPECT_EQ(lab.nearest(std::uint8_t(c[0] * 4), std::uint8_t(c[1] * 4),
                          std::uint8_t(c[2] * 4)),
              j);
  }
}

TEST(NearestMatch, OtherPalettesAndTiesToTheLowerIndex) {
  // Random 6-bit colours, entry 200 the same as 40 and 8 the same as 7.
  std::mt19937 random(7);
  std::vector<std::uint8_t> palette(768, 255);
  for (int i = 3; i < 3 * 229; ++i) palette[i] = std::uint8_t(random() % 64);
  for (int k = 0; k < 3; ++k) {
    palette[600 + k] = palette[120 + k];
    palette[24 + k] = palette[21 + k];
  }
  const PaletteLab lab(palette.data());
  std::vector<std::uint8_t> table(3 * 256);
  for (std::uint8_t& c : table) c = static_cast<std::uint8_t>(random());
  for (int k = 0; k < 3; ++k) {
    table[k] = expandSixBit(palette[600 + k]);
    table[3 + k] = expandSixBit(palette[24 + k]);
  }
  ColorMap map{};
  ASSERT_TRUE(buildColorMap(map, table.data(), 256,
                            nearestSettings(palette.data(), lab)));
  EXPECT_EQ(map[0], 40);
  EXPECT_EQ(map[1], 7);
  expectNearest(palette.data(), table, map);
}

TEST(NearestMatch, BuildColorMapWritesWhatEachRuleWrites) {
  const std::uint8_t* palette = loadPalette();
  const PaletteLab lab(palette);
  const std::vector<std::uint8_t> table = {0, 255, 0, 255, 255, 255};
  MatchSettings settings = nearestSettings(palette, lab);
  settings.delta = -1;  // not used: the nearest rule never fails
  ColorMap map;
  map.fill(0xEE);
  ASSERT_TRUE(buildColorMap(map, table.data(), 2, settings));
  EXPECT_EQ(map[1], 220);  // white
  for (std::size_t i = 2; i < 256; ++i) ASSERT_EQ(map[i], 0xEE) << i;
  settings.match = ColorMatch::Dither;  // a dithered frame's map: the same
  ColorMap dither = map;
  ASSERT_TRUE(buildColorMap(dither, table.data(), 2, settings));
  EXPECT_EQ(dither, map);

  // Without translation every rule gives the identity.
  settings.translate = false;
  ColorMap identity{};
  ASSERT_TRUE(buildColorMap(identity, table.data(), 2, settings));
  for (std::size_t i = 0; i < 256; ++i) ASSERT_EQ(identity[i], i);

  // The first rule is translateColorTable's, failure included (green has
  // no entry within 4).
  MatchSettings first;
  first.palette = palette;
  ColorMap viaSettings{};
  ColorMap direct{};
  EXPECT_FALSE(buildColorMap(viaSettings, table.data(), 2, first));
  EXPECT_EQ(translateColorTable(direct, table.data(), 2, 4, palette, true), 0);
  EXPECT_EQ(viaSettings, direct);

  // What a rule needs and is not given, and more colours than a map holds.
  MatchSettings noLab = nearestSettings(palette, lab);
  noLab.lab = nullptr;
  EXPECT_FALSE(buildColorMap(map, table.data(), 2, noLab));
  EXPECT_FALSE(buildColorMap(map, table.data(), 2, MatchSettings{}));
  EXPECT_FALSE(
      buildColorMap(map, table.data(), 257, nearestSettings(palette, lab)));
}

}  // namespace

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
#include "gtest/gtest.h"

namespace {

struct ReferenceLab {
  double l, a, b;
};

// sRGB (IEC 61966-2-1) to CIELAB under D65, written out for one colour.
ReferenceLab referenceLab(int red, int green, int blue) {
  const auto linear = [](int v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const double r = linear(red), g = linear(green), b = linear(blue);
  const double x = 0.4124 * r + 0.3576 * g + 0.1805 * b;
  const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  const double z = 0.0193 * r + 0.1192 * g + 0.9505 * b;
  const auto f = [](double t) {
    const double d = 6.0 / 29.0;
    return t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29.0;
  };
  // The white point is the matrix applied to (1, 1, 1).
  const double fx = f(x / 0.9505), fy = f(y / 1.0), fz = f(z / 1.089);
  return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double referenceDeltaE(const ReferenceLab& p, const ReferenceLab& q) {
  return std::sqrt((p.l - q.l) * (p.l - q.l) + (p.a - q.a) * (p.a - q.a) +
                   (p.b - q.b) * (p.b - q.b));
}

int widen(int c) { return (c << 2) | (c >> 4); }

ReferenceLab entryLab(const std::uint8_t* palette, int j) {
  return referenceLab(widen(palette[3 * j]), widen(palette[3 * j + 1]),
                      widen(palette[3 * j + 2]));
}

// The entry of 1..228 at the least distance, the first among equals.
int referenceNearest(const std::uint8_t* palette, int r, int g, int b) {
  const ReferenceLab color = referenceLab(r, g, b);
  int best = 1;
  for (int j = 2; j <= 228; ++j) {
    if (referenceDeltaE(color, entryLab(palette, j)) <
        referenceDeltaE(color, entryLab(palette, best))) {
      best = j;
    }
  }
  return best;
}

// Checks map against the reference for a table of colours. Where two entries
// are equally near up to rounding, either is right.
void expectNearest(const std::uint8_t* palette,
                   const std::vector<std::uint8_t>& table,
                   const ColorMap& map) {
  for (std::size_t i = 0; i < table.size() / 3; ++i) {
    const int r = table[3 * i], g = table[3 * i + 1], b = table[3 * i + 2];
    const int expected = referenceNearest(palette, r, g, b);
    if (map[i] == expected) continue;
    const ReferenceLab color = referenceLab(r, g, b);
    ASSERT_GE(map[i], 1);
    ASSERT_LE(map[i], 228);
    EXPECT_NEAR(referenceDeltaE(color, entryLab(palette, map[i])),
                referenceDeltaE(color, entryLab(palette, expected)), 1e-9)
        << "colour " << r << "," << g << "," << b << ": " << int{map[i]}
        << " instead of " << expected;
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

TEST(Cielab, KnownColours) {
  const Lab white = labFromSrgb(255, 255, 255);
  EXPECT_NEAR(white.l, 100.0, 1e-9);
  EXPECT_NEAR(white.a, 0.0, 1e-9);
  EXPECT_NEAR(white.b, 0.0, 1e-9);
  const Lab black = labFromSrgb(0, 0, 0);
  EXPECT_NEAR(black.l, 0.0, 1e-9);
  // Published values for sRGB red and mid grey.
  const Lab red = labFromSrgb(255, 0, 0);
  EXPECT_NEAR(red.l, 53.24, 0.05);
  EXPECT_NEAR(red.a, 80.09, 0.05);
  EXPECT_NEAR(red.b, 67.20, 0.05);
  const Lab grey = labFromSrgb(128, 128, 128);
  EXPECT_NEAR(grey.l, 53.59, 0.05);
  EXPECT_NEAR(grey.a, 0.0, 1e-9);
  for (int v : {0, 1, 10, 11, 128, 254}) {
    const ReferenceLab expected = referenceLab(v, 255 - v, v / 2);
    const Lab lab = labFromSrgb(static_cast<std::uint8_t>(v),
                                static_cast<std::uint8_t>(255 - v),
                                static_cast<std::uint8_t>(v / 2));
    EXPECT_NEAR(lab.l, expected.l, 1e-9);
    EXPECT_NEAR(lab.a, expected.a, 1e-9);
    EXPECT_NEAR(lab.b, expected.b, 1e-9);
  }
}

TEST(NearestMatch, RandomColourTablesAgainstTheReference) {
  const std::uint8_t* palette = loadPalette();
  const PaletteLab lab(palette);
  std::mt19937 random(20240611);
  for (int round = 0; round < 24; ++round) {
    std::vector<std::uint8_t> table(3 * 256);
    for (std::uint8_t& c : table)
      c = static_cast<std::uint8_t>(random() & 0xFF);
    ColorMap map{};
    ASSERT_TRUE(
        buildColorMap(map, table.data(), 256, nearestSettings(palette, lab)));
    expectNearest(palette, table, map);
  }
  // Greys, the corners of the cube, and every entry's own colour, also at
  // the 8-bit values the swatch files hold (the 6-bit value times 4).
  std::vector<std::uint8_t> table;
  for (int v = 0; v < 256; v += 5)
    table.insert(table.end(),
                 {std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)});
  for (int corner = 0; corner < 8; ++corner) {
    for (int k = 0; k < 3; ++k)
      table.push_back((corner >> k & 1) != 0 ? 255 : 0);
  }
  ASSERT_LE(table.size(), 768u);
  ColorMap map{};
  ASSERT_TRUE(buildColorMap(map, table.data(),
                            static_cast<std::uint32_t>(table.size() / 3),
                            nearestSettings(palette, lab)));
  expectNearest(palette, table, map);
  for (int j = 1; j <= 228; ++j) {
    const std::uint8_t* c = palette + 3 * j;
    EXPECT_EQ(
        lab.nearest(widenSixBit(c[0]), widenSixBit(c[1]), widenSixBit(c[2])),
        j);
    EXPECT_EQ(lab.nearest(static_cast<std::uint8_t>(c[0] * 4),
                          static_cast<std::uint8_t>(c[1] * 4),
                          static_cast<std::uint8_t>(c[2] * 4)),
              j);
  }
}

TEST(NearestMatch, OtherPalettesAndTiesToTheLowerIndex) {
  // A palette of random 6-bit colours in which entries 40 and 200 are the
  // same colour, and so are 7 and 8.
  std::mt19937 random(7);
  std::vector<std::uint8_t> palette(768, 255);
  for (int j = 1; j <= 228; ++j) {
    for (int k = 0; k < 3; ++k)
      palette[3 * j + k] = static_cast<std::uint8_t>(random() % 64);
  }
  for (int k = 0; k < 3; ++k) {
    palette[3 * 200 + k] = palette[3 * 40 + k];
    palette[3 * 8 + k] = palette[3 * 7 + k];
  }
  const PaletteLab lab(palette.data());
  std::vector<std::uint8_t> table(3 * 256);
  for (std::uint8_t& c : table) c = static_cast<std::uint8_t>(random() & 0xFF);
  for (int k = 0; k < 3; ++k) {
    table[k] = widenSixBit(palette[3 * 200 + k]);
    table[3 + k] = widenSixBit(palette[3 * 8 + k]);
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
  const std::vector<std::uint8_t> table = {0, 255, 0, 255, 255, 255,
                                           1, 2,   3, 200, 10,  10};
  MatchSettings settings = nearestSettings(palette, lab);
  settings.delta = -1;  // not used by the nearest rule: it never fails
  ColorMap map;
  map.fill(0xEE);
  ASSERT_TRUE(buildColorMap(map, table.data(), 4, settings));
  for (std::size_t i = 4; i < 256; ++i) ASSERT_EQ(map[i], 0xEE) << i;
  EXPECT_EQ(map[1], 220);  // white

  // Dithering's maps are the nearest ones.
  settings.match = ColorMatch::Dither;
  ColorMap dither;
  dither.fill(0xEE);
  ASSERT_TRUE(buildColorMap(dither, table.data(), 4, settings));
  EXPECT_EQ(dither, map);

  // Without translation every rule gives the identity, even without a
  // palette.
  for (ColorMatch match : {ColorMatch::FirstWithinDelta, ColorMatch::Nearest,
                           ColorMatch::Dither}) {
    MatchSettings off;
    off.match = match;
    off.translate = false;
    ColorMap identity{};
    ASSERT_TRUE(buildColorMap(identity, table.data(), 4, off));
    for (std::size_t i = 0; i < 256; ++i) ASSERT_EQ(identity[i], i);
  }

  // The first rule is translateColorTable's, failure included.
  MatchSettings first;
  first.palette = palette;
  ColorMap viaSettings{};
  ColorMap direct{};
  EXPECT_FALSE(buildColorMap(viaSettings, table.data(), 4, first));
  EXPECT_EQ(translateColorTable(direct, table.data(), 4, 4, palette, true), 0);
  EXPECT_EQ(viaSettings, direct);
  first.delta = 200;
  EXPECT_TRUE(buildColorMap(viaSettings, table.data(), 4, first));

  // What a rule needs and is not given, and a table longer than a map.
  MatchSettings noLab;
  noLab.match = ColorMatch::Nearest;
  noLab.palette = palette;
  EXPECT_FALSE(buildColorMap(map, table.data(), 4, noLab));
  EXPECT_FALSE(buildColorMap(map, table.data(), 4, MatchSettings{}));
  EXPECT_FALSE(buildColorMap(map, table.data(), 257, settings));
}

}  // namespace

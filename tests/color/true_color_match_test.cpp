// True-colour pixels matched one colour at a time must get exactly the
// entries a colour table of those colours gets.
#include "color/true_color_match.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "color/color_translation.h"
#include "color/palette.h"
#include "color/palette_lab.h"
#include "color/six_bit.h"
#include "platform/byte_buffer.h"

namespace {

MatchSettings settingsFor(ColorMatch match, const std::uint8_t* palette,
                          const PaletteLab* lab, std::int32_t delta = 4) {
  MatchSettings settings;
  settings.match = match;
  settings.palette = palette;
  settings.lab = lab;
  settings.delta = delta;
  return settings;
}

using Palette = std::vector<std::uint8_t>;

// 228 colours packed into a small cube of 6-bit colours (7 steps a side):
// lists there are long, and cubes are cut.
Palette densePalette() {
  const std::uint8_t* builtIn = loadPalette();
  Palette dense(builtIn, builtIn + 768);
  for (int e = kFirstMatchableEntry; e <= kLastMatchableEntry; ++e) {
    const int n = (e * 37) % 343;
    dense[static_cast<std::size_t>(3 * e)] =
        static_cast<std::uint8_t>(20 + n / 49);
    dense[static_cast<std::size_t>(3 * e + 1)] =
        static_cast<std::uint8_t>(30 + n / 7 % 7);
    dense[static_cast<std::size_t>(3 * e + 2)] =
        static_cast<std::uint8_t>(10 + n % 7);
  }
  return dense;
}

// The built-in palette; one of random colours whose entries lie in no order
// at all; one of 12 colours, each repeated, and their neighbours one 6-bit
// step away, where nearly every colour meets exact and near ties; and the
// dense one.
std::vector<Palette> palettes() {
  const std::uint8_t* builtIn = loadPalette();
  std::vector<Palette> all(3, Palette(builtIn, builtIn + 768));
  std::mt19937 next(7);
  for (int i = 3 * kFirstMatchableEntry; i < 3 * (kLastMatchableEntry + 1);
       ++i) {
    all[1][static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(next() % 64);
  }
  for (int e = kFirstMatchableEntry; e <= kLastMatchableEntry; ++e) {
    const auto base = static_cast<std::uint32_t>(e % 12 * 5);
    for (int k = 0; k < 3; ++k) {
      const std::uint32_t step = e % 7 == k ? 1 : 0;
      all[2][static_cast<std::size_t>(3 * e + k)] =
          static_cast<std::uint8_t>((base * (k + 3) + step) % 64);
    }
  }
  all.push_back(densePalette());
  return all;
}

std::uint32_t packed(int r, int g, int b) {
  return static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}

// Colours where a bound that is too tight would show: random ones, every
// grey, the entries' own colours and their neighbours, and the colours on the
// straight lines between pairs of entries, which cross the boundaries
// between the entries' regions (near ties).
std::vector<std::uint32_t> colorsToTry(const PaletteLab& lab, int random) {
  std::mt19937 next(11);
  std::vector<std::uint32_t> colors;
  for (int i = 0; i < random; ++i) colors.push_back(next() & 0xFFFFFF);
  for (int v = 0; v < 256; ++v) colors.push_back(packed(v, v, v));
  for (int e = kFirstMatchableEntry; e <= kLastMatchableEntry; ++e) {
    const std::uint8_t* w = lab.widened(static_cast<std::uint8_t>(e));
    for (int d = -1; d <= 1; ++d) {
      const auto near = [d](int c) {
        return std::min(255, std::max(0, c + d));
      };
      colors.push_back(packed(near(w[0]), near(w[1]), near(w[2])));
    }
  }
  for (int pair = 0; pair < 3000; ++pair) {
    const std::uint8_t* p = lab.widened(static_cast<std::uint8_t>(
        kFirstMatchableEntry + next() % kLastMatchableEntry));
    const std::uint8_t* q = lab.widened(static_cast<std::uint8_t>(
        kFirstMatchableEntry + next() % kLastMatchableEntry));
    for (int t = 0; t <= 64; ++t) {
      const auto mix = [t](int x, int y) {
        return (x * (64 - t) + y * t) / 64;
      };
      colors.push_back(
          packed(mix(p[0], q[0]), mix(p[1], q[1]), mix(p[2], q[2])));
    }
  }
  return colors;
}

TEST(TrueColorMatch, NearestIsPaletteLabsNearestForEveryColourTried) {
  // Millions of random colours for the built-in palette, fewer for the
  // others.
  int random = 2000000;
  for (const Palette& palette : palettes()) {
    const PaletteLab lab(palette.data());
    const MatchSettings settings =
        settingsFor(ColorMatch::Nearest, palette.data(), &lab);
    TrueColorMatch match(settings);
    ASSERT_TRUE(match.allocate());
    const std::vector<std::uint32_t> colors = colorsToTry(lab, random);
    random = 200000;
    // All in one run of pixels, then one at a time (cubes known by then).
    std::vector<std::uint8_t> pixels;
    for (const std::uint32_t c : colors) {
      pixels.insert(pixels.end(), {static_cast<std::uint8_t>(c >> 16),
                                   static_cast<std::uint8_t>(c >> 8),
                                   static_cast<std::uint8_t>(c), 255});
    }
    std::vector<std::uint8_t> entries(colors.size());
    match.mapPixels(pixels.data(), colors.size(), 128, entries.data());
    for (std::size_t i = 0; i < colors.size(); ++i) {
      const std::uint8_t* p = &pixels[4 * i];
      const std::uint8_t expected = lab.nearest(p[0], p[1], p[2]);
      ASSERT_EQ(entries[i], expected) << std::hex << colors[i];
      ASSERT_EQ(match.entry(p[0], p[1], p[2]), expected) << colors[i];
    }
  }
}

TEST(TrueColorMatch, FailsCleanlyWithoutMemory) {
  const std::uint8_t* palette = loadPalette();
  const PaletteLab lab(palette);
  for (const ColorMatch rule :
       {ColorMatch::Nearest, ColorMatch::FirstWithinDelta}) {
    const MatchSettings settings = settingsFor(rule, palette, &lab);
    for (std::uint64_t failing = 1; failing <= 4; ++failing) {
      TrueColorMatch match(settings);
      platform::failAllocationAfter(failing);
      const bool allocated = match.allocate();
      platform::failAllocationAfter(0);
      if (allocated) {
        EXPECT_EQ(match.entry(10, 200, 30), rule == ColorMatch::Nearest
                                                ? lab.nearest(10, 200, 30)
                                                : match.entry(10, 200, 30));
      }
    }
  }
  const MatchSettings noLab =
      settingsFor(ColorMatch::Nearest, palette, nullptr);
  TrueColorMatch match(noLab);
  EXPECT_FALSE(match.allocate());
}

TEST(TrueColorMatch, PixelsBelowTheAlphaThresholdAreTransparentInPlace) {
  const std::uint8_t* palette = loadPalette();
  const PaletteLab lab(palette);
  const MatchSettings settings =
      settingsFor(ColorMatch::Nearest, palette, &lab);
  TrueColorMatch match(settings);
  ASSERT_TRUE(match.allocate());
  std::mt19937 next(3);
  // Long enough for several batches, and not a whole number of them.
  std::vector<std::uint8_t> pixels(4 * 1000);
  for (std::uint8_t& byte : pixels) byte = static_cast<std::uint8_t>(next());
  const std::vector<std::uint8_t> original = pixels;
  match.mapPixels(pixels.data(), 1000, 100, pixels.data());
  for (std::size_t i = 0; i < 1000; ++i) {
    const std::uint8_t* p = &original[4 * i];
    EXPECT_EQ(pixels[i], p[3] < 100 ? 0 : lab.nearest(p[0], p[1], p[2])) << i;
  }
}

TEST(TrueColorMatch, FirstWithinDeltaIsAOneColourTable) {
  const std::uint8_t* palette = loadPalette();
  for (const std::int32_t delta : {0, 4, 12, -1}) {
    const MatchSettings settings =
        settingsFor(ColorMatch::FirstWithinDelta, palette, nullptr, delta);
    TrueColorMatch match(settings);
    ASSERT_TRUE(match.allocate());
    std::mt19937 next(static_cast<unsigned>(delta + 5));
    std::vector<std::uint8_t> pixels;
    std::vector<std::uint8_t> expected;
    for (int i = 0; i < 20000; ++i) {
      const auto c = static_cast<std::uint32_t>(next());
      const std::uint8_t color[3] = {static_cast<std::uint8_t>(c),
                                     static_cast<std::uint8_t>(c >> 8),
                                     static_cast<std::uint8_t>(c >> 16)};
      ColorMap map{};
      const bool found =
          translateColorTable(map, color, 1, delta, palette, true) != 0;
      EXPECT_EQ(match.entry(color[0], color[1], color[2]), found ? map[0] : 0);
      pixels.insert(pixels.end(), {color[0], color[1], color[2],
                                   static_cast<std::uint8_t>(c >> 24)});
      expected.push_back(c >> 24 < 128 ? 0 : found ? map[0] : 0);
    }
    std::vector<std::uint8_t> entries(expected.size());
    match.mapPixels(pixels.data(), entries.size(), 128, entries.data());
    EXPECT_EQ(entries, expected);
  }
}

}  // namespace

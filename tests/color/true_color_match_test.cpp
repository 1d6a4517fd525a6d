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

// The built-in palette, and one of random colours whose entries lie in no
// order at all.
std::vector<std::vector<std::uint8_t>> palettes() {
  const std::uint8_t* builtIn = loadPalette();
  std::vector<std::uint8_t> random(builtIn, builtIn + 768);
  std::mt19937 next(7);
  for (int i = 3 * kFirstMatchableEntry; i < 3 * (kLastMatchableEntry + 1);
       ++i) {
    random[static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(next() % 64);
  }
  return {std::vector<std::uint8_t>(builtIn, builtIn + 768), random};
}

TEST(TrueColorMatch, NearestIsPaletteLabsNearestForEveryColourTried) {
  for (const std::vector<std::uint8_t>& palette : palettes()) {
    const PaletteLab lab(palette.data());
    const MatchSettings settings =
        settingsFor(ColorMatch::Nearest, palette.data(), &lab);
    TrueColorMatch match(settings);
    ASSERT_TRUE(match.allocate());
    std::mt19937 next(11);
    // Random colours, then the corners and edges of the cells, where a
    // bound that is too tight would show.
    std::vector<std::uint32_t> colors;
    for (int i = 0; i < 200000; ++i) {
      colors.push_back(static_cast<std::uint32_t>(next() & 0xFFFFFF));
    }
    for (std::uint32_t r = 0; r < 256; r += 15) {
      for (std::uint32_t g = 0; g < 256; g += 15) {
        for (std::uint32_t b = 0; b < 256; b += 15) {
          colors.push_back(r << 16 | g << 8 | b);
          colors.push_back((r | 15) << 16 | (g | 15) << 8 | (b | 15));
        }
      }
    }
    for (const std::uint32_t c : colors) {
      const auto r = static_cast<std::uint8_t>(c >> 16);
      const auto g = static_cast<std::uint8_t>(c >> 8);
      const auto b = static_cast<std::uint8_t>(c);
      const std::uint8_t expected = lab.nearest(r, g, b);
      ASSERT_EQ(match.entry(r, g, b), expected) << std::hex << c;
      ASSERT_EQ(match.entry(r, g, b), expected) << "remembered " << c;
    }
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
    for (int i = 0; i < 20000; ++i) {
      const auto c = static_cast<std::uint32_t>(next());
      const std::uint8_t color[3] = {static_cast<std::uint8_t>(c),
                                     static_cast<std::uint8_t>(c >> 8),
                                     static_cast<std::uint8_t>(c >> 16)};
      ColorMap map{};
      const bool found =
          translateColorTable(map, color, 1, delta, palette, true) != 0;
      EXPECT_EQ(match.entry(color[0], color[1], color[2]), found ? map[0] : 0);
    }
  }
}

}  // namespace

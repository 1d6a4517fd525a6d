#include "color/color_translation.h"

#include <cstdlib>

#include "color/palette.h"

int translateColorTable(ColorMap& map, const std::uint8_t* table,
                        std::uint32_t entryCount, std::int32_t delta,
                        const std::uint8_t* palette, bool translateColors) {
  if (!translateColors) {
    for (std::size_t i = 0; i < map.size(); ++i) {
      map[i] = static_cast<std::uint8_t>(i);
    }
    return 1;
  }
  for (std::uint32_t i = 0; i < entryCount; ++i) {
    const std::uint8_t* color = table + 3 * std::size_t{i};
    // GIF components are 8-bit, the palette's 6-bit.
    const std::int32_t r = color[0] / 4;
    const std::int32_t g = color[1] / 4;
    const std::int32_t b = color[2] / 4;
    int match = 0;
    // Tolerance, not nearness: the first entry close enough wins, even when
    // a later one is closer.
    for (int j = kFirstMatchableEntry; j <= kLastMatchableEntry; ++j) {
      const std::uint8_t* entry = palette + 3 * j;
      const std::int32_t d = std::abs(r - entry[0]) + std::abs(g - entry[1]) +
                             std::abs(b - entry[2]);
      if (d <= delta) {
        match = j;
        break;
      }
    }
    if (match == 0) return 0;  // entries i and on keep their old values
    map[i] = static_cast<std::uint8_t>(match);
  }
  return 1;
}

#include "color/color_matching.h"

#include "color/color_translation.h"

bool buildColorMap(ColorMap& map, const std::uint8_t* table,
                   std::uint32_t entryCount, const MatchSettings& settings) {
  if (!settings.translate) {
    // The identity, whatever the rule: table and palette are not looked at.
    return translateColorTable(map, table, entryCount, settings.delta,
                               settings.palette, false) != 0;
  }
  // A GIF colour table has at most 256 colours; a map has no room for more.
  if (entryCount > map.size() || settings.palette == nullptr) return false;
  if (settings.match == ColorMatch::FirstWithinDelta) {
    return translateColorTable(map, table, entryCount, settings.delta,
                               settings.palette, true) != 0;
  }
  if (settings.lab == nullptr) return false;
  for (std::uint32_t i = 0; i < entryCount; ++i) {
    const std::uint8_t* color = table + 3 * std::size_t{i};
    map[i] = settings.lab->nearest(color[0], color[1], color[2]);
  }
  return true;
}

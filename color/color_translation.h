#ifndef GIF2FRM_COLOR_COLOR_TRANSLATION_H_
#define GIF2FRM_COLOR_COLOR_TRANSLATION_H_

#include <cstdint>

#include "color/color_map.h"

// Fills map from a GIF colour table of entryCount colours (3 bytes each,
// red, green, blue). Each colour, reduced to 6 bits per component, becomes
// the first palette entry from 1 to 228 whose distance (sum of absolute
// component differences) is at most delta. Returns 1 when every colour found
// an entry; 0 at the first that found none, with the entries before it
// written and the rest of the map untouched. Only entries below entryCount
// are written. With translateColors false the map becomes the identity
// (all 256 entries) and the result is 1, whatever the table and delta.
int translateColorTable(ColorMap& map, const std::uint8_t* table,
                        std::uint32_t entryCount, std::int32_t delta,
                        const std::uint8_t* palette, bool translateColors);

#endif  // GIF2FRM_COLOR_COLOR_TRANSLATION_H_

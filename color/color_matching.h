// The one entry point that turns a GIF colour table into a ColorMap, for
// every way of matching colours. It depends only on its arguments, so it can
// run wherever a colour table becomes known: before the pixels are mapped,
// or while an image is being decoded.
#ifndef GIF2FRM_COLOR_COLOR_MATCHING_H_
#define GIF2FRM_COLOR_COLOR_MATCHING_H_

#include <cstdint>

#include "color/color_map.h"
#include "color/palette_lab.h"

// How a GIF colour becomes a palette entry.
enum class ColorMatch {
  FirstWithinDelta,  // the first entry 1..228 within the delta; may fail
  Nearest,           // the entry 1..228 at the least CIE76 Delta E
  Dither,            // per pixel, by error diffusion (see floyd_steinberg.h);
                     // a colour table's map is the Nearest one
  Ordered,           // per pixel, by ordered dithering tied to the canvas
                     // (see ordered_dither.h); a table's map is the Nearest
                     // one
};

// The tolerance of FirstWithinDelta unless a user sets another.
constexpr std::int32_t kDefaultColorDelta = 4;

struct MatchSettings {
  ColorMatch match = ColorMatch::FirstWithinDelta;
  std::int32_t delta = kDefaultColorDelta;  // the tolerance of FirstWithinDelta
  bool translate = true;  // false: every map is the identity, whatever else
  // 256 entries of red, green, blue, 6-bit: the built-in palette's first 768
  // bytes or a palette file's colours.
  const std::uint8_t* palette = nullptr;
  // The same palette's entries in CIELAB; needed by every rule but
  // FirstWithinDelta.
  const PaletteLab* lab = nullptr;
};

// Fills map from a GIF colour table of entryCount colours (3 bytes each, red,
// green, blue). Only entries below entryCount are written, except that
// without translation the map becomes the identity in all 256 entries.
// Returns false when a colour has no match (FirstWithinDelta only: the
// entries before it are written, the rest untouched), and when the settings
// lack the palette or the CIELAB entries the rule needs.
bool buildColorMap(ColorMap& map, const std::uint8_t* table,
                   std::uint32_t entryCount, const MatchSettings& settings);

#endif  // GIF2FRM_COLOR_COLOR_MATCHING_H_

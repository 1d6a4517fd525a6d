// The bytes of the palette files: the converter's built-in palette and the
// swatch files that artists load into their editors.
#ifndef GIF2FRM_TOOLS_PALETTE_PALETTE_FILES_H_
#define GIF2FRM_TOOLS_PALETTE_PALETTE_FILES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "palette_design.h"

namespace palette_tool {

// palette.pal, 33,536 bytes: the 256 entries, then for every colour with
// 5-bit components, at red * 1024 + green * 32 + blue, the nearest entry.
std::vector<std::uint8_t> palFile(const PaletteDesign& design);

// palette.gpl, a GIMP palette (also read by Krita and Aseprite).
std::string gplFile(const PaletteDesign& design);

// palette.act, a Photoshop colour table with its count/transparency trailer.
std::vector<std::uint8_t> actFile(const PaletteDesign& design);

}  // namespace palette_tool

#endif  // GIF2FRM_TOOLS_PALETTE_PALETTE_FILES_H_

// The rules the built-in palette must keep: the converter's colour match
// depends on where certain colours sit, so a palette that breaks one of these
// changes what existing GIFs convert to.
#ifndef GIF2FRM_TOOLS_PALETTE_PALETTE_CHECKS_H_
#define GIF2FRM_TOOLS_PALETTE_PALETTE_CHECKS_H_

#include <string>
#include <vector>

#include "palette_design.h"

namespace palette_tool {

// The first entry from 1 to 228 within delta of the 8-bit colour, reduced to
// 6 bits by dividing by 4; 0 when there is none. Same rule as the converter.
int firstMatch(const PaletteDesign& design, int red, int green, int blue,
               int delta);

// Every rule the design breaks, one line each; empty when it keeps them all.
std::vector<std::string> checkPalette(const PaletteDesign& design);

}  // namespace palette_tool

#endif  // GIF2FRM_TOOLS_PALETTE_PALETTE_CHECKS_H_

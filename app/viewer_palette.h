// The colours frm2gif shows a sprite in: the built-in palette, or the
// palette file named by -p=.
#ifndef GIF2FRM_APP_VIEWER_PALETTE_H_
#define GIF2FRM_APP_VIEWER_PALETTE_H_

#include <array>
#include <cstdint>

#include "app/viewer_options.h"

// 256 entries of 6-bit red, green and blue, as the palette resource begins:
// the same type as the palette files' (color/palette_file.h).
using PaletteColors = std::array<std::uint8_t, 768>;

// Fills colors from the -p= file, or from the built-in palette without one.
// False when the file is missing, unreadable or malformed.
bool loadViewerPalette(const ViewerOptions& options, PaletteColors& colors);

#endif  // GIF2FRM_APP_VIEWER_PALETTE_H_

// The colours frm2gif shows a sprite in: the built-in palette, or the
// palette file named by -p=.
#ifndef GIF2FRM_FRM2GIF_PALETTE_H_
#define GIF2FRM_FRM2GIF_PALETTE_H_

#include "color/palette_file.h"
#include "frm2gif/options.h"

// Fills colors from the -p= file, or from the built-in palette without one.
// What was wrong when the file is missing, unreadable or malformed.
PaletteFileStatus loadViewerPalette(const ViewerOptions& options,
                                    PaletteColors& colors);

#endif  // GIF2FRM_FRM2GIF_PALETTE_H_

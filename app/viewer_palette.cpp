#include "app/viewer_palette.h"

#include <cstring>

#include "color/palette.h"
// The palette files are read by the converter's colour matching, which comes
// to this branch with its merge; until then -p= reads no file.
#if __has_include("color/palette_file.h")
#include "color/palette_file.h"
#define GIF2FRM_HAS_PALETTE_FILES 1
#endif

bool loadViewerPalette(const ViewerOptions& options, PaletteColors& colors) {
  if (options.hasPaletteFile) {
#ifdef GIF2FRM_HAS_PALETTE_FILES
    return readPaletteFile(options.paletteFile.c_str(), colors) ==
           PaletteFileStatus::Ok;
#else
    return false;
#endif
  }
  std::memcpy(colors.data(), loadPalette(), colors.size());
  return true;
}

#include "app/viewer_palette.h"

#include <cstring>

#include "color/palette.h"
#ifdef GIF2FRM_PALETTE_FILES
#include "color/palette_file.h"
#endif

bool loadViewerPalette(const ViewerOptions& options, PaletteColors& colors) {
  if (options.hasPaletteFile) {
#ifdef GIF2FRM_PALETTE_FILES
    return readPaletteFile(options.paletteFile.c_str(), colors) ==
           PaletteFileStatus::Ok;
#else
    return false;
#endif
  }
  std::memcpy(colors.data(), loadPalette(), colors.size());
  return true;
}

#include "frm2gif/palette.h"

#include <cstring>

#include "color/palette.h"
#include "color/palette_file.h"

PaletteFileStatus loadViewerPalette(const ViewerOptions& options,
                                    PaletteColors& colors) {
  if (options.hasPaletteFile) {
    return readPaletteFile(options.paletteFile.c_str(), colors);
  }
  std::memcpy(colors.data(), loadPalette(), colors.size());
  return PaletteFileStatus::Ok;
}

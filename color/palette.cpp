#include "color/palette.h"

#include <cstdio>
#include <cstdlib>

#include "platform/resource.h"

const std::uint8_t* loadPalette() {
  const platform::Resource palette =
      platform::findResource(kPaletteResourceType, kPaletteResourceId);
  if (palette.data == nullptr || palette.size != kPaletteResourceSize) {
    // The palette is compiled into the program, so this is a broken build,
    // not a bad input; there is no sensible way to go on.
    std::fprintf(stderr, "gif2frm: built-in palette missing or damaged\n");
    std::abort();
  }
  return palette.data;
}

// Writes the built-in palette and the artists' swatch files:
//
//   make_palette OUTPUT_DIR
//
// creates OUTPUT_DIR/palette.pal, palette.gpl and palette.act. The committed
// copies live in resources/; rerun this after changing the colours. Nothing
// is written when the colours break one of the palette's rules.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "palette_checks.h"
#include "palette_design.h"
#include "palette_files.h"

namespace {

bool writeFile(const std::string& path, const char* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data, static_cast<std::streamsize>(size));
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_palette: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

bool writeFile(const std::string& path,
               const std::vector<std::uint8_t>& bytes) {
  return writeFile(path, reinterpret_cast<const char*>(bytes.data()),
                   bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_palette OUTPUT_DIR\n");
    return 2;
  }
  const palette_tool::PaletteDesign design = palette_tool::designPalette();
  const std::vector<std::string> errors = palette_tool::checkPalette(design);
  if (!errors.empty()) {
    for (const std::string& e : errors) {
      std::fprintf(stderr, "make_palette: %s\n", e.c_str());
    }
    std::fprintf(stderr, "make_palette: palette not written\n");
    return 1;
  }
  const std::string dir = argv[1];
  const std::string gpl = palette_tool::gplFile(design);
  const bool ok =
      writeFile(dir + "/palette.pal", palette_tool::palFile(design)) &&
      writeFile(dir + "/palette.gpl", gpl.data(), gpl.size()) &&
      writeFile(dir + "/palette.act", palette_tool::actFile(design));
  return ok ? 0 : 1;
}

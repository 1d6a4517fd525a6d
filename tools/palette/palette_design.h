// The colours of the built-in palette and the names of its runs.
#ifndef GIF2FRM_TOOLS_PALETTE_PALETTE_DESIGN_H_
#define GIF2FRM_TOOLS_PALETTE_PALETTE_DESIGN_H_

#include <array>
#include <string>
#include <vector>

namespace palette_tool {

// One colour with 6-bit components (0..63), or 255 in all three for the
// entries that have no colour of their own.
struct Rgb {
  int r;
  int g;
  int b;
};

inline bool operator==(const Rgb& a, const Rgb& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b;
}

// A range of entries that belong together, for the artists' palette files.
struct NamedRun {
  std::string name;
  int first;
  int last;
  bool shades;  // each entry darker than the one before
};

struct PaletteDesign {
  std::array<Rgb, 256> entries;
  std::vector<NamedRun> runs;  // in index order, covering 1..228
};

PaletteDesign designPalette();

// The name of the run that holds index, or "" for an entry outside 1..228.
std::string runNameOf(const PaletteDesign& design, int index);

}  // namespace palette_tool

#endif  // GIF2FRM_TOOLS_PALETTE_PALETTE_DESIGN_H_

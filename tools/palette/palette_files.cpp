#include "palette_files.h"

#include <cstdio>
#include <cstdlib>

namespace palette_tool {
namespace {

std::uint8_t byte(int v) { return static_cast<std::uint8_t>(v); }

// A 5-bit component on the 6-bit scale: x * 63 / 31, rounded to nearest, so
// that 0 and 31 meet the ends of the scale exactly.
int fiveToSix(int x) { return (x * 63 + 15) / 31; }

// The entry 1..228 at the least sum of absolute differences; the lowest
// index among equals.
int nearestEntry(const PaletteDesign& design, int r, int g, int b) {
  int best = 1;
  int bestDistance = -1;
  for (int j = 1; j <= 228; ++j) {
    const Rgb& c = design.entries[static_cast<std::size_t>(j)];
    const int d = std::abs(r - c.r) + std::abs(g - c.g) + std::abs(b - c.b);
    if (bestDistance < 0 || d < bestDistance) {
      best = j;
      bestDistance = d;
    }
  }
  return best;
}

// Editors show 8-bit colours; 6-bit components times 4 reduce back to the
// same 6-bit value in the converter (div 4), so an exact match exists.
Rgb toEightBit(const Rgb& c) {
  if (c.r > 63) return c;  // the colourless entries stay 255,255,255
  return Rgb{c.r * 4, c.g * 4, c.b * 4};
}

}  // namespace

std::vector<std::uint8_t> palFile(const PaletteDesign& design) {
  std::vector<std::uint8_t> out;
  out.reserve(768 + 32768);
  for (const Rgb& c : design.entries) {
    out.push_back(byte(c.r));
    out.push_back(byte(c.g));
    out.push_back(byte(c.b));
  }
  for (int r = 0; r < 32; ++r) {
    for (int g = 0; g < 32; ++g) {
      for (int b = 0; b < 32; ++b) {
        out.push_back(byte(
            nearestEntry(design, fiveToSix(r), fiveToSix(g), fiveToSix(b))));
      }
    }
  }
  return out;
}

std::string gplFile(const PaletteDesign& design) {
  // Editors number the colours by their position, so entry 0 stays in as a
  // placeholder to keep every colour at its own index.
  std::string out =
      "GIMP Palette\n"
      "Name: gif2frm\n"
      "Columns: 15\n"
      "# Colours 1..228 of the gif2frm palette at their own indices.\n"
      "# Index 0 is the transparent index and has no colour of its own.\n"
      "# Convert art drawn only with these colours with -d=0.\n";
  char line[80];
  for (int i = 0; i <= 228; ++i) {
    const Rgb c = toEightBit(design.entries[static_cast<std::size_t>(i)]);
    const std::string name =
        i == 0 ? std::string("transparent") : runNameOf(design, i);
    std::snprintf(line, sizeof line, "%3d %3d %3d\t%d %s\n", c.r, c.g, c.b, i,
                  name.c_str());
    out += line;
  }
  return out;
}

std::vector<std::uint8_t> actFile(const PaletteDesign& design) {
  std::vector<std::uint8_t> out;
  out.reserve(772);
  for (const Rgb& entry : design.entries) {
    const Rgb c = toEightBit(entry);
    out.push_back(byte(c.r));
    out.push_back(byte(c.g));
    out.push_back(byte(c.b));
  }
  // Trailer, big-endian: 229 colours in use (0..228), and index 0 is the
  // transparent colour, as in the sprites.
  const int used = 229;
  const int transparent = 0;
  out.push_back(byte(used >> 8));
  out.push_back(byte(used & 0xff));
  out.push_back(byte(transparent >> 8));
  out.push_back(byte(transparent & 0xff));
  return out;
}

}  // namespace palette_tool

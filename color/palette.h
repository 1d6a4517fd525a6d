// The built-in palette: resource "PALETTE" 102 of the program, 33,536 bytes.
//
//   offset  size    content
//        0    768   256 entries of red, green, blue. Entries 1..228 are
//                   colours with 6-bit components (0..63); entry 0 (the
//                   transparent index) and 229..255 hold 255, 255, 255.
//      768  32768   for each colour with 5-bit components, at
//                   red * 1024 + green * 32 + blue, the index 1..228 of the
//                   nearest entry. Carried, never read by the converter.
#ifndef GIF2FRM_COLOR_PALETTE_H_
#define GIF2FRM_COLOR_PALETTE_H_

#include <cstddef>
#include <cstdint>

constexpr char kPaletteResourceType[] = "PALETTE";
constexpr int kPaletteResourceId = 102;
constexpr std::size_t kPaletteEntries = 256;
constexpr std::size_t kPaletteResourceSize = 768 + 32768;
constexpr int kFirstMatchableEntry = 1;
constexpr int kLastMatchableEntry = 228;

// Finds the palette among the program's resources. The data is read-only and
// lives as long as the process; it is part of the program and always there.
const std::uint8_t* loadPalette();

#endif  // GIF2FRM_COLOR_PALETTE_H_

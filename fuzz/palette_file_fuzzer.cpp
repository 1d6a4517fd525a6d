// Palette files from untrusted bytes: every input ends in one of the
// statuses, a refused one leaves the colours alone, and an accepted one gives
// entries 1..228 that the matching can use.
#include "color/palette_file.h"
#include "color/palette_lab.h"
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  constexpr std::uint8_t kUnwritten = 0xA5;
  PaletteColors colors;
  colors.fill(kUnwritten);
  const PaletteFileStatus status = parsePaletteFile(data, size, colors);
  const int code = static_cast<int>(status);
  FUZZ_CHECK(code >= 0 &&
             code <= static_cast<int>(PaletteFileStatus::CountMismatch));
  FUZZ_CHECK(status != PaletteFileStatus::CantOpen &&
             status != PaletteFileStatus::ReadFailed &&
             status != PaletteFileStatus::NoMemory);
  if (status != PaletteFileStatus::Ok) {
    for (std::uint8_t c : colors) FUZZ_CHECK(c == kUnwritten);
    return 0;
  }
  for (int i = 3 * kFirstMatchableEntry; i < 3 * (kLastMatchableEntry + 1);
       ++i) {
    FUZZ_CHECK(colors[static_cast<std::size_t>(i)] <= 63);
  }
  // The same bytes give the same colours.
  PaletteColors again;
  FUZZ_CHECK(parsePaletteFile(data, size, again) == PaletteFileStatus::Ok);
  FUZZ_CHECK(again == colors);
  // Every entry's own colour is matched to an entry of that colour.
  const PaletteLab lab(colors.data());
  for (int j = kFirstMatchableEntry; j <= kLastMatchableEntry; j += 13) {
    const std::uint8_t* own = lab.widened(static_cast<std::uint8_t>(j));
    const std::uint8_t found = lab.nearest(own[0], own[1], own[2]);
    FUZZ_CHECK(found >= kFirstMatchableEntry && found <= j);
    const std::uint8_t* match = lab.widened(found);
    FUZZ_CHECK(match[0] == own[0] && match[1] == own[1] && match[2] == own[2]);
  }
  return 0;
}

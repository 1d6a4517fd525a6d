// Palette files that a user names instead of the built-in palette: the
// layouts painting programs and game engines keep 256 colours in. The kind of
// file is told from its size and its first line, never from its name.
//
//   33,536 bytes  the built-in palette's own layout: 256 entries of red,
//                 green, blue with 6-bit components, then a 32,768-byte
//                 table that is carried and not read.
//   768 bytes     256 entries of red, green, blue. 6-bit components, unless
//                 some component of entries 1..228 is above 63: then the file
//                 is a Photoshop colour table (.act) of 8-bit components. A
//                 768-byte .act whose entries 1..228 are all dark enough to
//                 stay at or below 63 reads as 6-bit; save it with its
//                 trailer (772 bytes) or as text to avoid that.
//   772 bytes     .act with its trailer: 768 bytes of 8-bit components, then
//                 the number of colours in use and the transparent index,
//                 each big-endian 16-bit. The count must cover entries 0 to
//                 228; the transparent index is not used (index 0 is always
//                 the transparent one).
//   text          "GIMP Palette" (.gpl): header line, optional "Name:" and
//                 "Columns:" lines, '#' comments and blank lines, then one
//                 "red green blue [name]" line per entry.
//                 "JASC-PAL": header line, "0100", the number of entries,
//                 then exactly that many "red green blue" lines.
//                 Text components are 8-bit (0..255).
//
// 8-bit components are reduced to 6 bits by div 4, as GIF colours are for the
// first-within-delta match. Entries are in index order from 0; entries 1 to
// 228, the only ones colours are matched to, must all be in the file.
#ifndef GIF2FRM_COLOR_PALETTE_FILE_H_
#define GIF2FRM_COLOR_PALETTE_FILE_H_

#include <array>
#include <cstddef>
#include <cstdint>

// 256 entries of red, green, blue. Entries 1..228 hold 6-bit components
// (0..63). Entry 0 and entries 229..255 hold what the file holds after
// reduction, or 255 in each component where the file has no such entry, as
// the built-in palette's colourless entries do; they are never matched.
using PaletteColors = std::array<std::uint8_t, 768>;

// The largest file read: far above any real palette file (a .gpl of 256
// entries with long names stays below 32 KiB), small enough to read whole.
constexpr std::size_t kMaxPaletteFileSize = 256 * 1024;

enum class PaletteFileStatus {
  Ok,                 // colors holds the file's palette
  CantOpen,           // missing, a directory, or not readable by us
  ReadFailed,         // the device failed partway through the file
  NoMemory,           // no memory to read the file into
  TooLarge,           // larger than kMaxPaletteFileSize
  UnknownFormat,      // no known text header, and no size of a binary layout
  MalformedText,      // a line of a text palette that its format forbids
  ComponentTooLarge,  // a text component above 255
  NotSixBit,          // a 6-bit layout with a component above 63 in 1..228
  TooFewEntries,      // fewer than 229 entries: some of 1..228 are missing
  TooManyEntries,     // more than the 256 entries a palette has
  CountMismatch,  // a JASC-PAL file whose colour lines differ from its count
};

// Reads a palette from the size bytes at bytes. Pure: no file, no memory of
// its own. colors is written only when the result is Ok.
PaletteFileStatus parsePaletteFile(const std::uint8_t* bytes, std::size_t size,
                                   PaletteColors& colors);

// Reads the file at path whole (at most kMaxPaletteFileSize bytes) and
// parses it. colors is written only when the result is Ok.
PaletteFileStatus readPaletteFile(const char* path, PaletteColors& colors);

// What was wrong, in the words a message gives after the file's name
// ("Can't read palette file NAME: REASON"); both programs name it so.
const char* paletteFileProblem(PaletteFileStatus status);

#endif  // GIF2FRM_COLOR_PALETTE_FILE_H_

// The fixed records of a GIF stream (GIF89a standard, sections 18, 20 and
// 23), held byte for byte as they stand in the file and filled by one read of
// their exact length. Two-byte fields are little-endian in the file, which is
// the host order.
//
//   LogicalScreenDescriptor, 7 bytes      ImageDescriptor, 10 bytes
//     0  2  screen width                    0  1  separator 0x2C
//     2  2  screen height                   1  2  left position
//     4  1  packed: 7 global table flag,    3  2  top position
//           6-4 colour resolution - 1,      5  2  width
//           3 sort, 2-0 table size n        7  2  height
//     5  1  background colour index         9  1  packed: 7 local table flag,
//     6  1  pixel aspect ratio                    6 interlace, 5 sort,
//                                                 2-0 table size n
//   GraphicControlExtension, 8 bytes
//     0  1  introducer 0x21      3  1  packed: 4-2 disposal, 1 user input,
//     1  1  label 0xF9                 0 transparent colour flag
//     2  1  block size (4)       4  2  delay time, 1/100 s
//                                6  1  transparent colour index
//                                7  1  block terminator (0)
//
// A colour table of size field n holds 2^(n+1) entries of red, green, blue.
#ifndef GIF2FRM_GIF_GIF_RECORDS_H_
#define GIF2FRM_GIF_GIF_RECORDS_H_

#include <cstdint>

#include "platform/little_endian.h"

#pragma pack(push, 1)

struct LogicalScreenDescriptor {
  enum Selector : int {
    GlobalColorTableFlag = 0,  // bit 7
    ColorResolution = 1,       // bits 4-6, plus 1
    SortFlag = 2,              // bit 3
    GlobalColorTableSize = 3,  // 2^(n+1) entries, n = bits 0-2
  };

  std::uint16_t width;
  std::uint16_t height;
  std::uint8_t packed;
  std::uint8_t backgroundColorIndex;
  std::uint8_t pixelAspectRatio;

  // The packed byte decoded by a selector; any other selector gives the
  // packed byte itself.
  int field(int selector) const;
};

struct ImageDescriptor {
  enum Selector : int {
    LocalColorTableFlag = 0,  // bit 7
    InterlaceFlag = 1,        // bit 6
    SortFlag = 2,             // bit 5
    LocalColorTableSize = 3,  // 2^(n+1) entries, n = bits 0-2
  };

  std::uint8_t separator;
  std::uint16_t left;
  std::uint16_t top;
  std::uint16_t width;
  std::uint16_t height;
  std::uint8_t packed;

  int field(int selector) const;
};

struct GraphicControlExtension {
  enum Selector : int {
    DisposalMethod = 0,        // bits 2-4
    UserInputFlag = 1,         // bit 1
    TransparentColorFlag = 2,  // bit 0
  };

  std::uint8_t introducer;
  std::uint8_t label;
  std::uint8_t blockSize;
  std::uint8_t packed;
  std::uint16_t delayTime;
  std::uint8_t transparentColorIndex;
  std::uint8_t terminator;

  int field(int selector) const;
};

#pragma pack(pop)

static_assert(sizeof(LogicalScreenDescriptor) == 7, "7 bytes in the file");
static_assert(sizeof(ImageDescriptor) == 10, "10 bytes in the file");
static_assert(sizeof(GraphicControlExtension) == 8, "8 bytes in the file");

#endif  // GIF2FRM_GIF_GIF_RECORDS_H_

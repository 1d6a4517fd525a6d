// The fixed records of an FRM sprite file. Every multi-byte number in the
// file is big-endian; these records hold the fields in file order and width
// but in host order, and are turned around only on a copy while writing.
//
//   FrmHeader, 62 bytes                   FrmFrameHeader, 12 bytes
//     0   4  version (4)                    0  2  width
//     4   2  framesPerSecond                2  2  height
//     6   2  actionFrame                    4  4  pixelCount = width x height
//     8   2  framesPerDirection             8  2  offsetX, two's complement
//    10  12  shiftX[6], two's complement   10  2  offsetY, two's complement
//    22  12  shiftY[6], two's complement   12     pixelCount palette indices,
//    34  24  dataOffset[6]                        row by row
//    58   4  frameAreaSize
//    62      frame area: one frame record per frame, no gaps
//
// The file is 62 + frameAreaSize bytes long; frameAreaSize counts the frame
// headers too. The frames lie direction after direction, framesPerDirection
// to a direction, and dataOffset[k] is where direction k's first frame starts,
// counted from the start of the frame area. A sprite of one direction keeps
// the other five directions' shifts and offsets 0.
#ifndef GIF2FRM_FRM_FRM_RECORDS_H_
#define GIF2FRM_FRM_FRM_RECORDS_H_

#include <cstdint>

constexpr int kFrmDirections = 6;
constexpr std::uint32_t kFrmVersion = 4;
// What the 16-bit frame count and the 32-bit frame area size can describe.
constexpr std::uint32_t kFrmMaxFramesPerDirection = 0xFFFFu;
constexpr std::uint64_t kFrmMaxFrameArea = 0xFFFFFFFFu;

#pragma pack(push, 1)

struct FrmHeader {
  std::uint32_t version;
  std::uint16_t framesPerSecond;
  std::uint16_t actionFrame;
  std::uint16_t framesPerDirection;
  std::int16_t shiftX[kFrmDirections];
  std::int16_t shiftY[kFrmDirections];
  std::uint32_t dataOffset[kFrmDirections];
  std::uint32_t frameAreaSize;
};

struct FrmFrameHeader {
  std::uint16_t width;
  std::uint16_t height;
  std::uint32_t pixelCount;
  std::int16_t offsetX;
  std::int16_t offsetY;
};

#pragma pack(pop)

static_assert(sizeof(FrmHeader) == 62, "62 bytes in the file");
static_assert(sizeof(FrmFrameHeader) == 12, "12 bytes in the file");

#endif  // GIF2FRM_FRM_FRM_RECORDS_H_

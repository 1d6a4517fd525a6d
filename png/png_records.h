// The fixed chunk payloads of a PNG or APNG stream that the reader looks at
// itself (PNG, third edition, 11.2.1 IHDR, 11.3.6 acTL, 11.3.7 fcTL), held
// byte for byte as they stand in the file. Their numbers are big-endian in
// the file; the accessors turn them around.
//
//   ImageHeader (IHDR), 13 bytes     FrameControl (fcTL), 26 bytes
//     0  4  width                      0  4  sequence number
//     4  4  height                     4  4  width
//     8  1  bit depth                  8  4  height
//     9  1  colour type               12  4  x offset
//    10  1  compression method        16  4  y offset
//    11  1  filter method             20  2  delay numerator
//    12  1  interlace method          22  2  delay denominator
//                                     24  1  dispose op
//   AnimationControl (acTL), 8 bytes  25  1  blend op
//     0  4  number of frames
//     4  4  number of plays
//
// A chunk is a 4-byte length, a 4-byte type, length bytes of data and a
// CRC-32 of the type and data.
#ifndef GIF2FRM_PNG_PNG_RECORDS_H_
#define GIF2FRM_PNG_PNG_RECORDS_H_

#include <cstdint>

inline std::uint32_t bigEndian32(const std::uint8_t bytes[4]) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
         std::uint32_t{bytes[2]} << 8 | bytes[3];
}

inline std::uint16_t bigEndian16(const std::uint8_t bytes[2]) {
  return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

// A chunk type as the four letters read as one big-endian number.
constexpr std::uint32_t chunkType(const char (&name)[5]) {
  return std::uint32_t{static_cast<std::uint8_t>(name[0])} << 24 |
         std::uint32_t{static_cast<std::uint8_t>(name[1])} << 16 |
         std::uint32_t{static_cast<std::uint8_t>(name[2])} << 8 |
         static_cast<std::uint8_t>(name[3]);
}

#pragma pack(push, 1)

struct PngImageHeader {
  std::uint8_t width[4];
  std::uint8_t height[4];
  std::uint8_t bitDepth;
  std::uint8_t colorType;
  std::uint8_t compressionMethod;
  std::uint8_t filterMethod;
  std::uint8_t interlaceMethod;

  std::uint32_t widthValue() const { return bigEndian32(width); }
  std::uint32_t heightValue() const { return bigEndian32(height); }
};

struct PngAnimationControl {
  std::uint8_t frameCount[4];
  std::uint8_t playCount[4];

  std::uint32_t frameCountValue() const { return bigEndian32(frameCount); }
};

struct PngFrameControl {
  std::uint8_t sequence[4];
  std::uint8_t width[4];
  std::uint8_t height[4];
  std::uint8_t left[4];
  std::uint8_t top[4];
  std::uint8_t delayNumerator[2];
  std::uint8_t delayDenominator[2];
  std::uint8_t disposeOp;
  std::uint8_t blendOp;

  std::uint32_t widthValue() const { return bigEndian32(width); }
  std::uint32_t heightValue() const { return bigEndian32(height); }
  std::uint32_t leftValue() const { return bigEndian32(left); }
  std::uint32_t topValue() const { return bigEndian32(top); }
  std::uint16_t delayNumeratorValue() const {
    return bigEndian16(delayNumerator);
  }
  std::uint16_t delayDenominatorValue() const {
    return bigEndian16(delayDenominator);
  }
};

#pragma pack(pop)

static_assert(sizeof(PngImageHeader) == 13, "13 bytes in the file");
static_assert(sizeof(PngAnimationControl) == 8, "8 bytes in the file");
static_assert(sizeof(PngFrameControl) == 26, "26 bytes in the file");

#endif  // GIF2FRM_PNG_PNG_RECORDS_H_

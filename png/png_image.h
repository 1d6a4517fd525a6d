// A whole PNG or APNG in memory, as readPng (png/png_reader.h) delivers it:
// the canvas, the palette of an indexed image and one PngFrame per image to
// show, in stream order.
//
// What the pixels hold:
// - An indexed image (colour type 3) keeps its indices, one byte a pixel,
//   whatever its bit depth; palette gives their colours. An index at or past
//   paletteCount is delivered as it stands; palette has all 256 entries,
//   and those past paletteCount are opaque black (0, 0, 0, 255), which is
//   how libspng and image-png show such a pixel.
// - Every other image is 8-bit R, G, B, A, not premultiplied: grey becomes
//   R = G = B; samples below 8 bits are scaled up (a 4-bit 0xA is 0xAA);
//   16-bit samples keep their high byte (0x12AB becomes 0x12: Wuffs cuts,
//   it does not round, as libspng does); an image without alpha is opaque.
// - tRNS: a palette image's entries take their alpha from it (255 where it
//   gives none). A grey or RGB image's colour key makes every pixel that
//   matches it (compared at the file's own depth) transparent black,
//   (0, 0, 0, 0): Wuffs drops the colour, where libspng keeps it with alpha 0.
// - gAMA, cHRM, iCCP, sRGB and cICP are not applied: the samples are taken to
//   be sRGB as they stand.
//
// An APNG (an acTL chunk before the first IDAT) gives one frame per fcTL
// chunk, each with its own rectangle and its pixels as stored: not drawn
// onto the canvas, not blended with earlier frames, no dispose op applied
// (the caller composites them if it wants the frames as shown). The default
// image (IDAT) is a frame only when an fcTL chunk comes before it, as APNG
// rules. Any other PNG, and one whose acTL comes after IDAT, is a still
// image: one frame covering the canvas, with no delay.
#ifndef GIF2FRM_PNG_PNG_IMAGE_H_
#define GIF2FRM_PNG_PNG_IMAGE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/byte_buffer.h"

// One image to show, in stream order.
struct PngFrame {
  PngFrame() = default;
  PngFrame(PngFrame&&) noexcept = default;
  PngFrame& operator=(PngFrame&&) noexcept = default;
  PngFrame(const PngFrame&) = delete;
  PngFrame& operator=(const PngFrame&) = delete;

  // The frame's rectangle on the canvas, inside it.
  std::uint32_t left = 0;
  std::uint32_t top = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // The fcTL delay as stored, delayNumerator / delayDenominator seconds (a
  // denominator of 0 means 100); 0, 0 for a still image.
  std::uint16_t delayNumerator = 0;
  std::uint16_t delayDenominator = 0;
  // The fcTL dispose op (0 none, 1 background, 2 previous) and blend op
  // (0 source, 1 over) as stored, for a caller that composites; 0, 0 for a
  // still image.
  std::uint8_t disposeOp = 0;
  std::uint8_t blendOp = 0;
  // Rows top to bottom: width x height palette indices (indexed image) or
  // width x height x 4 bytes of R, G, B, A. The buffer has kPixelHeadroom
  // bytes in front, so that a converter can put a record header there and
  // take the pixels over without copying them.
  platform::ByteBuffer pixels;
  static constexpr std::size_t kPixelHeadroom = 12;
};

struct PngImage {
  PngImage() = default;
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;

  // The canvas, from IHDR.
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // Colour type 3: the pixels are indices into palette.
  bool indexed = false;
  // PLTE's entries for an indexed image; 0 for any other (a PLTE in a
  // true-colour image is only a suggestion, and is not read).
  std::uint32_t paletteCount = 0;
  // R, G, B, A; A from tRNS, 255 where it gives none; entries past
  // paletteCount are opaque black.
  std::uint8_t palette[256][4] = {};
  // An acTL chunk came before the image data, and the frames are the fcTL
  // chunks'; playCount is its number of plays (0: for ever).
  bool animated = false;
  std::uint32_t playCount = 0;
  std::vector<PngFrame> frames;

  // Bytes per pixel in the frames: 1 for an indexed image, else 4.
  std::uint32_t bytesPerPixel() const { return indexed ? 1 : 4; }
};

// What the caller accepts, checked against IHDR before anything is
// allocated. The defaults are the largest frame an FRM file can hold.
struct PngLimits {
  std::uint32_t maxSide = 65535;
  std::uint64_t maxPixels = std::uint64_t{65535} * 65535;
};

#endif  // GIF2FRM_PNG_PNG_IMAGE_H_

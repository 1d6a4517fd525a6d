// Reads a PNG or APNG stream into a PngImage (png/png_image.h says what the
// frames hold). Decoding is Wuffs' (third_party/wuffs): every critical
// chunk's CRC, the IDAT chunks' CRCs and every zlib stream's Adler-32 are
// checked; an ancillary chunk's CRC is not (libpng too skips such a chunk and
// goes on). APNG's fcTL and fdAT are ancillary chunks: a frame's data is
// covered by its Adler-32 alone.
#ifndef GIF2FRM_PNG_PNG_READER_H_
#define GIF2FRM_PNG_PNG_READER_H_

#include <cstdint>

#include "png/png_image.h"
#include "png/png_input.h"

// Outcome of readPng. Every status but Ok refuses the file.
enum class PngStatus : int {
  Ok = 0,           // the image, and for an APNG every frame, was read
  ReadFailed = 1,   // the data ended (or the source failed) before the image
                    // did: a truncated file
  NotPng = 2,       // no PNG signature
  Corrupt = 3,      // any fault of structure: a bad IHDR, a chunk out of
                    // place, a bad CRC of a critical chunk or of the image
                    // data, a zlib or filter error, too little or too much
                    // image data, a frame outside the canvas, APNG sequence
                    // numbers out of order, a frame count unlike acTL's
  TooLarge = 4,     // the canvas is beyond the caller's PngLimits
  NoMemory = 5,     // a buffer could not be allocated
  Unsupported = 6,  // an interlaced APNG, which Wuffs 0.3 does not decode
};

constexpr std::size_t kPngSignatureLength = 8;

// Whether the first 8 bytes of a stream are the PNG signature.
bool isPngSignature(const std::uint8_t bytes[kPngSignatureLength]);

// Reads a whole stream, positioned at its first byte, into image (a new
// PngImage). After a failure the frames completed before it stay in image.
PngStatus readPng(PngInput& input, const PngLimits& limits, PngImage& image);

#endif  // GIF2FRM_PNG_PNG_READER_H_

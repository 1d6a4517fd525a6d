// Decoder of the variable-length-code LZW data of one GIF image (GIF89a
// standard, appendix F): codes packed least significant bit first, from
// minimum code size + 1 up to 12 bits wide, with a clear code and an end
// code, carried in data sub-blocks.
//
// The dictionary is never cleared between images: slots at or above nextCode
// keep what an earlier image, or an earlier stretch of the same data, left in
// them, and a corrupt stream that names such a slot decodes against it. One
// process-wide decoder therefore serves every image of a run.
#ifndef GIF2FRM_GIF_LZW_DECODER_H_
#define GIF2FRM_GIF_LZW_DECODER_H_

#include <cstddef>
#include <cstdint>

#include "gif/gif_input.h"
#include "gif/lzw_status.h"

class GifFile;

class LzwDecoder {
 public:
  static constexpr int kMaxCodes = 4096;

  // The process-wide decoder that GifFile::load uses.
  static LzwDecoder& instance();

  // Bytes past width x height that decode() may scribble on: it copies
  // strings in whole 8-byte words. A frame's pixel buffer that has them lets
  // decode() write straight into it.
  static constexpr std::size_t kOutputSlack = 32;

  // Decodes the image data that starts at the minimum code size byte into
  // the pixels of gif.current, which hold width x height bytes (plus
  // kOutputSlack for the fast path), and sets its pixelsDelivered. Leaves
  // the input after the last data sub-block it read; when the data ends with
  // a zero-length sub-block instead of an end code, on that zero byte.
  //
  // The result, the pixels delivered, their count, the dictionary left
  // behind and the input position are exactly those of decodeReference().
  LzwStatus decode(GifInput& input, std::uint32_t lineLength, GifFile& gif);

  // Makes decode() take the plain way for every image: the reference that
  // tests and the differential fuzzer hold the fast path against.
  bool plainOnly = false;

  // The plain decoder, code by code through the stack, handing the pixels to
  // gif.appendPixels() a line of lineLength at a time (the last line may be
  // shorter). It is the definition of what decode() must do.
  LzwStatus decodeReference(GifInput& input, std::uint32_t lineLength,
                            GifFile& gif);

  // Sets up the code space for a new image; the tables keep their contents.
  void reset(int minCodeSize);

  // Reader results besides codes 0..4095.
  static constexpr std::int16_t kReadFailed = -1;   // the data ran out
  static constexpr std::int16_t kEndOfBlocks = -2;  // a zero-length sub-block

  // The next code, codeWidth bits wide, or one of the values above.
  std::int16_t readCode(GifInput& input);

  std::int16_t codeWidth = 0;
  std::int16_t codeLimit = 0;
  std::int16_t clearCode = 0;
  std::int16_t endCode = 0;
  std::int16_t firstCode = 0;
  std::int16_t nextCode = 0;
  std::int16_t blockBytesLeft = 0;
  std::int16_t bitsLeft = 0;
  std::uint8_t currentByte = 0;
  std::uint8_t blockBuffer[257] = {};
  std::uint16_t blockCursor = 0;
  std::int16_t prefix[kMaxCodes] = {};
  std::uint8_t suffix[kMaxCodes] = {};
  std::uint8_t stack[kMaxCodes] = {};

  // Fast path only, for literals, for the slots defined since the last
  // clear or reset and for the one about to be defined (at most slot 4096,
  // which a full dictionary never defines): where in the frame the code's
  // string was written, its length and its first byte, packed into one word
  // (see lzw_fast_decode.cpp).
  std::uint64_t knownStrings[kMaxCodes + 1] = {};

 private:
  std::int16_t loadSubBlock(GifInput& input);
};

#endif  // GIF2FRM_GIF_LZW_DECODER_H_

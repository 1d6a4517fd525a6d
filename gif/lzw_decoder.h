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

// Where an image's pixels go, filled in by the caller before a decode. The
// pixels are stored as they come, row after row of lineLength, unless
// rowOrder says where each row goes.
struct LzwOutput {
  // lineLength x lineCount bytes, then slack writable bytes more.
  std::uint8_t* pixels = nullptr;
  std::uint32_t lineLength = 0;  // the image's width
  std::uint32_t lineCount = 0;   // its height
  // At least LzwDecoder::kOutputSlack lets decode() write straight into
  // pixels in whole words; with less it takes the plain way.
  std::size_t slack = 0;
  // 256 entries, entry i being what index i is stored as; null stores the
  // indices as they are.
  const std::uint8_t* table = nullptr;
  // For images whose rows do not arrive in the order they are stored
  // (interlaced ones): the row of pixels where the row that stands at
  // streamRow in the data goes, streamRow being below rowCount. Null stores
  // them in the order they arrive.
  std::uint32_t (*rowOrder)(std::uint32_t streamRow,
                            std::uint32_t rowCount) = nullptr;

  // Out: how many pixels the data delivered, counted in the order they
  // arrive. The others hold no defined value.
  std::uint64_t delivered = 0;

  std::uint64_t capacity() const {
    return std::uint64_t{lineLength} * lineCount;
  }
};

class LzwDecoder {
 public:
  static constexpr int kMaxCodes = 4096;

  // The process-wide decoder that GifFile::load uses.
  static LzwDecoder& instance();

  // Bytes past the pixels that decode() may scribble on: it copies strings
  // in whole 8-byte words.
  static constexpr std::size_t kOutputSlack = 32;

  // Decodes the image data that starts at the minimum code size byte into
  // output, and sets output.delivered. Lines that would go past the pixels
  // are not stored: the status is then PixelOverflow. Leaves the input after
  // the last data sub-block it read; when the data ends with a zero-length
  // sub-block instead of an end code, on that zero byte.
  //
  // The result, the pixels delivered, their count, the dictionary left
  // behind and the input position are exactly those of decodeReference().
  LzwStatus decode(GifInput& input, LzwOutput& output);

  // Makes decode() take the plain way for every image: the reference that
  // tests and the differential fuzzer hold the fast path against.
  bool plainOnly = false;

  // The plain decoder, code by code through the stack, storing the pixels a
  // line of lineLength at a time (the last line may be shorter). It is the
  // definition of what decode() must do.
  LzwStatus decodeReference(GifInput& input, LzwOutput& output);

  // Sets up the code space for a new image; the tables keep their contents.
  void reset(int minimumCodeSize);
  // Reads the minimum code size byte and resets for it: ReadFailed or
  // BadCodeSize (a size below 2 or above 9) when it cannot.
  LzwStatus startImage(GifInput& input);
  // The code space as a clear code leaves it: no slot defined, the narrowest
  // codes.
  void restartCodes();

  // One code that is neither the clear nor the end code, taken the plain
  // way: its string onto the stack, last byte first, the slot it defines
  // (previousCode's string and the code's first byte) and a wider code
  // space once the current one is full. firstChar is the first byte of
  // previousCode's string.
  struct StackedCode {
    int length;        // of the string on the stack; 0 for a dictionary loop
    int previousCode;  // and firstChar: for the next code
    int firstChar;
  };
  StackedCode stackCode(int code, int previousCode, int firstChar);

  // Reader results besides codes 0..4095.
  static constexpr std::int16_t kReadFailed = -1;   // the data ran out
  static constexpr std::int16_t kEndOfBlocks = -2;  // a zero-length sub-block

  // The next code, codeWidth bits wide, or one of the values above.
  std::int16_t readCode(GifInput& input);

  std::int16_t minCodeSize = 0;
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
  // which a full dictionary never defines): where in the pixels the code's
  // string was written, its length and its first byte, packed into one word
  // (see lzw_fast_decode.cpp).
  std::uint64_t knownStrings[kMaxCodes + 1] = {};

 private:
  std::int16_t loadSubBlock(GifInput& input);
};

#endif  // GIF2FRM_GIF_LZW_DECODER_H_

// The production LZW decoder. It does what decodeReference() does, result
// for result, but writes straight into the frame instead of through a line
// buffer, and copies the string of a known code from where it was written
// before instead of walking the dictionary chain byte by byte.
//
// The copy needs to know where each slot's string stands in the frame, which
// is known only for slots defined by this path since the last clear code (or
// the start of the image). Whenever that does not hold -- after a code above
// nextCode, whose entries link to slots that were never defined in this
// image, or once the frame is nearly full -- decoding goes on the plain way,
// through the stack, until the next clear code.
#include <cstring>

#include "gif/gif_file.h"
#include "gif/lzw_decoder.h"

namespace {

constexpr int kMaxCodeWidth = 12;

// Gathers codes from the data sub-blocks, least significant bit first.
// Bytes of the current sub-block are taken eight at a time; the next
// sub-block's length byte is read only when a code needs bits beyond the
// current one, exactly when the plain code reader would read it, so the
// input ends up in the same place.
class BitReader {
 public:
  explicit BitReader(GifInput& input) : input_(input) {}

  // The next code of width bits, or LzwDecoder::kReadFailed or
  // LzwDecoder::kEndOfBlocks.
  int read(int width) {
    if (count_ < width) {
      int status = fill(width);
      if (status < 0) return status;
    }
    int code = static_cast<int>(bits_ & ((1u << width) - 1));
    bits_ >>= width;
    count_ -= width;
    return code;
  }

 private:
  int fill(int width) {
    for (;;) {
      if (blockEnd_ - block_ >= 8) {
        // Whole word: the bytes beyond the ones counted land in bits_ at
        // the very places the next fill puts them again.
        std::uint64_t word;
        std::memcpy(&word, block_, sizeof word);
        bits_ |= word << count_;
        int taken = (63 - count_) >> 3;
        block_ += taken;
        count_ += taken * 8;
      } else {
        while (count_ <= 56 && block_ < blockEnd_) {
          bits_ |= std::uint64_t{*block_++} << count_;
          count_ += 8;
        }
      }
      if (count_ >= width) return 0;
      int size = input_.readByte();
      if (size < 0) return LzwDecoder::kReadFailed;
      if (size == 0) {
        input_.move(-1);  // the terminator is the reader's, as in the plain path
        return LzwDecoder::kEndOfBlocks;
      }
      if (!input_.readView(static_cast<std::size_t>(size), block_)) {
        return LzwDecoder::kReadFailed;
      }
      blockEnd_ = block_ + size;
    }
  }

  GifInput& input_;
  const std::uint8_t* block_ = nullptr;
  const std::uint8_t* blockEnd_ = nullptr;
  std::uint64_t bits_ = 0;
  int count_ = 0;
};

// Copies a string written earlier in the frame; it ends at or before
// destination. Short strings go as one or two words, which may write up to
// 15 bytes past the string: the frame has slack for that, and whatever lands
// there is overwritten by the strings that follow or was never delivered.
inline void copyString(std::uint8_t* destination, const std::uint8_t* source,
                       std::uint32_t length) {
  if (length <= 8) {
    std::uint64_t word;
    std::memcpy(&word, source, 8);
    std::memcpy(destination, &word, 8);
  } else if (length <= 16) {
    std::uint64_t low;
    std::uint64_t high;
    std::memcpy(&low, source, 8);
    std::memcpy(&high, source + 8, 8);
    std::memcpy(destination, &low, 8);
    std::memcpy(destination + 8, &high, 8);
  } else {
    std::memcpy(destination, source, length);
  }
}

}  // namespace

LzwStatus LzwDecoder::decode(GifInput& input, std::uint32_t lineLength,
                             GifFile& gif) {
  GifFrame& frame = gif.current;
  const std::uint64_t capacity = std::uint64_t{frame.width()} * frame.height();
  // Interlaced rows are placed by the sink, line by line; a frame without
  // slack cannot take word copies.
  if (frame.interlaced() || lineLength != frame.width() ||
      frame.pixels.size() < capacity + kOutputSlack) {
    return decodeReference(input, lineLength, gif);
  }

  int minCodeSize = input.readByte();
  if (minCodeSize < 0) return LzwStatus::ReadFailed;
  if (minCodeSize < 2 || minCodeSize > 9) return LzwStatus::BadCodeSize;
  reset(minCodeSize);

  std::uint8_t* const out = frame.pixels.data();
  const std::uint64_t width = lineLength;
  // Pixels produced so far. Those past the frame are counted, not stored:
  // the plain decoder reports the overflow only when the line holding them
  // is complete, or at the end of the data.
  std::uint64_t emitted = 0;
  // What the plain decoder would have handed to the frame by now.
  auto wholeLines = [&]() -> std::uint32_t {
    if (width == 0) return 0;
    std::uint64_t lines = (emitted < capacity ? emitted : capacity) / width;
    return static_cast<std::uint32_t>(lines * width);
  };
  auto emitCounted = [&](std::uint8_t byte) -> bool {
    if (width == 0) return false;  // no room for any pixel
    if (emitted < capacity) out[emitted] = byte;
    ++emitted;
    return emitted != capacity + width;
  };

  BitReader reader(input);
  int previousCode = 0;
  int firstChar = 0;
  // Where the string of previousCode was written, while on the fast path.
  std::uint64_t previousStart = 0;
  std::uint32_t previousLength = 0;
  // Until the first clear code the string of previousCode (0) was never
  // written, so the first entries cannot be copied from the frame.
  bool plain = true;
  LzwStatus result = LzwStatus::Ok;

  for (;;) {
    int code = reader.read(codeWidth);
    if (code == endCode || code == kEndOfBlocks) break;
    if (code < 0) {  // the data ran out: whole lines only
      frame.pixelsDelivered = wholeLines();
      return LzwStatus::Ok;
    }

    if (code == clearCode) {
      codeWidth = static_cast<std::int16_t>(minCodeSize + 1);
      nextCode = firstCode;
      codeLimit = static_cast<std::int16_t>(1 << codeWidth);
      plain = false;
      do {
        code = reader.read(codeWidth);
      } while (code == clearCode);
      if (code == endCode || code == kEndOfBlocks) break;
      if (code < 0) {
        frame.pixelsDelivered = wholeLines();
        return LzwStatus::Ok;
      }
      if (code >= nextCode) code = 0;
      previousCode = code;
      firstChar = code;
      previousStart = emitted;
      previousLength = 1;
      if (!emitCounted(static_cast<std::uint8_t>(code))) {
        result = LzwStatus::PixelOverflow;
        break;
      }
      continue;
    }

    if (!plain) {
      // The length of code's string, where it is known: a literal, a slot
      // defined on this path, or the slot about to be defined (previousCode's
      // string and its own first byte). 0 sends the code the plain way.
      std::uint32_t length = 0;
      if (code < clearCode) {
        length = 1;
      } else if (code < nextCode) {
        length = stringLength[code];
      } else if (code == nextCode) {
        length = previousLength + 1;
      }
      if (length != 0 && emitted + length <= capacity) {
        std::uint8_t* destination = out + emitted;
        std::uint8_t first;
        if (code < clearCode) {
          first = static_cast<std::uint8_t>(code);
          *destination = first;
        } else if (code < nextCode) {
          const std::uint8_t* source = out + stringStart[code];
          first = *source;
          copyString(destination, source, length);
        } else {
          const std::uint8_t* source = out + previousStart;
          first = *source;
          copyString(destination, source, previousLength);
          destination[previousLength] = first;
        }
        if (nextCode < codeLimit) {
          suffix[nextCode] = first;
          prefix[nextCode] = static_cast<std::int16_t>(previousCode);
          stringStart[nextCode] = static_cast<std::uint32_t>(previousStart);
          stringLength[nextCode] = static_cast<std::uint16_t>(previousLength + 1);
          ++nextCode;
          firstChar = first;
          previousCode = code;
          previousStart = emitted;
          previousLength = length;
        }
        if (nextCode >= codeLimit && codeWidth < kMaxCodeWidth) {
          codeLimit = static_cast<std::int16_t>(codeLimit * 2);
          ++codeWidth;
        }
        emitted += length;
        continue;
      }
      plain = true;
    }

    // The plain way, exactly as the reference decoder goes.
    int depth = 0;
    int walk = code;
    if (code >= nextCode) {
      stack[depth++] = static_cast<std::uint8_t>(firstChar);
      walk = previousCode;
    }
    while (walk >= firstCode) {
      if (depth >= kMaxCodes - 1) {
        frame.pixelsDelivered = wholeLines();
        return LzwStatus::DictionaryCycle;
      }
      stack[depth++] = suffix[walk];
      walk = prefix[walk];
    }
    stack[depth++] = static_cast<std::uint8_t>(walk);
    if (nextCode < codeLimit) {
      suffix[nextCode] = static_cast<std::uint8_t>(walk);
      prefix[nextCode] = static_cast<std::int16_t>(previousCode);
      ++nextCode;
      firstChar = walk;
      previousCode = code;
    }
    if (nextCode >= codeLimit && codeWidth < kMaxCodeWidth) {
      codeLimit = static_cast<std::int16_t>(codeLimit * 2);
      ++codeWidth;
    }
    bool overflow = false;
    while (depth > 0) {
      if (!emitCounted(stack[--depth])) {
        overflow = true;
        break;
      }
    }
    if (overflow) {
      result = LzwStatus::PixelOverflow;
      break;
    }
  }

  // End of the data, or an overflow: the pixels up to the frame's end count
  // as delivered; any beyond it make the last line overflow.
  if (result == LzwStatus::Ok && emitted > capacity) {
    result = LzwStatus::PixelOverflow;
  }
  frame.pixelsDelivered =
      static_cast<std::uint32_t>(emitted < capacity ? emitted : capacity);
  return result;
}

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

// The code reader's state: the bits of the current data sub-block, least
// significant first. It is passed by value so that it stays in registers in
// the decoding loop.
struct BitState {
  const std::uint8_t* block;     // next byte of the current sub-block
  const std::uint8_t* blockEnd;  // end of the current sub-block
  std::uint64_t bits;
  int count;                     // valid bits in bits
  int status;                    // a reader failure, or 0
};

// Gathers at least width bits where the current sub-block has fewer than
// eight bytes left, moving on to the next sub-block when this one is used
// up. The next sub-block's length byte is read only when a code needs bits
// beyond the current one, exactly when the plain code reader reads it, so the
// input ends up in the same place. Rare: kept out of the decoding loop.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
BitState refillSlowly(GifInput& input, BitState state, int width) {
  while (state.count < width) {
    if (state.block < state.blockEnd) {
      do {
        state.bits |= std::uint64_t{*state.block++} << state.count;
        state.count += 8;
      } while (state.count <= 56 && state.block < state.blockEnd);
      continue;
    }
    int size = input.readByte();
    if (size < 0) {
      state.status = LzwDecoder::kReadFailed;
      return state;
    }
    if (size == 0) {
      input.move(-1);  // the terminator is the reader's, as in the plain path
      state.status = LzwDecoder::kEndOfBlocks;
      return state;
    }
    if (!input.readView(static_cast<std::size_t>(size), state.block)) {
      state.status = LzwDecoder::kReadFailed;
      return state;
    }
    state.blockEnd = state.block + size;
  }
  return state;
}

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
  if (plainOnly || frame.interlaced() || lineLength != frame.width() ||
      frame.pixels.size() < capacity + kOutputSlack) {
    return decodeReference(input, lineLength, gif);
  }

  const int minCodeSize = input.readByte();
  if (minCodeSize < 0) return LzwStatus::ReadFailed;
  if (minCodeSize < 2 || minCodeSize > 9) return LzwStatus::BadCodeSize;
  reset(minCodeSize);

  // The decoder's state lives in locals while decoding: the frame is written
  // through a byte pointer, which the compiler must assume can change any
  // member, but not a local.
  const int clear = clearCode;
  const int end = endCode;
  const int firstSlot = firstCode;
  int width = codeWidth;
  std::uint64_t mask = (1u << width) - 1;
  int limit = codeLimit;
  int next = nextCode;
  std::int16_t* const prefixes = prefix;
  std::uint8_t* const suffixes = suffix;
  std::uint32_t* const starts = stringStart;
  std::uint16_t* const lengths = stringLength;

  // The code reader. Bytes of the current sub-block are taken eight at a
  // time: the bytes beyond the ones counted land in bits at the very places
  // where the next refill puts them again.
  const std::uint8_t* block = nullptr;
  const std::uint8_t* blockEnd = nullptr;
  std::uint64_t bits = 0;
  int count = 0;
  auto readCode = [&]() -> int {
    if (count < width) {
      if (blockEnd - block >= 8) {
        std::uint64_t word;
        std::memcpy(&word, block, sizeof word);
        bits |= word << count;
        int taken = (63 - count) >> 3;
        block += taken;
        count += taken * 8;
      } else {
        BitState state =
            refillSlowly(input, BitState{block, blockEnd, bits, count, 0}, width);
        block = state.block;
        blockEnd = state.blockEnd;
        bits = state.bits;
        count = state.count;
        if (state.status < 0) return state.status;
      }
    }
    int code = static_cast<int>(bits & mask);
    bits >>= width;
    count -= width;
    return code;
  };

  std::uint8_t* const out = frame.pixels.data();
  const std::uint64_t lineWidth = lineLength;
  // Pixels produced so far. Those past the frame are counted, not stored:
  // the plain decoder reports the overflow only when the line holding them
  // is complete, or at the end of the data.
  std::uint64_t emitted = 0;
  // What the plain decoder would have handed to the frame by now.
  auto wholeLines = [&]() -> std::uint32_t {
    if (lineWidth == 0) return 0;
    std::uint64_t shown = emitted < capacity ? emitted : capacity;
    return static_cast<std::uint32_t>(shown / lineWidth * lineWidth);
  };
  auto emitCounted = [&](std::uint8_t byte) -> bool {
    if (lineWidth == 0) return false;  // no room for any pixel
    if (emitted < capacity) out[emitted] = byte;
    ++emitted;
    return emitted != capacity + lineWidth;
  };
  auto save = [&]() {
    codeWidth = static_cast<std::int16_t>(width);
    codeLimit = static_cast<std::int16_t>(limit);
    nextCode = static_cast<std::int16_t>(next);
  };

  int previousCode = 0;
  int firstChar = 0;
  // Where the string of previousCode was written, while on the fast path.
  std::uint64_t previousStart = 0;
  std::uint32_t previousLength = 0;
  // The data starts as a clear code leaves it (the leading clear code is
  // optional): its first code defines no slot, whichever code it is. It
  // goes the plain way, into the clear code's branch.
  bool plain = true;
  // Codes below this take the literal shortcut: the clear code's value on
  // the fast path, 0 (none) on the plain one.
  unsigned fastLiterals = 0;
  bool atStart = true;
  LzwStatus result = LzwStatus::Ok;

  for (;;) {
    int code = readCode();
    // Literals first: on noisy pictures most codes are. (The reader's
    // negative results compare as huge here.) The slot definition below is
    // written out again for strings further down on purpose: shared through
    // a helper, the loop ran about 20% slower on noise (gif_bench, (e)).
    if (static_cast<unsigned>(code) < fastLiterals && emitted < capacity) {
      const auto literal = static_cast<std::uint8_t>(code);
      out[emitted] = literal;
      if (next < limit) {
        suffixes[next] = literal;
        prefixes[next] = static_cast<std::int16_t>(previousCode);
        starts[next] = static_cast<std::uint32_t>(previousStart);
        lengths[next] = static_cast<std::uint16_t>(previousLength + 1);
        ++next;
        firstChar = literal;
        previousCode = code;
        previousStart = emitted;
        previousLength = 1;
        if (next == limit && width < kMaxCodeWidth) {
          limit *= 2;
          ++width;
          mask = mask * 2 + 1;
        }
      }
      ++emitted;
      continue;
    }
    if (code == end || code == kEndOfBlocks) break;
    if (code < 0) {  // the data ran out: whole lines only
      save();
      frame.pixelsDelivered = wholeLines();
      return LzwStatus::Ok;
    }

    if (!plain) {
      // The length of code's string, where it is known: a literal, a slot
      // defined on this path, or the slot about to be defined (previousCode's
      // string and its own first byte). 0 sends the code the plain way.
      std::uint32_t length;
      if (code < clear) {
        length = 1;
      } else if (code < next && code >= firstSlot) {
        length = lengths[code];
      } else if (code == next) {
        length = previousLength + 1;
      } else {
        length = 0;  // a clear code, or a code beyond the dictionary
      }
      if (length != 0 && emitted + length <= capacity) {
        std::uint8_t* destination = out + emitted;
        std::uint8_t first;
        if (code < clear) {
          first = static_cast<std::uint8_t>(code);
          *destination = first;
        } else if (code < next) {
          const std::uint8_t* source = out + starts[code];
          first = *source;
          copyString(destination, source, length);
        } else {
          const std::uint8_t* source = out + previousStart;
          first = *source;
          copyString(destination, source, previousLength);
          destination[previousLength] = first;
        }
        if (next < limit) {
          suffixes[next] = first;
          prefixes[next] = static_cast<std::int16_t>(previousCode);
          starts[next] = static_cast<std::uint32_t>(previousStart);
          lengths[next] = static_cast<std::uint16_t>(previousLength + 1);
          ++next;
          firstChar = first;
          previousCode = code;
          previousStart = emitted;
          previousLength = length;
          if (next == limit && width < kMaxCodeWidth) {
            limit *= 2;
            ++width;
            mask = mask * 2 + 1;
          }
        }
        emitted += length;
        continue;
      }
    }

    if (code == clear || atStart) {
      atStart = false;
      width = minCodeSize + 1;
      mask = (1u << width) - 1;
      next = firstSlot;
      limit = 1 << width;
      plain = false;
      fastLiterals = static_cast<unsigned>(clear);
      while (code == clear) code = readCode();
      if (code == end || code == kEndOfBlocks) break;
      if (code < 0) {
        save();
        frame.pixelsDelivered = wholeLines();
        return LzwStatus::Ok;
      }
      if (code >= next) code = 0;
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
    plain = true;
    fastLiterals = 0;

    // The plain way, exactly as the reference decoder goes.
    int depth = 0;
    int walk = code;
    if (code >= next) {
      stack[depth++] = static_cast<std::uint8_t>(firstChar);
      walk = previousCode;
    }
    while (walk >= firstSlot) {
      if (depth >= kMaxCodes - 1) {
        save();
        frame.pixelsDelivered = wholeLines();
        return LzwStatus::DictionaryCycle;
      }
      stack[depth++] = suffixes[walk];
      walk = prefixes[walk];
    }
    stack[depth++] = static_cast<std::uint8_t>(walk);
    if (next < limit) {
      suffixes[next] = static_cast<std::uint8_t>(walk);
      prefixes[next] = static_cast<std::int16_t>(previousCode);
      ++next;
      firstChar = walk;
      previousCode = code;
    }
    if (next >= limit && width < kMaxCodeWidth) {
      limit *= 2;
      ++width;
      mask = mask * 2 + 1;
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
  save();
  if (result == LzwStatus::Ok && emitted > capacity) {
    result = LzwStatus::PixelOverflow;
  }
  frame.pixelsDelivered =
      static_cast<std::uint32_t>(emitted < capacity ? emitted : capacity);
  return result;
}

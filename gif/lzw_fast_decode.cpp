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
#include <type_traits>

#include "gif/lzw_decoder.h"

namespace {

constexpr std::uint32_t kMaxCodeWidth = 12;

// What is rare stays out of the decoding loop. The loop itself starts on a
// cache line of its own, so that its speed does not move with whatever code
// the linker puts before it: at the four 16-byte offsets of a 64-byte line
// it decoded up to 6 % faster or slower (thread CPU time).
#if defined(__GNUC__)
#define LZW_NOINLINE __attribute__((noinline))
#define LZW_HOT_LOOP __attribute__((noinline, aligned(64)))
#else
#define LZW_NOINLINE
#define LZW_HOT_LOOP
#endif

// The table of an image stored as the GIF's own indices.
constexpr struct UntranslatedTable {
  std::uint8_t entries[256];
  constexpr UntranslatedTable() : entries() {
    for (int i = 0; i < 256; ++i) entries[i] = static_cast<std::uint8_t>(i);
  }
} kUntranslatedTable;
constexpr const std::uint8_t* kUntranslated = kUntranslatedTable.entries;

// A code's string as the fast path knows it, packed into one word so that a
// single load per code brings all of it: its length in bits 0-15 (0 for the
// clear and end codes), its first byte in bits 16-23, that byte as the frame
// stores it (through the image's pixel table) in bits 24-31, and in bits
// 32-63 where in the frame it was written (a frame has fewer than 2^32
// pixels). A literal is a string of length 1 whose first byte is all of it;
// where it was written does not matter (see decodeKnownStrings). Adding 1 to
// an entry makes its string one byte longer: by the byte that follows it in
// the frame.
constexpr std::uint64_t packString(std::uint64_t start, std::uint32_t length,
                                   std::uint8_t first, std::uint8_t stored) {
  return start << 32 | std::uint64_t{stored} << 24 |
         std::uint64_t{first} << 16 | length;
}
constexpr std::uint32_t stringLength(std::uint64_t entry) {
  return static_cast<std::uint16_t>(entry);
}
constexpr std::uint8_t firstByte(std::uint64_t entry) {
  return static_cast<std::uint8_t>(entry >> 16);
}
constexpr std::uint8_t storedFirstByte(std::uint64_t entry) {
  return static_cast<std::uint8_t>(entry >> 24);
}
constexpr std::uint32_t stringStart(std::uint64_t entry) {
  return static_cast<std::uint32_t>(entry >> 32);
}
// The same string, written at start.
constexpr std::uint64_t writtenAt(std::uint64_t entry, std::uint64_t start) {
  return start << 32 | static_cast<std::uint32_t>(entry);
}

// The code reader's state: the bits of the current data sub-block, least
// significant first. It is passed by value so that it stays in registers in
// the decoding loop.
struct BitState {
  const std::uint8_t* block;     // next byte of the current sub-block
  const std::uint8_t* blockEnd;  // end of the current sub-block
  std::uint64_t bits;
  std::uint32_t count;  // valid bits in bits
  int status;           // a reader failure, or 0
};

// Gathers at least width bits where the current sub-block has fewer than
// eight bytes left, moving on to the next sub-block when this one is used
// up. The next sub-block's length byte is read only when a code needs bits
// beyond the current one, exactly when the plain code reader reads it, so the
// input ends up in the same place. Rare: kept out of the decoding loop.
LZW_NOINLINE BitState refillSlowly(GifInput& input, BitState state,
                                   std::uint32_t width) {
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

// The next code, width bits wide, or a reader failure (negative). While the
// current sub-block has eight bytes left, the bit buffer is topped up before
// every code, eight bytes at a time, with no branch on how many bits are
// left: the bytes beyond the ones counted land in bits at the very places
// where the next refill puts them again.
inline int takeCode(GifInput& input, BitState& reader, std::uint32_t width,
                    std::uint32_t mask) {
  if (reader.count < width) {
    if (reader.blockEnd - reader.block >= 8) {
      std::uint64_t word;
      std::memcpy(&word, reader.block, sizeof word);
      reader.bits |= word << reader.count;
      reader.block += (reader.count ^ 63) >> 3;
      reader.count |= 56;
    } else {
      reader = refillSlowly(input, reader, width);
      if (reader.status < 0) return reader.status;
    }
  }
  const auto code = static_cast<int>(reader.bits & mask);
  reader.bits >>= width;
  reader.count -= width;
  return code;
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

// Where the fast path stands between codes: the code reader, the code space,
// the last code and the pixels written. The string of the slot about to be
// defined, which is the last code's string where it was written last and one
// byte more, stands in knownStrings[next] already.
struct FastState {
  BitState reader;
  std::uint32_t width;
  // The codes of the current width; mask + 1 is the slot at which the width
  // grows (the plain decoder's codeLimit).
  std::uint32_t mask;
  std::uint32_t next;
  std::uint32_t previousCode;
  std::uint64_t emitted;  // pixels written so far
  // Whether literals are tried first (see decodeKnownStrings).
  bool literalsFirst;
};

// Decodes codes that stand for strings the fast path knows -- literals,
// slots defined since the last clear, and the slot about to be defined --
// while they fit in the frame, and returns the first code that is anything
// else (or a reader failure), with the state as it is before that code.
//
// Every such code takes the same few instructions: one load brings its
// string's length, first byte and place, and a word copy writes it, literal
// or not. On pictures of few colours, literals and short strings alternate
// at random, and a branch between them would be mispredicted again and
// again. Where nearly every code is a literal (noise of many colours), that
// branch is taken almost always and the shorter way for literals pays: the
// decoder then tries literals first, for the next stretch of one code width,
// as long as the last stretch's strings averaged under 1 1/16 pixels.
//
// Kept out of line so that the compiler gives its state registers of its
// own, and kept whole: split into inlined steps over a struct of its state
// (the literal, the known string, a segment, the full dictionary), it
// decoded photo-like and noise pictures 2 to 3 % slower at the same code
// alignment. The two lambdas are its steps.
LZW_HOT_LOOP int decodeKnownStrings(FastState& state, GifInput& input,
                                    LzwDecoder& decoder,
                                    std::uint8_t* const out,
                                    const std::uint64_t capacity,
                                    const std::uint8_t* const table) {
  BitState reader = state.reader;
  std::uint32_t width = state.width;
  std::uint32_t mask = state.mask;
  std::uint32_t next = state.next;
  std::uint32_t previousCode = state.previousCode;
  // Where the next string goes, and how many pixels the frame still has
  // room for. (Pixels past the frame are the caller's to count.)
  const std::uint64_t start =
      state.emitted < capacity ? state.emitted : capacity;
  std::uint8_t* destination = out + start;
  std::uint64_t room = capacity - start;

  const auto literalCodes = static_cast<std::uint32_t>(decoder.clearCode);
  int code = 0;
  std::uint32_t limit = mask + 1;

  // Decodes codes up to the slot at which the width grows: true when a code
  // that this path does not take stopped it.
  const auto decodeSegment = [&](auto literalsFirst) -> bool {
    for (;;) {
      code = takeCode(input, reader, width, mask);
      const auto known = static_cast<std::uint32_t>(code);
      if constexpr (decltype(literalsFirst)::value) {
        if (known < literalCodes && room != 0) {
          // With a minimum code size of 9 literals go up to 511; each stands
          // for its low byte, as in the plain decoder.
          const auto byte = static_cast<std::uint8_t>(known);
          const std::uint8_t stored = table[byte];
          *destination = stored;
          decoder.suffix[next] = byte;
          decoder.prefix[next] = static_cast<std::int16_t>(previousCode);
          decoder.knownStrings[next + 1] = packString(
              static_cast<std::uint64_t>(destination - out), 2, byte, stored);
          previousCode = known;
          ++destination;
          --room;
          if (++next == limit) return false;
          continue;
        }
      }
      // The reader's negative results compare as huge here. The slot about
      // to be defined (known == next) is previousCode's string and its own
      // first byte.
      if (known > next) return true;
      const std::uint64_t entry = decoder.knownStrings[known];
      const std::uint32_t length = stringLength(entry);
      // A length of 0 (the clear and end codes) comes out huge.
      if (length - std::uint64_t{1} >= room) return true;
      const std::uint8_t first = firstByte(entry);
      decoder.suffix[next] = first;
      decoder.prefix[next] = static_cast<std::int16_t>(previousCode);
      decoder.knownStrings[next + 1] =
          writtenAt(entry, static_cast<std::uint64_t>(destination - out)) + 1;
      previousCode = known;
      // A literal copies whatever its start points at, and then its byte
      // over the first one copied. The slot about to be defined copies all
      // but its last byte, which is not written yet: it is its first.
      const std::uint8_t stored = storedFirstByte(entry);
      if (known != next) {
        copyString(destination, out + stringStart(entry), length);
      } else {
        copyString(destination, out + stringStart(entry), length - 1);
        destination[length - 1] = stored;
      }
      *destination = stored;
      destination += length;
      room -= length;
      if (++next == limit) return false;
    }
  };

  const auto decodeCodes = [&]() -> int {
    // One pass per code width: each code defines a slot, up to the one at
    // which the width grows.
    while (next <= mask) {
      limit = mask + 1;
      const std::uint32_t codes = limit - next;
      const std::uint8_t* const segmentStart = destination;
      const bool stopped = state.literalsFirst
                               ? decodeSegment(std::true_type{})
                               : decodeSegment(std::false_type{});
      if (stopped) return code;
      state.literalsFirst =
          static_cast<std::uint64_t>(destination - segmentStart) * 16 <
          std::uint64_t{codes} * 17;
      if (width == kMaxCodeWidth) break;
      ++width;
      mask = mask * 2 + 1;
    }
    // The dictionary is full: codes decode against it and define nothing.
    for (;;) {
      code = takeCode(input, reader, width, mask);
      const auto known = static_cast<std::uint32_t>(code);
      if (known >= next) return code;
      const std::uint64_t entry = decoder.knownStrings[known];
      const std::uint32_t length = stringLength(entry);
      if (length - std::uint64_t{1} >= room) return code;
      copyString(destination, out + stringStart(entry), length);
      *destination = storedFirstByte(entry);
      destination += length;
      room -= length;
    }
  };
  code = decodeCodes();

  state.reader = reader;
  state.width = width;
  state.mask = mask;
  state.next = next;
  state.previousCode = previousCode;
  state.emitted += static_cast<std::uint64_t>(destination - (out + start));
  return code;
}

// One image the fast way: decodeKnownStrings for as long as it can go, the
// plain way where it cannot, until the next clear code.
class FastDecode {
 public:
  FastDecode(LzwDecoder& decoder, GifInput& input, LzwOutput& output);
  LzwStatus run();

 private:
  int takePlainly() {
    return takeCode(input_, state_.reader, state_.width, state_.mask);
  }
  int takeKnownStrings();
  int restart(int code);
  LzwStatus takeFirstCode(int code);
  LzwStatus takePlainCode(int code);
  bool emitCounted(std::uint8_t byte);
  LzwStatus finish(LzwStatus status);
  LzwStatus stopAtWholeLines(LzwStatus status);
  void save();

  LzwDecoder& decoder_;
  GifInput& input_;
  LzwOutput& output_;
  const std::uint64_t capacity_;
  const std::uint64_t lineWidth_;
  std::uint8_t* const out_;
  // Every pixel is stored through the table: the output's, or none.
  const std::uint8_t* const table_;
  FastState state_{};
  // The first byte of previousCode's string, kept on the plain path only:
  // on the fast path it is the first byte of the string of the slot about to
  // be defined, knownStrings[state_.next].
  int firstChar_ = 0;
  bool plain_ = true;
};

FastDecode::FastDecode(LzwDecoder& decoder, GifInput& input, LzwOutput& output)
    : decoder_(decoder),
      input_(input),
      output_(output),
      capacity_(output.capacity()),
      lineWidth_(output.lineLength),
      out_(output.pixels),
      table_(output.table != nullptr ? output.table : kUntranslated) {
  // The strings every image starts with: the literals, and the clear and
  // end codes, which stand for none.
  for (int code = 0; code < decoder.clearCode; ++code) {
    const auto byte = static_cast<std::uint8_t>(code);
    decoder.knownStrings[code] = packString(0, 1, byte, table_[byte]);
  }
  decoder.knownStrings[decoder.clearCode] = 0;
  decoder.knownStrings[decoder.endCode] = 0;
  state_.width = static_cast<std::uint32_t>(decoder.codeWidth);
  state_.mask = (1u << state_.width) - 1;
  state_.next = static_cast<std::uint32_t>(decoder.nextCode);
}

LzwStatus FastDecode::run() {
  // The data starts as a clear code leaves it (the leading clear code is
  // optional): its first code defines no slot, whichever code it is.
  bool atStart = true;
  for (;;) {
    int code = plain_ ? takePlainly() : takeKnownStrings();
    const bool first = code == decoder_.clearCode || atStart;
    if (first) {
      atStart = false;
      code = restart(code);
    }
    if (code == decoder_.endCode || code == LzwDecoder::kEndOfBlocks) {
      return finish(LzwStatus::Ok);
    }
    // The data ran out: whole lines only.
    if (code < 0) return stopAtWholeLines(LzwStatus::Ok);
    const LzwStatus status = first ? takeFirstCode(code) : takePlainCode(code);
    if (status == LzwStatus::DictionaryCycle) return stopAtWholeLines(status);
    if (failed(status)) return finish(status);
  }
}

int FastDecode::takeKnownStrings() {
  const int code =
      decodeKnownStrings(state_, input_, decoder_, out_, capacity_, table_);
  firstChar_ = firstByte(decoder_.knownStrings[state_.next]);
  return code;
}

// A clear code, or the start of the data: the code space starts again, and
// the codes after it go the fast way. Returns the first code that is not a
// clear code.
int FastDecode::restart(int code) {
  state_.width = static_cast<std::uint32_t>(decoder_.minCodeSize + 1);
  state_.mask = (1u << state_.width) - 1;
  state_.next = static_cast<std::uint32_t>(decoder_.firstCode);
  plain_ = false;
  while (code == decoder_.clearCode) code = takePlainly();
  return code;
}

// The first code after a clear: nothing is defined yet, and an undefined
// code is taken as 0.
LzwStatus FastDecode::takeFirstCode(int code) {
  if (code >= decoder_.firstCode) code = 0;
  state_.previousCode = static_cast<std::uint32_t>(code);
  firstChar_ = code;
  const auto byte = static_cast<std::uint8_t>(code);
  const std::uint64_t emitted = state_.emitted;
  decoder_.knownStrings[state_.next] =
      packString(emitted < capacity_ ? emitted : 0, 2, byte, table_[byte]);
  return emitCounted(byte) ? LzwStatus::Ok : LzwStatus::PixelOverflow;
}

// A code beyond the dictionary, or a string that does not fit in the frame:
// the plain way, exactly as the reference decoder goes, until the next clear
// code. The code space goes through the decoder's own fields.
LzwStatus FastDecode::takePlainCode(int code) {
  plain_ = true;
  save();
  const LzwDecoder::StackedCode stacked = decoder_.stackCode(
      code, static_cast<int>(state_.previousCode), firstChar_);
  state_.width = static_cast<std::uint32_t>(decoder_.codeWidth);
  state_.mask = static_cast<std::uint32_t>(decoder_.codeLimit) - 1;
  state_.next = static_cast<std::uint32_t>(decoder_.nextCode);
  if (stacked.length == 0) return LzwStatus::DictionaryCycle;
  state_.previousCode = static_cast<std::uint32_t>(stacked.previousCode);
  firstChar_ = stacked.firstChar;
  int depth = stacked.length;
  while (depth > 0) {
    if (!emitCounted(decoder_.stack[--depth])) return LzwStatus::PixelOverflow;
  }
  return LzwStatus::Ok;
}

// Stores one pixel the plain way. Those past the frame are counted, not
// stored: the plain decoder reports the overflow only when the line holding
// them is complete, or at the end of the data. False once that line is.
bool FastDecode::emitCounted(std::uint8_t byte) {
  if (lineWidth_ == 0) return false;  // no room for any pixel
  std::uint64_t& emitted = state_.emitted;
  if (emitted < capacity_) out_[emitted] = table_[byte];
  ++emitted;
  return emitted != capacity_ + lineWidth_;
}

// End of the data, or an overflow: the pixels up to the frame's end count as
// delivered; any beyond it make the last line overflow.
LzwStatus FastDecode::finish(LzwStatus status) {
  save();
  const std::uint64_t emitted = state_.emitted;
  if (status == LzwStatus::Ok && emitted > capacity_) {
    status = LzwStatus::PixelOverflow;
  }
  output_.delivered = emitted < capacity_ ? emitted : capacity_;
  return status;
}

// The data ran out, or the dictionary loops: delivered is what the plain
// decoder would have stored by now, its whole lines.
LzwStatus FastDecode::stopAtWholeLines(LzwStatus status) {
  save();
  if (lineWidth_ != 0) {
    const std::uint64_t emitted = state_.emitted;
    const std::uint64_t shown = emitted < capacity_ ? emitted : capacity_;
    output_.delivered = shown / lineWidth_ * lineWidth_;
  }
  return status;
}

// The code space into the decoder's fields, where the plain way and the next
// image find it.
void FastDecode::save() {
  decoder_.codeWidth = static_cast<std::int16_t>(state_.width);
  decoder_.codeLimit = static_cast<std::int16_t>(state_.mask + 1);
  decoder_.nextCode = static_cast<std::int16_t>(state_.next);
}

}  // namespace

LzwStatus LzwDecoder::decode(GifInput& input, LzwOutput& output) {
  // Rows out of order are placed line by line; pixels without slack cannot
  // take word copies.
  if (plainOnly || output.rowOrder != nullptr || output.slack < kOutputSlack) {
    return decodeReference(input, output);
  }
  output.delivered = 0;
  const LzwStatus started = startImage(input);
  if (failed(started)) return started;
  return FastDecode(*this, input, output).run();
}

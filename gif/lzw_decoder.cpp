#include "gif/lzw_decoder.h"

#include <cstring>

#include "platform/byte_buffer.h"

namespace {

constexpr int kMaxCodeWidth = 12;

// Entry n is 2^n - 1: a code of width n is the gathered bits AND entry n.
constexpr std::uint32_t kCodeMask[kMaxCodeWidth + 1] = {
    0x000, 0x001, 0x003, 0x007, 0x00F, 0x01F, 0x03F,
    0x07F, 0x0FF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};

// Stores one line of pixels where it goes: after the ones delivered, or for
// an image whose rows arrive out of order, at the start of the row where
// this one is stored. PixelOverflow, storing nothing, when the line would go
// past the pixels. Every line but the last is lineLength long, so every line
// starts a row.
LzwStatus storeLine(LzwOutput& output, const std::uint8_t* line,
                    std::uint32_t length) {
  if (output.delivered + length > output.capacity()) {
    return LzwStatus::PixelOverflow;
  }
  std::uint64_t at = output.delivered;
  if (output.rowOrder != nullptr) {
    const auto streamRow = static_cast<std::uint32_t>(at / output.lineLength);
    at = std::uint64_t{output.rowOrder(streamRow, output.lineCount)} *
         output.lineLength;
  }
  std::uint8_t* to = output.pixels + at;
  if (output.table == nullptr) {
    std::memcpy(to, line, length);
  } else {
    for (std::uint32_t i = 0; i < length; ++i) to[i] = output.table[line[i]];
  }
  output.delivered += length;
  return LzwStatus::Ok;
}

// Collects decoded bytes into lines of the image's width and stores each
// full line.
class LineWriter {
 public:
  LineWriter(LzwOutput& output, std::uint8_t* line)
      : output_(output),
        line_(line),
        lineLength_(output.lineLength),
        room_(output.lineLength) {}

  LzwStatus emit(std::uint8_t byte) {
    // An image of width 0 has no room for any pixel.
    if (lineLength_ == 0) return LzwStatus::PixelOverflow;
    line_[lineLength_ - room_] = byte;
    if (--room_ == 0) {
      room_ = lineLength_;
      return storeLine(output_, line_, lineLength_);
    }
    return LzwStatus::Ok;
  }

  // Stores the partly filled last line, if there is one.
  LzwStatus finish() {
    if (room_ == lineLength_) return LzwStatus::Ok;
    return storeLine(output_, line_, lineLength_ - room_);
  }

 private:
  LzwOutput& output_;
  std::uint8_t* line_;
  std::uint32_t lineLength_;
  std::uint32_t room_;
};

}  // namespace

LzwDecoder& LzwDecoder::instance() {
  static LzwDecoder decoder;
  return decoder;
}

void LzwDecoder::reset(int minimumCodeSize) {
  minCodeSize = static_cast<std::int16_t>(minimumCodeSize);
  clearCode = static_cast<std::int16_t>(1 << minCodeSize);
  endCode = static_cast<std::int16_t>(clearCode + 1);
  firstCode = static_cast<std::int16_t>(clearCode + 2);
  restartCodes();
  bitsLeft = 0;
  blockBytesLeft = 0;
}

void LzwDecoder::restartCodes() {
  codeWidth = static_cast<std::int16_t>(minCodeSize + 1);
  codeLimit = static_cast<std::int16_t>(1 << codeWidth);
  nextCode = firstCode;
}

LzwStatus LzwDecoder::startImage(GifInput& input) {
  const int size = input.readByte();
  if (size < 0) return LzwStatus::ReadFailed;
  if (size < 2 || size > 9) return LzwStatus::BadCodeSize;
  reset(size);
  return LzwStatus::Ok;
}

std::int16_t LzwDecoder::loadSubBlock(GifInput& input) {
  blockCursor = 0;
  int size = input.readByte();
  blockBytesLeft = static_cast<std::int16_t>(size);
  if (size < 0) return kReadFailed;
  if (size == 0) {
    // Some encoders end the data with the block terminator and no end code.
    // The terminator ends the data like the end code would, and stays
    // unread: it is the byte the reader takes after every image.
    input.move(-1);
    return kEndOfBlocks;
  }
  if (!input.read(blockBuffer, static_cast<std::size_t>(size))) {
    return kReadFailed;
  }
  return 0;
}

std::int16_t LzwDecoder::readCode(GifInput& input) {
  if (bitsLeft == 0) {
    if (blockBytesLeft <= 0) {
      std::int16_t status = loadSubBlock(input);
      if (status < 0) return status;
    }
    currentByte = blockBuffer[blockCursor++];
    bitsLeft = 8;
    --blockBytesLeft;
  }
  std::uint32_t value = currentByte >> (8 - bitsLeft);
  while (codeWidth > bitsLeft) {
    if (blockBytesLeft <= 0) {
      std::int16_t status = loadSubBlock(input);
      if (status < 0) return status;
    }
    currentByte = blockBuffer[blockCursor++];
    value |= std::uint32_t{currentByte} << bitsLeft;
    bitsLeft = static_cast<std::int16_t>(bitsLeft + 8);
    --blockBytesLeft;
  }
  bitsLeft = static_cast<std::int16_t>(bitsLeft - codeWidth);
  return static_cast<std::int16_t>(value & kCodeMask[codeWidth]);
}

LzwDecoder::StackedCode LzwDecoder::stackCode(int code, int previousCode,
                                              int firstChar) {
  int depth = 0;
  int walk = code;
  if (code >= nextCode) {
    // Not defined yet: previousCode's string plus its own first byte. A
    // code beyond nextCode is decoded the same way.
    stack[depth++] = static_cast<std::uint8_t>(firstChar);
    walk = previousCode;
  }
  while (walk >= firstCode) {
    // No string without a loop is longer than the stack; one that would
    // overflow it can only come from a corrupt dictionary.
    if (depth >= kMaxCodes - 1) return {0, previousCode, firstChar};
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
  return {depth, previousCode, firstChar};
}

// The loop keeps the plain step whole, in the types it always had: taken
// through stackCode(), even inlined, the plain way ran 9 % longer on
// interlaced noise (thread CPU time).
LzwStatus LzwDecoder::decodeReference(GifInput& input, LzwOutput& output) {
  output.delivered = 0;
  const LzwStatus started = startImage(input);
  if (failed(started)) return started;
  platform::ByteBuffer line;
  if (!line.allocate(output.lineLength)) return LzwStatus::NoMemory;
  LineWriter writer(output, line.data());

  std::int16_t previousCode = 0;
  std::int16_t firstChar = 0;
  // The data starts as a clear code leaves it (the leading clear code is
  // optional): its first code defines no slot, whichever code it is.
  bool atStart = true;
  for (;;) {
    std::int16_t code = readCode(input);
    if (code == endCode || code == kEndOfBlocks) break;
    // The data ran out: keep the full lines; the partial one is dropped.
    if (code < 0) return LzwStatus::Ok;

    if (code == clearCode || atStart) {
      atStart = false;
      restartCodes();
      while (code == clearCode) code = readCode(input);
      if (code == endCode || code == kEndOfBlocks) break;
      if (code < 0) return LzwStatus::Ok;
      // Nothing is defined yet: an undefined code is taken as 0.
      if (code >= nextCode) code = 0;
      previousCode = code;
      firstChar = code;
      LzwStatus status = writer.emit(static_cast<std::uint8_t>(code));
      if (failed(status)) return status;
      continue;
    }

    // What stackCode() does: the string of code, last byte first, onto the
    // stack, then the slot it defines.
    int depth = 0;
    int walk = code;
    if (code >= nextCode) {
      stack[depth++] = static_cast<std::uint8_t>(firstChar);
      walk = previousCode;
    }
    while (walk >= firstCode) {
      if (depth >= kMaxCodes - 1) return LzwStatus::DictionaryCycle;
      stack[depth++] = suffix[walk];
      walk = prefix[walk];
    }
    stack[depth++] = static_cast<std::uint8_t>(walk);
    if (nextCode < codeLimit) {
      suffix[nextCode] = static_cast<std::uint8_t>(walk);
      prefix[nextCode] = previousCode;
      ++nextCode;
      firstChar = static_cast<std::int16_t>(walk);
      previousCode = code;
    }
    if (nextCode >= codeLimit && codeWidth < kMaxCodeWidth) {
      codeLimit = static_cast<std::int16_t>(codeLimit * 2);
      ++codeWidth;
    }

    while (depth > 0) {
      LzwStatus status = writer.emit(stack[--depth]);
      if (failed(status)) return status;
    }
  }
  return writer.finish();
}

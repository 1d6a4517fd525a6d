#include "gif/lzw_decoder.h"

#include "gif/gif_file.h"
#include "platform/byte_buffer.h"

namespace {

constexpr int kMaxCodeWidth = 12;

// Entry n is 2^n - 1: a code of width n is the gathered bits AND entry n.
constexpr std::uint32_t kCodeMask[kMaxCodeWidth + 1] = {
    0x000, 0x001, 0x003, 0x007, 0x00F, 0x01F, 0x03F,
    0x07F, 0x0FF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};

// Collects decoded bytes into lines of the image's width and hands each full
// line to the frame.
class LineWriter {
 public:
  LineWriter(GifFile& gif, std::uint8_t* line, std::uint32_t lineLength)
      : gif_(gif), line_(line), lineLength_(lineLength), room_(lineLength) {}

  LzwStatus emit(std::uint8_t byte) {
    // An image of width 0 has no room for any pixel.
    if (lineLength_ == 0) return LzwStatus::PixelOverflow;
    line_[lineLength_ - room_] = byte;
    if (--room_ == 0) {
      room_ = lineLength_;
      return gif_.appendPixels(line_, lineLength_);
    }
    return LzwStatus::Ok;
  }

  // Delivers the partly filled last line, if there is one.
  LzwStatus finish() {
    if (room_ == lineLength_) return LzwStatus::Ok;
    return gif_.appendPixels(line_, lineLength_ - room_);
  }

 private:
  GifFile& gif_;
  std::uint8_t* line_;
  std::uint32_t lineLength_;
  std::uint32_t room_;
};

}  // namespace

LzwDecoder& LzwDecoder::instance() {
  static LzwDecoder decoder;
  return decoder;
}

void LzwDecoder::reset(int minCodeSize) {
  codeWidth = static_cast<std::int16_t>(minCodeSize + 1);
  codeLimit = static_cast<std::int16_t>(1 << codeWidth);
  clearCode = static_cast<std::int16_t>(1 << minCodeSize);
  endCode = static_cast<std::int16_t>(clearCode + 1);
  firstCode = static_cast<std::int16_t>(clearCode + 2);
  nextCode = firstCode;
  bitsLeft = 0;
  blockBytesLeft = 0;
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

LzwStatus LzwDecoder::decodeReference(GifInput& input,
                                      std::uint32_t lineLength, GifFile& gif) {
  int minCodeSize = input.readByte();
  if (minCodeSize < 0) return LzwStatus::ReadFailed;
  if (minCodeSize < 2 || minCodeSize > 9) return LzwStatus::BadCodeSize;
  reset(minCodeSize);

  platform::ByteBuffer line;
  if (!line.allocate(lineLength)) return LzwStatus::NoMemory;
  LineWriter writer(gif, line.data(), lineLength);

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
      codeWidth = static_cast<std::int16_t>(minCodeSize + 1);
      nextCode = firstCode;
      codeLimit = static_cast<std::int16_t>(1 << codeWidth);
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

    // The string of code, last byte first, onto the stack.
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

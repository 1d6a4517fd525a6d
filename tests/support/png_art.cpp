#include "support/png_art.h"

#include <algorithm>
#include <cstddef>

namespace {

std::uint32_t adler32(const Bytes& bytes) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (std::uint8_t byte : bytes) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

}  // namespace

std::uint32_t pngCrc32(const std::uint8_t* bytes, std::size_t size,
                       std::uint32_t crc) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return ~crc;
}

void putBig32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

void putBig16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

Bytes pngChunk(const std::string& type, const Bytes& data) {
  Bytes chunk;
  putBig32(chunk, static_cast<std::uint32_t>(data.size()));
  chunk.insert(chunk.end(), type.begin(), type.end());
  chunk.insert(chunk.end(), data.begin(), data.end());
  putBig32(chunk, pngCrc32(chunk.data() + 4, chunk.size() - 4));
  return chunk;
}

Bytes zlibStored(const Bytes& raw) {
  Bytes out = {0x78, 0x01};
  std::size_t at = 0;
  do {
    const std::size_t size = std::min<std::size_t>(raw.size() - at, 65535);
    const bool last = at + size == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<std::uint8_t>(size));
    out.push_back(static_cast<std::uint8_t>(size >> 8));
    out.push_back(static_cast<std::uint8_t>(~size));
    out.push_back(static_cast<std::uint8_t>(~size >> 8));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
               raw.begin() + static_cast<std::ptrdiff_t>(at + size));
    at += size;
  } while (at < raw.size());
  putBig32(out, adler32(raw));
  return out;
}

Bytes ihdrData(std::uint32_t width, std::uint32_t height, int depth,
               int colorType, int interlace) {
  Bytes data;
  putBig32(data, width);
  putBig32(data, height);
  data.push_back(static_cast<std::uint8_t>(depth));
  data.push_back(static_cast<std::uint8_t>(colorType));
  data.push_back(0);
  data.push_back(0);
  data.push_back(static_cast<std::uint8_t>(interlace));
  return data;
}

Bytes fctlData(std::uint32_t sequence, std::uint32_t width,
               std::uint32_t height, std::uint32_t left, std::uint32_t top,
               std::uint16_t delayNumerator, std::uint16_t delayDenominator,
               std::uint8_t disposeOp, std::uint8_t blendOp) {
  Bytes data;
  for (std::uint32_t value : {sequence, width, height, left, top}) {
    putBig32(data, value);
  }
  putBig16(data, delayNumerator);
  putBig16(data, delayDenominator);
  data.push_back(disposeOp);
  data.push_back(blendOp);
  return data;
}

PngArt::PngArt() : bytes_{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'} {}

PngArt& PngArt::chunk(const std::string& type, const Bytes& data) {
  Bytes chunk = pngChunk(type, data);
  bytes_.insert(bytes_.end(), chunk.begin(), chunk.end());
  return *this;
}

PngArt& PngArt::imageData(const Bytes& rows) {
  return chunk("IDAT", zlibStored(rows));
}

PngArt& PngArt::frameData(std::uint32_t sequence, const Bytes& rows) {
  Bytes data;
  putBig32(data, sequence);
  Bytes stream = zlibStored(rows);
  data.insert(data.end(), stream.begin(), stream.end());
  return chunk("fdAT", data);
}

PngArt& PngArt::end() { return chunk("IEND", {}); }

// Hand-made PNG and APNG streams for the tests, written here independently
// of the reader: chunks with their CRC-32, image data as zlib "stored"
// blocks with their Adler-32, so that every byte of a test image is known.
#ifndef GIF2FRM_TESTS_SUPPORT_PNG_ART_H_
#define GIF2FRM_TESTS_SUPPORT_PNG_ART_H_

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// CRC-32 as PNG and zlib compute it, continuing from crc.
std::uint32_t pngCrc32(const std::uint8_t* bytes, std::size_t size,
                       std::uint32_t crc = 0);

void putBig32(Bytes& out, std::uint32_t value);
void putBig16(Bytes& out, std::uint16_t value);

// A chunk: length, type, data, CRC.
Bytes pngChunk(const std::string& type, const Bytes& data);
// A zlib stream of stored blocks holding raw.
Bytes zlibStored(const Bytes& raw);
// IHDR's payload.
Bytes ihdrData(std::uint32_t width, std::uint32_t height, int depth,
               int colorType, int interlace = 0);
// fcTL's payload.
Bytes fctlData(std::uint32_t sequence, std::uint32_t width,
               std::uint32_t height, std::uint32_t left, std::uint32_t top,
               std::uint16_t delayNumerator, std::uint16_t delayDenominator,
               std::uint8_t disposeOp = 0, std::uint8_t blendOp = 0);

// Builds a stream chunk by chunk, starting with the signature.
class PngArt {
 public:
  PngArt();
  PngArt& chunk(const std::string& type, const Bytes& data);
  // IDAT (or, with sequence >= 0, one fdAT) holding rows (each with its
  // filter byte) as a stored zlib stream.
  PngArt& imageData(const Bytes& rows);
  PngArt& frameData(std::uint32_t sequence, const Bytes& rows);
  PngArt& end();  // IEND
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

// Rows of a width x height image of bytesPerRow bytes each, every row with
// filter 0, filled by fill(x, y) byte by byte.
template <typename Fill>
Bytes filterNoneRows(std::uint32_t bytesPerRow, std::uint32_t height,
                     Fill fill) {
  Bytes rows;
  for (std::uint32_t y = 0; y < height; ++y) {
    rows.push_back(0);
    for (std::uint32_t x = 0; x < bytesPerRow; ++x) {
      rows.push_back(static_cast<std::uint8_t>(fill(x, y)));
    }
  }
  return rows;
}

#endif  // GIF2FRM_TESTS_SUPPORT_PNG_ART_H_

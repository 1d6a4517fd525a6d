// A deliberately simple GIF LZW decoder for checking the encoder: strings are
// kept whole in a table, and the code width is worked out the textbook way,
// independently of the encoder's own width rule.
#ifndef GIF2FRM_TESTS_GIFENC_REFERENCE_DECODER_H_
#define GIF2FRM_TESTS_GIFENC_REFERENCE_DECODER_H_

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace gifenc_test {

// Joins the sub-blocks of an image data block (after its minimum code size
// byte) and checks that the block terminator is the last byte.
inline std::vector<std::uint8_t> joinSubBlocks(
    const std::vector<std::uint8_t>& data, std::size_t start) {
  std::vector<std::uint8_t> out;
  std::size_t pos = start;
  while (true) {
    if (pos >= data.size()) throw std::runtime_error("no block terminator");
    const std::size_t n = data[pos++];
    if (n == 0) break;
    if (pos + n > data.size()) throw std::runtime_error("short sub-block");
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
               data.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
  }
  if (pos != data.size()) throw std::runtime_error("bytes after terminator");
  return out;
}

// Decodes a whole image data block (minimum code size byte, sub-blocks,
// terminator) into pixels. Throws on anything a correct encoder never emits.
inline std::vector<std::uint8_t> referenceDecode(
    const std::vector<std::uint8_t>& data) {
  if (data.empty()) throw std::runtime_error("empty");
  const int minCodeSize = data[0];
  const std::vector<std::uint8_t> bits = joinSubBlocks(data, 1);
  const int clearCode = 1 << minCodeSize;
  const int endCode = clearCode + 1;

  std::vector<std::vector<std::uint8_t>> table;
  int width = 0;
  auto resetTable = [&] {
    table.clear();
    for (int i = 0; i < clearCode + 2; ++i) {
      table.push_back({static_cast<std::uint8_t>(i)});
    }
    width = minCodeSize + 1;
  };
  resetTable();

  std::size_t bitPos = 0;
  auto readCode = [&]() -> int {
    int code = 0;
    for (int i = 0; i < width; ++i, ++bitPos) {
      if (bitPos / 8 >= bits.size()) throw std::runtime_error("out of data");
      const int bit = (bits[bitPos / 8] >> (bitPos % 8)) & 1;
      code |= bit << i;
    }
    return code;
  };

  std::vector<std::uint8_t> pixels;
  int previous = -1;  // no string yet since the last clear
  while (true) {
    const int code = readCode();
    if (code == endCode) break;
    if (code == clearCode) {
      resetTable();
      previous = -1;
      continue;
    }
    std::vector<std::uint8_t> entry;
    if (code < static_cast<int>(table.size())) {
      entry = table[static_cast<std::size_t>(code)];
    } else if (previous >= 0 && code == static_cast<int>(table.size())) {
      entry = table[static_cast<std::size_t>(previous)];
      entry.push_back(entry[0]);
    } else {
      throw std::runtime_error("code beyond the table");
    }
    pixels.insert(pixels.end(), entry.begin(), entry.end());
    if (previous >= 0 && table.size() < 4096) {
      std::vector<std::uint8_t> added =
          table[static_cast<std::size_t>(previous)];
      added.push_back(entry[0]);
      table.push_back(added);
      if (table.size() == (std::size_t{1} << width) && width < 12) ++width;
    }
    previous = code;
  }
  // Padding in the last byte only; a whole unused byte means a packing bug.
  if ((bitPos + 7) / 8 != bits.size()) throw std::runtime_error("extra bytes");
  return pixels;
}

}  // namespace gifenc_test

#endif  // GIF2FRM_TESTS_GIFENC_REFERENCE_DECODER_H_

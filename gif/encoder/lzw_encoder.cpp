#include "gif/encoder/lzw_encoder.h"

#include <stdexcept>
#include <unordered_map>

#include "gif/encoder/code_stream.h"
#include "gif/encoder/code_widths.h"

namespace gifenc {

std::vector<std::uint16_t> lzwCodes(const std::vector<std::uint8_t>& pixels,
                                    int minCodeSize, bool clearWhenFull) {
  if (minCodeSize < 2 || minCodeSize > 11) {
    throw std::invalid_argument("minimum code size must be 2 to 11");
  }
  const int literals = 1 << minCodeSize;
  for (std::uint8_t p : pixels) {
    if (p >= literals) {
      throw std::invalid_argument("pixel does not fit the minimum code size");
    }
  }
  const auto clearCode = static_cast<std::uint16_t>(literals);
  const auto endCode = static_cast<std::uint16_t>(literals + 1);
  const int firstSlot = literals + 2;
  constexpr int kSlots = 4096;

  // Key: string code << 8 | next pixel; value: the slot of that string.
  std::unordered_map<std::uint32_t, std::uint16_t> dictionary;
  int nextSlot = firstSlot;

  std::vector<std::uint16_t> codes{clearCode};
  if (!pixels.empty()) {
    std::uint16_t prefix = pixels[0];
    for (std::size_t i = 1; i < pixels.size(); ++i) {
      const std::uint32_t key =
          (static_cast<std::uint32_t>(prefix) << 8) | pixels[i];
      const auto found = dictionary.find(key);
      if (found != dictionary.end()) {
        prefix = found->second;
        continue;
      }
      codes.push_back(prefix);
      if (nextSlot < kSlots) {
        dictionary.emplace(key, static_cast<std::uint16_t>(nextSlot++));
      }
      // The decoder never sees the entry just made before the clear; that is
      // harmless, it only has to agree on the slots it does see.
      if (nextSlot == kSlots && clearWhenFull) {
        codes.push_back(clearCode);
        dictionary.clear();
        nextSlot = firstSlot;
      }
      prefix = pixels[i];
    }
    codes.push_back(prefix);
  }
  codes.push_back(endCode);
  return codes;
}

std::vector<std::uint8_t> encodeImageData(
    const std::vector<std::uint8_t>& pixels, int minCodeSize,
    const LzwOptions& options) {
  const std::vector<std::uint16_t> values =
      lzwCodes(pixels, minCodeSize, options.clearWhenFull);
  return CodeStream(static_cast<std::uint8_t>(minCodeSize),
                    options.subBlockSize)
      .codes(withWidths(minCodeSize, values))
      .bytes();
}

}  // namespace gifenc

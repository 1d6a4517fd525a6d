#include "gif/encoder/lzw_encoder.h"

#include <stdexcept>
#include <unordered_map>

#include "gif/encoder/code_stream.h"
#include "gif/encoder/code_widths.h"

namespace gifenc {
namespace {

void checkArguments(const std::uint8_t* pixels, std::size_t count,
                    int minCodeSize) {
  if (minCodeSize < 2 || minCodeSize > 11) {
    throw std::invalid_argument("minimum code size must be 2 to 11");
  }
  const int literals = 1 << minCodeSize;
  for (std::size_t i = 0; i < count; ++i) {
    if (pixels[i] >= literals) {
      throw std::invalid_argument("pixel does not fit the minimum code size");
    }
  }
}

// Hands the code values for the count pixels at pixels to emit, one by one:
// a clear code first, the end code last. The arguments have been checked.
template <typename Emit>
void compress(const std::uint8_t* pixels, std::size_t count, int minCodeSize,
              bool clearWhenFull, Emit&& emit) {
  const int literals = 1 << minCodeSize;
  const auto clearCode = static_cast<std::uint16_t>(literals);
  const auto endCode = static_cast<std::uint16_t>(literals + 1);
  const int firstSlot = literals + 2;
  constexpr int kSlots = 4096;

  // Key: string code << 8 | next pixel; value: the slot of that string.
  std::unordered_map<std::uint32_t, std::uint16_t> dictionary;
  int nextSlot = firstSlot;

  emit(clearCode);
  if (count > 0) {
    std::uint16_t prefix = pixels[0];
    for (std::size_t i = 1; i < count; ++i) {
      const std::uint32_t key =
          (static_cast<std::uint32_t>(prefix) << 8) | pixels[i];
      const auto found = dictionary.find(key);
      if (found != dictionary.end()) {
        prefix = found->second;
        continue;
      }
      emit(prefix);
      if (nextSlot < kSlots) {
        dictionary.emplace(key, static_cast<std::uint16_t>(nextSlot++));
      }
      // The decoder never sees the entry just made before the clear; that is
      // harmless, it only has to agree on the slots it does see.
      if (nextSlot == kSlots && clearWhenFull) {
        emit(clearCode);
        dictionary.clear();
        nextSlot = firstSlot;
      }
      prefix = pixels[i];
    }
    emit(prefix);
  }
  emit(endCode);
}

}  // namespace

std::vector<std::uint16_t> lzwCodes(const std::vector<std::uint8_t>& pixels,
                                    int minCodeSize, bool clearWhenFull) {
  checkArguments(pixels.data(), pixels.size(), minCodeSize);
  std::vector<std::uint16_t> codes;
  compress(pixels.data(), pixels.size(), minCodeSize, clearWhenFull,
           [&codes](std::uint16_t code) { codes.push_back(code); });
  return codes;
}

std::vector<std::uint8_t> encodeImageData(
    const std::vector<std::uint8_t>& pixels, int minCodeSize,
    const LzwOptions& options) {
  std::vector<std::uint8_t> out;
  appendImageData(pixels.data(), pixels.size(), minCodeSize, options, out);
  return out;
}

void appendImageData(const std::uint8_t* pixels, std::size_t count,
                     int minCodeSize, const LzwOptions& options,
                     std::vector<std::uint8_t>& out) {
  checkArguments(pixels, count, minCodeSize);
  const std::size_t start = out.size();
  SubBlockWriter writer(out, options.subBlockSize);
  CodeWidthTracker widths(minCodeSize);
  try {
    out.push_back(static_cast<std::uint8_t>(minCodeSize));
    compress(pixels, count, minCodeSize, options.clearWhenFull,
             [&writer, &widths](std::uint16_t code) {
               writer.code(code, widths.width());
               widths.advance(code);
             });
    writer.finish();
    out.push_back(0);  // block terminator
  } catch (...) {
    out.resize(start);
    throw;
  }
}

}  // namespace gifenc

// The PNG reader alone, on bytes in memory and again through a 64-byte
// window: both readings must agree, every frame must lie inside the canvas
// with all its pixels written, and no more pixels may come out than the
// input's image data can inflate to.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_target.h"
#include "platform/memory_source.h"
#include "png/png_reader.h"

namespace {

// Deflate inflates a byte to at most 1032, and a byte of 1-bit samples holds
// 8 pixels.
constexpr std::uint64_t kMostPixelsPerInputByte = 1032 * 8;

std::uint64_t checkImage(const PngImage& image, std::size_t inputSize) {
  std::uint64_t pixels = 0;
  for (const PngFrame& frame : image.frames) {
    FUZZ_CHECK(frame.width > 0 && frame.height > 0);
    FUZZ_CHECK(std::uint64_t{frame.left} + frame.width <= image.width);
    FUZZ_CHECK(std::uint64_t{frame.top} + frame.height <= image.height);
    FUZZ_CHECK(frame.pixels.size() ==
               std::size_t{frame.width} * frame.height * image.bytesPerPixel());
    FUZZ_CHECK(frame.pixels.headroom() == PngFrame::kPixelHeadroom);
    checkInitialised(frame.pixels.data(), frame.pixels.size());
    pixels += std::uint64_t{frame.width} * frame.height;
  }
  FUZZ_CHECK(pixels <= kMostPixelsPerInputByte * inputSize);
  FUZZ_CHECK(image.paletteCount <= 256);
  checkInitialised(image.palette, sizeof image.palette);
  return pixels;
}

bool sameFrames(const PngImage& a, const PngImage& b) {
  if (a.frames.size() != b.frames.size()) return false;
  for (std::size_t i = 0; i < a.frames.size(); ++i) {
    const PngFrame& x = a.frames[i];
    const PngFrame& y = b.frames[i];
    if (x.left != y.left || x.top != y.top || x.width != y.width ||
        x.height != y.height || x.delayNumerator != y.delayNumerator ||
        x.delayDenominator != y.delayDenominator ||
        std::memcmp(x.pixels.data(), y.pixels.data(), x.pixels.size()) != 0) {
      return false;
    }
  }
  return std::memcmp(a.palette, b.palette, sizeof a.palette) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  startFuzzInput();
  PngLimits limits;
  limits.maxPixels = std::uint64_t{1} << 24;
  PngImage inMemory;
  PngInput memoryInput(data, size);
  const PngStatus status = readPng(memoryInput, limits, inMemory);
  const int code = static_cast<int>(status);
  FUZZ_CHECK(code >= 0 && code <= static_cast<int>(PngStatus::Unsupported));
  FUZZ_CHECK(status != PngStatus::Ok || !inMemory.frames.empty());
  checkImage(inMemory, size);

  startFuzzInput();
  platform::MemorySource source(data, size);
  std::uint8_t window[PngInput::kMinimumWindow];
  PngInput windowInput(source, window, sizeof window, size);
  PngImage windowed;
  FUZZ_CHECK(readPng(windowInput, limits, windowed) == status);
  FUZZ_CHECK(status != PngStatus::Ok || sameFrames(inMemory, windowed));
  return 0;
}

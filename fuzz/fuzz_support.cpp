#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "fuzz/fuzz_target.h"
#include "platform/byte_buffer.h"

void fuzzCheckFailed(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

LzwDecoder& startFuzzInput() {
  static const std::unique_ptr<LzwDecoder> decoder =
      std::make_unique<LzwDecoder>();
  *decoder = LzwDecoder{};
  platform::limitAllocatedBytes(kFuzzAllocationBudget);
  return *decoder;
}

std::uint32_t checkLoadedGif(const GifFile& gif, bool pixelsReleased) {
  std::uint32_t sum = 0;
  for (const GifFrame& frame : gif.frames) {
    FUZZ_CHECK(frame.pixelsDelivered <= frame.pixelCount());
    if (frame.pixels.isNull() && pixelsReleased) continue;
    FUZZ_CHECK(!frame.pixels.isNull());
    // The fast decoder may have been given room to write past the end.
    FUZZ_CHECK(frame.pixels.size() >= frame.pixelCount());
    if (frame.descriptor.field(ImageDescriptor::LocalColorTableFlag) != 0) {
      FUZZ_CHECK(frame.localColorTable.size() ==
                 3u * static_cast<std::size_t>(frame.descriptor.field(
                          ImageDescriptor::LocalColorTableSize)));
    }
    std::uint64_t delivered = 0;
    for (std::uint32_t y = 0; y < frame.height(); ++y) {
      const std::uint32_t inRow = frame.deliveredInRow(y);
      FUZZ_CHECK(inRow <= frame.width());
      delivered += inRow;
      const std::uint8_t* row =
          frame.pixels.data() + std::size_t{y} * frame.width();
      for (std::uint32_t x = 0; x < inRow; ++x) sum += row[x];
    }
    FUZZ_CHECK(delivered == frame.pixelsDelivered);
  }
  return sum;
}

// The FRM reader on bytes in memory, then frm2gif's picture of what it read.
// The reader may refuse anything, but what it accepts it must have read
// exactly (written again, the image gives back the input's bytes), and it
// may never allocate more than the input's size justifies. Each accepted
// direction that fits a GIF is encoded and decoded again, and must hold the
// sprite's frames.
#include <cstring>
#include <vector>

#include "color/palette.h"
#include "frm/frm_reader.h"
#include "frm2gif/sprite_gif.h"
#include "frm2gif/sprite_layout.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_target.h"
#include "platform/byte_buffer.h"
#include "platform/byte_sink.h"
#include "platform/memory_source.h"

namespace {

// Compares what is written with the input, byte for byte, as it arrives.
class ComparingSink : public platform::ByteSink {
 public:
  ComparingSink(const std::uint8_t* expected, std::size_t size)
      : expected_(expected), size_(size) {}

  bool write(const void* bytes, std::size_t size) override {
    FUZZ_CHECK(size <= size_ - written_);
    FUZZ_CHECK(size == 0 ||
               std::memcmp(bytes, expected_ + written_, size) == 0);
    written_ += size;
    return true;
  }

  bool complete() const { return written_ == size_; }

 private:
  const std::uint8_t* expected_;
  std::size_t size_;
  std::size_t written_ = 0;
};

// Frames up to this many pixels in all are encoded; larger accepted
// sprites only cost time.
constexpr std::uint64_t kMostPixelsShown = 1u << 20;

void checkShownDirection(const FrmImage& image, int direction,
                         const PaletteColors& colors, LzwDecoder& decoder) {
  const DirectionPicture layout = layOutDirection(image, direction);
  FUZZ_CHECK(layout.frames.size() == image.framesPerDirection);
  if (!layout.fitsGif()) return;
  const std::vector<std::uint8_t> bytes =
      directionGif(image, direction, layout, colors);
  checkInitialised(bytes.data(), bytes.size());
  GifFile gif;
  GifInput input(bytes.data(), bytes.size());
  FUZZ_CHECK(gif.load(input, decoder) == GifStatus::Ok);
  FUZZ_CHECK(gif.frames.size() == image.framesPerDirection);
  const std::uint32_t first = std::uint32_t{image.framesPerDirection} *
                              static_cast<std::uint32_t>(direction);
  for (std::size_t k = 0; k < gif.frames.size(); ++k) {
    const FrmFrame& frame = *image.frames[first + k];
    const GifFrame& shown = gif.frames[k];
    FUZZ_CHECK(shown.descriptor.left + shown.width() <= gif.screen.width);
    FUZZ_CHECK(shown.descriptor.top + shown.height() <= gif.screen.height);
    if (frame.pixelCount == 0) {
      FUZZ_CHECK(shown.pixelCount() == 1 && shown.pixels.data()[0] == 0);
      continue;
    }
    FUZZ_CHECK(shown.pixelsDelivered == frame.pixelCount);
    FUZZ_CHECK(std::memcmp(shown.pixels.data(), frame.pixels(),
                           frame.pixelCount) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  LzwDecoder& decoder = startFuzzInput();
  FrmImage image;
  platform::MemorySource source(data, size);
  // The frame array (8 bytes a frame, whose header alone takes 12) and the
  // frames (within the frame area) never need twice the input.
  platform::limitAllocatedBytes(2 * std::uint64_t{size} + 64);
  const FrmReadStatus status = readFrm(source, size, image);
  platform::limitAllocatedBytes(kFuzzAllocationBudget);
  FUZZ_CHECK(status != FrmReadStatus::NoMemory);
  FUZZ_CHECK(status != FrmReadStatus::ReadFailed);
  if (status != FrmReadStatus::Ok) return 0;

  ComparingSink sink(data, size);
  FUZZ_CHECK(image.write(sink) == 0);
  FUZZ_CHECK(sink.complete());

  if (image.frameAreaSize > kMostPixelsShown) return 0;
  PaletteColors colors;
  std::memcpy(colors.data(), loadPalette(), colors.size());
  for (int d = 0; d < frmDirectionCount(image); ++d) {
    checkShownDirection(image, d, colors, decoder);
  }
  return 0;
}

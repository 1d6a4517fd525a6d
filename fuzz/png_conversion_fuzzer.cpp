// The conversion of any input in memory (convertBytes), aimed at PNG and
// APNG: options from the input's first bytes (fuzz_options.h; a PNG file
// itself converts with the default options), the FRM image serialised. For
// a PNG the reader is run alone as well, and the conversion must agree with
// what it read: the same refusal; a sprite refused only for a reason its
// options and pixels give; otherwise one FRM frame per PNG frame, of its
// size and place (trimmed to the same visible pixels with -c), each pixel 0
// exactly where the source pixel is transparent (alpha below -t=, or an
// index with no colour), the indices themselves with -n, and with
// -m=nearest the nearest entry by a plain search. The header must describe
// the frame area, and every byte written must be initialised.
#include <cstring>
#include <memory>
#include <vector>

#include "color/palette.h"
#include "color/palette_lab.h"
#include "frm/frm_records.h"
#include "fuzz/fuzz_options.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_target.h"
#include "gif2frm/conversion.h"
#include "platform/byte_sink.h"
#include "png/png_reader.h"

namespace {

// Counts and checks the serialised bytes; keeps the header.
class CheckingSink : public platform::ByteSink {
 public:
  bool write(const void* bytes, std::size_t size) override {
    checkInitialised(bytes, size);
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    for (std::size_t i = 0; i < size && head.size() < sizeof(FrmHeader); ++i) {
      head.push_back(begin[i]);
    }
    total += size;
    return true;
  }
  std::vector<std::uint8_t> head;
  std::uint64_t total = 0;
};

std::uint32_t bigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
         std::uint32_t{p[2]} << 8 | p[3];
}

// The serialised header against the image: the frame area holds every
// frame's record, and each direction starts where the ones before it end.
void checkSerialised(const FrmImage& image) {
  CheckingSink sink;
  FUZZ_CHECK(image.write(sink) == 0);
  FUZZ_CHECK(sink.head.size() == sizeof(FrmHeader));
  std::uint64_t area = 0;
  std::vector<std::uint64_t> starts;
  for (std::size_t k = 0; k < image.frameCount(); ++k) {
    if (k % image.framesPerDirection == 0) starts.push_back(area);
    const FrmFrame& frame = *image.frames[k];
    FUZZ_CHECK(frame.pixelCount == std::uint32_t{frame.width} * frame.height);
    area += sizeof(FrmFrameHeader) + frame.pixelCount;
  }
  FUZZ_CHECK(bigEndian32(&sink.head[58]) == area);
  FUZZ_CHECK(sink.total == sizeof(FrmHeader) + area);
  for (std::size_t d = 0; d < starts.size(); ++d) {
    FUZZ_CHECK(bigEndian32(&sink.head[34 + 4 * d]) == starts[d]);
  }
}

std::int16_t low16(std::int32_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

bool isPng(const FuzzInput& input) {
  return input.gifSize >= kPngSignatureLength && isPngSignature(input.gif);
}

// What a source pixel must become: whether it is 0, and with -n the index.
struct Expected {
  bool zero;
  std::uint8_t index;
};

Expected expectedPixel(const PngImage& png, const PngFrame& frame,
                       std::size_t i, const Options& options) {
  const std::uint8_t threshold = options.alphaThreshold;
  if (!png.indexed) {
    return {frame.pixels.data()[4 * i + 3] < threshold, 0};
  }
  const std::uint8_t index = frame.pixels.data()[i];
  const bool clear = png.palette[index][3] < threshold;
  if (!options.translateColors) {
    return {clear || index == 0, clear ? std::uint8_t{0} : index};
  }
  return {clear || index >= png.paletteCount, 0};
}

// -m=nearest by a plain search over every entry, for a bounded number of
// pixels per input.
class NearestCheck {
 public:
  explicit NearestCheck(const Options& options)
      : active_(options.translateColors &&
                options.matchMode == ColorMatch::Nearest) {}

  void check(const PngImage& png, const PngFrame& frame, std::size_t i,
             std::uint8_t entry) {
    if (!active_ || budget_ == 0) return;
    --budget_;
    static const PaletteLab lab(loadPalette());
    const std::uint8_t* rgb = png.indexed ? png.palette[frame.pixels.data()[i]]
                                          : frame.pixels.data() + 4 * i;
    FUZZ_CHECK(entry == lab.nearest(rgb[0], rgb[1], rgb[2]));
  }

 private:
  bool active_;
  int budget_ = 2048;
};

// Without -c: each frame of the source's size, at its place, its pixels as
// expected. With -c: no larger, and holding the same number of visible
// pixels.
void checkFrames(const PngImage& png, const FrmImage& image,
                 const Options& options) {
  FUZZ_CHECK(image.frameCount() == png.frames.size());
  NearestCheck nearest(options);
  std::int32_t previousX = 0, previousY = 0;
  for (std::size_t k = 0; k < png.frames.size(); ++k) {
    const PngFrame& source = png.frames[k];
    const FrmFrame& frame = *image.frames[k];
    const std::size_t count = std::size_t{source.width} * source.height;
    std::size_t visible = 0, kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const Expected expected = expectedPixel(png, source, i, options);
      if (!expected.zero) ++visible;
      if (options.trim) continue;
      const std::uint8_t entry = frame.pixels()[i];
      if (!options.translateColors) {
        FUZZ_CHECK(entry == expected.index);
      } else {
        FUZZ_CHECK(expected.zero ? entry == 0 : entry >= 1 && entry <= 228);
        if (!expected.zero) nearest.check(png, source, i, entry);
      }
    }
    for (std::uint32_t i = 0; i < frame.pixelCount; ++i) {
      kept += frame.pixels()[i] != 0;
    }
    FUZZ_CHECK(kept == visible);
    FUZZ_CHECK(frame.width <= source.width && frame.height <= source.height);
    if (options.trim) continue;
    FUZZ_CHECK(frame.width == source.width && frame.height == source.height);
    if (k % image.framesPerDirection == 0) previousX = previousY = 0;
    const auto x =
        static_cast<std::int32_t>(source.left - (png.width - source.width) / 2);
    const auto y = static_cast<std::int32_t>(source.top + source.height) -
                   static_cast<std::int32_t>(png.height);
    FUZZ_CHECK(frame.offsetX == low16(x - previousX));
    FUZZ_CHECK(frame.offsetY == low16(y - previousY));
    previousX = x;
    previousY = y;
  }
}

// A sprite refused although the PNG was read: only for what the options
// and the image give.
void checkRefusal(const RunOutcome& outcome, const PngImage& png,
                  const Options& options) {
  const std::size_t frames = png.frames.size();
  switch (outcome.sprite) {
    case SpriteStatus::NoMemory:
      return;
    case SpriteStatus::ImagesNotDivisible:
      FUZZ_CHECK(options.sixDirectionsInOne && frames % 6 != 0);
      return;
    case SpriteStatus::ActionFrameOutOfRange:
      FUZZ_CHECK(options.hasActionFrame);
      return;
    case SpriteStatus::NeedsIndices:
      FUZZ_CHECK(!options.translateColors && !png.indexed);
      return;
    case SpriteStatus::CantTranslate:
      FUZZ_CHECK(options.translateColors &&
                 options.matchMode == ColorMatch::FirstWithinDelta);
      return;
    default:
      fuzzCheckFailed("a sprite outcome a PNG that was read cannot have");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const FuzzInput input = splitFuzzInput(data, size);
  const bool png = isPng(input);
  const auto read = std::make_unique<PngImage>();
  PngStatus readStatus = PngStatus::NotPng;
  if (png) {
    startFuzzInput();
    PngInput bytes(input.gif, input.gifSize);
    readStatus = readPng(bytes, PngLimits{}, *read);
  }

  LzwDecoder& decoder = startFuzzInput();
  FrmImage image;
  const RunOutcome outcome =
      convertBytes(input.gif, input.gifSize, input.options, image, decoder);
  FUZZ_CHECK(outcome.step == RunStep::Done || outcome.step == RunStep::Read ||
             outcome.step == RunStep::Sprite ||
             outcome.step == RunStep::NoMemory);
  if (outcome.done()) {
    FUZZ_CHECK(image.directionCount() ==
               (input.options.sixDirectionsInOne ? 6 : 1));
    FUZZ_CHECK(image.actionFrame < image.framesPerDirection);
    checkSerialised(image);
  }
  if (!png || readStatus == PngStatus::NoMemory ||
      outcome.png == PngStatus::NoMemory || outcome.step == RunStep::NoMemory) {
    return 0;
  }
  // The converter read the same PNG as the reader alone.
  FUZZ_CHECK(outcome.png == readStatus);
  FUZZ_CHECK((outcome.step == RunStep::Read) == (readStatus != PngStatus::Ok));
  if (outcome.step == RunStep::Sprite) {
    checkRefusal(outcome, *read, input.options);
  } else if (outcome.done()) {
    FUZZ_CHECK(input.options.translateColors || read->indexed);
    checkFrames(*read, image, input.options);
  }
  return 0;
}

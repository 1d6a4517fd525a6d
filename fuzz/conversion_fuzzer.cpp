// The whole conversion in memory: the GIF loaded, the FRM image assembled
// and serialised, with options from the input's first bytes. The conversion
// maps colours while the GIF is decoded where it can; the same conversion
// with the GIF loaded as its indices and mapped afterwards must end the same
// way, with the same bytes.
#include <memory>
#include <vector>

#include "frm/byte_order.h"
#include "frm/frm_records.h"
#include "fuzz/fuzz_options.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_target.h"
#include "gif2frm/conversion.h"
#include "gif2frm/frame_assembly.h"
#include "gif2frm/gif_source.h"
#include "gif2frm/sprite_assembly.h"
#include "platform/byte_buffer.h"
#include "platform/byte_sink.h"

namespace {

// Counts the bytes and keeps the first ones: the header is all the checks
// below need, and a copy of a frame area of gigabytes would only cost time.
class HeaderSink : public platform::ByteSink {
 public:
  bool write(const void* bytes, std::size_t size) override {
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    checkInitialised(bytes, size);
    std::size_t keep = head.size() < kKept ? kKept - head.size() : 0;
    if (keep > size) keep = size;
    head.insert(head.end(), begin, begin + keep);
    std::uint32_t sum = 0;  // every byte is read, uninitialised ones too
    std::uint64_t hash = fingerprint;
    for (std::size_t i = 0; i < size; ++i) {
      sum += begin[i];
      hash = (hash ^ begin[i]) * 0x100000001B3u;  // FNV-1a
    }
    checksum += sum;
    fingerprint = hash;
    total += size;
    return true;
  }

  static constexpr std::size_t kKept = 62;
  std::vector<std::uint8_t> head;
  std::uint64_t total = 0;
  std::uint32_t checksum = 0;
  std::uint64_t fingerprint = 0xCBF29CE484222325u;
};

// The conversion with the GIF's pixels loaded as its indices, mapped by the
// assembly in a pass of their own, from a fresh dictionary.
RunOutcome convertInTwoPasses(const FuzzInput& input, FrmImage& image) {
  static const std::unique_ptr<LzwDecoder> decoder =
      std::make_unique<LzwDecoder>();
  *decoder = LzwDecoder{};
  platform::limitAllocatedBytes(kFuzzAllocationBudget);
  GifFile gif;
  SpriteAssembly sprite(input.options, image);
  RunOutcome outcome;
  if (sprite.inputCount() != 1) {
    outcome.step = RunStep::Options;
    outcome.option = OptionStatus::MissingDirectionFile;
    return outcome;
  }
  GifInput bytes(input.gif, input.gifSize);
  outcome = loadGif(bytes, gif, *decoder);
  if (!outcome.done()) return outcome;
  SourceImage source;
  describeGif(gif, source);
  outcome.sprite = sprite.add(source);
  if (outcome.sprite != SpriteStatus::Ok) {
    outcome.step = RunStep::Sprite;
    outcome.argument = sprite.detail();
  }
  return outcome;
}

bool sameOutcome(const RunOutcome& a, const RunOutcome& b) {
  return a.step == b.step && a.option == b.option && a.gif == b.gif &&
         a.sprite == b.sprite && a.argument == b.argument;
}

std::uint32_t bigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
         std::uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const FuzzInput input = splitFuzzInput(data, size);
  LzwDecoder& decoder = startFuzzInput();
  GifFile gif;
  FrmImage image;
  const RunOutcome outcome =
      convertGif(input.gif, input.gifSize, input.options, gif, image, decoder);
  checkLoadedGif(gif, true);
  FrmImage twoPassImage;
  FUZZ_CHECK(sameOutcome(convertInTwoPasses(input, twoPassImage), outcome));
  switch (outcome.step) {
    case RunStep::Done:
      break;
    case RunStep::Read:
      return 0;
    case RunStep::Sprite:
      switch (outcome.sprite) {
        case SpriteStatus::NoImage:
        case SpriteStatus::TooLarge:
        case SpriteStatus::CantTranslate:
        case SpriteStatus::NoMemory:
          return 0;
        case SpriteStatus::ImagesNotDivisible:
          FUZZ_CHECK(input.options.sixDirectionsInOne);
          FUZZ_CHECK(gif.frames.size() % 6 != 0);
          return 0;
        case SpriteStatus::ActionFrameOutOfRange:
          FUZZ_CHECK(input.options.hasActionFrame);
          return 0;
        default:
          break;
      }
      fuzzCheckFailed("a sprite outcome the conversion cannot have");
      return 0;
    default:
      fuzzCheckFailed("an outcome the conversion cannot have");
  }

  const std::size_t directions = input.options.sixDirectionsInOne ? 6 : 1;
  FUZZ_CHECK(image.directionCount() == static_cast<int>(directions));
  FUZZ_CHECK(image.frameCount() == gif.frames.size());
  FUZZ_CHECK(gif.frames.size() <= directions * kFrmMaxFramesPerDirection);
  FUZZ_CHECK(image.actionFrame < image.framesPerDirection);
  HeaderSink sink;
  FUZZ_CHECK(image.write(sink) == 0);
  FUZZ_CHECK(sink.head.size() == HeaderSink::kKept);
  const std::uint32_t frameAreaSize = bigEndian32(&sink.head[58]);
  FUZZ_CHECK(sink.total == 62u + std::uint64_t{frameAreaSize});
  // Each direction starts where the ones before it end, in order.
  for (std::size_t d = 1; d < directions; ++d) {
    FUZZ_CHECK(bigEndian32(&sink.head[34 + 4 * d]) >
               bigEndian32(&sink.head[34 + 4 * (d - 1)]));
  }
  FUZZ_CHECK(bigEndian32(&sink.head[34 + 4 * (directions - 1)]) <
             frameAreaSize);
  HeaderSink twoPassSink;
  FUZZ_CHECK(twoPassImage.write(twoPassSink) == 0);
  FUZZ_CHECK(twoPassSink.total == sink.total);
  FUZZ_CHECK(twoPassSink.fingerprint == sink.fingerprint);
  volatile std::uint32_t checksum = sink.checksum;
  (void)checksum;
  return 0;
}

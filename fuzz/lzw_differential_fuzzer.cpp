// The fast LZW decoder against the plain one, which defines what decoding
// means: on every input both must give the same status, the same delivered
// pixels and count, leave the input at the same place and the dictionary in
// the same state. An input that starts with "GIF" is loaded whole, twice;
// any other input is image data: two bytes of frame size, then the data,
// decoded twice in a row so that the second decode meets the dictionary the
// first one left.
//
// Either way the GIF (image data gets a header of its own) is also loaded by
// the production decoder with every image stored through a translation
// table: it must deliver the plain decoder's GIF indices, each through the
// table.
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_target.h"
#include "gif/gif_file.h"
#include "gif/lzw_decoder.h"
#include "platform/byte_buffer.h"

namespace {

void checkSameDictionary(const LzwDecoder& fast, const LzwDecoder& plain) {
  FUZZ_CHECK(std::memcmp(fast.prefix, plain.prefix, sizeof fast.prefix) == 0);
  FUZZ_CHECK(std::memcmp(fast.suffix, plain.suffix, sizeof fast.suffix) == 0);
}

void checkSameFrame(const GifFrame& fast, const GifFrame& plain) {
  FUZZ_CHECK(fast.pixelsDelivered == plain.pixelsDelivered);
  FUZZ_CHECK(fast.pixels.isNull() == plain.pixels.isNull());
  if (fast.pixels.isNull()) return;
  for (std::uint32_t y = 0; y < fast.height(); ++y) {
    const std::uint32_t inRow = fast.deliveredInRow(y);
    const std::size_t start = std::size_t{y} * fast.width();
    FUZZ_CHECK(std::memcmp(fast.pixels.data() + start,
                           plain.pixels.data() + start, inRow) == 0);
  }
}

void compareWholeGifs(const std::uint8_t* data, std::size_t size,
                      LzwDecoder& fast, LzwDecoder& plain) {
  GifFile a;
  GifFile b;
  GifInput inputA(data, size);
  GifInput inputB(data, size);
  const GifStatus statusA = a.load(inputA, fast);
  // Each load gets the whole allocation budget.
  platform::limitAllocatedBytes(kFuzzAllocationBudget);
  FUZZ_CHECK(statusA == b.load(inputB, plain));
  FUZZ_CHECK(inputA.position() == inputB.position());
  FUZZ_CHECK(a.frames.size() == b.frames.size());
  for (std::size_t k = 0; k < a.frames.size(); ++k) {
    checkSameFrame(a.frames[k], b.frames[k]);
  }
  checkSameDictionary(fast, plain);
}

// A table per image that moves every index somewhere else, different from
// one image to the next.
class ScrambledTables : public PixelTranslation {
 public:
  static std::uint8_t storedAs(std::size_t image, std::uint8_t index) {
    return static_cast<std::uint8_t>(index * 151u + 89u + 2u * image);
  }
  const std::uint8_t* tableFor(const GifFile& gif, const GifFrame&) override {
    for (int i = 0; i < 256; ++i) {
      table_[i] = storedAs(gif.frames.size(), static_cast<std::uint8_t>(i));
    }
    return table_;
  }

 private:
  std::uint8_t table_[256] = {};
};

void compareTranslatedLoad(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<LzwDecoder> fast =
      std::make_unique<LzwDecoder>();
  static const std::unique_ptr<LzwDecoder> plain =
      std::make_unique<LzwDecoder>();
  *fast = LzwDecoder{};
  *plain = LzwDecoder{};
  plain->plainOnly = true;
  ScrambledTables tables;
  GifFile a;
  GifFile b;
  GifInput inputA(data, size);
  GifInput inputB(data, size);
  platform::limitAllocatedBytes(kFuzzAllocationBudget);
  const GifStatus statusA = a.load(inputA, *fast, &tables);
  platform::limitAllocatedBytes(kFuzzAllocationBudget);
  FUZZ_CHECK(statusA == b.load(inputB, *plain));
  FUZZ_CHECK(inputA.position() == inputB.position());
  FUZZ_CHECK(a.frames.size() == b.frames.size());
  for (std::size_t k = 0; k < a.frames.size(); ++k) {
    const GifFrame& stored = a.frames[k];
    const GifFrame& indices = b.frames[k];
    FUZZ_CHECK(stored.pixelsTranslated && !indices.pixelsTranslated);
    FUZZ_CHECK(stored.pixelsDelivered == indices.pixelsDelivered);
    for (std::uint32_t y = 0; y < stored.height(); ++y) {
      const std::size_t start = std::size_t{y} * stored.width();
      for (std::uint32_t x = 0; x < stored.deliveredInRow(y); ++x) {
        FUZZ_CHECK(
            stored.pixels.data()[start + x] ==
            ScrambledTables::storedAs(k, indices.pixels.data()[start + x]));
      }
    }
  }
  checkSameDictionary(*fast, *plain);
}

// The image data as the only image of a GIF of its size.
std::vector<std::uint8_t> wrapImageData(const std::uint8_t* data,
                                        std::size_t size, std::uint16_t width,
                                        std::uint16_t height) {
  const auto lo = [](std::uint16_t v) { return std::uint8_t(v & 0xFF); };
  const auto hi = [](std::uint16_t v) { return std::uint8_t(v >> 8); };
  std::vector<std::uint8_t> gif = {
      'G', 'I', 'F', '8', '9', 'a', lo(width), hi(width), lo(height),
      hi(height), 0, 0, 0,
      // image descriptor at (0, 0), no local table, not interlaced
      0x2C, 0, 0, 0, 0, lo(width), hi(width), lo(height), hi(height), 0};
  gif.insert(gif.end(), data, data + size);
  gif.push_back(0x3B);
  return gif;
}

// Image data decoded into width x height pixels with the slack the reader
// gives them.
struct DecodedData {
  std::vector<std::uint8_t> pixels;
  LzwOutput output;
  LzwStatus status = LzwStatus::Ok;
  std::uint64_t position = 0;
};

void decodeImageData(const std::uint8_t* data, std::size_t size,
                     LzwDecoder& decoder, DecodedData& decoded,
                     std::uint16_t width, std::uint16_t height) {
  decoded.pixels.assign(std::size_t{width} * height + LzwDecoder::kOutputSlack,
                        0);
  decoded.output = LzwOutput{};
  decoded.output.pixels = decoded.pixels.data();
  decoded.output.lineLength = width;
  decoded.output.lineCount = height;
  decoded.output.slack = LzwDecoder::kOutputSlack;
  GifInput input(data, size);
  decoded.status = decoder.decode(input, decoded.output);
  decoded.position = input.position();
}

void compareImageData(const std::uint8_t* data, std::size_t size,
                      LzwDecoder& fast, LzwDecoder& plain) {
  // Small frames, so that overflows and partial lines are common.
  const auto width = static_cast<std::uint16_t>(data[0] % 40);
  const auto height = static_cast<std::uint16_t>(data[1] % 40);
  data += 2;
  size -= 2;
  DecodedData a;
  DecodedData b;
  for (int round = 0; round < 2; ++round) {
    decodeImageData(data, size, fast, a, width, height);
    decodeImageData(data, size, plain, b, width, height);
    FUZZ_CHECK(a.status == b.status);
    FUZZ_CHECK(a.position == b.position);
    FUZZ_CHECK(a.output.delivered == b.output.delivered);
    FUZZ_CHECK(a.output.delivered <= std::uint64_t{width} * height);
    // The rows come in order: the delivered pixels are the first ones
    // (their count fits size_t: it is at most the buffer's size).
    FUZZ_CHECK(std::memcmp(a.pixels.data(), b.pixels.data(),
                           static_cast<std::size_t>(a.output.delivered)) == 0);
    checkSameDictionary(fast, plain);
  }
  const std::vector<std::uint8_t> gif =
      wrapImageData(data, size, width, height);
  compareTranslatedLoad(gif.data(), gif.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  LzwDecoder& fast = startFuzzInput();
  static const std::unique_ptr<LzwDecoder> plain =
      std::make_unique<LzwDecoder>();
  *plain = LzwDecoder{};
  plain->plainOnly = true;
  if (size >= 3 && std::memcmp(data, "GIF", 3) == 0) {
    compareWholeGifs(data, size, fast, *plain);
    compareTranslatedLoad(data, size);
  } else if (size >= 2) {
    compareImageData(data, size, fast, *plain);
  }
  return 0;
}

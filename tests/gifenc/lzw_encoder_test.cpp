#include "gif/encoder/lzw_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

#include "gif/encoder/code_stream.h"
#include "gif/encoder/code_widths.h"
#include "gifenc/reference_decoder.h"

namespace gifenc {
namespace {

using Bytes = std::vector<std::uint8_t>;
using gifenc_test::referenceDecode;

Bytes randomPixels(std::size_t count, int minCodeSize, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> pick(0, (1 << minCodeSize) - 1);
  Bytes pixels(count);
  for (auto& p : pixels) p = static_cast<std::uint8_t>(pick(rng));
  return pixels;
}

TEST(GifencLzwEncoderTest, TinyImagesGiveHandComputedStreams) {
  // Nothing to encode: clear, end.
  EXPECT_EQ(lzwCodes({}, 2), (std::vector<std::uint16_t>{4, 5}));
  // 0 0 0 0: "0", then "00" (slot 6, used before the decoder has it), "0".
  EXPECT_EQ(lzwCodes({0, 0, 0, 0}, 2),
            (std::vector<std::uint16_t>{4, 0, 6, 0, 5}));
  // Widths 3,3,3,3 then 4 for the end code: 100 000 110 000 0101.
  EXPECT_EQ(encodeImageData({0, 0, 0, 0}, 2), (Bytes{2, 2, 0x84, 0x51, 0}));
}

TEST(GifencLzwEncoderTest, RoundTripsThroughReferenceDecoder) {
  struct Case {
    int minCodeSize;
    std::size_t count;
  };
  for (const Case& c :
       {Case{2, 1}, Case{2, 3000}, Case{3, 5000}, Case{4, 20000}, Case{8, 1},
        Case{8, 30000}, Case{11, 5000}}) {
    SCOPED_TRACE(c.minCodeSize);
    SCOPED_TRACE(c.count);
    const Bytes pixels = randomPixels(c.count, std::min(c.minCodeSize, 8),
                                      static_cast<unsigned>(c.count));
    EXPECT_EQ(referenceDecode(encodeImageData(pixels, c.minCodeSize)), pixels);
  }
}

TEST(GifencLzwEncoderTest, RoundTripsRunsAndRepeats) {
  // Long runs exercise codes used the moment they are made, and chains of
  // them; a repeated pattern reaches long strings.
  Bytes runs(70000, 3);
  runs[1000] = 1;
  EXPECT_EQ(referenceDecode(encodeImageData(runs, 2)), runs);

  Bytes pattern;
  for (int i = 0; i < 50000; ++i)
    pattern.push_back(static_cast<std::uint8_t>(i % 37));
  EXPECT_EQ(referenceDecode(encodeImageData(pattern, 6)), pattern);
}

TEST(GifencLzwEncoderTest, FullDictionaryClearsOrKeepsGoing) {
  const Bytes pixels = randomPixels(40000, 8, 7);
  const auto clears = [](const std::vector<std::uint16_t>& codes) {
    return std::count(codes.begin(), codes.end(), std::uint16_t{256});
  };
  EXPECT_GT(clears(lzwCodes(pixels, 8, true)), 2);
  EXPECT_EQ(clears(lzwCodes(pixels, 8, false)), 1);

  for (bool clearWhenFull : {true, false}) {
    SCOPED_TRACE(clearWhenFull);
    const Bytes data = encodeImageData(pixels, 8, {clearWhenFull, 255});
    EXPECT_EQ(referenceDecode(data), pixels);
  }
}

TEST(GifencLzwEncoderTest, SmallSubBlocksCarryTheSameStream) {
  const Bytes pixels = randomPixels(500, 4, 3);
  const Bytes data = encodeImageData(pixels, 4, {true, 2});
  EXPECT_EQ(data[1], 2);
  EXPECT_EQ(referenceDecode(data), pixels);
  EXPECT_EQ(gifenc_test::joinSubBlocks(data, 1),
            gifenc_test::joinSubBlocks(encodeImageData(pixels, 4), 1));
}

TEST(GifencLzwEncoderTest, RejectsPixelsOutsideTheCodeSize) {
  EXPECT_THROW(lzwCodes({0, 4}, 2), std::invalid_argument);
  EXPECT_THROW(lzwCodes({0}, 1), std::invalid_argument);
}

// The image data is written as the codes come; it must be the code values,
// paired with their widths and packed only afterwards.
TEST(GifencLzwEncoderTest, StreamedDataEqualsCodesPackedAfterwards) {
  struct Case {
    Bytes pixels;
    int minCodeSize;
    LzwOptions options;
  };
  const Bytes noise = randomPixels(40000, 8, 11);
  const std::vector<Case> cases{
      {{}, 2, {}},
      {Bytes(70000, 1), 2, {}},  // long strings, few codes
      {randomPixels(3000, 2, 1), 2, {true, 1}},
      {randomPixels(5000, 5, 2), 5, {true, 7}},
      {noise, 8, {true, 255}},   // several clears, 12-bit codes
      {noise, 8, {false, 255}},  // full dictionary kept
      {randomPixels(9000, 8, 3), 11, {true, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pixels.size());
    SCOPED_TRACE(c.minCodeSize);
    const Bytes expected =
        CodeStream(static_cast<std::uint8_t>(c.minCodeSize),
                   c.options.subBlockSize)
            .codes(withWidths(c.minCodeSize, lzwCodes(c.pixels, c.minCodeSize,
                                                      c.options.clearWhenFull)))
            .bytes();
    EXPECT_EQ(encodeImageData(c.pixels, c.minCodeSize, c.options), expected);
  }
}

TEST(GifencLzwEncoderTest, AppendsAfterWhatIsThereAndKeepsItOnBadArguments) {
  const Bytes pixels = randomPixels(2000, 3, 4);
  Bytes out{9, 9};
  appendImageData(pixels.data(), pixels.size(), 3, {}, out);
  Bytes expected{9, 9};
  const Bytes data = encodeImageData(pixels, 3);
  expected.insert(expected.end(), data.begin(), data.end());
  EXPECT_EQ(out, expected);

  out = {9, 9};
  // Pixel 8 needs four bits.
  const Bytes tooWide{0, 8};
  EXPECT_THROW(appendImageData(tooWide.data(), tooWide.size(), 3, {}, out),
               std::invalid_argument);
  // Sub-blocks hold 1 to 255 bytes.
  EXPECT_THROW(appendImageData(pixels.data(), pixels.size(), 3, {true, 0}, out),
               std::invalid_argument);
  EXPECT_EQ(out, (Bytes{9, 9}));
}

}  // namespace
}  // namespace gifenc

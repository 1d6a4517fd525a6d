#include "gif/encoder/code_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

namespace gifenc {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(GifencPackerTest, PacksLowBitsFirstAcrossBytes) {
  // 4 = 100, 1 = 001, 5 = 101: bits 0-2, 3-5, 6-8; the third code's top bit
  // spills into the second byte.
  EXPECT_EQ(packBits({{4, 3}, {1, 3}, {5, 3}}), (Bytes{0x4C, 0x01}));
  // A 12-bit code puts its low byte first.
  EXPECT_EQ(packBits({{0xABC, 12}, {0x5, 4}}), (Bytes{0xBC, 0x5A}));
  // Bits above a code's width are dropped, not smeared into the next code.
  EXPECT_EQ(packBits({{0xFF, 2}, {0, 6}}), (Bytes{0x03}));
  EXPECT_TRUE(packBits({}).empty());
}

TEST(GifencPackerTest, SplitsIntoSubBlocksOfAtMostMaxSize) {
  const Bytes data{1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(toSubBlocks(data, 3), (Bytes{3, 1, 2, 3, 3, 4, 5, 6, 1, 7}));
  EXPECT_EQ(toSubBlocks(data, 1),
            (Bytes{1, 1, 1, 2, 1, 3, 1, 4, 1, 5, 1, 6, 1, 7}));
  EXPECT_EQ(toSubBlocks(data), (Bytes{7, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_TRUE(toSubBlocks({}, 3).empty());

  const Bytes big(600, 0xAA);
  const Bytes blocks = toSubBlocks(big);
  ASSERT_EQ(blocks.size(), 603u);
  EXPECT_EQ(blocks[0], 255);
  EXPECT_EQ(blocks[256], 255);
  EXPECT_EQ(blocks[512], 90);
}

TEST(GifencPackerTest, CodeStreamFramesCodesAndRawBytes) {
  EXPECT_EQ(CodeStream(2).codes({{4, 3}, {1, 3}, {5, 3}}).bytes(),
            (Bytes{2, 2, 0x4C, 0x01, 0}));
  EXPECT_EQ(CodeStream(2).codes({{4, 3}, {1, 3}, {5, 3}}).bytes(false),
            (Bytes{2, 2, 0x4C, 0x01}));
  // Raw bytes close the pending codes first; later codes start a fresh byte
  // in a fresh sub-block.
  EXPECT_EQ(CodeStream(2, 1)
                .codes({{4, 3}, {1, 3}, {5, 3}})
                .raw({0})
                .code(5, 3)
                .bytes(),
            (Bytes{2, 1, 0x4C, 1, 0x01, 0, 1, 0x05, 0}));
  // Invalid minimum code sizes are written as given.
  EXPECT_EQ(CodeStream(255).bytes(), (Bytes{255, 0}));
}

TEST(GifencPackerTest, SubBlockWriterMatchesPackingThenCutting) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> pickWidth(1, 16);
  std::uniform_int_distribution<int> pickValue(0, 0xFFFF);
  std::vector<Code> codes;
  for (int i = 0; i < 700; ++i) {
    codes.push_back(
        Code{static_cast<std::uint16_t>(pickValue(rng)), pickWidth(rng)});
  }
  for (std::size_t size : {std::size_t{1}, std::size_t{3}, std::size_t{255}}) {
    SCOPED_TRACE(size);
    Bytes out{7, 7};  // bytes already there stay in front
    SubBlockWriter writer(out, size);
    for (const Code& c : codes) writer.code(c.value, c.width);
    writer.finish();
    Bytes expected{7, 7};
    const Bytes blocks = toSubBlocks(packBits(codes), size);
    expected.insert(expected.end(), blocks.begin(), blocks.end());
    EXPECT_EQ(out, expected);
  }
  // A stream that fills its last sub-block exactly opens no empty one.
  Bytes out;
  SubBlockWriter writer(out, 2);
  writer.code(0xABCD, 16);
  writer.finish();
  EXPECT_EQ(out, (Bytes{2, 0xCD, 0xAB}));

  EXPECT_THROW(SubBlockWriter(out, 0), std::invalid_argument);
  EXPECT_THROW(SubBlockWriter(out, 256), std::invalid_argument);
  EXPECT_THROW(writer.code(0, 0), std::invalid_argument);
  EXPECT_THROW(writer.code(0, 17), std::invalid_argument);
}

}  // namespace
}  // namespace gifenc

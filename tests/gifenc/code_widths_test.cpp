#include "gif/encoder/code_widths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace gifenc {
namespace {

std::vector<int> widthsOf(int minCodeSize,
                          const std::vector<std::uint16_t>& values) {
  std::vector<int> widths;
  for (const Code& c : withWidths(minCodeSize, values)) {
    widths.push_back(c.width);
    EXPECT_EQ(c.value, values[widths.size() - 1]);
  }
  return widths;
}

TEST(GifencWidthsTest, FirstCodeAfterClearAddsNoEntry) {
  // Clear 4, end 5, first slot 6: the second code after the clear adds slot
  // 6, the third slot 7, which widens the fourth code to 4 bits.
  EXPECT_EQ(widthsOf(2, {4, 1, 1, 1, 1, 5}),
            (std::vector<int>{3, 3, 3, 3, 4, 4}));
  // A run of clears acts as one.
  EXPECT_EQ(widthsOf(2, {4, 4, 4, 1, 1, 1, 1}),
            (std::vector<int>{3, 3, 3, 3, 3, 3, 4}));
  // A clear in the middle narrows the codes again, the clear itself still
  // read at the width in force.
  EXPECT_EQ(widthsOf(2, {4, 1, 1, 1, 1, 4, 1, 1, 1, 1}),
            (std::vector<int>{3, 3, 3, 3, 4, 4, 3, 3, 3, 4}));
}

// Regression: the first code of a stream without a leading clear code was
// taken to add an entry, as the decoder once did, so the codes widened one
// code too early.
TEST(GifencWidthsTest, FirstCodeWithoutLeadingClearAddedAnEntry) {
  EXPECT_EQ(widthsOf(2, {1, 1, 1, 5}), (std::vector<int>{3, 3, 3, 4}));
}

TEST(GifencWidthsTest, GrowsToTwelveBitsAndStaysThere) {
  // Minimum code size 8: clear 256, slots from 258. After the clear, code k
  // (k >= 2) adds slot 256 + k, so slot 511 comes with code 255, slot 1023
  // with code 767, slot 2047 with code 1791 and slot 4095 with code 3839.
  std::vector<std::uint16_t> values{256};
  values.insert(values.end(), 5000, 7);
  values.push_back(256);
  values.push_back(7);
  const std::vector<Code> codes = withWidths(8, values);
  ASSERT_EQ(codes.size(), values.size());
  EXPECT_EQ(codes[0].width, 9);
  EXPECT_EQ(codes[255].width, 9);
  EXPECT_EQ(codes[256].width, 10);
  EXPECT_EQ(codes[767].width, 10);
  EXPECT_EQ(codes[768].width, 11);
  EXPECT_EQ(codes[1791].width, 11);
  EXPECT_EQ(codes[1792].width, 12);
  EXPECT_EQ(codes[5000].width, 12);
  EXPECT_EQ(codes[5001].width, 12);  // the clear, read at 12 bits
  EXPECT_EQ(codes[5002].width, 9);
}

TEST(GifencWidthsTest, LargestMinimumCodeSizeStartsAtTwelveBits) {
  // Clear 2048: codes are 12 bits from the start and never grow.
  std::vector<std::uint16_t> values{2048};
  values.insert(values.end(), 3000, 1);
  for (const Code& c : withWidths(11, values)) EXPECT_EQ(c.width, 12);
}

}  // namespace
}  // namespace gifenc

#include "frm/frm_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "frm/byte_order.h"
#include "frm/recording_sink.h"
#include "platform/byte_buffer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The header of an image with the given frame count and frame area, shifts
// as given in direction 0 and everything else 0.
Bytes expectedHeader(std::uint16_t frames, std::uint32_t area, Bytes shiftX0,
                     Bytes shiftY0) {
  Bytes out = {0,
               0,
               0,
               4,
               0,
               0,
               0,
               0,
               static_cast<std::uint8_t>(frames >> 8),
               static_cast<std::uint8_t>(frames & 0xFF)};
  out.insert(out.end(), shiftX0.begin(), shiftX0.end());
  out.insert(out.end(), 10, 0);
  out.insert(out.end(), shiftY0.begin(), shiftY0.end());
  out.insert(out.end(), 10, 0);
  out.insert(out.end(), 24, 0);
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<std::uint8_t>(area >> shift));
  }
  return out;
}

// One 2 x 1 frame with pixels 5, 6 and offsets (1, -1); shifts (3, -2).
void fillExample(FrmImage& image) {
  ASSERT_TRUE(image.allocateFrameArray(1));
  image.shiftX[0] = 3;
  image.shiftY[0] = -2;
  FrmFrame* frame = image.allocateFrame(0, 2, 1);
  ASSERT_NE(frame, nullptr);
  frame->offsetX = 1;
  frame->offsetY = -1;
  frame->pixels()[0] = 5;
  frame->pixels()[1] = 6;
  image.frameAreaSize = 12 + frame->pixelCount;
}

TEST(ByteOrderTest, ReversesInPlaceAndReturnsThePointer) {
  std::uint8_t word[2] = {0x12, 0x34};
  EXPECT_EQ(swapWord(word), word);
  EXPECT_EQ(word[0], 0x34);
  EXPECT_EQ(word[1], 0x12);

  std::uint8_t dword[4] = {0x01, 0x02, 0x03, 0x04};
  EXPECT_EQ(swapDword(dword), dword);
  EXPECT_EQ(dword[0], 0x04);
  EXPECT_EQ(dword[1], 0x03);
  EXPECT_EQ(dword[2], 0x02);
  EXPECT_EQ(dword[3], 0x01);
}

TEST(FrmImageTest, ConstructedImageHasVersion4AndNothingElse) {
  FrmImage image;
  EXPECT_EQ(image.version, 4u);
  EXPECT_EQ(image.framesPerDirection, 0);
  EXPECT_EQ(std::uint32_t{image.frameAreaSize}, 0u);
  EXPECT_EQ(image.frames, nullptr);

  image.shiftX[5] = 9;
  image.dataOffset[2] = 7;
  image.version = 1;
  ASSERT_TRUE(image.allocateFrameArray(2));
  image.resetHeader();
  const FrmHeader zero = {};
  FrmHeader header = image;
  header.version = 0;
  EXPECT_EQ(std::memcmp(&header, &zero, sizeof header), 0);
  EXPECT_EQ(image.version, 4u);
  EXPECT_NE(image.frames, nullptr);  // left alone; freed by the destructor
}

TEST(FrmImageTest, WritesTheSeventySixByteExample) {
  FrmImage image;
  fillExample(image);
  RecordingSink sink;
  EXPECT_EQ(image.write(sink), 0);

  Bytes expected = expectedHeader(1, 14, {0x00, 0x03}, {0xFF, 0xFE});
  const Bytes frame = {0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00,
                       0x02, 0x00, 0x01, 0xFF, 0xFF, 0x05, 0x06};
  expected.insert(expected.end(), frame.begin(), frame.end());
  ASSERT_EQ(expected.size(), 76u);
  EXPECT_EQ(sink.data, expected);
  EXPECT_EQ(sink.writes, 3);
}

TEST(FrmImageTest, WritingTwiceGivesTheSameBytesAndKeepsTheImage) {
  FrmImage image;
  fillExample(image);
  const FrmHeader before = image;
  const FrmFrameHeader frameBefore = *image.frames[0];

  RecordingSink first;
  RecordingSink second;
  EXPECT_EQ(image.write(first), 0);
  EXPECT_EQ(image.write(second), 0);
  EXPECT_EQ(first.data, second.data);

  const FrmHeader after = image;
  const FrmFrameHeader frameAfter = *image.frames[0];
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  EXPECT_EQ(std::memcmp(&frameBefore, &frameAfter, sizeof frameBefore), 0);
  EXPECT_EQ(image.frames[0]->pixels()[1], 6);
}

TEST(FrmImageTest, ZeroSizeFramesAreHeadersOnly) {
  FrmImage image;
  ASSERT_TRUE(image.allocateFrameArray(3));
  FrmFrame* wide = image.allocateFrame(0, 300, 0);
  FrmFrame* tall = image.allocateFrame(1, 0, 2);
  FrmFrame* dot = image.allocateFrame(2, 1, 1);
  ASSERT_TRUE(wide && tall && dot);
  EXPECT_EQ(wide->pixelCount, 0u);
  EXPECT_EQ(tall->pixelCount, 0u);
  dot->pixels()[0] = 0xAB;
  image.frameAreaSize = 12 + 12 + 13;

  RecordingSink sink;
  EXPECT_EQ(image.write(sink), 0);
  EXPECT_EQ(sink.writes, 7);
  ASSERT_EQ(sink.data.size(), 62u + 37u);
  const Bytes frames(sink.data.begin() + 62, sink.data.end());
  const Bytes expected = {0x01, 0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                          0,    0,    0, 2, 0, 0, 0, 0, 0, 0, 0, 0,  //
                          0,    1,    0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0xAB};
  EXPECT_EQ(frames, expected);
}

TEST(FrmImageTest, ImageWithoutFramesIsTheHeaderAlone) {
  FrmImage image;
  RecordingSink sink;
  EXPECT_EQ(image.write(sink), 0);
  EXPECT_EQ(sink.data, expectedHeader(0, 0, {0, 0}, {0, 0}));
}

TEST(FrmImageTest, LargeAndNegativeFieldsAreBigEndian) {
  FrmImage image;
  ASSERT_TRUE(image.allocateFrameArray(1));
  image.shiftX[0] = -1;
  image.shiftY[0] = 4464;
  FrmFrame* frame = image.allocateFrame(0, 0x0102, 0);
  ASSERT_NE(frame, nullptr);
  frame->offsetX = -32768;
  frame->offsetY = 0x1234;
  image.frameAreaSize = 0x0A0B0C0D;  // not checked by the writer

  RecordingSink sink;
  ASSERT_EQ(image.write(sink), 0);
  Bytes expected = expectedHeader(1, 0x0A0B0C0D, {0xFF, 0xFF}, {0x11, 0x70});
  const Bytes record = {0x01, 0x02, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x12, 0x34};
  expected.insert(expected.end(), record.begin(), record.end());
  EXPECT_EQ(sink.data, expected);
}

TEST(FrmImageTest, AFailedWriteIsReported) {
  // Two frames: header, then header and pixels of each, five writes.
  FrmImage image;
  ASSERT_TRUE(image.allocateFrameArray(2));
  ASSERT_NE(image.allocateFrame(0, 2, 2), nullptr);
  ASSERT_NE(image.allocateFrame(1, 1, 3), nullptr);
  std::memset(image.frames[0]->pixels(), 1, 4);
  std::memset(image.frames[1]->pixels(), 2, 3);
  for (int k = 1; k <= 5; ++k) {
    SCOPED_TRACE(k);
    RecordingSink sink(k);
    EXPECT_EQ(image.write(sink), 1);
    EXPECT_EQ(sink.writes, k);  // nothing is written after the failure
  }
  RecordingSink sink(6);
  EXPECT_EQ(image.write(sink), 0);
  EXPECT_EQ(sink.writes, 5);
}

// Sees the gathered writes themselves, piece counts and all.
class GatheringSink : public RecordingSink {
 public:
  bool writeGathered(const Piece* pieces, std::size_t count) override {
    piecesPerWrite.push_back(count);
    return RecordingSink::writeGathered(pieces, count);
  }
  std::vector<std::size_t> piecesPerWrite;
};

// A sprite of up to kFramesPerWrite frames goes out in one gathered write
// (one system call for a file), a longer one in as few as it takes, and the
// bytes are the same either way.
TEST(FrmImageTest, FramesAreGatheredIntoAsFewWritesAsPossible) {
  constexpr std::size_t kMost = FrmImage::kFramesPerWrite;
  for (std::size_t count : {std::size_t{1}, kMost, kMost + 1, 2 * kMost + 44}) {
    SCOPED_TRACE(count);
    FrmImage image;
    ASSERT_TRUE(image.allocateFrameArray(static_cast<std::uint16_t>(count)));
    Bytes expected =
        expectedHeader(static_cast<std::uint16_t>(count),
                       static_cast<std::uint32_t>(13 * count), {0, 0}, {0, 0});
    for (std::size_t k = 0; k < count; ++k) {
      FrmFrame* frame = image.allocateFrame(k, 1, 1);
      ASSERT_NE(frame, nullptr);
      frame->pixels()[0] = static_cast<std::uint8_t>(k);
      const Bytes record = {
          0, 1, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, static_cast<std::uint8_t>(k)};
      expected.insert(expected.end(), record.begin(), record.end());
    }
    image.frameAreaSize = static_cast<std::uint32_t>(13 * count);

    GatheringSink sink;
    ASSERT_EQ(image.write(sink), 0);
    EXPECT_EQ(sink.data, expected);
    std::vector<std::size_t> pieces;
    for (std::size_t left = count; left > 0; left -= std::min(left, kMost)) {
      pieces.push_back(2 * std::min(left, kMost) + (pieces.empty() ? 1 : 0));
    }
    EXPECT_EQ(sink.piecesPerWrite, pieces);
  }
}

TEST(FrmImageTest, AnImageWithAnEmptyEntryIsNotWritten) {
  FrmImage image;
  ASSERT_TRUE(image.allocateFrameArray(2));
  ASSERT_NE(image.allocateFrame(0, 1, 1), nullptr);
  image.frames[0]->pixels()[0] = 0;
  RecordingSink sink;
  EXPECT_EQ(image.write(sink), 1);
  EXPECT_EQ(sink.writes, 0);
}

// The header's 4-byte fields are unaligned, so tests read them by value.

// These rely on the sanitizer build to catch leaks and double frees.
TEST(FrmImageLifetimeTest, PartlyFilledImagesAreReleased) {
  {
    FrmImage image;
    ASSERT_TRUE(image.allocateFrameArray(4));
    ASSERT_NE(image.allocateFrame(0, 8, 8), nullptr);
    ASSERT_NE(image.allocateFrame(2, 3, 0), nullptr);
  }
  {
    FrmImage image;
    ASSERT_TRUE(image.allocateFrameArray(2));
    ASSERT_NE(image.allocateFrame(1, 4, 4), nullptr);
    ASSERT_NE(image.allocateFrame(1, 5, 5), nullptr);  // replaces the first
    EXPECT_EQ(image.frames[1]->pixelCount, 25u);
    ASSERT_TRUE(image.allocateFrameArray(1));  // drops the old array
    EXPECT_EQ(image.frames[0], nullptr);
  }
  {
    FrmImage image;
    ASSERT_TRUE(image.allocateFrameArray(0));
  }
}

TEST(FrmImageLifetimeTest, AllocationFailuresLeaveAConsistentImage) {
  FrmImage image;
  platform::failAllocationAfter(1);
  EXPECT_FALSE(image.allocateFrameArray(3));
  platform::failAllocationAfter(0);
  EXPECT_EQ(image.frames, nullptr);
  EXPECT_EQ(image.framesPerDirection, 0);

  ASSERT_TRUE(image.allocateFrameArray(3));
  EXPECT_EQ(image.allocateFrame(3, 1, 1), nullptr);  // no such entry
  platform::failAllocationAfter(1);
  EXPECT_EQ(image.allocateFrame(1, 1, 1), nullptr);
  platform::failAllocationAfter(0);
  EXPECT_EQ(image.frames[1], nullptr);
}

}  // namespace

#include "frm/frm_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "frm/recording_sink.h"
#include "platform/byte_buffer.h"
#include "platform/memory_source.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

FrmReadStatus readBytes(const Bytes& bytes, FrmImage& image) {
  platform::MemorySource source(bytes.data(), bytes.size());
  return readFrm(source, bytes.size(), image);
}

Bytes written(const FrmImage& image) {
  RecordingSink sink;
  EXPECT_EQ(image.write(sink), 0);
  return sink.data;
}

void put16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value >> 8);
  bytes[at + 1] = static_cast<std::uint8_t>(value);
}

void put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
  }
}

// The 76-byte example file: one 2 x 1 frame with pixels 5 and 6, offsets
// (1, -1), shifts (3, -2), written out by hand.
Bytes exampleFile() {
  Bytes bytes(62, 0);
  bytes[3] = 4;              // version
  bytes[9] = 1;              // framesPerDirection
  bytes[11] = 3;             // shiftX[0]
  put16(bytes, 22, 0xFFFE);  // shiftY[0] = -2
  bytes[61] = 14;            // frameAreaSize
  const Bytes frame = {0, 2, 0, 1, 0, 0, 0, 2, 0, 1, 0xFF, 0xFF, 5, 6};
  bytes.insert(bytes.end(), frame.begin(), frame.end());
  return bytes;
}

// A sprite of six directions, three frames each, of sizes and offsets that
// differ from frame to frame (one of them empty), pixels numbered through.
void fillSixDirections(FrmImage& image) {
  ASSERT_TRUE(image.allocateFrameArray(3, 6));
  image.framesPerSecond = 12;
  image.actionFrame = 2;
  std::uint32_t area = 0;
  std::uint8_t next = 1;
  for (std::uint32_t i = 0; i < 18; ++i) {
    if (i % 3 == 0) image.dataOffset[i / 3] = area;
    image.shiftX[i / 3] = static_cast<std::int16_t>(i);
    image.shiftY[i / 3] = static_cast<std::int16_t>(-static_cast<int>(i));
    const auto width = static_cast<std::uint16_t>(i == 7 ? 0 : 1 + i % 4);
    const auto height = static_cast<std::uint16_t>(2 + i % 3);
    FrmFrame* frame = image.allocateFrame(i, width, height);
    ASSERT_NE(frame, nullptr);
    frame->offsetX = static_cast<std::int16_t>(static_cast<int>(i) - 9);
    frame->offsetY = static_cast<std::int16_t>(i * 100);
    for (std::uint32_t p = 0; p < frame->pixelCount; ++p)
      frame->pixels()[p] = next++;
    area += 12 + frame->pixelCount;
  }
  image.frameAreaSize = area;
}

TEST(FrmReader, ReadsTheExampleFileFieldByField) {
  FrmImage image;
  ASSERT_EQ(readBytes(exampleFile(), image), FrmReadStatus::Ok);
  EXPECT_EQ(image.version, 4u);
  EXPECT_EQ(image.framesPerDirection, 1);
  EXPECT_EQ(image.frameCount(), 1u);
  EXPECT_EQ(image.shiftX[0], 3);
  EXPECT_EQ(image.shiftY[0], -2);
  EXPECT_EQ(std::uint32_t{image.frameAreaSize}, 14u);
  const FrmFrame& frame = *image.frames[0];
  EXPECT_EQ(frame.width, 2);
  EXPECT_EQ(frame.height, 1);
  EXPECT_EQ(frame.offsetX, 1);
  EXPECT_EQ(frame.offsetY, -1);
  EXPECT_EQ(frame.pixels()[0], 5);
  EXPECT_EQ(frame.pixels()[1], 6);
  EXPECT_EQ(written(image), exampleFile());
}

TEST(FrmReader, SixDirectionsReadBackToTheBytesTheyWereWrittenAs) {
  FrmImage original;
  fillSixDirections(original);
  const Bytes bytes = written(original);
  FrmImage image;
  ASSERT_EQ(readBytes(bytes, image), FrmReadStatus::Ok);
  EXPECT_EQ(frmDirectionCount(image), 6);
  EXPECT_EQ(image.frameCount(), 18u);
  EXPECT_EQ(image.frames[7]->pixelCount, 0u);
  EXPECT_EQ(image.frames[17]->offsetY, 1700);
  EXPECT_EQ(written(image), bytes);
}

// One hand-made bad file per failure, each from the example file.
TEST(FrmReader, EachBrokenRuleHasItsOwnStatus) {
  struct Case {
    const char* what;
    Bytes bytes;
    FrmReadStatus expected;
  };
  std::vector<Case> cases;
  auto variant = [&](const char* what, FrmReadStatus expected, auto change) {
    Bytes bytes = exampleFile();
    change(bytes);
    cases.push_back({what, bytes, expected});
  };
  variant("shorter than the header", FrmReadStatus::Truncated,
          [](Bytes& b) { b.resize(61); });
  variant("the last pixel is missing", FrmReadStatus::Truncated,
          [](Bytes& b) { b.pop_back(); });
  variant("version 3", FrmReadStatus::BadVersion, [](Bytes& b) { b[3] = 3; });
  variant("version in little-endian order", FrmReadStatus::BadVersion,
          [](Bytes& b) { std::swap(b[0], b[3]); });
  variant("no frames, and an area that holds none", FrmReadStatus::NoFrames,
          [](Bytes& b) {
            b[9] = 0;
            b[61] = 0;
            b.resize(62);
          });
  variant("a byte after the last frame", FrmReadStatus::TrailingBytes,
          [](Bytes& b) { b.push_back(0); });
  variant("two frames in an area of 14 bytes", FrmReadStatus::TooManyFrames,
          [](Bytes& b) { b[9] = 2; });
  variant("65535 frames per direction", FrmReadStatus::TooManyFrames,
          [](Bytes& b) { put16(b, 8, 0xFFFF); });
  variant("one direction whose frames start at 1",
          FrmReadStatus::BadDirectionOffset, [](Bytes& b) { b[37] = 1; });
  variant("six directions in an area of one frame",
          FrmReadStatus::TooManyFrames, [](Bytes& b) { b[41] = 14; });
  variant("pixelCount 3 for 2 x 1", FrmReadStatus::BadPixelCount,
          [](Bytes& b) { b[62 + 7] = 3; });
  variant("pixelCount wrapped around 2^32", FrmReadStatus::BadPixelCount,
          [](Bytes& b) {
            put16(b, 62, 0xFFFF);
            put16(b, 64, 0xFFFF);
            put32(b, 66, 0xFFFE0001u + 1);
          });
  variant("pixels past the end of the frame area",
          FrmReadStatus::FrameOutsideArea, [](Bytes& b) {
            b[61] = 13;  // the area ends after the first pixel
            b.pop_back();
          });
  variant("65535 x 65535 pixels in a file of 76 bytes",
          FrmReadStatus::FrameOutsideArea, [](Bytes& b) {
            put16(b, 62, 0xFFFF);
            put16(b, 64, 0xFFFF);
            put32(b, 66, 0xFFFE0001u);
          });
  variant("a byte of the area after the last frame",
          FrmReadStatus::AreaNotFilled, [](Bytes& b) {
            b[61] = 15;
            b.push_back(0);
          });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FrmImage image;
    // Nothing the example's 76 bytes cannot justify may be allocated.
    platform::limitAllocatedBytes(256);
    const FrmReadStatus status = readBytes(c.bytes, image);
    platform::limitAllocatedBytes(0);
    EXPECT_EQ(status, c.expected);
  }
}

TEST(FrmReader, AShortReadIsAFailure) {
  // The file claims more bytes than the source delivers, as when it shrinks
  // while it is read.
  Bytes bytes = exampleFile();
  platform::MemorySource source(bytes.data(), bytes.size() - 1);
  FrmImage image;
  EXPECT_EQ(readFrm(source, bytes.size(), image), FrmReadStatus::ReadFailed);
}

// Every prefix of a small six-direction sprite, and every single bit flipped
// in it: the reader either refuses the file or reads exactly its bytes, and
// never allocates more than the file's size justifies.
TEST(FrmReader, TruncationAndBitFlipSweep) {
  FrmImage original;
  fillSixDirections(original);
  const Bytes good = written(original);
  // The frame array (8 bytes for every 12-byte frame header) and the frames
  // (no more than the frame area) stay below twice the file.
  const std::uint64_t budget = 2 * good.size();

  for (std::size_t length = 0; length < good.size(); ++length) {
    const Bytes cut(good.begin(), good.begin() + length);
    FrmImage image;
    platform::limitAllocatedBytes(budget);
    const FrmReadStatus status = readBytes(cut, image);
    platform::limitAllocatedBytes(0);
    EXPECT_NE(status, FrmReadStatus::Ok) << length;
    EXPECT_NE(status, FrmReadStatus::NoMemory) << length;
  }

  int accepted = 0;
  for (std::size_t bit = 0; bit < good.size() * 8; ++bit) {
    Bytes flipped = good;
    flipped[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    FrmImage image;
    platform::limitAllocatedBytes(budget);
    const FrmReadStatus status = readBytes(flipped, image);
    platform::limitAllocatedBytes(0);
    ASSERT_NE(status, FrmReadStatus::NoMemory) << bit;
    ASSERT_NE(status, FrmReadStatus::ReadFailed) << bit;
    if (status == FrmReadStatus::Ok) {
      ++accepted;
      EXPECT_EQ(written(image), flipped) << bit;
    }
  }
  // Pixels, shifts, offsets and the rate may be anything; the structure
  // may not.
  EXPECT_GT(accepted, 0);
  EXPECT_LT(accepted, static_cast<int>(good.size() * 8));
}

}  // namespace

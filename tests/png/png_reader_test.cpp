// The PNG reader on hand-made streams whose every byte is known: what each
// kind of image delivers, APNG frames as stored, reading through a window,
// and one bad input for each way the reader fails.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/byte_buffer.h"
#include "platform/memory_source.h"
#include "png/png_test_files.h"
#include "support/png_art.h"

namespace {

using Pixels = std::vector<std::uint8_t>;

Pixels pixelsOf(const PngFrame& frame) {
  return {frame.pixels.data(), frame.pixels.data() + frame.pixels.size()};
}

// A still image of one IDAT.
Bytes still(const Bytes& ihdr, const Bytes& rows,
            const std::vector<std::pair<std::string, Bytes>>& before = {}) {
  PngArt art;
  art.chunk("IHDR", ihdr);
  for (const auto& [type, data] : before) art.chunk(type, data);
  return art.imageData(rows).end().bytes();
}

TEST(PngReader, TellsTheSignature) {
  const std::uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  const std::uint8_t gif[8] = {'G', 'I', 'F', '8', '9', 'a', 1, 0};
  std::uint8_t lineEnds[8];
  std::memcpy(lineEnds, png, 8);
  lineEnds[4] = '\n';  // a file through a line-end conversion
  EXPECT_TRUE(isPngSignature(png));
  EXPECT_FALSE(isPngSignature(gif));
  EXPECT_FALSE(isPngSignature(lineEnds));
}

TEST(PngReader, GreyWidensToRgba) {
  // 4-bit grey: 0xA is 0xAA. 16-bit grey: the high byte.
  ReadPng four = readPngBytes(
      still(ihdrData(2, 1, 4, 0),
            filterNoneRows(1, 1, [](auto, auto) { return 0xA3; })));
  ASSERT_EQ(four.status, PngStatus::Ok);
  EXPECT_FALSE(four.image->indexed);
  EXPECT_EQ(pixelsOf(four.image->frames[0]),
            (Pixels{0xAA, 0xAA, 0xAA, 255, 0x33, 0x33, 0x33, 255}));
  ReadPng sixteen = readPngBytes(still(
      ihdrData(1, 1, 16, 0), filterNoneRows(2, 1, [](std::uint32_t x, auto) {
        return x == 0 ? 0x12 : 0xFF;
      })));
  ASSERT_EQ(sixteen.status, PngStatus::Ok);
  EXPECT_EQ(pixelsOf(sixteen.image->frames[0]),
            (Pixels{0x12, 0x12, 0x12, 255}));
}

TEST(PngReader, SixteenBitSamplesKeepTheirHighByte) {
  // RGBA 16: 0x12FF 0x34FF 0x5680 0x7801, never rounded up.
  const Bytes row = {0, 0x12, 0xFF, 0x34, 0xFF, 0x56, 0x80, 0x78, 0x01};
  ReadPng png = readPngBytes(still(ihdrData(1, 1, 16, 6), row));
  ASSERT_EQ(png.status, PngStatus::Ok);
  EXPECT_EQ(pixelsOf(png.image->frames[0]), (Pixels{0x12, 0x34, 0x56, 0x78}));
}

TEST(PngReader, ColourKeyClearsMatchingPixels) {
  // RGB 8 with the key (1, 2, 3): the matching pixel becomes (0, 0, 0, 0).
  const Bytes row = {0, 1, 2, 3, 1, 2, 4};
  ReadPng png = readPngBytes(
      still(ihdrData(2, 1, 8, 2), row, {{"tRNS", {0, 1, 0, 2, 0, 3}}}));
  ASSERT_EQ(png.status, PngStatus::Ok);
  EXPECT_EQ(pixelsOf(png.image->frames[0]), (Pixels{0, 0, 0, 0, 1, 2, 4, 255}));
}

TEST(PngReader, IndexedImageKeepsIndicesAndPalette) {
  // 2-bit indices 0, 1, 2, 3 against a PLTE of 3 entries and a tRNS of 1:
  // index 3 stays 3, its palette entry opaque black.
  const Bytes plte = {10, 20, 30, 40, 50, 60, 70, 80, 90};
  ReadPng png = readPngBytes(still(ihdrData(4, 1, 2, 3), {0, 0x1B},
                                   {{"PLTE", plte}, {"tRNS", {128}}}));
  ASSERT_EQ(png.status, PngStatus::Ok);
  const PngImage& image = *png.image;
  EXPECT_TRUE(image.indexed);
  EXPECT_EQ(image.paletteCount, 3u);
  EXPECT_EQ(pixelsOf(image.frames[0]), (Pixels{0, 1, 2, 3}));
  const std::uint8_t expected[4][4] = {
      {10, 20, 30, 128}, {40, 50, 60, 255}, {70, 80, 90, 255}, {0, 0, 0, 255}};
  EXPECT_EQ(std::memcmp(image.palette, expected, sizeof expected), 0);
  EXPECT_EQ(image.frames[0].pixels.headroom(), PngFrame::kPixelHeadroom);
}

// A 4 x 3 RGBA APNG: frame 0 is the default image (its fcTL comes first),
// frame 1 a 2 x 1 rectangle at (1, 2) from an fdAT.
Bytes smallApng(std::uint32_t secondSequence = 1, std::uint32_t frames = 2) {
  const Bytes actl = {0, 0, 0, static_cast<std::uint8_t>(frames), 0, 0, 0, 7};
  return PngArt()
      .chunk("IHDR", ihdrData(4, 3, 8, 6))
      .chunk("acTL", actl)
      .chunk("fcTL", fctlData(0, 4, 3, 0, 0, 1, 10))
      .imageData(filterNoneRows(16, 3, [](auto x, auto y) { return x + y; }))
      .chunk("fcTL", fctlData(secondSequence, 2, 1, 1, 2, 3, 0, 1, 1))
      .frameData(secondSequence + 1,
                 filterNoneRows(8, 1, [](auto x, auto) { return 100 + x; }))
      .end()
      .bytes();
}

void expectSmallApng(const ReadPng& png) {
  ASSERT_EQ(png.status, PngStatus::Ok);
  const PngImage& image = *png.image;
  EXPECT_TRUE(image.animated);
  EXPECT_EQ(image.playCount, 7u);
  ASSERT_EQ(image.frames.size(), 2u);
  const PngFrame& first = image.frames[0];
  EXPECT_EQ(first.width, 4u);
  EXPECT_EQ(first.delayNumerator, 1);
  EXPECT_EQ(first.delayDenominator, 10);
  EXPECT_EQ(first.pixels.data()[4 * 4 + 5], 1 + 5);  // row 1, byte 5
  const PngFrame& second = image.frames[1];
  EXPECT_EQ((std::vector<std::uint32_t>{second.left, second.top, second.width,
                                        second.height}),
            (std::vector<std::uint32_t>{1, 2, 2, 1}));
  EXPECT_EQ(second.delayNumerator, 3);
  EXPECT_EQ(second.delayDenominator, 0);
  EXPECT_EQ(second.disposeOp, 1);
  EXPECT_EQ(second.blendOp, 1);
  EXPECT_EQ(pixelsOf(second), (Pixels{100, 101, 102, 103, 104, 105, 106, 107}));
  EXPECT_EQ(second.pixels.headroom(), PngFrame::kPixelHeadroom);
}

TEST(PngReader, ApngFramesAsStored) {
  expectSmallApng(readPngBytes(smallApng()));
}

TEST(PngReader, DefaultImageAfterItsAnimationIsNoFrame) {
  const Bytes bytes = PngArt()
                          .chunk("IHDR", ihdrData(2, 1, 8, 0))
                          .chunk("acTL", {0, 0, 0, 1, 0, 0, 0, 0})
                          .imageData({0, 1, 2})
                          .chunk("fcTL", fctlData(0, 1, 1, 1, 0, 5, 100))
                          .frameData(1, {0, 9})
                          .end()
                          .bytes();
  ReadPng png = readPngBytes(bytes);
  ASSERT_EQ(png.status, PngStatus::Ok);
  ASSERT_EQ(png.image->frames.size(), 1u);
  EXPECT_EQ(png.image->frames[0].left, 1u);
  EXPECT_EQ(pixelsOf(png.image->frames[0]), (Pixels{9, 9, 9, 255}));
}

// Hands out one byte per call, the worst a source may do.
class TrickleSource : public platform::ByteSource {
 public:
  explicit TrickleSource(const Bytes& bytes) : bytes_(bytes) {}
  std::size_t readSome(std::uint8_t* buffer, std::size_t size) override {
    if (size == 0 || at_ == bytes_.size()) return 0;
    *buffer = bytes_[at_++];
    return 1;
  }

 private:
  const Bytes& bytes_;
  std::size_t at_ = 0;
};

TEST(PngReader, ReadsThroughASmallWindow) {
  const Bytes bytes = smallApng();
  std::uint8_t window[PngInput::kMinimumWindow];
  platform::MemorySource memory(bytes.data(), bytes.size());
  PngInput windowed(memory, window, sizeof window, bytes.size());
  ReadPng png;
  png.status = readPng(windowed, PngLimits{}, *png.image);
  expectSmallApng(png);
  TrickleSource trickle(bytes);
  PngInput trickled(trickle, window, sizeof window);
  ReadPng slow;
  slow.status = readPng(trickled, PngLimits{}, *slow.image);
  expectSmallApng(slow);
}

// Changes byte at of bytes (counted from the end when negative).
Bytes changed(Bytes bytes, std::ptrdiff_t at, std::uint8_t value) {
  bytes[static_cast<std::size_t>(at < 0 ? bytes.size() + at : at)] = value;
  return bytes;
}

TEST(PngReader, EachFailureHasItsStatus) {
  const Bytes grey = still(ihdrData(2, 2, 8, 0), {0, 1, 2, 0, 3, 4});
  ASSERT_EQ(readPngBytes(grey).status, PngStatus::Ok);
  EXPECT_EQ(readPngBytes(changed(grey, 1, 'Q')).status, PngStatus::NotPng);
  EXPECT_EQ(readPngBytes(Bytes(grey.begin(), grey.begin() + 5)).status,
            PngStatus::ReadFailed);
  EXPECT_EQ(readPngBytes(Bytes(grey.begin(), grey.end() - 20)).status,
            PngStatus::ReadFailed);
  // IHDR's CRC; the IDAT's CRC; the Adler-32 (IDAT's CRC then made right).
  EXPECT_EQ(readPngBytes(changed(grey, 29, 0)).status, PngStatus::Corrupt);
  EXPECT_EQ(readPngBytes(changed(grey, -13, 0)).status, PngStatus::Corrupt);
  Bytes adler = still(ihdrData(2, 2, 8, 0), {0, 1, 2, 0, 3, 4});
  PngArt badAdler;
  Bytes zlib = zlibStored({0, 1, 2, 0, 3, 4});
  zlib.back() ^= 1;
  badAdler.chunk("IHDR", ihdrData(2, 2, 8, 0)).chunk("IDAT", zlib).end();
  EXPECT_EQ(readPngBytes(badAdler.bytes()).status, PngStatus::Corrupt);
  // A row filter of 5; an image too short for its rows; colour type 1.
  EXPECT_EQ(
      readPngBytes(still(ihdrData(2, 2, 8, 0), {5, 1, 2, 0, 3, 4})).status,
      PngStatus::Corrupt);
  EXPECT_EQ(readPngBytes(still(ihdrData(2, 2, 8, 0), {0, 1, 2})).status,
            PngStatus::Corrupt);
  EXPECT_EQ(
      readPngBytes(still(ihdrData(2, 2, 8, 1), {0, 1, 2, 0, 3, 4})).status,
      PngStatus::Corrupt);
}

TEST(PngReader, AnimationFaultsAreCorrupt) {
  // A sequence number out of order; a frame count unlike acTL's.
  EXPECT_EQ(readPngBytes(smallApng(2)).status, PngStatus::Corrupt);
  EXPECT_EQ(readPngBytes(smallApng(1, 3)).status, PngStatus::Corrupt);
  // A frame past the canvas's right edge.
  const Bytes outside = PngArt()
                            .chunk("IHDR", ihdrData(2, 1, 8, 0))
                            .chunk("acTL", {0, 0, 0, 1, 0, 0, 0, 0})
                            .imageData({0, 1, 2})
                            .chunk("fcTL", fctlData(0, 2, 1, 1, 0, 5, 100))
                            .frameData(1, {0, 9, 9})
                            .end()
                            .bytes();
  EXPECT_EQ(readPngBytes(outside).status, PngStatus::Corrupt);
}

TEST(PngReader, InterlacedApngIsUnsupported) {
  // Adam7 rows of a 1 x 1 image: pass 1 alone.
  const Bytes bytes = PngArt()
                          .chunk("IHDR", ihdrData(1, 1, 8, 0, 1))
                          .chunk("acTL", {0, 0, 0, 1, 0, 0, 0, 0})
                          .chunk("fcTL", fctlData(0, 1, 1, 0, 0, 1, 1))
                          .imageData({0, 7})
                          .end()
                          .bytes();
  EXPECT_EQ(readPngBytes(bytes).status, PngStatus::Unsupported);
  // Without acTL the same image reads.
  EXPECT_EQ(readPngBytes(still(ihdrData(1, 1, 8, 0, 1), {0, 7})).status,
            PngStatus::Ok);
}

TEST(PngReader, LimitsAndTheInputsSizeComeBeforeAllocating) {
  const Bytes grey =
      still(ihdrData(16, 16, 8, 0),
            filterNoneRows(16, 16, [](auto, auto) { return 1; }));
  PngLimits sides;
  sides.maxSide = 15;
  EXPECT_EQ(readPngBytes(grey, sides).status, PngStatus::TooLarge);
  PngLimits pixels;
  pixels.maxPixels = 255;
  EXPECT_EQ(readPngBytes(grey, pixels).status, PngStatus::TooLarge);
  EXPECT_EQ(readPngBytes(still(ihdrData(65536, 1, 1, 0), {0, 0})).status,
            PngStatus::TooLarge);
  // 60000 x 60000 declared in a few dozen bytes: refused as a stream that
  // cannot hold its image data, before its 14 GB are asked for (with no
  // more than 1 MB to hand out, a try would end as NoMemory).
  platform::limitAllocatedBytes(1 << 20);
  const PngStatus huge =
      readPngBytes(still(ihdrData(60000, 60000, 8, 6), {0, 0, 0, 0, 0})).status;
  platform::limitAllocatedBytes(0);
  EXPECT_EQ(huge, PngStatus::Corrupt);
}

TEST(PngReader, EveryFailedAllocationIsNoMemory) {
  const Bytes bytes = smallApng();
  int failures = 0;
  for (std::uint64_t nth = 1;; ++nth) {
    platform::failAllocationAfter(nth);
    ReadPng png = readPngBytes(bytes);
    platform::failAllocationAfter(0);
    if (png.status == PngStatus::Ok) break;
    EXPECT_EQ(png.status, PngStatus::NoMemory) << nth;
    ++failures;
  }
  EXPECT_GE(failures, 5);  // decoder, two frames' pixels, rows, part target
}

// Every prefix of the APNG and every single-bit change of it: no crash, no
// frame outside the canvas or short of its pixels, and a cut file never
// reads as whole.
TEST(PngReader, TruncationAndBitFlipSweep) {
  const Bytes bytes = smallApng();
  const auto checkFrames = [](const ReadPng& png) {
    for (const PngFrame& frame : png.image->frames) {
      EXPECT_LE(frame.left + frame.width, png.image->width);
      EXPECT_LE(frame.top + frame.height, png.image->height);
      EXPECT_EQ(frame.pixels.size(), std::size_t{frame.width} * frame.height *
                                         png.image->bytesPerPixel());
    }
  };
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    SCOPED_TRACE(size);
    ReadPng png = readPngBytes(Bytes(bytes.begin(), bytes.begin() + size));
    EXPECT_NE(png.status, PngStatus::Ok);
    checkFrames(png);
  }
  int refused = 0;
  for (std::size_t bit = 0; bit < 8 * bytes.size(); ++bit) {
    Bytes flipped = bytes;
    flipped[bit / 8] ^= static_cast<std::uint8_t>(1 << (bit % 8));
    ReadPng png = readPngBytes(flipped);
    checkFrames(png);
    if (png.status != PngStatus::Ok) ++refused;
  }
  // The CRCs of IHDR, IDAT and IEND and the Adler-32s catch most flips;
  // fcTL's and fdAT's CRCs are not checked (they are ancillary chunks).
  EXPECT_GT(refused, static_cast<int>(6 * bytes.size()));
}

}  // namespace

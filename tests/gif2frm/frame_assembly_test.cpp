#include "gif2frm/frame_assembly.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "frm/frm_records.h"
#include "gif/interlace.h"
#include "gif2frm/gif_source.h"
#include "platform/byte_buffer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Size field n of a colour table of 2^(n+1) entries.
std::uint8_t sizeField(int entries) {
  std::uint8_t n = 0;
  while ((2 << n) < entries) ++n;
  return n;
}

void fillBuffer(platform::ByteBuffer& buffer, const Bytes& bytes) {
  ASSERT_TRUE(buffer.allocate(bytes.size()));
  if (!bytes.empty()) std::memcpy(buffer.data(), bytes.data(), bytes.size());
}

// A colour table of `entries` colours, all of them `rgb`.
Bytes table(int entries, std::initializer_list<std::uint8_t> rgb) {
  Bytes out;
  for (int i = 0; i < entries; ++i) out.insert(out.end(), rgb);
  return out;
}

void setScreen(GifFile& gif, std::uint16_t width, std::uint16_t height,
               const Bytes& globalTable = {}) {
  gif.screen.width = width;
  gif.screen.height = height;
  if (!globalTable.empty()) {
    const int entries = static_cast<int>(globalTable.size() / 3);
    gif.screen.packed = static_cast<std::uint8_t>(0x80 | sizeField(entries));
    fillBuffer(gif.globalColorTable, globalTable);
  }
}

// Appends an image whose pixels are all delivered.
GifFrame& addFrame(GifFile& gif, std::uint16_t left, std::uint16_t top,
                   std::uint16_t width, std::uint16_t height,
                   const Bytes& pixels = {}) {
  GifFrame frame;
  frame.descriptor.separator = 0x2C;
  frame.descriptor.left = left;
  frame.descriptor.top = top;
  frame.descriptor.width = width;
  frame.descriptor.height = height;
  Bytes data = pixels;
  data.resize(std::size_t{width} * height, 0);
  fillBuffer(frame.pixels, data);
  frame.pixelsDelivered = frame.pixelCount();
  gif.frames.push_back(std::move(frame));
  return gif.frames.back();
}

void setLocalTable(GifFrame& frame, const Bytes& localTable) {
  const int entries = static_cast<int>(localTable.size() / 3);
  frame.descriptor.packed = static_cast<std::uint8_t>(
      (frame.descriptor.packed & 0x40) | 0x80 | sizeField(entries));
  fillBuffer(frame.localColorTable, localTable);
}

void setControl(GifFrame& frame, bool transparentFlag, std::uint8_t index) {
  frame.hasControl = 1;
  frame.control.introducer = 0x21;
  frame.control.label = 0xF9;
  frame.control.blockSize = 4;
  frame.control.packed = transparentFlag ? 0x01 : 0x08;
  frame.control.transparentColorIndex = index;
}

Bytes pixelsOf(const FrmImage& image, int k) {
  const FrmFrame* frame = image.frames[k];
  return Bytes(frame->pixels(), frame->pixels() + frame->pixelCount);
}

// Without translation any colour table gives the identity map over all 256
// indices; without one the map stays 0.
const Bytes kAnyTable = Bytes(6, 0);

Options noTranslation() {
  Options options;
  options.translateColors = false;
  return options;
}

TEST(FrameAssemblyTest, OffsetsFollowTheReferencePoints) {
  GifFile gif;
  setScreen(gif, 100, 80);
  addFrame(gif, 10, 20, 40, 50);
  addFrame(gif, 12, 18, 41, 52);
  addFrame(gif, 0, 0, 103, 80);  // wider than the screen by 3: q = -1
  addFrame(gif, 5, 70, 10, 10);
  addFrame(gif, 5, 70, 10, 10);  // same place again
  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, noTranslation(), image), SpriteStatus::Ok);

  const std::int16_t expected[][2] = {
      {-20, -10}, {3, 0}, {18, 10}, {-41, 0}, {0, 0}};
  ASSERT_EQ(image.framesPerDirection, 5);
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(image.frames[k]->offsetX, expected[k][0]);
    EXPECT_EQ(image.frames[k]->offsetY, expected[k][1]);
  }
  EXPECT_EQ(image.frames[2]->width, 103);
  EXPECT_EQ(image.frames[2]->height, 80);
  EXPECT_EQ(image.frames[2]->pixelCount, 103u * 80u);
}

TEST(FrameAssemblyTest, OffsetsBeyondSixteenBitsKeepTheirLowBits) {
  // Frame 0 sits at x = 65535 (stored -1), frame 1 at y = 65535, frame 2
  // back at x = 65535: every difference is +-65535, stored as -1 or 1.
  GifFile gif;
  setScreen(gif, 1, 1);
  addFrame(gif, 65535, 0, 1, 1);
  addFrame(gif, 0, 65535, 1, 1);
  addFrame(gif, 65535, 0, 1, 1);
  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, noTranslation(), image), SpriteStatus::Ok);
  EXPECT_EQ(image.frames[0]->offsetX, -1);
  EXPECT_EQ(image.frames[0]->offsetY, 0);
  EXPECT_EQ(image.frames[1]->offsetX, 1);
  EXPECT_EQ(image.frames[1]->offsetY, -1);
  EXPECT_EQ(image.frames[2]->offsetX, -1);
  EXPECT_EQ(image.frames[2]->offsetY, 1);
}

TEST(FrameAssemblyTest, SingleFullScreenImageHasNoOffset) {
  GifFile gif;
  setScreen(gif, 7, 5);
  addFrame(gif, 0, 0, 7, 5);
  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, noTranslation(), image), SpriteStatus::Ok);
  EXPECT_EQ(image.frames[0]->offsetX, 0);
  EXPECT_EQ(image.frames[0]->offsetY, 0);
}

TEST(FrameAssemblyTest, HeaderFields) {
  GifFile gif;
  setScreen(gif, 10, 10);
  addFrame(gif, 0, 0, 3, 2);
  addFrame(gif, 0, 0, 0, 9);  // empty, still counted
  addFrame(gif, 0, 0, 4, 4);
  Options options = noTranslation();
  for (int d = 0; d < kDirectionFileCount; ++d) {
    options.xShift[d] = 70000;
    options.yShift[d] = -1;
  }
  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, options, image), SpriteStatus::Ok);
  EXPECT_EQ(image.version, 4u);
  EXPECT_EQ(image.framesPerSecond, 0);
  EXPECT_EQ(image.actionFrame, 0);
  EXPECT_EQ(image.framesPerDirection, 3);
  EXPECT_EQ(image.shiftX[0], 4464);
  EXPECT_EQ(image.shiftY[0], -1);
  for (int d = 1; d < kFrmDirections; ++d) {
    EXPECT_EQ(image.shiftX[d], 0);
    EXPECT_EQ(image.shiftY[d], 0);
  }
  for (int d = 0; d < kFrmDirections; ++d)
    EXPECT_EQ(std::uint32_t{image.dataOffset[d]}, 0u);
  EXPECT_EQ(std::uint32_t{image.frameAreaSize}, (12u + 6u) + 12u + (12u + 16u));
  EXPECT_EQ(image.frames[1]->pixelCount, 0u);
}

TEST(FrameAssemblyTest, NoTranslationKeepsIndicesAndStillMapsTransparency) {
  GifFile gif;
  setScreen(gif, 4, 1, table(4, {1, 2, 3}));
  GifFrame& frame = addFrame(gif, 0, 0, 4, 1, {0, 3, 2, 255});
  setControl(frame, true, 2);
  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, noTranslation(), image), SpriteStatus::Ok);
  EXPECT_EQ(pixelsOf(image, 0), (Bytes{0, 3, 0, 255}));
}

TEST(FrameAssemblyTest, TransparencyNeedsTheFlagAndGovernsOneImage) {
  GifFile gif;
  setScreen(gif, 3, 1, kAnyTable);
  GifFrame& flagClear = addFrame(gif, 0, 0, 3, 1, {7, 8, 9});
  setControl(flagClear, false, 8);
  GifFrame& withFlag = addFrame(gif, 0, 0, 3, 1, {7, 8, 9});
  setControl(withFlag, true, 8);
  addFrame(gif, 0, 0, 3, 1, {7, 8, 9});  // no extension of its own
  GifFrame& stale = addFrame(gif, 0, 0, 3, 1, {7, 8, 9});
  stale.control.packed = 0x01;  // bytes without hasControl mean nothing
  stale.control.transparentColorIndex = 8;
  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, noTranslation(), image), SpriteStatus::Ok);
  EXPECT_EQ(pixelsOf(image, 0), (Bytes{7, 8, 9}));
  EXPECT_EQ(pixelsOf(image, 1), (Bytes{7, 0, 9}));
  EXPECT_EQ(pixelsOf(image, 2), (Bytes{7, 8, 9}));
  EXPECT_EQ(pixelsOf(image, 3), (Bytes{7, 8, 9}));
}

TEST(FrameAssemblyTest, NoColorTableAtAllGivesZeros) {
  for (const bool translate : {true, false}) {
    SCOPED_TRACE(translate);
    GifFile gif;
    setScreen(gif, 3, 1);
    addFrame(gif, 0, 0, 3, 1, {1, 2, 3});
    Options options;
    options.translateColors = translate;
    FrmImage image;
    ASSERT_EQ(buildFrmImage(gif, options, image), SpriteStatus::Ok);
    EXPECT_EQ(pixelsOf(image, 0), (Bytes{0, 0, 0}));
  }
}

TEST(FrameAssemblyTest, UndeliveredPixelsBecomeTransparent) {
  GifFile gif;
  setScreen(gif, 4, 3, kAnyTable);
  // Rows 0 and 1 of the buffer hold data; the rest is left as garbage that
  // must not show: the data ended after 6 pixels.
  GifFrame& frame =
      addFrame(gif, 0, 0, 4, 3, {1, 2, 3, 4, 5, 6, 77, 77, 77, 77, 77, 77});
  frame.pixelsDelivered = 6;
  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, noTranslation(), image), SpriteStatus::Ok);
  EXPECT_EQ(pixelsOf(image, 0), (Bytes{1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0}));
}

TEST(FrameAssemblyTest, InterlacedImageThatEndedEarly) {
  // Height 8: the data holds rows 0, 4, 2, 6, 1, 3, 5, 7. Ten pixels of
  // width 4 complete display rows 0 and 4 and half of row 2.
  const std::uint16_t width = 4;
  const std::uint16_t height = 8;
  Bytes pixels(std::size_t{width} * height, 99);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      pixels[y * width + x] = static_cast<std::uint8_t>(10 * (y + 1) + x);
    }
  }
  GifFile gif;
  setScreen(gif, width, height, kAnyTable);
  GifFrame& frame = addFrame(gif, 0, 0, width, height, pixels);
  frame.descriptor.packed = 0x40;
  frame.pixelsDelivered = 10;

  Bytes expected(pixels.size(), 0);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint32_t streamRow = interlacedStreamRow(y, height);
    for (std::uint32_t x = 0; x < width; ++x) {
      if (streamRow * width + x < 10) {
        expected[y * width + x] = pixels[y * width + x];
      }
    }
  }
  ASSERT_EQ(expected[2 * width + 1], 31);  // row 2 is half there
  ASSERT_EQ(expected[2 * width + 2], 0);

  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, noTranslation(), image), SpriteStatus::Ok);
  EXPECT_EQ(pixelsOf(image, 0), expected);
}

TEST(FrameAssemblyTest, ZeroSizeImages) {
  GifFile gif;
  setScreen(gif, 10, 10);
  addFrame(gif, 0, 0, 0, 0);
  addFrame(gif, 0, 0, 5, 0);
  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, noTranslation(), image), SpriteStatus::Ok);
  EXPECT_EQ(std::uint32_t{image.frameAreaSize}, 24u);
  // Both still move the reference point: frame 0 is at (-5, -10), frame 1
  // at (-2, -10).
  EXPECT_EQ(image.frames[0]->offsetX, -5);
  EXPECT_EQ(image.frames[1]->offsetX, 3);
  EXPECT_EQ(image.frames[1]->offsetY, 0);
}

// These use the built-in palette: with delta 4, white is entry 220, pure red
// 133, mid grey 8 and black 100.
TEST(FrameAssemblyPaletteTest, GlobalTableIsMatchedAgainstThePalette) {
  GifFile gif;
  setScreen(gif, 4, 1, {255, 255, 255, 255, 0, 0, 128, 128, 128, 0, 0, 0});
  addFrame(gif, 0, 0, 4, 1, {0, 1, 2, 3});
  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, Options{}, image), SpriteStatus::Ok);
  EXPECT_EQ(pixelsOf(image, 0), (Bytes{220, 133, 8, 100}));
}

TEST(FrameAssemblyPaletteTest, TransparencyIsDecidedBeforeMapping) {
  // Index 1 is transparent; index 0 has the same colour but stays opaque.
  GifFile gif;
  setScreen(gif, 3, 1, table(2, {255, 255, 255}));
  GifFrame& frame = addFrame(gif, 0, 0, 3, 1, {0, 1, 0});
  setControl(frame, true, 1);
  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, Options{}, image), SpriteStatus::Ok);
  EXPECT_EQ(pixelsOf(image, 0), (Bytes{220, 0, 220}));
}

TEST(FrameAssemblyPaletteTest, LocalTablesAndStaleLocalEntries) {
  GifFile gif;
  setScreen(gif, 3, 1, table(2, {255, 0, 0}));
  // Four reds ... then a smaller local table of two whites: indices 2 and 3
  // keep the reds the first local table left.
  GifFrame& first = addFrame(gif, 0, 0, 3, 1, {0, 3, 1});
  setLocalTable(first, table(4, {0, 0, 0}));
  GifFrame& second = addFrame(gif, 0, 0, 3, 1, {0, 3, 2});
  setLocalTable(second, table(2, {255, 255, 255}));
  addFrame(gif, 0, 0, 3, 1, {0, 1, 3});  // back to the global map
  FrmImage image;
  ASSERT_EQ(buildFrmImage(gif, Options{}, image), SpriteStatus::Ok);
  EXPECT_EQ(pixelsOf(image, 0), (Bytes{100, 100, 100}));
  EXPECT_EQ(pixelsOf(image, 1), (Bytes{220, 100, 100}));
  // Index 3 is past the two-colour global table: the global map holds 0.
  EXPECT_EQ(pixelsOf(image, 2), (Bytes{133, 133, 0}));
}

TEST(FrameAssemblyPaletteTest, EachConversionStartsFromEmptyMaps) {
  // A first conversion leaves a four-colour local table behind; the next
  // one's two-colour table must not inherit its upper entries.
  GifFile big;
  setScreen(big, 1, 1);
  setLocalTable(addFrame(big, 0, 0, 1, 1), table(4, {0, 0, 0}));
  FrmImage first;
  ASSERT_EQ(buildFrmImage(big, Options{}, first), SpriteStatus::Ok);

  GifFile small;
  setScreen(small, 1, 1);
  setLocalTable(addFrame(small, 0, 0, 1, 1, {3}), table(2, {0, 0, 0}));
  FrmImage second;
  ASSERT_EQ(buildFrmImage(small, Options{}, second), SpriteStatus::Ok);
  EXPECT_EQ(pixelsOf(second, 0), (Bytes{0}));
}

TEST(FrameAssemblyPaletteTest, GlobalTableFailureBuildsNoFrames) {
  GifFile gif;
  setScreen(gif, 1, 1, table(2, {0, 0, 0}));
  addFrame(gif, 0, 0, 1, 1);
  Options options;
  options.colorDelta = -1;
  FrmImage image;
  EXPECT_EQ(buildFrmImage(gif, options, image), SpriteStatus::CantTranslate);
  EXPECT_EQ(image.frames, nullptr);
  EXPECT_EQ(image.framesPerDirection, 0);

  options.translateColors = false;  // -n makes any delta acceptable
  FrmImage identity;
  EXPECT_EQ(buildFrmImage(gif, options, identity), SpriteStatus::Ok);
}

TEST(FrameAssemblyPaletteTest, LocalTableFailureKeepsEarlierFrames) {
  // The third frame's local table holds a colour 1 off the nearest entry,
  // which delta 0 cannot match; the fourth is never looked at.
  GifFile gif;
  setScreen(gif, 2, 2, table(2, {255, 255, 255}));
  addFrame(gif, 0, 0, 2, 2);
  setLocalTable(addFrame(gif, 0, 0, 1, 1), table(2, {0, 0, 0}));
  setLocalTable(addFrame(gif, 0, 0, 1, 1), table(2, {4, 0, 0}));
  addFrame(gif, 0, 0, 1, 1);
  Options options;
  options.colorDelta = 0;
  FrmImage image;
  EXPECT_EQ(buildFrmImage(gif, options, image), SpriteStatus::CantTranslate);
  ASSERT_EQ(image.framesPerDirection, 4);
  EXPECT_NE(image.frames[0], nullptr);
  EXPECT_NE(image.frames[1], nullptr);
  EXPECT_EQ(image.frames[2], nullptr);
  EXPECT_EQ(image.frames[3], nullptr);
  EXPECT_EQ(std::uint32_t{image.frameAreaSize}, (12u + 4u) + (12u + 1u));
}

TEST(FrameAssemblyTest, OutOfMemoryLeavesADestroyableImage) {
  GifFile gif;
  setScreen(gif, 2, 2);
  addFrame(gif, 0, 0, 2, 2);
  addFrame(gif, 0, 0, 2, 2);
  addFrame(gif, 0, 0, 2, 2);
  // Allocation 1 is the frame array, 2 to 4 the frames.
  for (int failing = 1; failing <= 4; ++failing) {
    SCOPED_TRACE(failing);
    FrmImage image;
    platform::failAllocationAfter(static_cast<std::uint64_t>(failing));
    const SpriteStatus status = buildFrmImage(gif, noTranslation(), image);
    platform::failAllocationAfter(0);
    EXPECT_EQ(status, SpriteStatus::NoMemory);
    for (int k = 0; k < image.framesPerDirection; ++k) {
      EXPECT_EQ(image.frames[k] != nullptr, k < failing - 2);
    }
  }
}

// Whether the GIF's images fit one direction of an FRM sprite: the count
// and the frame area the sprite assembly checks.
bool fitsInFrm(GifFile& gif) {
  SourceImage source;
  describeGif(gif, source);
  return source.frames.size() <= kFrmMaxFramesPerDirection &&
         frameAreaOf(source) <= kFrmMaxFrameArea;
}

TEST(FitsInFrmTest, FrameCountLimit) {
  GifFile gif;
  setScreen(gif, 1, 1);
  gif.frames.resize(65535);
  EXPECT_TRUE(fitsInFrm(gif));
  gif.frames.resize(65536);
  EXPECT_FALSE(fitsInFrm(gif));
}

TEST(FitsInFrmTest, FrameAreaLimitCountsTheFrameHeaders) {
  // 12 + 65535 x 65535 = 4,294,836,237; 131,058 more reach 2^32 - 1.
  GifFile gif;
  setScreen(gif, 1, 1);
  gif.frames.resize(2);
  gif.frames[0].descriptor.width = 65535;
  gif.frames[0].descriptor.height = 65535;
  gif.frames[1].descriptor.width = 2;
  gif.frames[1].descriptor.height = 65523;  // 12 + 131,046
  EXPECT_TRUE(fitsInFrm(gif));
  gif.frames[1].descriptor.width = 7;
  gif.frames[1].descriptor.height = 18721;  // 12 + 131,047: one byte over
  EXPECT_FALSE(fitsInFrm(gif));

  gif.frames[1].descriptor.width = 0;  // an empty frame still takes 12
  gif.frames.resize(10924);            // 10923 x 12 = 131,076 past the first
  EXPECT_FALSE(fitsInFrm(gif));
  gif.frames.resize(10922);  // 10921 x 12 = 131,052
  EXPECT_TRUE(fitsInFrm(gif));
}

}  // namespace

namespace {

TEST(FrameAssemblyTest, ReleasingPixelsBuildsTheSameImage) {
  // The second GIF's pixel blocks have room for a frame header in front, as
  // the reader makes them: the FRM frames take them over, mapped in place.
  GifFile kept;
  GifFile released;
  for (GifFile* gif : {&kept, &released}) {
    setScreen(*gif, 4, 2, table(4, {0, 0, 0}));
    addFrame(*gif, 0, 0, 4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
    setControl(addFrame(*gif, 1, 1, 3, 2, {1, 2, 3, 1, 2, 3}), true, 2);
    gif->frames[1].pixelsDelivered = 4;  // the last two never arrived
  }
  std::vector<const std::uint8_t*> blocks;
  for (GifFrame& frame : released.frames) {
    Bytes pixels(frame.pixels.data(), frame.pixels.data() + frame.pixelCount());
    ASSERT_TRUE(frame.pixels.allocate(pixels.size(), GifFrame::kPixelHeadroom));
    std::memcpy(frame.pixels.data(), pixels.data(), pixels.size());
    blocks.push_back(frame.pixels.data() - GifFrame::kPixelHeadroom);
  }
  FrmImage a;
  FrmImage b;
  ASSERT_EQ(buildFrmImage(kept, noTranslation(), a), SpriteStatus::Ok);
  ASSERT_EQ(buildFrmImageReleasingPixels(released, noTranslation(), b),
            SpriteStatus::Ok);
  EXPECT_EQ(pixelsOf(b, 1), (Bytes{1, 0, 3, 1, 0, 0}));
  for (int k = 0; k < 2; ++k) {
    EXPECT_EQ(pixelsOf(a, k), pixelsOf(b, k));
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(b.frames[k]), blocks[k]);
    EXPECT_TRUE(released.frames[k].pixels.isNull());
  }
  EXPECT_FALSE(kept.frames[0].pixels.isNull());
  EXPECT_EQ(std::uint32_t{a.frameAreaSize}, std::uint32_t{b.frameAreaSize});
}

}  // namespace

// What frm2gif writes, read by giflib, a decoder written by other people:
// the same indices in the same places, the palette as the global colour
// table, index 0 transparent with disposal "restore to background" and the
// sprite's delay in every frame's control block, and the looping extension.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "color/palette.h"
#include "color/six_bit.h"
#include "frm/frm_image.h"
#include "frm2gif/sprite_gif.h"
#include "frm2gif/sprite_layout.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct MemoryReader {
  const Bytes* bytes;
  std::size_t position;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int count) {
  auto* reader = static_cast<MemoryReader*>(gif->UserData);
  const std::size_t n = std::min(reader->bytes->size() - reader->position,
                                 static_cast<std::size_t>(count));
  std::memcpy(out, reader->bytes->data() + reader->position, n);
  reader->position += n;
  return static_cast<int>(n);
}

// A sprite of one or six directions with frames of random sizes (some
// empty), offsets and indices.
void fillRandomSprite(std::mt19937& random, int directions, FrmImage& image) {
  auto between = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const auto perDirection = static_cast<std::uint16_t>(between(1, 6));
  ASSERT_TRUE(image.allocateFrameArray(perDirection, directions));
  image.framesPerSecond = static_cast<std::uint16_t>(between(0, 25));
  std::uint32_t area = 0;
  for (std::uint32_t i = 0; i < image.frameCount(); ++i) {
    if (directions > 1 && i % perDirection == 0) {
      image.dataOffset[i / perDirection] = area;
    }
    const bool empty = between(0, 7) == 0;
    FrmFrame* frame = image.allocateFrame(
        i, static_cast<std::uint16_t>(empty ? 0 : between(1, 50)),
        static_cast<std::uint16_t>(empty ? 0 : between(1, 50)));
    ASSERT_NE(frame, nullptr);
    frame->offsetX = static_cast<std::int16_t>(between(-30, 30));
    frame->offsetY = static_cast<std::int16_t>(between(-30, 30));
    for (std::uint32_t p = 0; p < frame->pixelCount; ++p) {
      frame->pixels()[p] =
          static_cast<std::uint8_t>(between(0, 3) * between(0, 85));
    }
    area += 12 + frame->pixelCount;
  }
  image.frameAreaSize = area;
}

TEST(Frm2gifGiflib, GiflibReadsTheSameFramesInTheSamePlaces) {
  std::mt19937 random(77);
  PaletteColors colors;
  std::memcpy(colors.data(), loadPalette(), colors.size());
  int frames = 0;
  for (int run = 0; run < 40; ++run) {
    SCOPED_TRACE(run);
    FrmImage image;
    fillRandomSprite(random, run % 2 == 0 ? 1 : 6, image);
    for (int d = 0; d < frmDirectionCount(image); ++d) {
      const DirectionPicture layout = layOutDirection(image, d);
      const Bytes bytes = directionGif(image, d, layout, colors);
      MemoryReader reader{&bytes, 0};
      int error = 0;
      GifFileType* gif = DGifOpen(&reader, readFromMemory, &error);
      ASSERT_NE(gif, nullptr) << GifErrorString(error);
      ASSERT_EQ(DGifSlurp(gif), GIF_OK)
          << gif->Error << " images " << gif->ImageCount;

      EXPECT_EQ(gif->SWidth, layout.width);
      EXPECT_EQ(gif->SHeight, layout.height);
      ASSERT_NE(gif->SColorMap, nullptr);
      ASSERT_EQ(gif->SColorMap->ColorCount, 256);
      for (int i = 0; i < 256; ++i) {
        const GifColorType& c = gif->SColorMap->Colors[i];
        EXPECT_EQ(c.Red, expandSixBit(colors[3 * i]));
        EXPECT_EQ(c.Green, expandSixBit(colors[3 * i + 1]));
        EXPECT_EQ(c.Blue, expandSixBit(colors[3 * i + 2]));
      }
      ASSERT_EQ(gif->ImageCount, image.framesPerDirection);
      for (int k = 0; k < gif->ImageCount; ++k) {
        const SavedImage& saved = gif->SavedImages[k];
        const FrmFrame& frame = *image.frames[d * image.framesPerDirection + k];
        if (frame.pixelCount == 0) {
          // Shown as one transparent pixel: giflib refuses empty images.
          ASSERT_EQ(saved.ImageDesc.Width, 1);
          ASSERT_EQ(saved.ImageDesc.Height, 1);
          EXPECT_EQ(saved.RasterBits[0], 0);
        } else {
          EXPECT_EQ(saved.ImageDesc.Left, layout.frames[k].left);
          EXPECT_EQ(saved.ImageDesc.Top, layout.frames[k].top);
          ASSERT_EQ(saved.ImageDesc.Width, frame.width);
          ASSERT_EQ(saved.ImageDesc.Height, frame.height);
          EXPECT_EQ(
              std::memcmp(saved.RasterBits, frame.pixels(), frame.pixelCount),
              0)
              << "direction " << d << " frame " << k;
        }
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, k, &control), GIF_OK);
        EXPECT_EQ(control.TransparentColor, 0);
        EXPECT_EQ(control.DisposalMode, DISPOSE_BACKGROUND);
        EXPECT_EQ(control.DelayTime, frameDelay(image.framesPerSecond));
        ++frames;
      }
      // The looping extension comes before the first image: NETSCAPE2.0,
      // then sub-block 1 with a loop count of 0, forever.
      const SavedImage& first = gif->SavedImages[0];
      bool loops = false;
      for (int e = 0; e + 1 < first.ExtensionBlockCount; ++e) {
        const ExtensionBlock& block = first.ExtensionBlocks[e];
        const ExtensionBlock& data = first.ExtensionBlocks[e + 1];
        if (block.Function == APPLICATION_EXT_FUNC_CODE &&
            block.ByteCount == 11 &&
            std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 &&
            data.ByteCount == 3 && data.Bytes[0] == 1 && data.Bytes[1] == 0 &&
            data.Bytes[2] == 0) {
          loops = true;
        }
      }
      EXPECT_TRUE(loops);
      DGifCloseFile(gif, &error);
    }
  }
  EXPECT_GT(frames, 300);
}

}  // namespace

// GIF -> FRM -> GIF: the GIF that frm2gif makes of a sprite holds each FRM
// frame's indices exactly, in a frame of its own, and puts it where the
// source GIF had its image, relative to the first image: vertically to the
// pixel, horizontally within one (the centre of an odd width rounds). The
// sprites come from random palette art (through the conversion with -d=0,
// so the indices are the art's own) and from every GIF of the shared corpus
// that converts with -n. (Six directions go both ways through the programs
// in frm2gif_command_line_test, and through giflib in frm2gif_giflib_test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "color/palette.h"
#include "color/six_bit.h"
#include "frm/frm_reader.h"
#include "frm/recording_sink.h"
#include "frm2gif/sprite_gif.h"
#include "frm2gif/sprite_layout.h"
#include "gif/gif_file.h"
#include "gif/lzw_decoder.h"
#include "gif2frm/conversion.h"
#include "platform/memory_source.h"
#include "support/palette_art.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Where an image lies, in the source GIF or in the GIF frm2gif wrote.
struct Rect {
  std::int64_t left, top, width, height;
};

Rect rectOf(const GifFrame& frame) {
  return {frame.descriptor.left, frame.descriptor.top, frame.width(),
          frame.height()};
}

PaletteColors builtInColors() {
  PaletteColors colors;
  std::memcpy(colors.data(), loadPalette(), colors.size());
  return colors;
}

// The FRM file's bytes, read back as frm2gif reads them.
void writeAndReadBack(const FrmImage& written, FrmImage& read) {
  RecordingSink sink;
  ASSERT_EQ(written.write(sink), 0);
  platform::MemorySource source(sink.data.data(), sink.data.size());
  ASSERT_EQ(readFrm(source, sink.data.size(), read), FrmReadStatus::Ok);
}

std::unique_ptr<GifFile> decode(const Bytes& bytes) {
  auto gif = std::make_unique<GifFile>();
  auto decoder = std::make_unique<LzwDecoder>();
  GifInput input(bytes.data(), bytes.size());
  EXPECT_EQ(gif->load(input, *decoder), GifStatus::Ok);
  return gif;
}

// Direction d of image as frm2gif writes it, decoded again by the project's
// own reader, with the checks that hold for every sprite: the frames' sizes
// and indices, each frame whole and inside the screen, the palette as the
// global colour table, index 0 transparent, each frame shown alone.
std::unique_ptr<GifFile> shownDirection(const FrmImage& image, int d) {
  const DirectionPicture layout = layOutDirection(image, d);
  EXPECT_TRUE(layout.fitsGif());
  const PaletteColors colors = builtInColors();
  std::unique_ptr<GifFile> gif = decode(directionGif(image, d, layout, colors));
  EXPECT_EQ(std::int64_t{gif->screen.width}, layout.width);
  EXPECT_EQ(std::int64_t{gif->screen.height}, layout.height);
  EXPECT_EQ(gif->screen.field(LogicalScreenDescriptor::GlobalColorTableSize),
            256);
  for (std::size_t i = 0; i < 768; ++i) {
    EXPECT_EQ(gif->globalColorTable.data()[i], expandSixBit(colors[i])) << i;
  }
  const std::uint32_t first = std::uint32_t{image.framesPerDirection} * d;
  EXPECT_EQ(gif->frames.size(), std::size_t{image.framesPerDirection});
  for (std::size_t k = 0; k < gif->frames.size(); ++k) {
    SCOPED_TRACE(k);
    const GifFrame& shown = gif->frames[k];
    if (k >= image.framesPerDirection) break;
    const FrmFrame& frame = *image.frames[first + k];
    // A frame without pixels is shown as one transparent pixel.
    const Bytes expected =
        frame.pixelCount == 0
            ? Bytes{0}
            : Bytes(frame.pixels(), frame.pixels() + frame.pixelCount);
    const std::uint32_t width = frame.pixelCount == 0 ? 1 : frame.width;
    const std::uint32_t height = frame.pixelCount == 0 ? 1 : frame.height;
    if (shown.width() != width || shown.height() != height ||
        shown.pixelsDelivered != expected.size()) {
      ADD_FAILURE() << "a frame of " << shown.width() << " x " << shown.height()
                    << ", " << shown.pixelsDelivered << " pixels delivered";
      continue;
    }
    EXPECT_EQ(Bytes(shown.pixels.data(), shown.pixels.data() + expected.size()),
              expected);
    EXPECT_LE(shown.descriptor.left + shown.width(),
              std::uint32_t{gif->screen.width});
    EXPECT_LE(shown.descriptor.top + shown.height(),
              std::uint32_t{gif->screen.height});
    EXPECT_EQ(shown.hasControl, 1);
    EXPECT_EQ(
        shown.control.field(GraphicControlExtension::TransparentColorFlag), 1);
    EXPECT_EQ(shown.control.transparentColorIndex, 0);
    EXPECT_EQ(shown.control.field(GraphicControlExtension::DisposalMethod), 2);
    EXPECT_EQ(std::uint16_t{shown.control.delayTime},
              frameDelay(image.framesPerSecond));
  }
  return gif;
}

bool isEmpty(const Rect& rect) { return rect.width == 0 || rect.height == 0; }

// Image k lies where the source had it, relative to the first image. Images
// without pixels lie nowhere; the first one with pixels is the reference.
void expectPlacedLike(const GifFile& shown, const std::vector<Rect>& source) {
  ASSERT_EQ(shown.frames.size(), source.size());
  std::size_t reference = 0;
  while (reference < source.size() && isEmpty(source[reference])) ++reference;
  for (std::size_t k = reference + 1; k < source.size(); ++k) {
    if (isEmpty(source[k])) continue;
    SCOPED_TRACE(k);
    const Rect at = rectOf(shown.frames[k]);
    const Rect from = rectOf(shown.frames[reference]);
    EXPECT_EQ(at.top - from.top, source[k].top - source[reference].top);
    const std::int64_t across =
        (at.left - from.left) - (source[k].left - source[reference].left);
    EXPECT_LE(std::abs(across), 1);
  }
}

TEST(Frm2gifRoundTrip, PaletteArtComesBackWithItsOwnIndicesInItsPlaces) {
  std::mt19937 random(12);
  Options options;
  options.colorDelta = 0;
  for (int run = 0; run < 200; ++run) {
    SCOPED_TRACE(run);
    const PaletteArt art = drawPaletteArt(random, 1 + run % 9);
    GifFile gif;
    FrmImage converted;
    auto decoder = std::make_unique<LzwDecoder>();
    ASSERT_TRUE(convertGif(art.gif.data(), art.gif.size(), options, gif,
                           converted, *decoder)
                    .done());
    FrmImage image;
    writeAndReadBack(converted, image);
    const std::unique_ptr<GifFile> shown = shownDirection(image, 0);
    std::vector<Rect> source;
    for (std::size_t k = 0; k < art.images.size(); ++k) {
      const gifenc::Image& drawn = art.images[k];
      source.push_back({drawn.left, drawn.top, drawn.width, drawn.height});
      const GifFrame& frame = shown->frames[k];
      const Bytes indices(frame.pixels.data(),
                          frame.pixels.data() + frame.pixelCount());
      const Bytes expected = art.expectedIndices(k);
      EXPECT_EQ(indices, expected.empty() ? Bytes{0} : expected) << k;
    }
    expectPlacedLike(*shown, source);
  }
}

// Whether every move from one image's reference point to the next fits the
// FRM's 16-bit offsets. The format stores the low 16 bits of a longer move,
// so such a sprite no longer says where its frames were.
bool offsetsFit16Bits(const std::vector<Rect>& images,
                      std::int64_t screenWidth) {
  // The move to the first image only shifts the whole sprite.
  for (std::size_t k = 1; k < images.size(); ++k) {
    // The converter's reference points, from the screen's centre and bottom
    // (its height cancels out of the moves).
    const Rect& from = images[k - 1];
    const Rect& to = images[k];
    const std::int64_t moveX = (to.left - (screenWidth - to.width) / 2) -
                               (from.left - (screenWidth - from.width) / 2);
    const std::int64_t moveY = (to.top + to.height) - (from.top + from.height);
    if (std::abs(moveX) > 32767 || std::abs(moveY) > 32767) return false;
  }
  return true;
}

TEST(Frm2gifRoundTrip, EveryCorpusGifThatConvertsWithoutTranslation) {
  const fs::path corpus = GIF2FRM_CORPUS;
  if (!fs::exists(corpus)) {
    if (std::getenv("CI") != nullptr)
      ADD_FAILURE() << "no corpus at " << corpus;
    GTEST_SKIP() << "no corpus at " << corpus;
  }
  std::vector<fs::path> gifs;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (entry.is_regular_file() && entry.path().extension() == ".gif") {
      gifs.push_back(entry.path());
    }
  }
  std::sort(gifs.begin(), gifs.end());
  Options options;
  options.translateColors = false;
  int converted = 0;
  int wrapped = 0;
  for (const fs::path& path : gifs) {
    SCOPED_TRACE(path.string());
    const Bytes bytes = readFileBytes(path.string());
    auto decoder = std::make_unique<LzwDecoder>();
    auto gif = std::make_unique<GifFile>();
    FrmImage sprite;
    if (!convertGif(bytes.data(), bytes.size(), options, *gif, sprite,
                    *decoder)
             .done()) {
      continue;
    }
    std::vector<Rect> source;
    for (const GifFrame& frame : gif->frames) source.push_back(rectOf(frame));
    if (!offsetsFit16Bits(source, gif->screen.width)) {
      ++wrapped;
      continue;
    }
    ++converted;
    FrmImage image;
    writeAndReadBack(sprite, image);
    expectPlacedLike(*shownDirection(image, 0), source);
  }
  std::printf(
      "%d of %zu corpus GIFs convert with -n and come back; %d more move a "
      "frame further than a 16-bit offset reaches\n",
      converted, gifs.size(), wrapped);
  EXPECT_GE(converted, 149);
}

}  // namespace

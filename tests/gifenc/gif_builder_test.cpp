#include "gif/encoder/gif_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gif/encoder/lzw_encoder.h"
#include "gifenc/reference_decoder.h"

namespace gifenc {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes tail(const Bytes& all, std::size_t from) {
  return Bytes(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());
}

TEST(GifencBuilderTest, HeaderScreenAndPaddedGlobalTable) {
  Screen s;
  s.width = 0x0103;
  s.height = 2;
  s.globalColors = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  s.background = 1;
  EXPECT_EQ(GifBuilder().header("87a").screen(s).bytes(),
            (Bytes{'G', 'I', 'F', '8', '7', 'a', 0x03, 0x01, 2, 0, 0xF1, 1, 0,
                   1,   2,   3,   4,   5,   6,   7,    8,    9, 0, 0,    0}));

  Screen bare;
  bare.colorResolution = 1;
  bare.sorted = true;
  EXPECT_EQ(GifBuilder().screen(bare).bytes(), (Bytes{0, 0, 0, 0, 0x08, 0, 0}));
}

TEST(GifencBuilderTest, TableSizeFieldCoversEntries) {
  EXPECT_EQ(tableSizeField(1), 0);
  EXPECT_EQ(tableSizeField(2), 0);
  EXPECT_EQ(tableSizeField(3), 1);
  EXPECT_EQ(tableSizeField(4), 1);
  EXPECT_EQ(tableSizeField(5), 2);
  EXPECT_EQ(tableSizeField(129), 7);
  EXPECT_EQ(tableSizeField(256), 7);
}

TEST(GifencBuilderTest, ExtensionsAreLaidOutAsInTheStandard) {
  GraphicControl gc;
  gc.disposal = 2;
  gc.transparent = true;
  gc.transparentIndex = 5;
  gc.delay = 0x0102;
  EXPECT_EQ(GifBuilder().graphicControl(gc).bytes(),
            (Bytes{0x21, 0xF9, 4, 0x09, 0x02, 0x01, 5, 0}));

  EXPECT_EQ(GifBuilder().loop().bytes(),
            (Bytes{0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2',
                   '.', '0', 3, 1, 0, 0, 0}));
  EXPECT_EQ(GifBuilder().comment("hi").bytes(),
            (Bytes{0x21, 0xFE, 2, 'h', 'i', 0}));
  EXPECT_EQ(GifBuilder().extension(0x00, {}).bytes(), (Bytes{0x21, 0x00, 0}));

  PlainText pt;
  pt.left = 1;
  pt.width = 0x0200;
  pt.text = "A";
  EXPECT_EQ(
      GifBuilder().plainText(pt).bytes(),
      (Bytes{0x21, 0x01, 12, 1, 0, 0, 0, 0, 2, 0, 0, 8, 8, 1, 0, 1, 'A', 0}));
}

TEST(GifencBuilderTest, ImageDescriptorWithLocalTableAndInterlaceFlag) {
  Image image;
  image.left = 1;
  image.top = 2;
  image.width = 3;
  image.height = 0x0104;
  image.localColors = {{10, 20, 30}, {40, 50, 60}};
  image.interlaced = true;
  EXPECT_EQ(
      GifBuilder().imageHeader(image).bytes(),
      (Bytes{0x2C, 1, 0, 2, 0, 3, 0, 4, 1, 0xC0, 10, 20, 30, 40, 50, 60}));
}

TEST(GifencBuilderTest, InterlacedRowOrderIsTheFourPasses) {
  EXPECT_EQ(interlacedRowOrder(10),
            (std::vector<std::uint32_t>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
  EXPECT_EQ(interlacedRowOrder(1), (std::vector<std::uint32_t>{0}));
  EXPECT_TRUE(interlacedRowOrder(0).empty());
  for (std::uint32_t height = 1; height <= 40; ++height) {
    std::vector<std::uint32_t> rows = interlacedRowOrder(height);
    std::sort(rows.begin(), rows.end());
    ASSERT_EQ(rows.size(), height);
    for (std::uint32_t i = 0; i < height; ++i) ASSERT_EQ(rows[i], i);
  }
}

TEST(GifencBuilderTest, ImageDataHoldsRowsInStreamOrder) {
  Image image;
  image.width = 2;
  image.height = 8;
  for (std::uint8_t row = 0; row < 8; ++row) {
    image.pixels.insert(image.pixels.end(), {row, row});
  }
  const std::size_t header = 10;  // descriptor, no local table

  const Bytes plain = GifBuilder().image(image).bytes();
  EXPECT_EQ(plain[header], 3);  // enough bits for pixel 7
  EXPECT_EQ(gifenc_test::referenceDecode(tail(plain, header)), image.pixels);

  image.interlaced = true;
  const Bytes interlaced = GifBuilder().image(image).bytes();
  EXPECT_EQ(gifenc_test::referenceDecode(tail(interlaced, header)),
            (Bytes{0, 0, 4, 4, 2, 2, 6, 6, 1, 1, 3, 3, 5, 5, 7, 7}));
}

TEST(GifencBuilderTest, PixelsByPointerAreReadWhereTheyLie) {
  // Five rows of two, the last one short; the vector of the image is
  // ignored (its 200 would ask for eight bits).
  Image image;
  image.width = 2;
  image.height = 5;
  image.pixels = {200};
  const Bytes pixels{0, 0, 1, 1, 2, 2, 3, 3, 4};
  const auto expected = [&image](const Bytes& stream) {
    return GifBuilder()
        .imageHeader(image)
        .raw(encodeImageData(stream, 3))
        .bytes();
  };
  EXPECT_EQ(GifBuilder().image(image, pixels.data(), pixels.size()).bytes(),
            expected(pixels));
  // Passes: row 0; row 4; row 2; rows 1 and 3.
  image.interlaced = true;
  EXPECT_EQ(GifBuilder().image(image, pixels.data(), pixels.size()).bytes(),
            expected({0, 0, 4, 2, 2, 1, 1, 3, 3}));
}

TEST(GifencBuilderTest, TakeLeavesAFreshBuilder) {
  Screen s;
  s.globalColors.resize(256);
  GifBuilder gif;
  gif.header().screen(s);
  const Bytes taken = gif.take();
  EXPECT_EQ(taken.size(), 6u + 7u + 256u * 3u);
  EXPECT_TRUE(gif.bytes().empty());
  // The global table is gone with its bytes: pixel 1 needs two bits, not 8.
  Image image;
  image.width = 1;
  image.height = 1;
  image.pixels = {1};
  EXPECT_EQ(gif.image(image).bytes()[10], 2);
}

TEST(GifencBuilderTest, MinimumCodeSizeFollowsTheTableInUse) {
  Screen s;
  s.globalColors.resize(4);
  Image image;
  image.width = 1;
  image.height = 1;
  image.pixels = {1};
  const std::size_t screenBytes = 7 + 4 * 3;

  const Bytes global = GifBuilder().screen(s).image(image).bytes();
  EXPECT_EQ(global[screenBytes + 10], 2);

  image.localColors.resize(32);
  const Bytes local = GifBuilder().screen(s).image(image).bytes();
  EXPECT_EQ(local[screenBytes + 10 + 32 * 3], 5);

  image.localColors.clear();
  image.minCodeSize = 7;
  const Bytes forced = GifBuilder().screen(s).image(image).bytes();
  EXPECT_EQ(forced[screenBytes + 10], 7);
  EXPECT_EQ(gifenc_test::referenceDecode(tail(forced, screenBytes + 10)),
            image.pixels);
}

}  // namespace
}  // namespace gifenc

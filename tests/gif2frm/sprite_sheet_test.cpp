// -g=: the cells of a sheet as frames, from the parts of the sheet's image
// that lie in them.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "frm/frm_image.h"
#include "gif/encoder/gifenc.h"
#include "gif/lzw_decoder.h"
#include "gif2frm/conversion.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Converted {
  RunOutcome outcome;
  FrmImage image;
};

void convertSheet(const Bytes& gif, std::uint32_t columns, std::uint32_t rows,
                  Converted& out) {
  Options options;
  options.translateColors = false;
  options.sheetColumns = columns;
  options.sheetRows = rows;
  const auto decoder = std::make_unique<LzwDecoder>();
  out.outcome =
      convertBytes(gif.data(), gif.size(), options, out.image, *decoder);
}

std::vector<std::uint8_t> pixelsOf(const FrmFrame& frame) {
  return {frame.pixels(), frame.pixels() + frame.pixelCount};
}

// A 4 x 2 screen whose image covers only columns 1 to 3: the cell of
// columns 0 and 1 holds one column of it, placed as that column stands.
TEST(SpriteSheet, ACellHoldsThePartOfTheImageInIt) {
  gifenc::Image picture;
  picture.left = 1;
  picture.width = 3;
  picture.height = 2;
  picture.pixels = {1, 2, 3, 4, 5, 6};
  gifenc::GifBuilder gif;
  gif.header()
      .screen({4,
               2,
               {{0, 0, 0},
                {1, 1, 1},
                {2, 2, 2},
                {3, 3, 3},
                {4, 4, 4},
                {5, 5, 5},
                {6, 6, 6},
                {7, 7, 7}}})
      .image(picture)
      .trailer();
  Converted sheet;
  convertSheet(gif.bytes(), 2, 1, sheet);
  ASSERT_TRUE(sheet.outcome.done());
  ASSERT_EQ(sheet.image.framesPerDirection, 2);
  const FrmFrame& first = *sheet.image.frames[0];
  const FrmFrame& second = *sheet.image.frames[1];
  EXPECT_EQ(first.width, 1);
  EXPECT_EQ(first.height, 2);
  EXPECT_EQ(pixelsOf(first), (std::vector<std::uint8_t>{1, 4}));
  // Left 1 on a cell 2 wide: x = 1 - (2 - 1) / 2 = 1; bottom on the bottom.
  EXPECT_EQ(first.offsetX, 1);
  EXPECT_EQ(first.offsetY, 0);
  EXPECT_EQ(pixelsOf(second), (std::vector<std::uint8_t>{2, 3, 5, 6}));
  EXPECT_EQ(second.offsetX, -1);  // x = 0, from the first frame's 1
  EXPECT_EQ(second.offsetY, 0);
}

// Image data that ends early leaves the rest of the sheet transparent in
// every cell it would have reached.
TEST(SpriteSheet, PixelsNeverDecodedAreTransparentInEveryCell) {
  gifenc::Image picture;
  picture.width = 4;
  picture.height = 2;
  // Clear, the first row's four pixels, end: the second row never comes.
  const Bytes data = gifenc::CodeStream(2)
                         .codes(gifenc::withWidths(2, {4, 1, 1, 2, 2, 5}))
                         .bytes();
  gifenc::GifBuilder gif;
  gif.header().screen({4, 2, {{0, 0, 0}, {9, 9, 9}, {8, 8, 8}, {7, 7, 7}}});
  gif.imageHeader(picture).raw(data).trailer();
  Converted sheet;
  convertSheet(gif.bytes(), 2, 2, sheet);
  ASSERT_TRUE(sheet.outcome.done());
  ASSERT_EQ(sheet.image.framesPerDirection, 4);
  const std::vector<std::uint8_t> expected[] = {{1, 1}, {2, 2}, {0, 0}, {0, 0}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(pixelsOf(*sheet.image.frames[k]), expected[k]) << k;
  }
}

}  // namespace

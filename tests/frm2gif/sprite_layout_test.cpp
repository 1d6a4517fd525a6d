// The arithmetic of showing a sprite: the delay of a frame rate, and the
// picture of a direction: laid out so that the converter's rule gives every
// frame's point back, as small as that allows, and where that cannot be,
// the box around the frames measured from another point.
#include "frm2gif/sprite_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "frm2gif/sprite_gif.h"

namespace {

struct FrameShape {
  std::uint16_t width, height;
  std::int16_t offsetX, offsetY;
};

void fill(FrmImage& image, const std::vector<FrameShape>& shapes) {
  ASSERT_TRUE(
      image.allocateFrameArray(static_cast<std::uint16_t>(shapes.size())));
  for (std::size_t k = 0; k < shapes.size(); ++k) {
    FrmFrame* frame = image.allocateFrame(static_cast<std::uint32_t>(k),
                                          shapes[k].width, shapes[k].height);
    ASSERT_NE(frame, nullptr);
    frame->offsetX = shapes[k].offsetX;
    frame->offsetY = shapes[k].offsetY;
  }
}

// Where gif2frm puts the point of an image of w x h at (left, top) in a
// picture of width x height: its own arithmetic, on 32-bit values.
struct Point {
  std::int32_t x, y;
};
Point converterPoint(std::int32_t left, std::int32_t top, std::int32_t w,
                     std::int32_t h, std::int32_t width, std::int32_t height) {
  return {left - (width - w) / 2, top + h - height};
}

// Whether every frame, shown at least 1 x 1, lies whole in a picture of
// width x height where the converter's rule gives its point back, with the
// picture's bottom centre at (0, 0).
bool fitsAround(const std::vector<FrameShape>& shapes, std::int32_t width,
                std::int32_t height) {
  std::int32_t x = 0;
  std::int32_t y = 0;
  for (const FrameShape& shape : shapes) {
    x += shape.offsetX;
    y += shape.offsetY;
    const bool empty = shape.width == 0 || shape.height == 0;
    const std::int32_t w = empty ? 1 : shape.width;
    const std::int32_t h = empty ? 1 : shape.height;
    const std::int32_t left = x + (width - w) / 2;
    const std::int32_t top = y + height - h;
    if (w > width || left < 0 || left + w > width || top < 0 ||
        top + h > height) {
      return false;
    }
  }
  return true;
}

TEST(SpriteLayout, DelayIsTheFrameRateRoundedToHundredths) {
  EXPECT_EQ(frameDelay(0), 10);  // no rate given: ten frames a second
  EXPECT_EQ(frameDelay(1), 100);
  EXPECT_EQ(frameDelay(3), 33);
  EXPECT_EQ(frameDelay(6), 17);  // 16.67
  EXPECT_EQ(frameDelay(8), 13);  // 12.5 rounds up
  EXPECT_EQ(frameDelay(200), 1);
  EXPECT_EQ(frameDelay(201), 1);  // never 0, which players read as "none"
  EXPECT_EQ(frameDelay(65535), 1);
}

TEST(SpriteLayout, ThePictureIsLaidOutAroundWhereTheOffsetsStart) {
  FrmImage image;
  // Points (0, 0), (2, -3), (-3, -3); the last frame is empty.
  fill(image, {{3, 2, 0, 0}, {4, 1, 2, -3}, {0, 0, -5, 0}});
  const DirectionPicture layout = layOutDirection(image, 0);
  // The 4-wide frame needs 2 x 2 - 1 columns right of the centre besides
  // its own 4, the empty one 2 x 3 to the left besides its pixel: 7.
  EXPECT_EQ(layout.width, 7);
  EXPECT_EQ(layout.height, 4);
  ASSERT_EQ(layout.frames.size(), 3u);
  EXPECT_EQ(layout.frames[0].left, 2);  // 0 + (7 - 3) / 2
  EXPECT_EQ(layout.frames[0].top, 2);
  EXPECT_EQ(layout.frames[1].left, 3);  // 2 + (7 - 4) / 2
  EXPECT_EQ(layout.frames[1].top, 0);
  EXPECT_EQ(layout.frames[2].left, 0);  // -3 + (7 - 1) / 2
  EXPECT_EQ(layout.frames[2].top, 0);
  EXPECT_TRUE(layout.exact());
}

// Random directions whose frames lie on or above where the offsets start:
// the converter's rule gives every frame's point back, and no smaller
// picture would do.
TEST(SpriteLayout, EveryPointComesBackInTheSmallestPicture) {
  std::mt19937 random(3);
  auto between = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  for (int run = 0; run < 500; ++run) {
    SCOPED_TRACE(run);
    std::vector<FrameShape> shapes;
    std::int32_t y = 0;
    for (int k = between(1, 6); k > 0; --k) {
      const int nextY = between(-12, 0);
      const bool empty = between(0, 6) == 0;
      shapes.push_back({static_cast<std::uint16_t>(empty ? 0 : between(1, 9)),
                        static_cast<std::uint16_t>(between(empty ? 0 : 1, 9)),
                        static_cast<std::int16_t>(between(-8, 8)),
                        static_cast<std::int16_t>(nextY - y)});
      y = nextY;
    }
    FrmImage image;
    fill(image, shapes);
    const DirectionPicture layout = layOutDirection(image, 0);
    ASSERT_TRUE(layout.exact());
    std::int32_t x = 0;
    y = 0;
    for (std::size_t k = 0; k < shapes.size(); ++k) {
      x += shapes[k].offsetX;
      y += shapes[k].offsetY;
      const FrmFrame& frame = *image.frames[k];
      const std::int32_t w = frame.pixelCount == 0 ? 1 : frame.width;
      const std::int32_t h = frame.pixelCount == 0 ? 1 : frame.height;
      const FramePlacement& at = layout.frames[k];
      EXPECT_GE(at.left, 0);
      EXPECT_GE(at.top, 0);
      EXPECT_LE(at.left + w, layout.width);
      EXPECT_LE(at.top + h, layout.height);
      const Point point = converterPoint(
          static_cast<std::int32_t>(at.left), static_cast<std::int32_t>(at.top),
          w, h, static_cast<std::int32_t>(layout.width),
          static_cast<std::int32_t>(layout.height));
      EXPECT_EQ(point.x, x) << k;
      EXPECT_EQ(point.y, y) << k;
    }
    const auto width = static_cast<std::int32_t>(layout.width);
    const auto height = static_cast<std::int32_t>(layout.height);
    EXPECT_TRUE(fitsAround(shapes, width, height));
    EXPECT_FALSE(fitsAround(shapes, width - 1, height));
    EXPECT_FALSE(fitsAround(shapes, width, height - 1));
  }
}

// A frame below the start could only come back from outside the picture:
// the picture's bottom moves down to it, and the first frame comes back
// that much higher.
TEST(SpriteLayout, AFrameBelowTheStartMovesTheBottomDown) {
  FrmImage image;
  // Points (10, 20), (7, 21), (107, -29); frame 1 lies lowest.
  fill(image, {{5, 4, 10, 20}, {2, 2, -3, 1}, {0, 0, 100, -50}});
  const DirectionPicture layout = layOutDirection(image, 0);
  EXPECT_EQ(layout.anchorX, 0);
  EXPECT_EQ(layout.anchorY, 21);
  EXPECT_EQ(layout.lowestFrame, 1u);
  EXPECT_EQ(layout.lowestBelow, 21);
  EXPECT_FALSE(layout.exact());
  EXPECT_EQ(layout.width, 214);  // 2 x 107 - 1 right, and the pixel
  EXPECT_EQ(layout.height, 1 + 29 + 21);
  EXPECT_EQ(layout.frames[0].left, 10 + (214 - 5) / 2);
  EXPECT_EQ(layout.frames[0].top, 46);
  EXPECT_EQ(layout.frames[1].left, 7 + (214 - 2) / 2);
  EXPECT_EQ(layout.frames[1].top, 49);
  EXPECT_EQ(layout.frames[2].left, 213);
  EXPECT_EQ(layout.frames[2].top, 0);
  EXPECT_TRUE(layout.fitsGif());
}

// Around the start, frames 65534 pixels to its right need 131068 columns;
// from another point, the 65535 of the box around them, the most a GIF
// holds. One more pixel is too many.
TEST(SpriteLayout, TooWideAroundTheStartIsMeasuredFromElsewhere) {
  FrmImage image;
  fill(image, {{1, 1, 0, 0}, {1, 1, 32767, 0}, {1, 1, 32767, 0}});
  const DirectionPicture layout = layOutDirection(image, 0);
  EXPECT_EQ(layout.centredWidth, 131068);
  EXPECT_EQ(layout.centredHeight, 0);
  EXPECT_EQ(layout.anchorX, 32767);
  EXPECT_EQ(layout.anchorY, 0);
  EXPECT_EQ(layout.width, 65535);
  EXPECT_EQ(layout.height, 1);
  EXPECT_EQ(layout.frames[0].left, 0);
  EXPECT_EQ(layout.frames[1].left, 32767);
  EXPECT_EQ(layout.frames[2].left, 65534);
  EXPECT_TRUE(layout.fitsGif());

  FrmImage wider;
  fill(wider, {{2, 1, 0, 0}, {1, 1, 32767, 0}, {1, 1, 32767, 0}});
  EXPECT_FALSE(layOutDirection(wider, 0).fitsGif());

  // Straight up: a frame 1 high at -65534 fits the 65535 rows above the
  // start; one 2 high needs 65536, and the picture's bottom moves up to the
  // lowest frame, 32767 above the start.
  FrmImage tall;
  fill(tall, {{1, 1, 0, -32767}, {1, 1, 0, -32767}, {1, 1, 0, 32767}});
  const DirectionPicture column = layOutDirection(tall, 0);
  EXPECT_EQ(column.height, 65535);
  EXPECT_TRUE(column.exact());
  FrmImage taller;
  fill(taller, {{1, 1, 0, -32767}, {1, 2, 0, -32767}, {1, 1, 0, 32767}});
  const DirectionPicture moved = layOutDirection(taller, 0);
  EXPECT_EQ(moved.centredHeight, 65536);
  EXPECT_EQ(moved.anchorY, -32767);
  EXPECT_EQ(moved.height, 32769);
  EXPECT_EQ(moved.frames[1].top, 0);
  EXPECT_TRUE(moved.fitsGif());
}

}  // namespace

// The arithmetic of showing a sprite: the delay of a frame rate, and the
// picture of a direction at its edges (empty frames, odd widths, the
// largest picture a GIF holds).
#include "frm2gif/sprite_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "frm2gif/sprite_gif.h"

namespace {

struct FrameSpec {
  std::uint16_t width, height;
  std::int16_t offsetX, offsetY;
};

void fill(FrmImage& image, const std::vector<FrameSpec>& specs) {
  ASSERT_TRUE(
      image.allocateFrameArray(static_cast<std::uint16_t>(specs.size())));
  for (std::size_t k = 0; k < specs.size(); ++k) {
    FrmFrame* frame = image.allocateFrame(static_cast<std::uint32_t>(k),
                                          specs[k].width, specs[k].height);
    ASSERT_NE(frame, nullptr);
    frame->offsetX = specs[k].offsetX;
    frame->offsetY = specs[k].offsetY;
  }
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

TEST(SpriteLayout, FramesHangFromTheirReferencePoints) {
  FrmImage image;
  // An odd width has its extra column right of the point.
  fill(image, {{5, 4, 10, 20}, {2, 2, -3, 1}, {0, 0, 100, -50}});
  const DirectionPicture layout = layOutDirection(image, 0);
  // Frame 0: columns 8..12, rows 16..19; frame 1: 6..7, 19..20; the empty
  // frame 2 is the point (107, -29), and it counts.
  ASSERT_EQ(layout.frames.size(), 3u);
  EXPECT_EQ(layout.width, 107 - 6);
  EXPECT_EQ(layout.height, 21 - -29);
  EXPECT_EQ(layout.frames[0].left, 8 - 6);
  EXPECT_EQ(layout.frames[0].top, 16 - -29);
  EXPECT_EQ(layout.frames[1].left, 0);
  EXPECT_EQ(layout.frames[1].top, 19 - -29);
  EXPECT_EQ(layout.frames[2].left, 101);
  EXPECT_EQ(layout.frames[2].top, 0);
  EXPECT_TRUE(layout.fitsGif());
}

}  // namespace

#include "frm2gif/sprite_gif.h"

#include <algorithm>

#include "color/six_bit.h"
#include "gif/encoder/gifenc.h"

namespace {

constexpr std::uint16_t kDefaultDelay = 10;  // ten frames a second
constexpr std::uint8_t kDisposalRestoreBackground = 2;
constexpr std::uint8_t kTransparentPixel = 0;

gifenc::ColorTable colorTable(const PaletteColors& colors) {
  gifenc::ColorTable table(256);
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = {expandSixBit(colors[3 * i]), expandSixBit(colors[3 * i + 1]),
                expandSixBit(colors[3 * i + 2])};
  }
  return table;
}

}  // namespace

std::uint16_t frameDelay(std::uint16_t framesPerSecond) {
  if (framesPerSecond == 0) return kDefaultDelay;
  const unsigned rounded = (100u + framesPerSecond / 2u) / framesPerSecond;
  return static_cast<std::uint16_t>(rounded == 0 ? 1 : rounded);
}

std::vector<std::uint8_t> directionGif(const FrmImage& image, int direction,
                                       const DirectionPicture& layout,
                                       const PaletteColors& colors) {
  gifenc::GifBuilder gif;
  gifenc::Screen screen;
  screen.width = static_cast<std::uint16_t>(layout.width);
  screen.height = static_cast<std::uint16_t>(layout.height);
  screen.globalColors = colorTable(colors);
  screen.background = 0;  // the transparent index
  gif.header("89a").screen(screen).loop(0);

  gifenc::GraphicControl control;
  control.disposal = kDisposalRestoreBackground;
  control.transparent = true;
  control.transparentIndex = 0;
  control.delay = frameDelay(image.framesPerSecond);

  const std::uint32_t first = std::uint32_t{image.framesPerDirection} *
                              static_cast<std::uint32_t>(direction);
  for (std::uint32_t k = 0; k < image.framesPerDirection; ++k) {
    const FrmFrame& frame = *image.frames[first + k];
    // The frame's pixels are encoded where they lie, not copied.
    gifenc::Image picture;
    const std::uint8_t* pixels = frame.pixels();
    std::size_t count = frame.pixelCount;
    picture.left = static_cast<std::uint16_t>(layout.frames[k].left);
    picture.top = static_cast<std::uint16_t>(layout.frames[k].top);
    if (frame.pixelCount == 0) {
      // The corner of an empty frame may lie on the picture's right or
      // bottom edge, one past its last pixel.
      picture.left = static_cast<std::uint16_t>(
          std::min<std::int64_t>(picture.left, layout.width - 1));
      picture.top = static_cast<std::uint16_t>(
          std::min<std::int64_t>(picture.top, layout.height - 1));
      picture.width = 1;
      picture.height = 1;
      pixels = &kTransparentPixel;
      count = 1;
    } else {
      picture.width = frame.width;
      picture.height = frame.height;
    }
    gif.graphicControl(control).image(picture, pixels, count);
  }
  gif.trailer();
  return gif.take();
}

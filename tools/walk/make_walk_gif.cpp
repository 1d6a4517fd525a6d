// Writes examples/walk.gif: a small figure walking, eight frames on a
// transparent background, looping. Every colour is a palette entry's 6-bit
// colour times 4, so the converter maps it to that very entry.
//
// Usage: make_walk_gif resources/palette.pal examples/walk.gif
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "gif/encoder/gif_builder.h"
#include "tools/walk/walk_figure.h"

namespace {

constexpr std::size_t kPaletteFileSize = 33536;
constexpr std::uint16_t kDelay = 10;  // hundredths of a second per frame

// Palette entry for each ink. The background's colour is never shown, but
// it still has to be a palette colour because the whole table is matched.
constexpr std::array<int, walk::kInkCount> kPaletteEntry = {
    223,  // kClear: magenta, the customary key colour
    14,   // kOutline: near-black grey
    20,   // kSkin
    22,   // kSkinShade
    39,   // kHair: brown
    130,  // kShirt: red
    135,  // kShirtShade
    108,  // kTrousers: blue
    111,  // kTrousersShade
    44,   // kShoes: dark brown
};

bool readPalette(const char* path, std::vector<std::uint8_t>& palette) {
  std::ifstream in(path, std::ios::binary);
  palette.assign(std::istreambuf_iterator<char>(in),
                 std::istreambuf_iterator<char>());
  return palette.size() == kPaletteFileSize;  // also false if unreadable
}

bool colorTable(const std::vector<std::uint8_t>& palette,
                gifenc::ColorTable& table) {
  for (int entry : kPaletteEntry) {
    const std::size_t at = static_cast<std::size_t>(entry) * 3;
    const std::uint8_t r = palette[at], g = palette[at + 1],
                       b = palette[at + 2];
    if (entry < 1 || entry > 228 || r > 63 || g > 63 || b > 63) return false;
    table.push_back({static_cast<std::uint8_t>(r * 4),
                     static_cast<std::uint8_t>(g * 4),
                     static_cast<std::uint8_t>(b * 4)});
  }
  return true;
}

// The smallest rectangle holding every drawn pixel of a full frame.
gifenc::Image cropped(const std::vector<std::uint8_t>& full) {
  int left = walk::kFrameWidth, top = walk::kFrameHeight, right = -1,
      bottom = -1;
  for (int y = 0; y < walk::kFrameHeight; ++y) {
    for (int x = 0; x < walk::kFrameWidth; ++x) {
      if (full[static_cast<std::size_t>(y * walk::kFrameWidth + x)] ==
          walk::kClear) {
        continue;
      }
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  gifenc::Image image;
  image.left = static_cast<std::uint16_t>(left);
  image.top = static_cast<std::uint16_t>(top);
  image.width = static_cast<std::uint16_t>(right - left + 1);
  image.height = static_cast<std::uint16_t>(bottom - top + 1);
  for (int y = top; y <= bottom; ++y) {
    const auto row = full.begin() + y * walk::kFrameWidth;
    image.pixels.insert(image.pixels.end(), row + left, row + right + 1);
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_walk_gif palette.pal walk.gif\n");
    return 1;
  }
  std::vector<std::uint8_t> palette;
  gifenc::ColorTable table;
  if (!readPalette(argv[1], palette) || !colorTable(palette, table)) {
    std::fprintf(stderr, "%s is not a usable palette\n", argv[1]);
    return 1;
  }

  gifenc::Screen screen;
  screen.width = walk::kFrameWidth;
  screen.height = walk::kFrameHeight;
  screen.globalColors = table;
  screen.colorResolution = 6;

  gifenc::GifBuilder gif;
  gif.header("89a").screen(screen).loop();
  gif.comment("gif2frm example: walking figure");
  for (int frame = 0; frame < walk::kFramesPerCycle; ++frame) {
    gifenc::GraphicControl control;
    control.disposal = 2;  // clear to background, so the frames don't smear
    control.transparent = true;
    control.transparentIndex = walk::kClear;
    control.delay = kDelay;
    gif.graphicControl(control);

    const std::vector<std::uint8_t> full = walk::drawWalkFrame(frame);
    // The first frame covers the whole screen; the others only the figure,
    // so their images sit at varying offsets.
    gifenc::Image image;
    if (frame == 0) {
      image.width = walk::kFrameWidth;
      image.height = walk::kFrameHeight;
      image.pixels = full;
    } else {
      image = cropped(full);
    }
    gif.image(image);
  }
  gif.trailer();

  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(gif.bytes().data()),
            static_cast<std::streamsize>(gif.bytes().size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}

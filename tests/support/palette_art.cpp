#include "support/palette_art.h"

#include <set>
#include <tuple>

#include "color/palette.h"
#include "color/six_bit.h"

namespace {

// The indices 1..228 whose colour no lower index of them has: with delta 0
// a colour finds the first entry of its value, so only these map to
// themselves.
std::vector<std::uint8_t> firstOfTheirColour(const std::uint8_t* palette) {
  std::vector<std::uint8_t> indices;
  std::set<std::tuple<int, int, int>> seen;
  for (int i = kFirstMatchableEntry; i <= kLastMatchableEntry; ++i) {
    const auto colour =
        std::make_tuple(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]);
    if (seen.insert(colour).second) {
      indices.push_back(static_cast<std::uint8_t>(i));
    }
  }
  return indices;
}

int between(std::mt19937& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

}  // namespace

std::vector<std::uint8_t> PaletteArt::expectedIndices(std::size_t k) const {
  std::vector<std::uint8_t> indices = images[k].pixels;
  if (transparent[k] >= 0) {
    for (std::uint8_t& index : indices) {
      if (index == transparent[k]) index = 0;
    }
  }
  return indices;
}

PaletteArt drawPaletteArt(std::mt19937& random, int imageCount) {
  const std::uint8_t* palette = loadPalette();
  static const std::vector<std::uint8_t> usable = firstOfTheirColour(palette);
  // Every entry must match at delta 0, the unused ones too: they take the
  // colour of the first usable entry.
  gifenc::ColorTable table(256);
  for (int i = 0; i < 256; ++i) {
    const int source = i >= kFirstMatchableEntry && i <= kLastMatchableEntry
                           ? i
                           : usable.front();
    table[i] = {expandSixBit(palette[3 * source]),
                expandSixBit(palette[3 * source + 1]),
                expandSixBit(palette[3 * source + 2])};
  }

  PaletteArt art;
  art.screenWidth = static_cast<std::uint16_t>(between(random, 1, 48));
  art.screenHeight = static_cast<std::uint16_t>(between(random, 1, 48));
  gifenc::GifBuilder gif;
  gifenc::Screen screen;
  screen.width = art.screenWidth;
  screen.height = art.screenHeight;
  screen.globalColors = table;
  gif.header("89a").screen(screen);

  for (int k = 0; k < imageCount; ++k) {
    gifenc::Image image;
    const bool empty = between(random, 0, 9) == 0;
    image.width =
        static_cast<std::uint16_t>(empty ? 0 : between(random, 1, 40));
    image.height = static_cast<std::uint16_t>(empty ? between(random, 0, 3)
                                                    : between(random, 1, 40));
    image.left =
        static_cast<std::uint16_t>(between(random, 0, art.screenWidth));
    image.top =
        static_cast<std::uint16_t>(between(random, 0, art.screenHeight));
    image.interlaced = between(random, 0, 3) == 0;
    // A few colours per image, as sprites have: long runs and repeats.
    std::vector<std::uint8_t> colours(
        static_cast<std::size_t>(between(random, 1, 6)));
    for (std::uint8_t& colour : colours) {
      colour = usable[static_cast<std::size_t>(
          between(random, 0, static_cast<int>(usable.size()) - 1))];
    }
    image.pixels.resize(std::size_t{image.width} * image.height);
    for (std::uint8_t& pixel : image.pixels) {
      pixel = colours[static_cast<std::size_t>(
          between(random, 0, static_cast<int>(colours.size()) - 1))];
    }
    int transparent = -1;
    if (between(random, 0, 2) != 0) {
      // Mostly a colour the image uses; now and then one it does not.
      transparent =
          between(random, 0, 4) == 0 ? usable.back() : colours.front();
      gifenc::GraphicControl control;
      control.transparent = true;
      control.transparentIndex = static_cast<std::uint8_t>(transparent);
      control.delay = static_cast<std::uint16_t>(between(random, 0, 20));
      gif.graphicControl(control);
    }
    gif.image(image);
    art.images.push_back(std::move(image));
    art.transparent.push_back(transparent);
  }
  gif.trailer();
  art.gif = gif.bytes();
  return art;
}

// Reports how far nearest-colour matching moves the colours of GIFs onto the
// built-in palette: for every pixel the image data delivered (transparent
// ones left out), the CIE76 Delta E between its GIF colour and the palette
// entry -m=nearest gives it. Prints one line per GIF that loads and a total;
// GIFs that do not load are counted and skipped.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "color/cielab.h"
#include "color/palette.h"
#include "color/palette_lab.h"
#include "gif/gif_file.h"
#include "gif/gif_input.h"

namespace {

struct Distances {
  double sum = 0;
  double largest = 0;
  std::uint64_t pixels = 0;

  void add(const Distances& other) {
    sum += other.sum;
    pixels += other.pixels;
    if (other.largest > largest) largest = other.largest;
  }
};

// Delta E of each of a colour table's entries to its nearest palette entry.
std::vector<double> tableDistances(const PaletteLab& palette,
                                   const std::uint8_t* table, int entries) {
  std::vector<double> distances(static_cast<std::size_t>(entries));
  for (int i = 0; i < entries; ++i) {
    const std::uint8_t* rgb = table + 3 * i;
    const Lab color = labFromSrgb(rgb[0], rgb[1], rgb[2]);
    const std::uint8_t* entry = palette.widened(palette.nearest(color));
    distances[static_cast<std::size_t>(i)] = std::sqrt(
        squaredDeltaE(color, labFromSrgb(entry[0], entry[1], entry[2])));
  }
  return distances;
}

Distances measure(const PaletteLab& palette, const GifFile& gif) {
  Distances result;
  for (const GifFrame& frame : gif.frames) {
    const bool local = frame.localColorTable.data() != nullptr;
    const std::uint8_t* table =
        local ? frame.localColorTable.data() : gif.globalColorTable.data();
    if (table == nullptr) continue;
    const int entries =
        local ? frame.descriptor.field(ImageDescriptor::LocalColorTableSize)
              : gif.screen.field(LogicalScreenDescriptor::GlobalColorTableSize);
    const std::vector<double> distances =
        tableDistances(palette, table, entries);
    const int transparent =
        frame.hasControl != 0 &&
                frame.control.field(
                    GraphicControlExtension::TransparentColorFlag) != 0
            ? frame.control.transparentColorIndex
            : -1;
    const std::uint8_t* pixels = frame.pixels.data();
    for (std::uint32_t row = 0; row < frame.height(); ++row) {
      const std::uint32_t delivered = frame.deliveredInRow(row);
      for (std::uint32_t x = 0; x < delivered; ++x) {
        const int index = pixels[std::size_t{row} * frame.width() + x];
        if (index == transparent || index >= entries) continue;
        const double d = distances[static_cast<std::size_t>(index)];
        result.sum += d;
        ++result.pixels;
        if (d > result.largest) result.largest = d;
      }
    }
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const PaletteLab palette(loadPalette());
  Distances total;
  int loaded = 0;
  int refused = 0;
  for (int i = 1; i < argc; ++i) {
    std::ifstream file(argv[i], std::ios::binary);
    const std::vector<std::uint8_t> bytes(
        (std::istreambuf_iterator<char>(file)),
        std::istreambuf_iterator<char>());
    GifInput input(bytes.data(), bytes.size());
    GifFile gif;
    if (!file || gif.load(input) != GifStatus::Ok) {
      ++refused;
      continue;
    }
    ++loaded;
    const Distances d = measure(palette, gif);
    std::printf("%s: %llu pixels, mean %.2f, largest %.2f\n", argv[i],
                static_cast<unsigned long long>(d.pixels),
                d.pixels != 0 ? d.sum / static_cast<double>(d.pixels) : 0.0,
                d.largest);
    total.add(d);
  }
  std::printf(
      "%d GIFs loaded, %d refused; %llu pixels: Delta E mean %.2f, largest "
      "%.2f\n",
      loaded, refused, static_cast<unsigned long long>(total.pixels),
      total.pixels != 0 ? total.sum / static_cast<double>(total.pixels) : 0.0,
      total.largest);
  return 0;
}

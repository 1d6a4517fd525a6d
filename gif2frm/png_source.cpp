#include "gif2frm/png_source.h"

#include <cstddef>

namespace {

// The palette entries below the threshold: one stands for all. Returns
// whether there is one, and which.
bool transparentEntries(const PngImage& png, std::uint8_t threshold,
                        bool (&clear)[256], std::uint8_t& first) {
  bool any = false;
  for (std::uint32_t i = 0; i < png.paletteCount && i < 256; ++i) {
    clear[i] = png.palette[i][3] < threshold;
    if (clear[i] && !any) {
      any = true;
      first = static_cast<std::uint8_t>(i);
    }
  }
  return any;
}

// Gives every transparent pixel of an indexed frame the one index that
// stands for transparency.
void foldTransparent(PngFrame& frame, const bool (&clear)[256],
                     std::uint8_t first) {
  std::uint8_t* p = frame.pixels.data();
  const std::size_t count = std::size_t{frame.width} * frame.height;
  for (std::size_t i = 0; p != nullptr && i < count; ++i) {
    if (clear[p[i]]) p[i] = first;
  }
}

}  // namespace

std::uint16_t hundredthsOfDelay(std::uint16_t numerator,
                                std::uint16_t denominator) {
  const std::uint64_t den = denominator == 0 ? 100 : denominator;
  const std::uint64_t hundredths =
      (std::uint64_t{numerator} * 200 + den) / (2 * den);
  return static_cast<std::uint16_t>(hundredths > 0xFFFF ? 0xFFFF : hundredths);
}

void appendPng(PngSource& source, std::uint8_t alphaThreshold,
               SourceImage& image) {
  PngImage& png = source.png;
  if (image.frames.empty()) {
    image.canvasWidth = png.width;
    image.canvasHeight = png.height;
  }
  const auto part = static_cast<std::uint32_t>(image.sharedTables.size());
  ColorTable table;
  bool clear[256] = {};
  std::uint8_t firstClear = 0;
  bool anyClear = false;
  if (png.indexed) {
    for (std::uint32_t i = 0; i < 256; ++i) {
      for (std::uint32_t k = 0; k < 3; ++k) {
        source.paletteColors[3 * i + k] = png.palette[i][k];
      }
    }
    table.present = true;
    table.colors = source.paletteColors;
    table.count = png.paletteCount;
    anyClear = transparentEntries(png, alphaThreshold, clear, firstClear);
  }
  image.sharedTables.push_back(table);
  image.frames.reserve(image.frames.size() + png.frames.size());
  for (PngFrame& frame : png.frames) {
    if (anyClear) foldTransparent(frame, clear, firstClear);
    SourceFrame described;
    described.left = frame.left;
    described.top = frame.top;
    described.width = frame.width;
    described.height = frame.height;
    described.delay = png.animated ? hundredthsOfDelay(frame.delayNumerator,
                                                       frame.delayDenominator)
                                   : 0;
    described.part = part;
    described.form = png.indexed ? PixelForm::Indices : PixelForm::Rgba;
    described.pixels = &frame.pixels;
    described.transparent = anyClear;
    described.transparentIndex = firstClear;
    image.frames.push_back(described);
  }
}

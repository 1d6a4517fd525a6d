#include "bench/png_bench_art.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "color/palette.h"
#include "color/six_bit.h"

namespace bench {

namespace fs = std::filesystem;

const char kImageMagickConvert[] = "/usr/bin/convert";

const TrueColorArt kRenderArt = {
    "render.png", "200 x 200 RGBA render, anti-aliased alpha edges",
    "-size 200x200 -seed 11 plasma:wheat-sienna "
    "\\( -size 200x200 radial-gradient:white-gray25 \\) -compose Multiply "
    "-composite \\( -size 200x200 xc:black -fill white "
    "-draw 'ellipse 100,120 50,70 0,360' -draw 'circle 100,40 100,16' "
    "-draw 'roundrectangle 36,84 164,104 10,10' \\) -alpha off "
    "-compose CopyOpacity -composite PNG32:"};

const TrueColorArt kPhotoArt = {
    "photo.png", "1000 x 1000 RGB photo-like",
    "-seed 1 -size 1000x1000 plasma:fractal PNG24:"};

std::string makePngArt(const std::string& folder, const TrueColorArt& art) {
  const fs::path path = fs::path(folder) / art.name;
  if (fs::exists(path)) return path.string();
  std::error_code error;
  fs::create_directories(folder, error);
  const std::string command = std::string(kImageMagickConvert) + " " +
                              art.arguments + "'" + path.string() + "'";
  if (std::system(command.c_str()) != 0 || !fs::exists(path)) return "";
  return path.string();
}

std::string makePaletteMap(const std::string& folder) {
  const fs::path path = fs::path(folder) / "map.png";
  if (fs::exists(path)) return path.string();
  const fs::path raw = fs::path(folder) / "map.rgb";
  const std::uint8_t* palette = loadPalette();
  std::vector<char> colors;
  for (int e = kFirstMatchableEntry; e <= kLastMatchableEntry; ++e) {
    for (int k = 0; k < 3; ++k) {
      colors.push_back(static_cast<char>(expandSixBit(palette[3 * e + k])));
    }
  }
  std::error_code error;
  fs::create_directories(folder, error);
  {
    std::ofstream out(raw, std::ios::binary);
    out.write(colors.data(), static_cast<std::streamsize>(colors.size()));
    if (!out) return "";
  }
  // One row of 228 pixels, written as 8-bit RGB.
  const std::string command = std::string(kImageMagickConvert) + " -size " +
                              std::to_string(colors.size() / 3) +
                              "x1 -depth 8 'rgb:" + raw.string() +
                              "' 'PNG24:" + path.string() + "'";
  if (std::system(command.c_str()) != 0 || !fs::exists(path)) return "";
  return path.string();
}

}  // namespace bench

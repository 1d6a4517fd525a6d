// Frames as artists export them: the same six-direction render as folders of
// PNG frames, as a sheet and as an APNG must make the same sprite, with and
// without -c, in every match mode; and -c must keep every visible pixel where
// the untrimmed sprite has it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "frm/frm_image.h"
#include "frm/frm_reader.h"
#include "frm2gif/sprite_layout.h"
#include "platform/memory_source.h"
#include "support/png_art.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using Names = std::vector<std::string>;

constexpr std::uint32_t kWidth = 40;  // each frame's canvas
constexpr std::uint32_t kHeight = 36;
constexpr int kDirections = 6;
constexpr int kFrames = 4;  // per direction

struct Rgba {
  std::uint8_t r, g, b, a;
};

// A shaded ball with a soft edge, moving inside the canvas: its place and
// hue depend on the direction and frame, its shading on the place.
Rgba renderPixel(int direction, int frame, std::uint32_t x, std::uint32_t y) {
  const double cx = 12.0 + 4.0 * frame + direction;
  const double cy = 24.0 - 2.0 * (frame % 2) - direction;
  const double radius = 7.0 + direction % 3;
  const double dx = (x + 0.5 - cx) / radius;
  const double dy = (y + 0.5 - cy) / radius;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d >= 1.0) return {0, 0, 0, 0};
  const double light =
      0.35 + 0.65 * std::max(0.0, 1.0 - d) * (0.6 - 0.4 * dx - 0.4 * dy);
  const auto channel = [&](double base) {
    return static_cast<std::uint8_t>(std::min(255.0, base * light * 255.0));
  };
  const double edge = std::min(1.0, (1.0 - d) * radius);  // about a pixel
  return {channel(0.9 - 0.1 * direction), channel(0.3 + 0.1 * direction),
          channel(0.2 + 0.05 * frame), static_cast<std::uint8_t>(edge * 255)};
}

// IDAT or fdAT rows of a width x height RGBA picture filled by pixel(x, y).
template <typename Pixel>
Bytes rgbaRows(std::uint32_t width, std::uint32_t height, Pixel pixel) {
  return filterNoneRows(4 * width, height,
                        [&](std::uint32_t i, std::uint32_t y) {
                          const Rgba p = pixel(i / 4, y);
                          const std::uint8_t channels[4] = {p.r, p.g, p.b, p.a};
                          return channels[i % 4];
                        });
}

Bytes stillPng(int direction, int frame) {
  PngArt png;
  png.chunk("IHDR", ihdrData(kWidth, kHeight, 8, 6));
  png.imageData(
      rgbaRows(kWidth, kHeight, [&](std::uint32_t x, std::uint32_t y) {
        return renderPixel(direction, frame, x, y);
      }));
  return png.end().bytes();
}

// All the frames in one sheet: a direction a row, a frame a column.
Bytes sheetPng() {
  PngArt png;
  png.chunk("IHDR", ihdrData(kWidth * kFrames, kHeight * kDirections, 8, 6));
  png.imageData(rgbaRows(kWidth * kFrames, kHeight * kDirections,
                         [&](std::uint32_t x, std::uint32_t y) {
                           return renderPixel(static_cast<int>(y / kHeight),
                                              static_cast<int>(x / kWidth),
                                              x % kWidth, y % kHeight);
                         }));
  return png.end().bytes();
}

// All the frames as one animation, the default image its first frame.
Bytes animatedPng() {
  PngArt png;
  png.chunk("IHDR", ihdrData(kWidth, kHeight, 8, 6));
  Bytes actl;
  putBig32(actl, kDirections * kFrames);
  putBig32(actl, 0);
  png.chunk("acTL", actl);
  std::uint32_t sequence = 0;
  for (int d = 0; d < kDirections; ++d) {
    for (int f = 0; f < kFrames; ++f) {
      png.chunk("fcTL", fctlData(sequence++, kWidth, kHeight, 0, 0, 1, 10));
      const Bytes rows =
          rgbaRows(kWidth, kHeight, [&](std::uint32_t x, std::uint32_t y) {
            return renderPixel(d, f, x, y);
          });
      if (d == 0 && f == 0) {
        png.imageData(rows);
      } else {
        png.frameData(sequence++, rows);
      }
    }
  }
  return png.end().bytes();
}

// The frames' names in each direction's folder: numbered so that natural
// order and byte order differ.
std::string frameName(int frame) {
  return "render" + std::to_string(8 + frame) + ".png";
}

struct Exports {
  TempDir dir;
  Exports() {
    for (int d = 0; d < kDirections; ++d) {
      const std::string folder = "d" + std::to_string(d);
      std::filesystem::create_directory(dir.file(folder));
      for (int f = kFrames - 1; f >= 0; --f) {
        dir.write(folder + "/" + frameName(f), stillPng(d, f));
      }
      dir.write(folder + "/notes.txt", std::string("not a frame"));
    }
    dir.write("sheet.png", sheetPng());
    dir.write("animation.png", animatedPng());
  }
};

// Runs gif2frm with args, the input last, writing output.
Bytes convert(const TempDir& dir, std::vector<std::string> args,
              const std::string& output) {
  args.insert(args.end() - 1, "-o=" + output);
  const ProgramResult run = runGif2frm(args, dir.path());
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  return dir.read(output);
}

std::vector<std::string> joined(std::vector<std::string> options,
                                const std::vector<std::string>& more) {
  options.insert(options.end(), more.begin(), more.end());
  return options;
}

TEST(FrameExports, FoldersSheetAndAnimationMakeTheSameSprite) {
  const Exports exports;
  for (const char* mode : {"-m=nearest", "-m=dither", "-m=ordered"}) {
    Bytes untrimmed;
    for (bool trim : {false, true}) {
      SCOPED_TRACE(std::string(mode) + (trim ? " -c" : ""));
      std::vector<std::string> options = {mode, "-f=10"};
      if (trim) options.push_back("-c");
      const Bytes folders = convert(
          exports.dir,
          joined(options,
                 {"-1=d1/", "-2=d2", "-3=d3/", "-4=d4", "-5=d5/", "d0"}),
          "folders.frm");
      const Bytes sheet =
          convert(exports.dir, joined(options, {"-6", "-g=4x6", "sheet.png"}),
                  "sheet.frm");
      const Bytes animation = convert(
          exports.dir, joined(options, {"-6", "animation.png"}), "apng.frm");
      ASSERT_GT(folders.size(), 62u);
      EXPECT_EQ(sheet, folders);
      EXPECT_EQ(animation, folders);
      if (trim) {
        EXPECT_LT(folders.size(), untrimmed.size());
        std::printf("%s: %zu bytes untrimmed, %zu with -c\n", mode,
                    untrimmed.size(), folders.size());
      } else {
        untrimmed = folders;
      }
    }
  }
}

// A frame's visible pixels where frm2gif shows them: column and row from
// the bottom centre of the direction's picture, and the entry.
struct ShownPixel {
  std::int64_t x;
  std::int64_t y;
  std::uint8_t entry;
  bool operator==(const ShownPixel& o) const {
    return x == o.x && y == o.y && entry == o.entry;
  }
};

std::vector<std::vector<ShownPixel>> shownFrames(const Bytes& frm) {
  FrmImage image;
  platform::MemorySource source(frm.data(), frm.size());
  EXPECT_EQ(readFrm(source, frm.size(), image), FrmReadStatus::Ok);
  std::vector<std::vector<ShownPixel>> frames;
  for (int d = 0; d < frmDirectionCount(image); ++d) {
    const DirectionPicture picture = layOutDirection(image, d);
    for (std::size_t k = 0; k < image.framesPerDirection; ++k) {
      const FrmFrame& frame =
          *image.frames[std::size_t{static_cast<unsigned>(d)} *
                            image.framesPerDirection +
                        k];
      std::vector<ShownPixel> shown;
      for (std::uint32_t j = 0; j < frame.height; ++j) {
        for (std::uint32_t i = 0; i < frame.width; ++i) {
          const std::uint8_t entry = frame.pixels()[j * frame.width + i];
          if (entry == 0) continue;
          shown.push_back({picture.frames[k].left + i - picture.width / 2,
                           picture.frames[k].top + j - picture.height, entry});
        }
      }
      frames.push_back(std::move(shown));
    }
  }
  return frames;
}

// frm2gif shows every visible pixel of a trimmed sprite where it shows the
// untrimmed one: the same row, and the same column but where the halving of
// an odd width rounds the other way, one column off, for a whole frame.
TEST(FrameExports, TrimmingKeepsEveryPixelWhereFrm2gifShowsIt) {
  const Exports exports;
  for (const char* mode : {"-m=nearest", "-m=ordered"}) {
    SCOPED_TRACE(mode);
    const Names input = {"-1=d1", "-2=d2", "-3=d3", "-4=d4", "-5=d5", "d0"};
    const auto full =
        shownFrames(convert(exports.dir, joined({mode}, input), "full.frm"));
    const auto trimmed = shownFrames(
        convert(exports.dir, joined({mode, "-c"}, input), "trimmed.frm"));
    ASSERT_EQ(full.size(), trimmed.size());
    int shifted = 0;
    for (std::size_t k = 0; k < full.size(); ++k) {
      SCOPED_TRACE(k);
      ASSERT_FALSE(full[k].empty());
      bool found = false;
      for (const std::int64_t dx : {0, -1, 1}) {
        std::vector<ShownPixel> moved = trimmed[k];
        for (ShownPixel& p : moved) p.x += dx;
        if (moved == full[k]) {
          found = true;
          shifted += dx != 0;
          break;
        }
      }
      EXPECT_TRUE(found);
    }
    std::printf("%s: %d of %zu frames shown one column off\n", mode, shifted,
                full.size());
  }
}

}  // namespace

// Writes the small hand-made GIFs of tests/data/golden, each with the
// options it is converted with (NAME.args, one option a line), and the GIFs
// that such options name as direction files (-1= to -5=). The expected
// FRM files are not made here: make_expected.py computes them from these
// GIFs on its own, so that they owe nothing to the converter.
//
// Usage: make_golden_gifs DIRECTORY
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "gif/encoder/gifenc.h"

namespace {

using gifenc::CodeStream;
using gifenc::ColorTable;
using gifenc::GifBuilder;
using gifenc::GraphicControl;
using gifenc::Image;
using gifenc::Screen;
using Pixels = std::vector<std::uint8_t>;

constexpr gifenc::Rgb kBlack{0, 0, 0};        // first match 100, not 228
constexpr gifenc::Rgb kWhite{255, 255, 255};  // 220; 16 with delta 10
constexpr gifenc::Rgb kRed{255, 0, 0};        // 133
constexpr gifenc::Rgb kGrey{128, 128, 128};   // 8

// The palette's greys 1..15 (59 down to 8 in 6 bits) times 4: each matches
// its own entry, so the mapped frame shows the GIF index for 1..15.
ColorTable paletteGreys() {
  const std::uint8_t levels[] = {59, 55, 51, 47, 44, 40, 36, 32,
                                 29, 25, 22, 18, 15, 11, 8};
  ColorTable table{kBlack};
  for (std::uint8_t level : levels) {
    const auto v = static_cast<std::uint8_t>(level * 4);
    table.push_back({v, v, v});
  }
  return table;
}

Pixels sequence(std::size_t count, int modulo, int start = 0) {
  Pixels out;
  for (std::size_t i = 0; i < count; ++i) {
    out.push_back(
        static_cast<std::uint8_t>((start + static_cast<int>(i)) % modulo));
  }
  return out;
}

Image image(std::uint16_t left, std::uint16_t top, std::uint16_t width,
            std::uint16_t height, Pixels pixels) {
  Image out;
  out.left = left;
  out.top = top;
  out.width = width;
  out.height = height;
  out.pixels = std::move(pixels);
  return out;
}

GraphicControl transparentAt(std::uint8_t index, bool flag = true) {
  GraphicControl gc;
  gc.disposal = 2;
  gc.delay = 10;
  gc.transparent = flag;
  gc.transparentIndex = index;
  return gc;
}

// Image data of literal codes only (minimum code size 2), so that exactly
// `pixels` pixels are delivered; closed by the end code when withEndCode,
// otherwise by the block terminator alone.
std::vector<std::uint8_t> literalData(const Pixels& pixels, bool withEndCode) {
  std::vector<std::uint16_t> values{4};  // clear
  values.insert(values.end(), pixels.begin(), pixels.end());
  if (withEndCode) values.push_back(5);
  return CodeStream(2).codes(gifenc::withWidths(2, values)).bytes();
}

// One frame filling the screen, global table, no extensions.
std::vector<std::uint8_t> single() {
  Screen screen{4, 3, {kBlack, kWhite, kRed, kGrey}};
  return GifBuilder()
      .header("87a")
      .screen(screen)
      .image(image(0, 0, 4, 3, {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 0, 2}))
      .trailer()
      .bytes();
}

// Five frames at different places and sizes: transparency set, set with the
// flag clear, absent; a local table; a frame wider than the screen by an odd
// count; a frame past the screen's bottom; an empty frame.
std::vector<std::uint8_t> animated() {
  Screen screen{20, 10, {kBlack, kWhite, kRed, kGrey}};
  Image wide = image(0, 0, 25, 2, sequence(50, 8));
  wide.localColors = {{236, 236, 236}, {240, 240, 240},
                      {252, 252, 252}, {4, 4, 4},
                      {3, 3, 3},       kRed,
                      kBlack,          kGrey};
  return GifBuilder()
      .header()
      .screen(screen)
      .loop()
      .graphicControl(transparentAt(1))
      .image(image(2, 3, 4, 3, {0, 1, 2, 3, 1, 1, 3, 2, 1, 0, 0, 1}))
      .image(wide)
      .graphicControl(transparentAt(2, false))
      .image(image(15, 8, 3, 5, sequence(15, 4, 1)))
      .graphicControl(transparentAt(0))
      .comment("between the control and its image")
      .graphicControl(transparentAt(3))
      .image(image(19, 9, 1, 1, {3}))
      .graphicControl(transparentAt(0))
      .image(image(5, 5, 0, 0, {}))
      .trailer()
      .bytes();
}

std::vector<std::uint8_t> shifted() {
  Screen screen{6, 4, {kBlack, kWhite, {236, 236, 236}, {240, 240, 240}}};
  return GifBuilder()
      .header()
      .screen(screen)
      .image(image(1, 1, 3, 2, {0, 1, 2, 3, 2, 1}))
      .trailer()
      .bytes();
}

// Ten rows, so that all four interlace passes hold rows; every row differs.
std::vector<std::uint8_t> interlaced() {
  Screen screen{3, 10, paletteGreys()};
  Pixels pixels;
  for (int row = 0; row < 10; ++row) {
    for (int column = 0; column < 3; ++column) {
      pixels.push_back(static_cast<std::uint8_t>((row + 5 * column) % 16));
    }
  }
  Image picture = image(0, 0, 3, 10, pixels);
  picture.interlaced = true;
  return GifBuilder().header().screen(screen).image(picture).trailer().bytes();
}

// Three images whose data deliver fewer pixels than they have: the end code
// in the middle of the second row; an interlaced image ending inside its
// third stream row (shown as row 4); data closed by the block terminator
// without an end code. GIF index 0 is black, which maps to 100, so pixels
// that were never delivered stand out as 0.
std::vector<std::uint8_t> earlyEnd() {
  Screen screen{5, 9, {kBlack, kWhite, kRed, kGrey}};
  Image first = image(0, 0, 5, 4, {});
  Image second = image(0, 0, 4, 9, {});
  second.interlaced = true;
  Image third = image(1, 2, 3, 3, {});
  return GifBuilder()
      .header()
      .screen(screen)
      .imageHeader(first)
      .raw(literalData({2, 0, 3, 1, 2, 0, 0}, true))
      .graphicControl(transparentAt(1))
      .imageHeader(second)
      .raw(literalData({0, 1, 2, 3, 3, 2, 1, 0, 2, 1}, true))
      .imageHeader(third)
      .raw(literalData({3, 0, 2, 1}, false))
      .trailer()
      .bytes();
}

// Neither a global nor a local colour table.
std::vector<std::uint8_t> noTable() {
  Screen screen{3, 2, {}};
  return GifBuilder()
      .header()
      .screen(screen)
      .image(image(0, 0, 3, 2, {0, 1, 2, 3, 4, 5}))
      .trailer()
      .bytes();
}

// A large local table, then a smaller one whose frame uses indices past its
// end (one of them the transparent index), then the global table with an
// index past its end.
std::vector<std::uint8_t> staleLocal() {
  Screen screen{4, 4, {kWhite, kRed}};
  Image large = image(0, 0, 4, 2, sequence(8, 8));
  large.localColors = {kBlack,       kWhite,          kRed,
                       kGrey,        {236, 236, 236}, {176, 176, 176},
                       {32, 32, 32}, {220, 220, 220}};
  Image small = image(0, 1, 4, 2, sequence(8, 8));
  small.localColors = {kRed, kBlack};
  return GifBuilder()
      .header()
      .screen(screen)
      .image(large)
      .graphicControl(transparentAt(5))
      .image(small)
      .graphicControl(transparentAt(3))
      .image(image(0, 2, 4, 2, sequence(8, 4)))
      .trailer()
      .bytes();
}

// Makes the 76-byte FRM of the format's example with -n -x=3 -y=-2: one
// 2 x 1 frame of indices 5 and 6, offsets (1, -1) from the screen geometry.
std::vector<std::uint8_t> example76() {
  Screen screen{2, 2, {kBlack, kWhite, kRed, kGrey, kBlack, kBlack, kBlack}};
  return GifBuilder()
      .header()
      .screen(screen)
      .image(image(1, 0, 2, 1, {5, 6}))
      .trailer()
      .bytes();
}

// A sprite of six directions of three images each, on one 10 x 8 screen.
// Every direction's first image lies away from the last image of the one
// before, so that measuring it from (0, 0) shows. Direction 0's delays are
// 12, 7 and 12 hundredths (12 is the most common: 8 frames per second); all
// other images wait 5, which would win if they counted. Direction 2 has a
// local table as large as the global one, so no entry of it outlives its
// frame; direction 3 starts wider than the screen by an odd count, direction
// 4 holds an empty image and direction 5 an interlaced one.
constexpr int kSpriteDirections = 6;
const Screen kSpriteScreen{10, 8, {kBlack, kWhite, kRed, kGrey}};

void addDirection(GifBuilder& gif, int direction) {
  for (int i = 0; i < 3; ++i) {
    const int d = direction;
    const auto width = static_cast<std::uint16_t>(2 + (d + i) % 3);
    const auto height = static_cast<std::uint16_t>(1 + (d * i + d) % 4);
    Image picture =
        image(static_cast<std::uint16_t>(1 + d + 2 * i),
              static_cast<std::uint16_t>((3 * d + i) % 6), width, height,
              sequence(std::size_t{width} * height, 4, d + i));
    if (d == 2 && i == 1) picture.localColors = {kGrey, kRed, kWhite, kBlack};
    if (d == 3 && i == 0) picture = image(0, 2, 13, 2, sequence(26, 4, 1));
    if (d == 4 && i == 1) picture = image(6, 7, 0, 0, {});
    if (d == 5 && i == 2) {
      picture = image(4, 0, 3, 9, sequence(27, 4, 2));
      picture.interlaced = true;
    }
    GraphicControl control = transparentAt(static_cast<std::uint8_t>(d % 4));
    control.delay = 5;
    if (d == 0) {
      control.delay = i == 1 ? 7 : 12;
      control.transparent = i == 0;
    }
    gif.graphicControl(control).image(picture);
  }
}

// All six directions one after another, for -6.
std::vector<std::uint8_t> sixInOne() {
  GifBuilder gif;
  gif.header().screen(kSpriteScreen).loop();
  for (int d = 0; d < kSpriteDirections; ++d) addDirection(gif, d);
  return gif.trailer().bytes();
}

// One direction on its own, for the input (0) and -1= to -5=.
std::vector<std::uint8_t> oneDirection(int direction) {
  GifBuilder gif;
  gif.header().screen(kSpriteScreen);
  addDirection(gif, direction);
  return gif.trailer().bytes();
}

bool writeFile(const std::string& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out);
}

bool writeCase(const std::string& directory, const std::string& name,
               const std::vector<std::uint8_t>& gif,
               const std::vector<std::string>& args) {
  if (!writeFile(directory + "/" + name + ".gif", gif.data(), gif.size())) {
    return false;
  }
  if (args.empty()) return true;
  std::string text;
  for (const std::string& arg : args) text += arg + "\n";
  return writeFile(directory + "/" + name + ".args", text.data(), text.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  bool ok =
      writeCase(dir, "single", single(), {}) &&
      writeCase(dir, "animated", animated(), {}) &&
      writeCase(dir, "animated_untranslated", animated(), {"-n"}) &&
      writeCase(dir, "shifted", shifted(), {"-x=70000", "-y=-1", "-d=10"}) &&
      writeCase(dir, "interlaced", interlaced(), {}) &&
      writeCase(dir, "early_end", earlyEnd(), {}) &&
      writeCase(dir, "no_table", noTable(), {}) &&
      writeCase(dir, "no_table_untranslated", noTable(), {"-n"}) &&
      writeCase(dir, "stale_local", staleLocal(), {}) &&
      writeCase(dir, "example76", example76(), {"-n", "-x=3", "-y=-2"});
  // The same sprite from one GIF and from six: both give the same FRM.
  const std::vector<std::string> spriteOptions = {"-x=-7", "-y=3", "-f=gif",
                                                  "-a=2"};
  std::vector<std::string> sixInOneArgs = {"-6"};
  std::vector<std::string> sixFilesArgs;
  sixInOneArgs.insert(sixInOneArgs.end(), spriteOptions.begin(),
                      spriteOptions.end());
  sixFilesArgs.insert(sixFilesArgs.end(), spriteOptions.begin(),
                      spriteOptions.end());
  for (int d = 1; d < kSpriteDirections && ok; ++d) {
    const std::string name = "six_files_" + std::to_string(d) + ".gif";
    const std::vector<std::uint8_t> bytes = oneDirection(d);
    ok = writeFile(dir + "/" + name, bytes.data(), bytes.size());
    sixFilesArgs.push_back("-" + std::to_string(d) + "=" + name);
  }
  ok = ok && writeCase(dir, "six_in_one", sixInOne(), sixInOneArgs) &&
       writeCase(dir, "six_files", oneDirection(0), sixFilesArgs);
  if (!ok) {
    std::fprintf(stderr, "%s: cannot write into %s\n", argv[0], dir.c_str());
    return 1;
  }
  return 0;
}

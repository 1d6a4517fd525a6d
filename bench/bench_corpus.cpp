#include "bench/bench_corpus.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "bench/synthetic_pictures.h"
#include "color/palette.h"
#include "gif/encoder/gifenc.h"

namespace bench {

const char kCorpusVersion[] = "bench-corpus 2";

namespace {

namespace fs = std::filesystem;

constexpr char kVersionFile[] = "VERSION";

// Drawn once for all of (a) and (d): the seed of the photo-like field.
constexpr std::uint64_t kPhotoSeed = 0x5EED0A;
constexpr std::uint64_t kNoiseSeed = 0x5EED0E;
constexpr std::uint64_t kFewColorNoiseSeed = 0x5EED0F;
constexpr std::uint64_t kTinySeed = 0x5EED10;

gifenc::Image fullImage(const CorpusEntry& entry,
                        std::vector<std::uint8_t> pixels) {
  gifenc::Image image;
  image.width = entry.width;
  image.height = entry.height;
  image.pixels = std::move(pixels);
  return image;
}

bool writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

const std::vector<CorpusEntry>& corpusEntries() {
  static const std::vector<CorpusEntry> entries = {
      {Shape::Photo, "a-photo-dithered.gif", "(a) photo 256c", 2.8, 1.5, 1,
       1000, 1000, false, false},
      {Shape::Sprite, "b-sprite-anim.gif", "(b) sprite x40", 3.6, 3.0, 40, 200,
       200, false, true},
      {Shape::FlatRuns, "c-flat-runs.gif", "(c) flat 8c", 22.0, 2.5, 1, 4000,
       3000, false, false},
      {Shape::LocalTables, "d-local-tables.gif", "(d) local tables", 2.6, 1.8,
       8, 500, 500, true, false},
      {Shape::Noise, "e-noise.gif", "(e) noise", 1.8, 1.5, 1, 4000, 4000, false,
       false},
      // Few colours: about as many codes are short strings as literals.
      {Shape::FewColorNoise, "f-noise-64.gif", "(f) noise 64c", 2.0, 1.5, 1,
       4000, 4000, false, false},
      // A run of the program on it is mostly starting up.
      {Shape::Tiny, "t-tiny.gif", "(t) tiny", 0.0, 0.0, 1, 16, 16, false,
       false},
  };
  return entries;
}

CorpusGif makeCorpusGif(const CorpusEntry& entry, const std::uint8_t* palette) {
  CorpusGif gif;
  gif.screen.width = entry.width;
  gif.screen.height = entry.height;
  switch (entry.shape) {
    case Shape::Photo:
      gif.screen.globalColors = paletteColorTable(palette, 256, 0);
      gif.images.push_back(fullImage(
          entry,
          ditherToTable(photoField(entry.width, entry.height, 0, 0, kPhotoSeed),
                        entry.width, entry.height, gif.screen.globalColors)));
      break;
    case Shape::Sprite:
      gif.screen.globalColors = paletteColorTable(palette, 32, 1);
      gif.animated = true;
      gif.control.disposal = 2;  // restore to background before the next
      gif.control.transparent = true;
      gif.control.transparentIndex = 0;
      gif.control.delay = 5;
      for (std::uint32_t f = 0; f < entry.frames; ++f) {
        gif.images.push_back(fullImage(
            entry, spriteFrame(entry.width, entry.height, static_cast<int>(f),
                               static_cast<int>(entry.frames))));
      }
      break;
    case Shape::FlatRuns:
      gif.screen.globalColors = paletteColorTable(palette, 8, 2);
      gif.images.push_back(
          fullImage(entry, flatShapes(entry.width, entry.height)));
      break;
    case Shape::LocalTables: {
      gif.animated = true;
      gif.control.delay = 10;
      for (std::uint32_t f = 0; f < entry.frames; ++f) {
        // A panning shot: each frame sees the field 40 pixels further on,
        // through a table of its own.
        gifenc::ColorTable table =
            paletteColorTable(palette, 256, static_cast<int>(f + 3));
        gifenc::Image image = fullImage(
            entry, ditherToTable(photoField(entry.width, entry.height, f * 40,
                                            f * 16, kPhotoSeed + 1),
                                 entry.width, entry.height, table));
        image.localColors = std::move(table);
        gif.images.push_back(std::move(image));
      }
      break;
    }
    case Shape::Noise:
      gif.screen.globalColors = paletteColorTable(palette, 256, 4);
      gif.images.push_back(
          fullImage(entry, noise(entry.width, entry.height, kNoiseSeed)));
      break;
    case Shape::FewColorNoise:
      gif.screen.globalColors = paletteColorTable(palette, 64, 5);
      gif.images.push_back(fullImage(
          entry, noise(entry.width, entry.height, kFewColorNoiseSeed, 64)));
      break;
    case Shape::Tiny:
      gif.screen.globalColors = paletteColorTable(palette, 16, 6);
      gif.images.push_back(
          fullImage(entry, noise(entry.width, entry.height, kTinySeed, 16)));
      break;
  }
  return gif;
}

std::vector<std::uint8_t> encodeCorpusGif(const CorpusGif& gif) {
  gifenc::GifBuilder builder;
  builder.header("89a").screen(gif.screen);
  if (gif.animated) builder.loop(0);
  for (const gifenc::Image& image : gif.images) {
    if (gif.animated) builder.graphicControl(gif.control);
    builder.image(image);
  }
  return builder.trailer().bytes();
}

bool writeCorpus(const std::string& directory, std::string& error) {
  std::error_code code;
  fs::create_directories(directory, code);
  fs::remove(fs::path(directory) / kVersionFile, code);
  const std::uint8_t* palette = loadPalette();
  for (const CorpusEntry& entry : corpusEntries()) {
    const fs::path path = fs::path(directory) / entry.fileName;
    if (!writeFile(path, encodeCorpusGif(makeCorpusGif(entry, palette)))) {
      error = "cannot write " + path.string();
      return false;
    }
  }
  // Written last: its presence says every file above is complete.
  const std::string version = kCorpusVersion;
  if (!writeFile(fs::path(directory) / kVersionFile,
                 std::vector<std::uint8_t>(version.begin(), version.end()))) {
    error = "cannot write the version file in " + directory;
    return false;
  }
  return true;
}

bool ensureCorpus(const std::string& directory, std::string& error) {
  const fs::path dir(directory);
  bool current = readText(dir / kVersionFile) == kCorpusVersion;
  for (const CorpusEntry& entry : corpusEntries()) {
    current = current && fs::exists(dir / entry.fileName);
  }
  return current || writeCorpus(directory, error);
}

}  // namespace bench

// The match modes and palette files as a user meets them: -m=nearest and
// -m=dither convert every GIF that loads, -p= follows the palette it names,
// and a palette file that cannot be read stops the run before anything is
// opened or written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "color/committed_palette.h"
#include "frm/recording_sink.h"
#include "gif/encoder/gif_builder.h"
#include "gif/lzw_decoder.h"
#include "gif2frm/conversion.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Args = std::vector<std::string>;

const std::string kConverted =
    std::string(kBannerFirstLine) + "\nFile converted succesfuly!!!\n";
const std::string kGoldenDir = std::string(GIF2FRM_TEST_DATA) + "/golden/";

// The FRM bytes of an in-memory conversion, or empty when it fails.
Bytes convert(const Bytes& gif, const Options& options, RunOutcome& outcome) {
  GifFile file;
  FrmImage image;
  const auto decoder = std::make_unique<LzwDecoder>();
  outcome = convertGif(gif.data(), gif.size(), options, file, image, *decoder);
  RecordingSink sink;
  if (outcome.done()) image.write(sink);
  return sink.data;
}

Options withMode(ColorMatch mode) {
  Options options;
  options.matchMode = mode;
  return options;
}

TEST(MatchModes, EveryCorpusGifThatLoadsConverts) {
  const fs::path corpus = GIF2FRM_CORPUS;
  if (!fs::exists(corpus)) {
    if (std::getenv("CI") != nullptr) ADD_FAILURE() << "no corpus in CI";
    GTEST_SKIP() << "no corpus at " << corpus;
  }
  int loads = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (entry.path().extension() != ".gif") continue;
    const Bytes gif = readFileBytes(entry.path().string());
    RunOutcome first;
    convert(gif, Options{}, first);
    if (!first.done() && first.sprite != SpriteStatus::CantTranslate) {
      continue;  // does not load, or cannot be an FRM file
    }
    ++loads;
    for (ColorMatch mode :
         {ColorMatch::Nearest, ColorMatch::Dither, ColorMatch::Ordered}) {
      RunOutcome outcome;
      convert(gif, withMode(mode), outcome);
      EXPECT_TRUE(outcome.done()) << entry.path();
    }
  }
  EXPECT_GE(loads, 150);
}

TEST(MatchModes, WithoutTranslationEveryModeKeepsTheIndices) {
  const Bytes gif = readFileBytes(kGoldenDir + "animated_untranslated.gif");
  const Bytes expected =
      readFileBytes(kGoldenDir + "animated_untranslated.frm");
  ASSERT_FALSE(expected.empty());
  for (ColorMatch mode :
       {ColorMatch::Nearest, ColorMatch::Dither, ColorMatch::Ordered}) {
    Options options = withMode(mode);
    options.translateColors = false;
    RunOutcome outcome;
    EXPECT_EQ(convert(gif, options, outcome), expected);
  }
}

// Pixel bytes of an FRM file turned through entries: every frame header
// stays, every pixel p becomes to[p].
Bytes remapPixels(Bytes frm, const std::vector<int>& to) {
  std::size_t at = 62;
  while (at + 12 <= frm.size()) {
    const std::size_t count = std::size_t{frm[at + 4]} << 24 |
                              std::size_t{frm[at + 5]} << 16 |
                              std::size_t{frm[at + 6]} << 8 | frm[at + 7];
    for (std::size_t i = at + 12; i < at + 12 + count && i < frm.size(); ++i) {
      frm[i] = static_cast<std::uint8_t>(to[frm[i]]);
    }
    at += 12 + count;
  }
  return frm;
}

// A GIF of colours that are no palette entries: random smooth bands, with a
// transparent index.
Bytes photoLikeGif() {
  std::mt19937 random(3);
  gifenc::ColorTable colors;
  for (int i = 0; i < 64; ++i) {
    colors.push_back({static_cast<std::uint8_t>(random() & 0xFF),
                      static_cast<std::uint8_t>(random() & 0xFF),
                      static_cast<std::uint8_t>(random() & 0xFF)});
  }
  gifenc::Image image;
  image.width = 40;
  image.height = 30;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      image.pixels.push_back(
          static_cast<std::uint8_t>((x / 3 + y / 5 + random() % 3) % 64));
    }
  }
  gifenc::GifBuilder gif;
  gif.header().screen({40, 30, colors}).graphicControl({0, false, true, 5, 0});
  return gif.image(image).trailer().bytes();
}

TEST(MatchModes, OrderedDitheringHoldsStillWhatStaysStill) {
  // A background of colours off the palette, then frames at other places on
  // the canvas (one with its own table holding the same colours in another
  // order) that repeat it around a moving square: wherever a pixel keeps
  // its colour on the canvas it keeps its entry.
  gifenc::ColorTable colors;
  std::mt19937 random(3);
  for (int i = 0; i < 64; ++i) {
    colors.push_back({static_cast<std::uint8_t>(random() & 0xFF),
                      static_cast<std::uint8_t>(random() & 0xFF),
                      static_cast<std::uint8_t>(random() & 0xFF)});
  }
  std::vector<std::uint8_t> canvas(40 * 30);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      canvas[y * 40 + x] =
          static_cast<std::uint8_t>((x / 3 + y / 5 + random() % 3) % 64);
    }
  }
  gifenc::ColorTable reversed(colors.rbegin(), colors.rend());
  gifenc::GifBuilder gif;
  gif.header().screen({40, 30, colors});
  struct Place {
    std::uint16_t left, top, width, height;
    bool ownTable;
  };
  const Place places[] = {
      {0, 0, 40, 30, false}, {5, 7, 30, 20, false}, {11, 3, 25, 26, true}};
  for (const Place& p : places) {
    gifenc::Image image;
    image.left = p.left;
    image.top = p.top;
    image.width = p.width;
    image.height = p.height;
    if (p.ownTable) image.localColors = reversed;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        const bool square = x >= p.left % 7 && x < p.left % 7 + 4 && y < 4;
        const std::uint8_t index =
            square ? std::uint8_t{63} : canvas[(p.top + y) * 40 + p.left + x];
        image.pixels.push_back(p.ownTable ? std::uint8_t(63 - index) : index);
      }
    }
    gif.image(image);
  }
  GifFile file;
  FrmImage frm;
  const auto decoder = std::make_unique<LzwDecoder>();
  const Bytes bytes = gif.trailer().bytes();
  ASSERT_TRUE(convertGif(bytes.data(), bytes.size(),
                         withMode(ColorMatch::Ordered), file, frm, *decoder)
                  .done());
  const std::uint8_t* first = frm.frames[0]->pixels();
  int compared = 0;
  for (int k = 1; k < 3; ++k) {
    const Place& p = places[k];
    const std::uint8_t* pixels = frm.frames[k]->pixels();
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        if (x >= p.left % 7 && x < p.left % 7 + 4 && y < 4) continue;
        ASSERT_EQ(pixels[y * p.width + x], first[(p.top + y) * 40 + p.left + x])
            << k << ": " << x << "," << y;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 1000);
}

TEST(MatchModes, OrderedDitheringOfPaletteColoursIsTheNearestEntry) {
  // Art drawn with the palette: mapped while decoding, as -m=nearest is.
  const Bytes walk =
      readFileBytes(std::string(GIF2FRM_SOURCE_DIR) + "/examples/walk.gif");
  RunOutcome nearest, ordered;
  const Bytes expected = convert(walk, withMode(ColorMatch::Nearest), nearest);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(convert(walk, withMode(ColorMatch::Ordered), ordered), expected);
}

TEST(PaletteOption, MatchingFollowsTheNamedPaletteInEveryMode) {
  // The built-in colours with entries 1..228 in reverse order, as JASC-PAL
  // text and as a 768-byte 6-bit file: every match must come out reversed.
  const Bytes builtIn = committedResource("palette.pal");
  ASSERT_EQ(builtIn.size(), 33536u);
  std::vector<int> reverse(256);
  for (int i = 0; i < 256; ++i) reverse[i] = i >= 1 && i <= 228 ? 229 - i : i;
  Bytes sixBit(builtIn.begin(), builtIn.begin() + 768);
  std::string jasc = "JASC-PAL\n0100\n229\n0 0 0\n";
  for (int j = 1; j <= 228; ++j) {
    for (int k = 0; k < 3; ++k) {
      sixBit[3 * j + k] = builtIn[3 * reverse[j] + k];
      jasc += std::to_string(builtIn[3 * reverse[j] + k] * 4) +
              (k < 2 ? " " : "\n");
    }
  }
  TempDir dir;
  dir.write("reversed.pal", jasc);
  dir.write("reversed.raw", sixBit);
  dir.write("walk.gif", readFileBytes(std::string(GIF2FRM_SOURCE_DIR) +
                                      "/examples/walk.gif"));
  dir.write("photo.gif", photoLikeGif());

  const struct {
    const char* gif;
    Args options;
  } runs[] = {{"walk", {"-d=0"}},  // drawn with the palette: exact entries
              {"walk", {"-m=nearest"}},
              {"walk", {"-m=dither"}},
              {"walk", {"-m=ordered"}},
              {"photo", {"-m=nearest"}},
              {"photo", {"-m=dither"}},
              {"photo", {"-m=ordered"}},
              // Six GIFs of one sprite share the palette.
              {"photo",
               {"-m=dither", "-1=photo.gif", "-2=photo.gif", "-3=photo.gif",
                "-4=photo.gif", "-5=photo.gif"}}};
  for (const auto& run : runs) {
    Args args = run.options;
    args.push_back(std::string(run.gif) + ".gif");
    SCOPED_TRACE(args.front() + " " + args.back());
    ASSERT_EQ(withoutAuthorship(runGif2frm(args, dir.path()).output),
              kConverted);
    const Bytes plain = dir.read(std::string(run.gif) + ".frm");
    for (const char* palette : {"-p=reversed.pal", "-p=reversed.raw"}) {
      Args withPalette = args;
      withPalette.insert(withPalette.begin(), palette);
      ASSERT_EQ(withoutAuthorship(runGif2frm(withPalette, dir.path()).output),
                kConverted);
      EXPECT_EQ(dir.read(std::string(run.gif) + ".frm"),
                remapPixels(plain, reverse))
          << palette;
    }
  }
}

TEST(PaletteOption, TheBuiltInPaletteFromAFileChangesNothing) {
  TempDir dir;
  dir.write("copy.pal", committedResource("palette.pal"));
  for (const char* name :
       {"single", "animated", "animated_untranslated", "early_end", "example76",
        "interlaced", "no_table", "shifted", "stale_local"}) {
    dir.write(std::string(name) + ".gif",
              readFileBytes(kGoldenDir + name + ".gif"));
    for (const char* mode :
         {"-m=first", "-m=nearest", "-m=dither", "-m=ordered"}) {
      SCOPED_TRACE(std::string(name) + " " + mode);
      const Args args = {mode, std::string(name) + ".gif"};
      const std::string output = runGif2frm(args, dir.path()).output;
      const Bytes plain = dir.read(std::string(name) + ".frm");
      const Args withCopy = {"-p=copy.pal", mode, std::string(name) + ".gif"};
      EXPECT_EQ(runGif2frm(withCopy, dir.path()).output, output);
      EXPECT_EQ(dir.read(std::string(name) + ".frm"), plain);
    }
  }
}

TEST(PaletteOption, AnUnreadablePaletteStopsTheRunBeforeAnythingIsWritten) {
  TempDir dir;
  dir.write("walk.gif", readFileBytes(std::string(GIF2FRM_SOURCE_DIR) +
                                      "/examples/walk.gif"));
  dir.write("walk.frm", std::string("an older sprite"));
  dir.write("short.pal", Bytes(700, 1));
  dir.write("bad.gpl", std::string("GIMP Palette\n1 2\n"));
  fs::create_directory(dir.file("folder.pal"));
  const struct {
    Args args;
    std::string message;
  } cases[] = {
      {{"-p=missing.pal", "walk.gif"}, "missing.pal: can't open it"},
      {{"-p=folder.pal", "walk.gif"}, "folder.pal: can't open it"},
      {{"-p=", "walk.gif"}, ": can't open it"},
      // Read and checked also when -n leaves it unused, and before the
      // input is opened.
      {{"-n", "-p=short.pal", "walk.gif"},
       "short.pal: not a palette (768 or 33536 bytes of 6-bit RGB, .act, GIMP "
       ".gpl or JASC-PAL)"},
      {{"-m=dither", "-p=bad.gpl", "missing.gif"},
       "bad.gpl: a line is not what its format allows"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const ProgramResult run = runGif2frm(c.args, dir.path());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(withoutAuthorship(run.output), std::string(kBannerFirstLine) +
                                                 "\nCan't read palette file " +
                                                 c.message + "\n");
    EXPECT_EQ(dir.list(),
              (std::vector<std::string>{"bad.gpl", "folder.pal", "short.pal",
                                        "walk.frm", "walk.gif"}));
    const Bytes untouched = dir.read("walk.frm");
    EXPECT_EQ(std::string(untouched.begin(), untouched.end()),
              "an older sprite");
  }
}

TEST(PaletteOption, HelpNamesTheNewOptions) {
  TempDir dir;
  const ProgramResult run = runGif2frm({"--help"}, dir.path());
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.output.find("  -p=File\t"), std::string::npos);
  EXPECT_NE(run.output.find("  -m=Mode\t"), std::string::npos);
  EXPECT_NE(run.output.find("ordered (a fixed"), std::string::npos);
  EXPECT_TRUE(dir.list().empty());
}

TEST(MatchModes, AnUnknownModeNamesEveryMode) {
  TempDir dir;
  dir.write("walk.gif", readFileBytes(std::string(GIF2FRM_SOURCE_DIR) +
                                      "/examples/walk.gif"));
  const ProgramResult run = runGif2frm({"-m=bayer", "walk.gif"}, dir.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(withoutAuthorship(run.output),
            std::string(kBannerFirstLine) +
                "\nUnknown match mode in -m=bayer (use first, nearest, dither "
                "or ordered)\n");
  EXPECT_EQ(dir.list(), std::vector<std::string>{"walk.gif"});
}

}  // namespace

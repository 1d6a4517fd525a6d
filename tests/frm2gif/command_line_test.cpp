// frm2gif as a user meets it: the exact text on standard output, the exit
// status, the files it writes and, on every failure, that it writes none.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "frm/frm_reader.h"
#include "gif/gif_file.h"
#include "gif/lzw_decoder.h"
#include "platform/memory_source.h"
#include "support/palette_art.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

const std::string kViewerData = std::string(GIF2FRM_TEST_DATA) + "/viewer/";
const std::string kGoldenData = std::string(GIF2FRM_TEST_DATA) + "/golden/";
const std::string kBanner =
    "frm2gif 0.1: FRM sprite to animated GIF, by the gif2frm developers\n\n";

std::string readText(const std::string& path) {
  const Bytes bytes = readFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void put16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value >> 8);
  bytes[at + 1] = static_cast<std::uint8_t>(value);
}

// The 76-byte example sprite: one 2 x 1 frame.
Bytes exampleSprite() { return readFileBytes(kGoldenData + "example76.frm"); }

std::unique_ptr<GifFile> decodeFile(const std::string& path) {
  const Bytes bytes = readFileBytes(path);
  auto gif = std::make_unique<GifFile>();
  auto decoder = std::make_unique<LzwDecoder>();
  GifInput input(bytes.data(), bytes.size());
  EXPECT_EQ(gif->load(input, *decoder), GifStatus::Ok) << path;
  return gif;
}

// Each GIF holds the frames of its direction of the sprite, in order.
void expectDirections(const Bytes& sprite,
                      const std::vector<std::string>& gifs) {
  FrmImage image;
  platform::MemorySource source(sprite.data(), sprite.size());
  ASSERT_EQ(readFrm(source, sprite.size(), image), FrmReadStatus::Ok);
  ASSERT_EQ(gifs.size(), static_cast<std::size_t>(frmDirectionCount(image)));
  for (std::size_t d = 0; d < gifs.size(); ++d) {
    const std::unique_ptr<GifFile> gif = decodeFile(gifs[d]);
    ASSERT_EQ(gif->frames.size(), std::size_t{image.framesPerDirection});
    for (std::size_t k = 0; k < gif->frames.size(); ++k) {
      const FrmFrame& frame = *image.frames[d * image.framesPerDirection + k];
      const GifFrame& shown = gif->frames[k];
      // A frame without pixels is shown as one transparent pixel.
      EXPECT_EQ(
          Bytes(shown.pixels.data(), shown.pixels.data() + shown.pixelCount()),
          frame.pixelCount == 0
              ? Bytes{0}
              : Bytes(frame.pixels(), frame.pixels() + frame.pixelCount))
          << gifs[d] << " frame " << k;
    }
  }
}

TEST(Frm2gifCommandLine, NoArgumentPrintsBannerAndUsage) {
  TempDir dir;
  const ProgramResult run = runFrm2gif({}, dir.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.output,
            kBanner + "Usage: " + FRM2GIF_EXE + " [options] file.frm\n" +
                "\n"
                "Options:\n"
                "  -p=File\tShow the colors of the palette in File (768 or "
                "33536\n"
                "\t\tbytes of 6-bit RGB, .act, GIMP .gpl or JASC-PAL)\n"
                "  -i\t\tPrint the header and the frames; write nothing\n"
                "  -o=Path\tWrite to Path: a file name (one direction) or an\n"
                "\t\texisting directory\n"
                "  -h, --help\tShow this help\n");
  EXPECT_EQ(run.errors, "");
  EXPECT_TRUE(dir.list().empty());
}

TEST(Frm2gifCommandLine, HelpAloneOrAmongTheOptions) {
  TempDir dir;
  const std::string usage = runFrm2gif({}, dir.path()).output;
  for (const Names& args :
       {Names{"-h"}, Names{"--help"}, Names{"-i", "--help", "x.frm"}}) {
    const ProgramResult run = runFrm2gif(args, dir.path());
    EXPECT_EQ(run.exitStatus, 0) << args[0];
    EXPECT_EQ(run.output.rfind(usage, 0), 0u) << run.output;
    EXPECT_NE(run.output.find("Examples:\n"), std::string::npos);
  }
  EXPECT_TRUE(dir.list().empty());
}

TEST(Frm2gifCommandLine, UnknownOptionsAreNamedAndNothingIsRead) {
  TempDir dir;
  dir.write("a.frm", exampleSprite());
  for (const std::string option : {"-x=1", "-i=1", "-o", "-p", "-n", ""}) {
    const ProgramResult run = runFrm2gif({"-i", option, "a.frm"}, dir.path());
    EXPECT_EQ(run.exitStatus, 1) << option;
    EXPECT_EQ(run.output, kBanner + "Unknown option " + option + "\n");
  }
  EXPECT_EQ(dir.list(), Names{"a.frm"});
}

// -i prints what make_expected.py worked out from the files on its own.
TEST(Frm2gifCommandLine, InfoPrintsTheHeaderAndWhereEachFrameLands) {
  for (const std::string name : {"six_directions", "animated"}) {
    TempDir dir;
    const std::string folder = name == "animated" ? kGoldenData : kViewerData;
    dir.write(name + ".frm", readFileBytes(folder + name + ".frm"));
    const ProgramResult run = runFrm2gif({"-i", name + ".frm"}, dir.path());
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.output, kBanner + readText(kViewerData + name + ".info"));
    EXPECT_EQ(dir.list(), Names{name + ".frm"});
  }
}

TEST(Frm2gifCommandLine, OneGifPerDirectionBesideNothingElse) {
  TempDir dir;
  const Bytes animated = readFileBytes(kGoldenData + "animated.frm");
  const Bytes six = readFileBytes(kViewerData + "six_directions.frm");
  dir.write("animated.frm", animated);
  dir.write("six.frm", six);
  dir.write("six_3.gif", std::string("an older picture"));

  ProgramResult run = runFrm2gif({"animated.frm"}, dir.path());
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output, kBanner + "Wrote animated.gif\n");
  expectDirections(animated, {dir.file("animated.gif")});

  run = runFrm2gif({"six.frm"}, dir.path());
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output, kBanner + "Wrote six_0.gif to six_5.gif\n");
  Names gifs;
  for (int d = 0; d < 6; ++d)
    gifs.push_back(dir.file("six_" + std::to_string(d) + ".gif"));
  expectDirections(six, gifs);
  EXPECT_EQ(dir.list(), (Names{"animated.frm", "animated.gif", "six.frm",
                               "six_0.gif", "six_1.gif", "six_2.gif",
                               "six_3.gif", "six_4.gif", "six_5.gif"}));
}

TEST(Frm2gifCommandLine, OutputPathNamesAFileOrADirectory) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  dir.write("one.frm", exampleSprite());
  dir.write("six.frm", readFileBytes(kViewerData + "six_directions.frm"));

  ProgramResult run = runFrm2gif({"-o=named.gif", "one.frm"}, dir.path());
  EXPECT_EQ(run.output, kBanner + "Wrote named.gif\n");
  run = runFrm2gif({"-o=out", "one.frm"}, dir.path());
  EXPECT_EQ(run.output, kBanner + "Wrote out/one.gif\n");
  run = runFrm2gif({"-o=out/", "six.frm"}, dir.path());
  EXPECT_EQ(run.output, kBanner + "Wrote out/six_0.gif to out/six_5.gif\n");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(dir.list(), (Names{"named.gif", "one.frm", "out", "six.frm"}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("out")),
                          std::filesystem::directory_iterator()),
            7);

  // Six files cannot all be one name; a directory that is not there cannot
  // take any.
  run = runFrm2gif({"-o=six.gif", "six.frm"}, dir.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.output, kBanner +
                            "A sprite of six directions needs -o= to name an "
                            "existing directory\n");
  run = runFrm2gif({"-o=missing/x.gif", "one.frm"}, dir.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.output, kBanner + "Can't create output file\n");
  EXPECT_EQ(dir.list(), (Names{"named.gif", "one.frm", "out", "six.frm"}));
  // A directory where direction 3 would go: not even direction 0 is
  // replaced.
  std::filesystem::create_directory(dir.file("blocked"));
  std::filesystem::create_directory(dir.file("blocked/six_3.gif"));
  run = runFrm2gif({"-o=blocked", "six.frm"}, dir.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.output, kBanner + "Can't create output file\n");
  EXPECT_EQ(
      std::distance(std::filesystem::directory_iterator(dir.file("blocked")),
                    std::filesystem::directory_iterator()),
      1);
}

// One bad input per message; none of them touches what is on disk.
TEST(Frm2gifCommandLine, BadInputsEndWithTheirMessageAndWriteNothing) {
  struct Case {
    const char* what;
    Bytes sprite;
    std::string message;
  };
  std::vector<Case> cases;
  auto variant = [&](const char* what, const std::string& message,
                     auto change) {
    Bytes bytes = exampleSprite();
    change(bytes);
    cases.push_back({what, bytes, message});
  };
  variant("the last pixel missing",
          "Not an FRM file: shorter than its header says",
          [](Bytes& b) { b.pop_back(); });
  variant("version 5", "Not an FRM file: the version is not 4",
          [](Bytes& b) { b[3] = 5; });
  variant("no frames", "FRM file without frames", [](Bytes& b) {
    b[9] = 0;
    b[61] = 0;
    b.resize(62);
  });
  variant("a byte after the frames",
          "Not an FRM file: longer than its header says",
          [](Bytes& b) { b.push_back(0); });
  variant("two frames counted, one there",
          "Corrupt FRM file: more frames than its frame area holds",
          [](Bytes& b) { b[9] = 2; });
  variant("direction 0 starting at 1",
          "Corrupt FRM file: a direction does not start where its offset says",
          [](Bytes& b) { b[37] = 1; });
  variant("pixelCount 3 for 2 x 1",
          "Corrupt FRM file: a frame's pixel count is not its width x height",
          [](Bytes& b) { b[69] = 3; });
  variant("a 100 x 100 frame in 76 bytes",
          "Corrupt FRM file: a frame runs past the end of the frame area",
          [](Bytes& b) {
            put16(b, 62, 100);
            put16(b, 64, 100);
            b[68] = 0x27;
            b[69] = 0x10;
          });
  variant("a byte of the area left over",
          "Corrupt FRM file: the frames end before the frame area does",
          [](Bytes& b) {
            b[61] = 15;
            b.push_back(0);
          });
  // Four 1 x 1 frames, each 32767 to the right of the one before: 98302
  // pixels across.
  variant("too wide for a GIF",
          "Direction 0 is too large for a GIF: its frames span more than 65535 "
          "pixels",
          [](Bytes& b) {
            b.resize(62);
            b[9] = 4;
            b[61] = 4 * 13;
            for (int k = 0; k < 4; ++k) {
              Bytes frame = {0, 1, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 9};
              if (k > 0) put16(frame, 8, 32767);
              b.insert(b.end(), frame.begin(), frame.end());
            }
          });

  TempDir dir;
  dir.write("sprite.gif", std::string("an older picture"));
  std::filesystem::create_directory(dir.file("folder.frm"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dir.write("sprite.frm", c.sprite);
    const ProgramResult run = runFrm2gif({"sprite.frm"}, dir.path());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.output, kBanner + c.message + "\n");
    EXPECT_EQ(dir.list(), (Names{"folder.frm", "sprite.frm", "sprite.gif"}));
    EXPECT_EQ(readText(dir.file("sprite.gif")), "an older picture");
  }
  for (const Names& args : {Names{"missing.frm"}, Names{"folder.frm"}}) {
    const ProgramResult run = runFrm2gif(args, dir.path());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.output, kBanner + "Can't open input file\n");
  }
  const ProgramResult run =
      runFrm2gif({"-p=missing.pal", "sprite.frm"}, dir.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.output,
            kBanner + "Can't read palette file missing.pal: can't open it\n");
  EXPECT_EQ(dir.list(), (Names{"folder.frm", "sprite.frm", "sprite.gif"}));
}

// One GIF of six directions through gif2frm -6, and back: direction d's GIF
// holds the art's images d x n to d x n + n - 1, each in its place relative
// to the others of its direction.
TEST(Frm2gifCommandLine, SixDirectionsFromOneGifComeBackApart) {
  std::mt19937 random(66);
  TempDir dir;
  for (int run = 0; run < 3; ++run) {
    const std::size_t perDirection = 1 + static_cast<std::size_t>(run);
    const PaletteArt art =
        drawPaletteArt(random, static_cast<int>(6 * perDirection));
    dir.write("art.gif", art.gif);
    ASSERT_EQ(
        runGif2frm({"-6", "-d=0", "-f=gif", "art.gif"}, dir.path()).exitStatus,
        0);
    const ProgramResult shown = runFrm2gif({"art.frm"}, dir.path());
    ASSERT_EQ(shown.output, kBanner + "Wrote art_0.gif to art_5.gif\n");
    for (std::size_t d = 0; d < 6; ++d) {
      const std::unique_ptr<GifFile> back =
          decodeFile(dir.file("art_" + std::to_string(d) + ".gif"));
      ASSERT_EQ(back->frames.size(), perDirection);
      std::size_t reference = perDirection;  // the first image with pixels
      for (std::size_t k = 0; k < perDirection; ++k) {
        const std::size_t image = d * perDirection + k;
        const GifFrame& frame = back->frames[k];
        const Bytes expected = art.expectedIndices(image);
        EXPECT_EQ(Bytes(frame.pixels.data(),
                        frame.pixels.data() + frame.pixelCount()),
                  expected.empty() ? Bytes{0} : expected)
            << run << " " << d << " " << k;
        if (expected.empty()) continue;
        if (reference == perDirection) {
          reference = k;
          continue;
        }
        EXPECT_EQ(frame.descriptor.top - back->frames[reference].descriptor.top,
                  art.images[image].top -
                      art.images[d * perDirection + reference].top);
      }
    }
  }
}

// -p= colours the GIFs: the built-in palette's own file gives the same
// bytes, another palette another colour table.
TEST(Frm2gifCommandLine, APaletteFileGivesTheColourTable) {
  TempDir dir;
  dir.write("s.frm", readFileBytes(kViewerData + "six_directions.frm"));
  dir.write("builtin.pal", readFileBytes(std::string(GIF2FRM_SOURCE_DIR) +
                                         "/resources/palette.pal"));
  Bytes ramp(768);
  for (std::size_t i = 0; i < ramp.size(); ++i) {
    ramp[i] = static_cast<std::uint8_t>((i / 3 + i % 3 * 20) % 64);
  }
  dir.write("ramp.pal", ramp);
  dir.write("bad.pal", std::string("not a palette"));
  std::filesystem::create_directory(dir.file("plain"));
  std::filesystem::create_directory(dir.file("same"));
  std::filesystem::create_directory(dir.file("ramp"));

  ASSERT_EQ(runFrm2gif({"-o=plain", "s.frm"}, dir.path()).exitStatus, 0);
  ASSERT_EQ(
      runFrm2gif({"-p=builtin.pal", "-o=same", "s.frm"}, dir.path()).exitStatus,
      0);
  ASSERT_EQ(
      runFrm2gif({"-p=ramp.pal", "-o=ramp", "s.frm"}, dir.path()).exitStatus,
      0);
  for (int d = 0; d < 6; ++d) {
    const std::string name = "/s_" + std::to_string(d) + ".gif";
    EXPECT_EQ(dir.read("same" + name), dir.read("plain" + name));
    const std::unique_ptr<GifFile> gif = decodeFile(dir.file("ramp" + name));
    for (std::size_t i = 0; i < 768; ++i) {
      // 6 bits spread over 8: c << 2 | c >> 4.
      EXPECT_EQ(gif->globalColorTable.data()[i], (ramp[i] << 2 | ramp[i] >> 4))
          << i;
    }
  }
  const ProgramResult bad =
      runFrm2gif({"-p=bad.pal", "-o=ramp", "s.frm"}, dir.path());
  EXPECT_EQ(bad.exitStatus, 1);
  EXPECT_EQ(bad.output,
            kBanner +
                "Can't read palette file bad.pal: not a palette (768 "
                "or 33536 bytes of 6-bit RGB, .act, GIMP .gpl or "
                "JASC-PAL)\n");
}

}  // namespace

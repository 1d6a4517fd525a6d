// frm2gif as a user meets it: the exact text on standard output, the exit
// status, the files it writes and, on every failure, that it writes none.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "frm/frm_reader.h"
#include "frm2gif/options.h"
#include "gif/gif_file.h"
#include "gif/lzw_decoder.h"
#include "platform/memory_source.h"
#include "support/palette_art.h"
#include "support/run_program.h"
#include "support/sprite_loop.h"
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

// The lines of NAME.info (what -i prints) that say what the way back
// loses, which a run that writes the GIFs prints before "Wrote".
std::string notesOf(const std::string& name) {
  std::istringstream lines(readText(kViewerData + name + ".info"));
  std::string notes;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Not exact: ", 0) == 0) notes += line + "\n";
  }
  return notes;
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

// The option forms the parser takes, found by trying every letter and
// digit with and without a value, and the long help option.
Names optionsTaken() {
  Names taken;
  auto takes = [](const std::string& option) {
    Frm2gifOptions options;
    const char* argv[] = {"frm2gif", option.c_str(), "x.frm"};
    return parseFrm2gifOptions(3, argv, options) == 0;
  };
  for (char c = '0'; c <= 'z'; ++c) {
    if (!std::isalnum(static_cast<unsigned char>(c))) continue;
    const std::string option = std::string("-") + c;
    if (takes(option)) taken.push_back(option);
    if (takes(option + "=value")) taken.push_back(option + "=");
  }
  if (takes("--help")) taken.push_back("--help");
  return taken;
}

// The usage text, which a run without arguments prints, names every option
// the parser takes and none that it refuses.
TEST(Frm2gifCommandLine, NoArgumentPrintsTheUsageOfEveryOption) {
  TempDir dir;
  const ProgramResult run = runFrm2gif({}, dir.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.errors, "");
  EXPECT_TRUE(dir.list().empty());
  const std::string usage =
      kBanner + "Usage: " + FRM2GIF_EXE + " [options] file.frm\n\nOptions:\n";
  ASSERT_EQ(run.output.rfind(usage, 0), 0u) << run.output;

  // The options, each at the start of a line or after a comma.
  Names listed;
  std::istringstream lines(run.output.substr(usage.size()));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  -", 0) != 0) continue;
    std::istringstream words(line.substr(0, line.find('\t')));
    for (std::string word; words >> word;) {
      if (word.back() == ',') word.pop_back();
      const std::size_t value = word.find('=');
      listed.push_back(value == std::string::npos ? word
                                                  : word.substr(0, value + 1));
    }
  }
  std::sort(listed.begin(), listed.end());
  Names taken = optionsTaken();
  std::sort(taken.begin(), taken.end());
  EXPECT_EQ(listed, taken);
  EXPECT_EQ(taken, (Names{"--help", "-h", "-i", "-o=", "-p="}));
}

// -h and --help: the usage text, then what is written and examples, each
// of which runs as it stands in a folder with its files.
TEST(Frm2gifCommandLine, HelpAloneOrAmongTheOptionsAndItsExamplesRun) {
  TempDir dir;
  const std::string usage = runFrm2gif({}, dir.path()).output;
  std::string help;
  for (const Names& args :
       {Names{"-h"}, Names{"--help"}, Names{"-i", "--help", "x.frm"}}) {
    const ProgramResult run = runFrm2gif(args, dir.path());
    EXPECT_EQ(run.exitStatus, 0) << args[0];
    EXPECT_EQ(run.output.rfind(usage, 0), 0u) << run.output;
    help = run.output;
  }
  EXPECT_TRUE(dir.list().empty());

  const std::size_t examples = help.find("Examples:\n");
  ASSERT_NE(examples, std::string::npos);
  dir.write("figure.frm", readFileBytes(kViewerData + "six_directions.frm"));
  dir.write("engine.pal", readFileBytes(std::string(GIF2FRM_SOURCE_DIR) +
                                        "/resources/palette.pal"));
  std::filesystem::create_directory(dir.file("preview"));
  std::istringstream lines(help.substr(examples));
  const std::string command = std::string("    ") + FRM2GIF_EXE + " ";
  int ran = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(command, 0) != 0) continue;
    Names args;
    std::istringstream words(line.substr(command.size()));
    for (std::string word; words >> word;) args.push_back(word);
    const ProgramResult run = runFrm2gif(args, dir.path());
    EXPECT_EQ(run.exitStatus, 0) << line << "\n" << run.output;
    ++ran;
  }
  EXPECT_EQ(ran, 4);
  EXPECT_TRUE(dir.exists("figure_5.gif"));
  EXPECT_TRUE(dir.exists("preview/figure_0.gif"));
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
  for (const std::string name : {"six_directions", "odd_widths", "animated"}) {
    TempDir dir;
    const std::string folder = name == "animated" ? kGoldenData : kViewerData;
    dir.write(name + ".frm", readFileBytes(folder + name + ".frm"));
    const ProgramResult run = runFrm2gif({"-i", name + ".frm"}, dir.path());
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.output, kBanner + readText(kViewerData + name + ".info"));
    EXPECT_EQ(dir.list(), Names{name + ".frm"});
  }
}

// -i names the GIFs a run with the same -o= writes; where -o= cannot take
// six of them, those a run without it writes. A direction too large for a
// GIF has no way back, and -i says so instead (still status 0).
TEST(Frm2gifCommandLine, InfoEndsWithTheWayBackOrWhyThereIsNone) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  dir.write("six.frm", readFileBytes(kViewerData + "six_directions.frm"));
  const std::string six =
      " -1=six_1.gif -2=six_2.gif -3=six_3.gif -4=six_4.gif -5=six_5.gif "
      "-o=six.frm six_0.gif";
  for (const std::string output : {"", "-o=out.gif"}) {
    Names args = {"-i", "six.frm"};
    if (!output.empty()) args.insert(args.begin(), output);
    const std::string line = lastLine(runFrm2gif(args, dir.path()).output);
    EXPECT_EQ(line.substr(line.size() - six.size()), six) << output;
  }
  const std::string line =
      lastLine(runFrm2gif({"-o=out", "-i", "six.frm"}, dir.path()).output);
  EXPECT_NE(line.find(" -1=out/six_1.gif "), std::string::npos) << line;
  EXPECT_NE(line.find(" -o=six.frm out/six_0.gif"), std::string::npos);

  // Four 1 x 1 frames, each 32767 to the right of the one before.
  Bytes wide = exampleSprite();
  wide.resize(62);
  wide[9] = 4;
  wide[61] = 4 * 13;
  for (int k = 0; k < 4; ++k) {
    Bytes frame = {0, 1, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 9};
    if (k > 0) put16(frame, 8, 32767);
    wide.insert(wide.end(), frame.begin(), frame.end());
  }
  dir.write("wide.frm", wide);
  const ProgramResult run = runFrm2gif({"-i", "wide.frm"}, dir.path());
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(lastLine(run.output),
            "Direction 0 is too large for a GIF: its frames span more than "
            "65535 pixels");
  EXPECT_EQ(run.output.find("gif2frm -n"), std::string::npos);
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
  EXPECT_EQ(run.output, kBanner + notesOf("animated") + "Wrote animated.gif\n");
  expectDirections(animated, {dir.file("animated.gif")});

  run = runFrm2gif({"six.frm"}, dir.path());
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output, kBanner + notesOf("six_directions") +
                            "Wrote six_0.gif to six_5.gif\n");
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
  EXPECT_EQ(run.output, kBanner + notesOf("six_directions") +
                            "Wrote out/six_0.gif to out/six_5.gif\n");
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
    ASSERT_EQ(shown.exitStatus, 0);
    ASSERT_EQ(lastLine(shown.output), "Wrote art_0.gif to art_5.gif");
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
  std::filesystem::create_directory(dir.file("ramp"));

  // The GIFs carry the command that names them: the same names for both.
  ASSERT_EQ(runFrm2gif({"s.frm"}, dir.path()).exitStatus, 0);
  std::vector<Bytes> plain;
  for (int d = 0; d < 6; ++d) {
    plain.push_back(dir.read("s_" + std::to_string(d) + ".gif"));
  }
  ASSERT_EQ(runFrm2gif({"-p=builtin.pal", "s.frm"}, dir.path()).exitStatus, 0);
  ASSERT_EQ(
      runFrm2gif({"-p=ramp.pal", "-o=ramp", "s.frm"}, dir.path()).exitStatus,
      0);
  for (int d = 0; d < 6; ++d) {
    const std::string name = "s_" + std::to_string(d) + ".gif";
    EXPECT_EQ(dir.read(name), plain[d]);
    const std::unique_ptr<GifFile> gif = decodeFile(dir.file("ramp/" + name));
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

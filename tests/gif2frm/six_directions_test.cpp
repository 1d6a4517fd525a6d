// Sprites of six directions, from one GIF (-6) or from six (-1= to -5=), and
// the header fields of -f= and -a=: the checks and the placing of
// SpriteAssembly, the rate from the delays, and the failures of the real
// program with direction files.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gif/encoder/gifenc.h"
#include "gif/lzw_decoder.h"
#include "gif2frm/conversion.h"
#include "gif2frm/frame_rate.h"
#include "gif2frm/gif_source.h"
#include "gif2frm/sprite_assembly.h"
#include "support/failed_run.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

constexpr gifenc::Rgb kBlack{0, 0, 0};
constexpr gifenc::Rgb kWhite{255, 255, 255};
constexpr gifenc::Rgb kGreen{0, 255, 0};  // no palette entry within 4

// images images of width x 4 on a 4 x 4 screen, each after a control
// extension with delay (none when delay is 0).
Bytes gifOf(std::size_t images, std::uint16_t width = 4,
            std::uint16_t delay = 0,
            const gifenc::ColorTable& colors = {kBlack, kWhite}) {
  gifenc::GifBuilder gif;
  gif.header().screen({4, 4, colors});
  for (std::size_t i = 0; i < images; ++i) {
    gifenc::Image image;
    image.width = width;
    image.height = 4;
    image.pixels.assign(std::size_t{width} * 4, 1);
    if (delay != 0) gif.graphicControl({0, false, false, 0, delay});
    gif.image(image);
  }
  return gif.trailer().bytes();
}

void load(const Bytes& bytes, GifFile& gif) {
  GifInput input(bytes.data(), bytes.size());
  ASSERT_TRUE(loadGif(input, gif, LzwDecoder::instance()).done());
}

// The GIF's images as the next input of the sprite.
SpriteStatus addGif(SpriteAssembly& sprite, GifFile& gif) {
  SourceImage source;
  describeGif(gif, source);
  return sprite.add(source);
}

Options sixFileOptions() {
  Options options;
  for (int k = 1; k < kDirectionFileCount; ++k) {
    options.hasDirectionFile[k] = true;
    options.directionFiles[k] = "d" + std::to_string(k) + ".gif";
  }
  return options;
}

// -f=gif: a GIF of images with these delays (-1: no control extension).
std::uint16_t rateOf(const std::vector<int>& delays,
                     std::size_t frameCount = 100) {
  GifFile gif;
  for (int delay : delays) {
    gif.frames.emplace_back();
    if (delay >= 0) {
      gif.frames.back().hasControl = 1;
      gif.frames.back().control.delayTime = static_cast<std::uint16_t>(delay);
    }
  }
  SourceImage source;
  describeGif(gif, source);
  return framesPerSecondFromDelays(source, frameCount);
}

TEST(FrameRateTest, MostCommonDelayOfTheFirstFrames) {
  EXPECT_EQ(rateOf({12, 7, 12}), 8);
  EXPECT_EQ(rateOf({4, 3, 4, 3}), 33);  // a tie: the shorter delay
  EXPECT_EQ(rateOf({8}), 13);           // 12.5: halves round up
  EXPECT_EQ(rateOf({1}), 100);
  EXPECT_EQ(rateOf({200}), 1);    // 0.5
  EXPECT_EQ(rateOf({65535}), 1);  // at least 1
  // Delays of 0 and images without a control extension say nothing.
  EXPECT_EQ(rateOf({0, -1, 0, 25}), 4);
  EXPECT_EQ(rateOf({0, -1}), 0);
  EXPECT_EQ(rateOf({}), 0);
  // Only direction 0 counts.
  EXPECT_EQ(rateOf({10, 50, 50}, 1), 10);
}

// Each GIF is put into the image as it is added, its pixels taken over or
// freed: a six-file run holds one GIF's pixels at a time.
TEST(SpriteAssemblyTest, SixGifsOneAtATime) {
  Options options = sixFileOptions();
  options.frameRateSource = FrameRateSource::FromGifs;
  options.actionFrame = 1;
  // A shift of its own for each direction.
  for (int d = 0; d < kDirectionFileCount; ++d) options.xShift[d] = -2 - d;
  FrmImage image;
  SpriteAssembly sprite(options, image);
  ASSERT_EQ(sprite.inputCount(), 6);
  std::uint32_t area = 0;
  for (int d = 0; d < 6; ++d) {
    SCOPED_TRACE(d);
    GifFile gif;
    // Direction 0 waits 4 hundredths (25 per second), the others 50.
    load(gifOf(2, static_cast<std::uint16_t>(d + 1), d == 0 ? 4 : 50), gif);
    ASSERT_EQ(addGif(sprite, gif), SpriteStatus::Ok);
    for (const GifFrame& frame : gif.frames) EXPECT_TRUE(frame.pixels.isNull());
    EXPECT_EQ(std::uint32_t{image.dataOffset[d]}, area);
    EXPECT_EQ(image.shiftX[d], -2 - d);
    area += 2 * (12 + 4 * (static_cast<std::uint32_t>(d) + 1));
  }
  EXPECT_EQ(std::uint32_t{image.frameAreaSize}, area);
  EXPECT_EQ(image.directionCount(), 6);
  EXPECT_EQ(image.framesPerDirection, 2);
  EXPECT_EQ(image.framesPerSecond, 25);
  EXPECT_EQ(image.actionFrame, 1);
  GifFile extra;
  load(gifOf(2), extra);
  EXPECT_EQ(addGif(sprite, extra), SpriteStatus::UnequalDirections);
}

TEST(SpriteAssemblyTest, FramesPerDirectionLimitOfSixInOne) {
  Options options;
  options.sixDirectionsInOne = true;
  options.hasActionFrame = true;
  options.actionFrame = 65534;
  // The most that fits, in empty images of 12 bytes each; one more per
  // direction is among the failures of conversion_files_test.
  GifFile gif;
  gif.frames.resize(6 * 65535);
  FrmImage image;
  SpriteAssembly sprite(options, image);
  ASSERT_EQ(addGif(sprite, gif), SpriteStatus::Ok);
  EXPECT_EQ(image.framesPerDirection, 65535);
  EXPECT_EQ(image.frameCount(), 6u * 65535u);
  EXPECT_EQ(std::uint32_t{image.dataOffset[5]}, 5u * 65535u * 12u);
  EXPECT_EQ(std::uint32_t{image.frameAreaSize}, 6u * 65535u * 12u);
  EXPECT_EQ(image.actionFrame, 65534);
}

// The failures that need direction files beside the input; those of the
// options alone are among the cases of conversion_files_test.
struct DirectionCase {
  const char* what;
  int file;     // the direction file changed (0: the input)
  Bytes bytes;  // its bytes; empty: the file is not there
  const char* message;
};

TEST(SixDirectionFilesTest, FailuresLeaveTheDirectoryAsItWas) {
  Bytes cutShort = gifOf(1);
  cutShort.resize(cutShort.size() - 4);
  Bytes greenCutShort = gifOf(1, 4, 0, {kBlack, kGreen});
  greenCutShort.resize(greenCutShort.size() - 4);
  const Bytes noImage =
      gifenc::GifBuilder().header().screen({1, 1, {kBlack}}).trailer().bytes();
  const std::vector<DirectionCase> cases = {
      {"no input, no d4.gif: the input is looked at first",
       0,
       {},
       "Can't open input file\n"},
      {"d4.gif missing", 4, {}, "Can't open direction file d4.gif\n"},
      {"d2.gif cut short", 2, cutShort, "Can't read direction file d2.gif\n"},
      {"d5.gif without an image", 5, noImage,
       "Direction file d5.gif holds no image\n"},
      {"d3.gif one image longer", 3, gifOf(2),
       "Direction file d3.gif holds a different number of images than the "
       "input\n"},
      {"d1.gif with green in its table", 1, gifOf(1, 4, 0, {kBlack, kGreen}),
       "Can't translate color table of direction file d1.gif\n"},
      // Matched while d1.gif is decoded, the table is reported only after
      // the whole file has been read, and its end is missing.
      {"d1.gif with green in its table, cut short", 1, greenCutShort,
       "Can't read direction file d1.gif\n"},
  };
  Names args;
  for (int k = 1; k <= 5; ++k) {
    args.push_back("-" + std::to_string(k) + "=d" + std::to_string(k) + ".gif");
  }
  args.push_back("walk.gif");
  for (const DirectionCase& c : cases) {
    SCOPED_TRACE(c.what);
    DirectoryFiles files;
    for (int k = 0; k <= 5; ++k) {
      const std::string name =
          k == 0 ? "walk.gif" : "d" + std::to_string(k) + ".gif";
      // The first case drops d4.gif as well, which is never reached.
      if (k == c.file || (c.file == 0 && k == 4)) {
        if (!c.bytes.empty()) files.emplace_back(name, c.bytes);
      } else {
        files.emplace_back(name, gifOf(1));
      }
    }
    expectFailureLeavesDirectoryAsItWas(files, args, c.message, "walk.frm");
  }
}

// -f= and -a= change their header fields and nothing else.
TEST(SixDirectionFilesTest, RateAndActionFrameInTheHeader) {
  TempDir dir;
  dir.write("walk.gif", gifOf(3));
  runGif2frm({"walk.gif"}, dir.path());
  const Bytes plain = dir.read("walk.frm");
  ASSERT_EQ(plain.size(), 62u + 3u * (12u + 16u));

  ProgramResult run = runGif2frm({"-f=25", "-a=2", "walk.gif"}, dir.path());
  EXPECT_EQ(run.exitStatus, 0);
  Bytes expected = plain;
  expected[5] = 25;
  expected[7] = 2;
  EXPECT_EQ(dir.read("walk.frm"), expected);

  // Without any delay -f=gif leaves the rate at 0; -f=0 is the default.
  for (const char* rate : {"-f=gif", "-f=0"}) {
    run = runGif2frm({"-f=9", rate, "walk.gif"}, dir.path());
    EXPECT_EQ(run.exitStatus, 0) << rate;
    EXPECT_EQ(dir.read("walk.frm"), plain) << rate;
  }
  EXPECT_EQ(dir.list(), (Names{"walk.frm", "walk.gif"}));
}

}  // namespace

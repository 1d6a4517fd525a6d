// Every truncation and every single-bit flip of a few small GIFs, each run
// through the whole program (in a forked child that calls runConverter):
// whatever the damage, the run ends in time with exactly one of the
// program's messages, the status that goes with it, and either a
// well-formed FRM file or no file at all.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "gif/encoder/gifenc.h"
#include "support/child_run.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

const std::string kConverted = "File converted succesfuly!!!\n";
const std::vector<std::string> kFailures = {
    "Can't read file or file corrupted\n",
    "Empty GIF\n",
    "Image too large for FRM\n",
    "Can't translate color table\n",
    "Not enough memory\n",
};

// Colours of the palette, so that the undamaged files convert.
const gifenc::ColorTable kColors = {
    {236, 236, 236}, {200, 152, 96}, {252, 200, 120}, {64, 40, 20}};

gifenc::Image image(std::uint16_t width, std::uint16_t height) {
  gifenc::Image out;
  out.width = width;
  out.height = height;
  for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
    out.pixels.push_back(static_cast<std::uint8_t>((i * 7 / 3) % 4));
  }
  return out;
}

Bytes withLocalTable() {
  gifenc::Image local = image(5, 3);
  local.localColors = kColors;
  gifenc::GifBuilder gif;
  gif.header("87a").screen({6, 4, {}}).image(local).trailer();
  return gif.bytes();
}

Bytes interlaced() {
  gifenc::Image rows = image(3, 10);
  rows.interlaced = true;
  gifenc::GifBuilder gif;
  gif.header().screen({3, 10, kColors}).image(rows).trailer();
  return gif.bytes();
}

Bytes animatedWithTransparency() {
  gifenc::GifBuilder gif;
  gif.header().screen({4, 4, kColors}).loop();
  gif.graphicControl({2, false, true, 3, 10}).image(image(4, 4));
  gifenc::Image second = image(2, 3);
  second.left = 1;
  second.top = 1;
  gif.graphicControl({1, false, true, 0, 10}).image(second).trailer();
  return gif.bytes();
}

std::uint32_t bigEndian(const Bytes& b, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | b[at + std::size_t(i)];
  return value;
}

// An FRM file whose sizes agree with each other: the header's frame count
// and frame area, each frame's width x height, and the file's length.
void expectWellFormedFrm(const Bytes& frm) {
  ASSERT_GE(frm.size(), 62u);
  const std::uint32_t frames = bigEndian(frm, 8, 2);
  const std::uint32_t area = bigEndian(frm, 58, 4);
  EXPECT_EQ(frm.size(), 62u + area);
  std::size_t at = 62;
  for (std::uint32_t k = 0; k < frames; ++k) {
    ASSERT_LE(at + 12, frm.size());
    const std::uint32_t width = bigEndian(frm, at, 2);
    const std::uint32_t height = bigEndian(frm, at + 2, 2);
    EXPECT_EQ(bigEndian(frm, at + 4, 4), width * height);
    at += 12 + std::size_t{width} * height;
  }
  EXPECT_EQ(at, frm.size());
}

// Runs the program on gif in dir and checks the one outcome; returns whether
// it converted. Stops at the first case that fails, naming it.
bool checkRun(const TempDir& dir, const Bytes& gif) {
  dir.write("in.gif", gif);
  // Leaks on damaged input are the fuzzers' to find: they check every input
  // for them, and the check costs far more than the run here.
  const ChildRun run =
      runConverterInChild({"in.gif"}, dir.path(), {}, 20, false);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.signal, 0);
  const std::string prefix = std::string(kBannerFirstLine) + "\n";
  const std::string output = withoutAuthorship(run.output);
  EXPECT_EQ(output.compare(0, prefix.size(), prefix), 0) << output;
  const std::string message =
      output.size() >= prefix.size() ? output.substr(prefix.size()) : "";
  if (message == kConverted) {
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(dir.list(), (Names{"in.frm", "in.gif"}));
    expectWellFormedFrm(dir.read("in.frm"));
    std::remove(dir.file("in.frm").c_str());
    return true;
  }
  bool known = false;
  for (const std::string& failure : kFailures) known |= message == failure;
  EXPECT_TRUE(known) << "unexpected output: " << output;
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(dir.list(), (Names{"in.gif"}));
  return false;
}

struct Sample {
  const char* name;
  Bytes (*make)();
};

class CorruptionSweep : public ::testing::TestWithParam<Sample> {};

TEST_P(CorruptionSweep, EveryTruncationEndsWithOneOutcome) {
  const Bytes gif = GetParam().make();
  TempDir dir;
  EXPECT_TRUE(checkRun(dir, gif)) << "the undamaged file must convert";
  for (std::size_t length = 0; length < gif.size(); ++length) {
    SCOPED_TRACE("cut to " + std::to_string(length) + " bytes");
    checkRun(dir, Bytes(gif.begin(), gif.begin() + std::ptrdiff_t(length)));
    if (HasFailure()) return;
  }
}

TEST_P(CorruptionSweep, EveryBitFlipEndsWithOneOutcome) {
  const Bytes gif = GetParam().make();
  TempDir dir;
  int converted = 0;
  for (std::size_t bit = 0; bit < gif.size() * 8; ++bit) {
    SCOPED_TRACE("bit " + std::to_string(bit % 8) + " of byte " +
                 std::to_string(bit / 8) + " flipped");
    Bytes flipped = gif;
    flipped[bit / 8] = std::uint8_t(flipped[bit / 8] ^ (1u << (bit % 8)));
    if (checkRun(dir, flipped)) ++converted;
    if (HasFailure()) return;
  }
  // Flips in the pixels, the colours and the ignored fields still convert.
  EXPECT_GT(converted, 0);
}

INSTANTIATE_TEST_SUITE_P(SmallGifs, CorruptionSweep,
                         ::testing::Values(Sample{"LocalTable", withLocalTable},
                                           Sample{"Interlaced", interlaced},
                                           Sample{"AnimatedTransparent",
                                                  animatedWithTransparency}),
                         [](const ::testing::TestParamInfo<Sample>& sample) {
                           return std::string(sample.param.name);
                         });

}  // namespace

// Failures of the machine under a real run: the Nth allocation, the Nth read
// of the input and the Nth write of the output fail, for every N that the
// run reaches. Each must end with its one message and status 1, free all it
// took (the sanitizer build checks the child for leaks), and leave the
// directory as it was: no output, an old output untouched, no temporary.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gif/encoder/gifenc.h"
#include "platform/byte_buffer.h"
#include "platform/io_faults.h"
#include "support/child_run.h"
#include "support/failing_new.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

const std::string kConverted = "File converted succesfuly!!!\n";
const std::string kNoMemory = "Not enough memory\n";
const std::string kCantRead = "Can't read file or file corrupted\n";
const std::string kCantWrite = "Can't write output file\n";
const Bytes kOldOutput = {'o', 'l', 'd'};

std::string expectOutput(const std::string& message) {
  return std::string(kBannerFirstLine) + "\n" + message;
}

gifenc::Image image(std::uint16_t width, std::uint16_t height,
                    std::uint8_t colors) {
  gifenc::Image out;
  out.width = width;
  out.height = height;
  for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
    out.pixels.push_back(static_cast<std::uint8_t>(i % colors));
  }
  return out;
}

// Three frames, so that every allocation of the run happens more than once:
// a global table, a local one, transparency, an interlaced frame.
Bytes animatedGif() {
  // Colours of the palette itself, so that every table translates.
  const gifenc::ColorTable colors = {
      {236, 236, 236}, {200, 152, 96}, {252, 200, 120}, {64, 40, 20}};
  gifenc::GifBuilder gif;
  gif.header().screen({8, 6, colors}).loop();
  gif.graphicControl({0, false, true, 2, 10}).image(image(8, 6, 4));
  gifenc::Image local = image(5, 4, 2);
  local.localColors = {{220, 220, 220}, {96, 64, 32}};
  local.left = 2;
  gif.graphicControl({0, false, false, 0, 10}).image(local);
  gifenc::Image interlaced = image(3, 9, 4);
  interlaced.interlaced = true;
  gif.image(interlaced).trailer();
  return gif.bytes();
}

// Direction files d1.gif to d5.gif beside the input, for a sprite of six
// directions: the same GIF six times.
struct DirectionFiles {
  bool present = false;
  const char* matchMode = nullptr;  // an -m= option as well, when set
  Names options() const {
    Names out;
    if (matchMode != nullptr) out.push_back(matchMode);
    for (int k = 1; present && k <= 5; ++k) {
      out.push_back("-" + std::to_string(k) + "=" + name(k));
    }
    return out;
  }
  static std::string name(int k) { return "d" + std::to_string(k) + ".gif"; }
};

// The same frames in colours that no palette entry has, which the dithering
// modes must make patterns of.
Bytes offPaletteGif() {
  const gifenc::ColorTable colors = {
      {101, 151, 203}, {30, 31, 29}, {250, 120, 7}, {77, 200, 140}};
  gifenc::GifBuilder gif;
  gif.header().screen({8, 6, colors}).loop();
  gif.graphicControl({0, false, true, 2, 10}).image(image(8, 6, 4));
  gifenc::Image local = image(5, 4, 2);
  local.localColors = {{222, 99, 111}, {9, 60, 33}};
  local.left = 2;
  gif.graphicControl({0, false, false, 0, 10}).image(local);
  gif.image(image(3, 9, 4)).trailer();
  return gif.bytes();
}

// More frames than the writer gathers into one write: 300 of 2 x 2 pixels.
Bytes manyFramesGif() {
  const gifenc::ColorTable colors = {{236, 236, 236}, {200, 152, 96}};
  gifenc::GifBuilder gif;
  gif.header().screen({2, 2, colors});
  for (int k = 0; k < 300; ++k) gif.image(image(2, 2, 2));
  return gif.trailer().bytes();
}

// Converts gif (animatedGif unless given) in a fresh directory with
// inject(n) set up in the child, for n = 1, 2, ... until a run meets no
// fault any more, and checks each run. Returns how many runs failed.
int sweepFaults(const std::function<void(std::uint64_t)>& inject,
                const std::string& message, bool withOldOutput,
                DirectionFiles directions = {},
                const Bytes& gif = animatedGif()) {
  Names args = directions.options();
  args.push_back("in.gif");
  Names inputs = {"in.gif"};
  for (int k = 1; directions.present && k <= 5; ++k) {
    inputs.insert(inputs.begin() + k - 1, DirectionFiles::name(k));
  }
  Names withOutput = inputs;
  withOutput.insert(withOutput.end() - 1, "in.frm");
  int failures = 0;
  for (std::uint64_t n = 1; n <= 500; ++n) {
    SCOPED_TRACE("fault at " + std::to_string(n));
    TempDir dir;
    for (const std::string& name : inputs) dir.write(name, gif);
    if (withOldOutput) dir.write("in.frm", kOldOutput);
    ChildRun run = runConverterInChild(args, dir.path(), [&] { inject(n); });
    EXPECT_FALSE(run.leaked);
    EXPECT_EQ(run.signal, 0);
    if (run.exitStatus == 0) {
      // The fault came after the run's last allocation, read or write.
      EXPECT_EQ(withoutAuthorship(run.output), expectOutput(kConverted));
      EXPECT_EQ(dir.list(), withOutput);
      EXPECT_GT(dir.read("in.frm").size(), 62u);
      return failures;
    }
    ++failures;
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(withoutAuthorship(run.output), expectOutput(message));
    if (withOldOutput) {
      EXPECT_EQ(dir.list(), withOutput);
      EXPECT_EQ(dir.read("in.frm"), kOldOutput);
    } else {
      EXPECT_EQ(dir.list(), inputs);
    }
    if (::testing::Test::HasFailure()) return failures;
  }
  ADD_FAILURE() << "the faults never ran out";
  return failures;
}

#if defined(__SANITIZE_ADDRESS__)
#define GIF2FRM_LEAKS_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GIF2FRM_LEAKS_CHECKED 1
#endif
#endif

// Without it the checks below could not fail on a leak.
TEST(FaultInjection, TheChildsLeakCheckFindsALeak) {
#ifndef GIF2FRM_LEAKS_CHECKED
  GTEST_SKIP() << "leaks are checked in the sanitizer build";
#endif
  TempDir dir;
  dir.write("in.gif", animatedGif());
  ChildRun run = runConverterInChild({"in.gif"}, dir.path(), [] {
    platform::ByteBuffer* lost = new platform::ByteBuffer;
    lost->allocate(100);
    lost = nullptr;
  });
  EXPECT_TRUE(run.leaked);
}

TEST(FaultInjection, EveryFailedAllocationEndsWithNotEnoughMemory) {
  for (bool old : {false, true}) {
    SCOPED_TRACE(old ? "over an old output" : "no old output");
    // At least the input window, two tables, three frames' pixels and the
    // frame array (the FRM frames take the GIF frames' pixel blocks over).
    EXPECT_GE(sweepFaults(platform::failAllocationAfter, kNoMemory, old), 7);
  }
}

TEST(FaultInjection,
     EveryFailedAllocationWhileDitheringEndsWithNotEnoughMemory) {
  // Their caches and error rows are had on first need, in the assembly.
  for (const char* mode : {"-m=dither", "-m=ordered"}) {
    SCOPED_TRACE(mode);
    EXPECT_GE(sweepFaults(platform::failAllocationAfter, kNoMemory, false,
                          DirectionFiles{false, mode}, offPaletteGif()),
              7);
  }
}

// Six GIFs, each loaded and put into the sprite before the next: a failure
// in any of them frees what the ones before it left in the sprite.
TEST(FaultInjection,
     EveryFailedAllocationOfASixFileSpriteEndsWithNotEnoughMemory) {
  for (bool old : {false, true}) {
    SCOPED_TRACE(old ? "over an old output" : "no old output");
    EXPECT_GE(sweepFaults(platform::failAllocationAfter, kNoMemory, old,
                          DirectionFiles{true}),
              6 * 7);
  }
}

TEST(FaultInjection, EveryFailedContainerAllocationEndsWithNotEnoughMemory) {
  for (bool old : {false, true}) {
    SCOPED_TRACE(old ? "over an old output" : "no old output");
    EXPECT_GE(sweepFaults(failNewAfter, kNoMemory, old), 1);
  }
}

TEST(FaultInjection, EveryFailedReadEndsWithCantRead) {
  for (bool old : {false, true}) {
    SCOPED_TRACE(old ? "over an old output" : "no old output");
    // The one read that delivers the small file: its trailer ends the load
    // before the end of the file is looked for.
    EXPECT_EQ(sweepFaults(platform::failReadAfter, kCantRead, old), 1);
  }
}

TEST(FaultInjection, EveryFailedWriteEndsWithCantWrite) {
  for (bool old : {false, true}) {
    SCOPED_TRACE(old ? "over an old output" : "no old output");
    // The whole small sprite in one write, and the flush.
    EXPECT_EQ(sweepFaults(platform::failWriteAfter, kCantWrite, old), 2);
    // Two writes of 256 and 44 frames, and the flush: a failure of the
    // second leaves a temporary file with the first in it, which goes too.
    EXPECT_EQ(sweepFaults(platform::failWriteAfter, kCantWrite, old, {},
                          manyFramesGif()),
              3);
  }
}

}  // namespace

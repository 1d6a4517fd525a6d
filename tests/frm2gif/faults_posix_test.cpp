// frm2gif when the machine fails it: the Nth allocation, read or write of a
// real run fails, for every N the run reaches. Each must end with its one
// message and status 1, free all it took (the sanitizer build checks the
// child for leaks), and leave the directory as it was: none of the six GIFs
// written, an old one untouched, no temporary file.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/byte_buffer.h"
#include "platform/io_faults.h"
#include "support/child_run.h"
#include "support/failing_new.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

const std::string kBanner =
    "frm2gif 0.1: FRM sprite to animated GIF, by the gif2frm developers\n\n";
const Names kWritten = {"s.frm",   "s_0.gif", "s_1.gif", "s_2.gif",
                        "s_3.gif", "s_4.gif", "s_5.gif"};

// Shows the six-direction sprite with inject(n) set up in the child, for n
// from 1 on (every n up to 64, then in steps of an eighth) until a run meets
// no fault any more, and checks each run. Returns how many runs failed.
int sweepFaults(const std::function<void(std::uint64_t)>& inject,
                const std::string& message) {
  const Bytes sprite = readFileBytes(std::string(GIF2FRM_TEST_DATA) +
                                     "/viewer/six_directions.frm");
  int failures = 0;
  for (std::uint64_t n = 1; n <= 100000; n += n < 64 ? 1 : n / 8) {
    SCOPED_TRACE("fault at " + std::to_string(n));
    TempDir dir;
    dir.write("s.frm", sprite);
    dir.write("s_2.gif", std::string("old"));
    const ChildRun run =
        runViewerInChild({"s.frm"}, dir.path(), [&] { inject(n); });
    EXPECT_FALSE(run.leaked);
    EXPECT_EQ(run.signal, 0);
    if (run.exitStatus == 0) {
      // The fault came after the run's last allocation, read or write.
      EXPECT_EQ(run.output, kBanner + "Wrote s_0.gif to s_5.gif\n");
      EXPECT_EQ(dir.list(), kWritten);
      return failures;
    }
    ++failures;
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.output, kBanner + message);
    EXPECT_EQ(dir.list(), (Names{"s.frm", "s_2.gif"}));
    EXPECT_EQ(dir.read("s_2.gif"), Bytes({'o', 'l', 'd'}));
    if (::testing::Test::HasFailure()) return failures;
  }
  ADD_FAILURE() << "the faults never ran out";
  return failures;
}

TEST(Frm2gifFaults, EveryFailedAllocationEndsWithNotEnoughMemory) {
  // The frame array and the 18 frames.
  EXPECT_EQ(sweepFaults(platform::failAllocationAfter, "Not enough memory\n"),
            19);
  EXPECT_GE(sweepFaults(failNewAfter, "Not enough memory\n"), 60);
}

TEST(Frm2gifFaults, EveryFailedWriteLeavesAllSixAsTheyWere) {
  // Each GIF is one write and one flush; all twelve come before the first
  // rename.
  EXPECT_EQ(sweepFaults(platform::failWriteAfter, "Can't write output file\n"),
            12);
}

}  // namespace

// The whole program against FRM files computed without it: each GIF under
// data/golden is converted in a fresh directory, with the direction files its
// options name beside it, and the result compared byte for byte with the FRM
// that make_expected.py worked out from the GIFs' pixels (see tools/golden
// for how the GIFs were made).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

const std::string kGoldenDir = std::string(GIF2FRM_TEST_DATA) + "/golden/";

// The options of a case, one a line; none when there is no .args file.
std::vector<std::string> readArgs(const std::string& name) {
  std::vector<std::string> args;
  std::ifstream in(kGoldenDir + name + ".args");
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) args.push_back(line);
  }
  return args;
}

// The files named by -1=FILE to -5=FILE among args.
std::vector<std::string> directionFiles(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  for (const std::string& arg : args) {
    if (arg.size() > 3 && arg[0] == '-' && arg[1] >= '1' && arg[1] <= '5' &&
        arg[2] == '=') {
      files.push_back(arg.substr(3));
    }
  }
  return files;
}

std::string caseName(const ::testing::TestParamInfo<const char*>& param) {
  return param.param;
}

class GoldenFileTest : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenFileTest, ConvertsToTheExpectedBytes) {
  const std::string name = GetParam();
  const std::vector<std::uint8_t> gif =
      readFileBytes(kGoldenDir + name + ".gif");
  const std::vector<std::uint8_t> expected =
      readFileBytes(kGoldenDir + name + ".frm");
  ASSERT_FALSE(gif.empty()) << name << ".gif is missing";
  ASSERT_FALSE(expected.empty()) << name << ".frm is missing";

  TempDir dir;
  dir.write(name + ".gif", gif);
  std::vector<std::string> args = readArgs(name);
  std::vector<std::string> files = {name + ".frm", name + ".gif"};
  for (const std::string& file : directionFiles(args)) {
    const std::vector<std::uint8_t> bytes = readFileBytes(kGoldenDir + file);
    ASSERT_FALSE(bytes.empty()) << file << " is missing";
    dir.write(file, bytes);
    files.push_back(file);
  }
  std::sort(files.begin(), files.end());
  args.push_back(name + ".gif");
  ProgramResult run = runGif2frm(args, dir.path());

  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(withoutAuthorship(run.output),
            std::string(kBannerFirstLine) + "\nFile converted succesfuly!!!\n");
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(dir.read(name + ".frm"), expected);
  EXPECT_EQ(dir.list(), files);
}

// single: one frame filling the screen, global table, default options.
// animated(_untranslated): five frames at different places and sizes, offsets
//   negative and positive, a local table, transparency on, off by its flag,
//   and absent, an image wider than the screen by an odd count, an empty
//   image; then the same with -n.
// shifted: -x=70000 -y=-1 -d=10.
// interlaced: all four passes, rows in display order in the frame.
// early_end: end code mid-row, an interlaced image ending mid-pass, data
//   closed by the block terminator alone; undelivered pixels are 0.
// no_table(_untranslated): no colour table at all gives zeros, also with -n.
// stale_local: indices past a small local table take the entries an earlier,
//   larger table left, except the transparent one; past the global table, 0.
// example76: the format's 76-byte example, made from a 2 x 1 GIF.
// six_in_one, six_files: one sprite of six directions of three frames, from
//   one GIF with -6 and from six GIFs with -1= to -5=; shifts in every
//   direction, the rate from direction 0's delays (-f=gif), action frame 2.
INSTANTIATE_TEST_SUITE_P(Golden, GoldenFileTest,
                         ::testing::Values("single", "animated",
                                           "animated_untranslated", "shifted",
                                           "interlaced", "early_end",
                                           "no_table", "no_table_untranslated",
                                           "stale_local", "example76",
                                           "six_in_one", "six_files"),
                         caseName);

// The two ways to make a six-direction sprite describe the same one.
TEST(GoldenFiles, SixDirectionsFromOneGifOrSixAreTheSameBytes) {
  const std::vector<std::uint8_t> fromOne =
      readFileBytes(kGoldenDir + "six_in_one.frm");
  ASSERT_EQ(fromOne.size(), 425u);
  EXPECT_EQ(fromOne, readFileBytes(kGoldenDir + "six_files.frm"));
}

}  // namespace

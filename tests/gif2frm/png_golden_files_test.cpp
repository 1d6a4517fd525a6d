// The whole program on PNG and APNG inputs against FRM files computed without
// it: make_png_expected.py drew the pictures, wrote them as PNG and APNG
// files with its own encoder and worked out each case's FRM from the
// pictures' pixels. Each case of data/golden/png/cases.txt is run in a fresh
// directory holding only its input, and its output compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

const std::string kPngGoldenDir =
    std::string(GIF2FRM_TEST_DATA) + "/golden/png/";

struct GoldenCase {
  std::string name;   // the expected FRM is name.frm
  std::string input;  // the PNG or APNG
  std::vector<std::string> options;
};

std::vector<GoldenCase> readCases() {
  std::vector<GoldenCase> cases;
  std::ifstream in(kPngGoldenDir + "cases.txt");
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    GoldenCase c;
    fields >> c.name >> c.input;
    for (std::string option; fields >> option;) c.options.push_back(option);
    cases.push_back(c);
  }
  return cases;
}

// The name gif2frm gives the output of input: its stem with .frm.
std::string outputName(const std::string& input) {
  return input.substr(0, input.rfind('.')) + ".frm";
}

// What each case covers:
// rgba_figure(_t200): an RGBA figure with an anti-aliased rim, the default
//   match, -t= 128 and 200, colours that only match by their 6 high bits,
//   a background colour no entry matches under alpha 0.
// indexed_apng(_nearest): an indexed APNG of three frames at their own
//   rectangles, tRNS entries below, at and above 128, delays 1/20 s, 5/0 and
//   3/200 s; -f=gif -n, and -f=gif -m=nearest.
// grey16: 16-bit grey, samples cut to their high byte, the colour key
//   compared at 16 bits.
// adam7: an Adam7 RGB image of odd sizes.
// rgba_apng_nearest: an RGBA APNG whose default image is no frame, 1024
//   colours over the whole cube matched by -m=nearest (178 entries), a
//   frame off the canvas's corner, a small frame with alphas about 128.
TEST(PngGoldenFiles, EveryCaseConvertsToTheExpectedBytes) {
  const std::vector<GoldenCase> cases = readCases();
  ASSERT_EQ(cases.size(), 7u) << "cases.txt is missing or changed";
  for (const GoldenCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> input =
        readFileBytes(kPngGoldenDir + c.input);
    const std::vector<std::uint8_t> expected =
        readFileBytes(kPngGoldenDir + c.name + ".frm");
    ASSERT_FALSE(input.empty());
    ASSERT_FALSE(expected.empty());
    TempDir dir;
    dir.write(c.input, input);
    std::vector<std::string> args = c.options;
    args.push_back(c.input);
    const ProgramResult run = runGif2frm(args, dir.path());
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(
        withoutAuthorship(run.output),
        std::string(kBannerFirstLine) + "\nFile converted succesfuly!!!\n");
    EXPECT_EQ(run.errors, "");
    const std::string output = outputName(c.input);
    EXPECT_EQ(dir.read(output), expected);
    std::vector<std::string> files = {c.input, output};
    std::sort(files.begin(), files.end());
    EXPECT_EQ(dir.list(), files);
  }
}

}  // namespace
